#include "formats/aax/aax_property_map.h"

#include "formats/aax/aax_host_object_factory.h"

namespace vk::aax
{

AAX_VPropertyMap::AAX_VPropertyMap(IACFUnknown* host)
    : m_map(createHostObject<IHostPropertyMap>(host, kCLSID_PropertyMap, kIID_PropertyMap))
{
    if (m_map)
        m_v2 = acfQuery<IHostPropertyMapV2>(m_map.get(), kIID_PropertyMapV2);
}

bool AAX_VPropertyMap::GetProperty(std::uint32_t propertyId, std::int32_t* value) const
{
    return forwardOr(false, m_map.get(), &IHostPropertyMap::GetProperty, propertyId, value);
}
Result AAX_VPropertyMap::AddProperty(std::uint32_t propertyId, std::int32_t value)
{
    return forwardOr(kResultNoHostInterface, m_map.get(), &IHostPropertyMap::AddProperty, propertyId, value);
}
Result AAX_VPropertyMap::RemoveProperty(std::uint32_t propertyId)
{
    return forwardOr(kResultNoHostInterface, m_map.get(), &IHostPropertyMap::RemoveProperty, propertyId);
}
Result AAX_VPropertyMap::AddPropertyWith(std::uint32_t propertyId, Opaque value)
{
    return forwardOr(kResultNotImplemented, m_v2.get(), &IHostPropertyMapV2::AddPropertyWith, propertyId,
                     value);
}
bool AAX_VPropertyMap::GetPropertyWith(std::uint32_t propertyId, Opaque* value) const
{
    return forwardOr(false, m_v2.get(), &IHostPropertyMapV2::GetPropertyWith, propertyId, value);
}

} // namespace vk::aax
