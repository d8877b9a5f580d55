#include "formats/aax/aax_collection.h"

#include "formats/aax/aax_host_object_factory.h"

namespace vk::aax
{

AAX_VCollection::AAX_VCollection(IACFUnknown* host) : m_unknown(AcfPtr<IACFUnknown>::share(host))
{
    m_collection = createHostObject<IHostCollection>(host, kCLSID_Collection, kIID_Collection);
}

AAX_VCollection::~AAX_VCollection()
{
    m_descriptors.clear();
    m_propertyMaps.clear();
    m_collection.reset();
    m_unknown.reset();
}

AAX_IEffectDescriptor* AAX_VCollection::NewDescriptor()
{
    m_descriptors.push_back(std::make_unique<AAX_VEffectDescriptor>(m_unknown.get()));
    return m_descriptors.back().get();
}

Result AAX_VCollection::AddEffect(const char* effectId, const AAX_IEffectDescriptor* descriptor)
{
    if (descriptor == nullptr)
        return kResultNoHostInterface;
    return forwardOr(kResultNoHostInterface, m_collection.get(), &IHostCollection::AddEffect, effectId,
                     descriptor->HostObject());
}
Result AAX_VCollection::SetManufacturerName(const char* name)
{
    return forwardOr(kResultNoHostInterface, m_collection.get(), &IHostCollection::SetManufacturerName, name);
}
Result AAX_VCollection::AddPackageName(const char* name)
{
    return forwardOr(kResultNoHostInterface, m_collection.get(), &IHostCollection::AddPackageName, name);
}
Result AAX_VCollection::SetPackageVersion(std::uint32_t version)
{
    return forwardOr(kResultNoHostInterface, m_collection.get(), &IHostCollection::SetPackageVersion,
                     version);
}

AAX_IPropertyMap* AAX_VCollection::NewPropertyMap()
{
    m_propertyMaps.push_back(std::make_unique<AAX_VPropertyMap>(m_unknown.get()));
    return m_propertyMaps.back().get();
}

Result AAX_VCollection::SetProperties(const AAX_IPropertyMap* properties)
{
    return forwardOr(kResultNoHostInterface, m_collection.get(), &IHostCollection::SetProperties,
                     hostObjectOf(properties));
}

} // namespace vk::aax
