#include "formats/aax/aax_effect_descriptor.h"

#include "formats/aax/aax_host_object_factory.h"

namespace vk::aax
{

namespace
{
constexpr Result kAbsent = kResultNoHostInterface;
using Host = IHostEffectDescriptor;
} // namespace

AAX_VEffectDescriptor::AAX_VEffectDescriptor(IACFUnknown* host) : m_unknown(AcfPtr<IACFUnknown>::share(host))
{
    m_descriptor = createHostObject<Host>(host, kCLSID_EffectDescriptor, kIID_EffectDescriptor);
    if (m_descriptor)
        m_v2 = acfQuery<IHostEffectDescriptorV2>(m_descriptor.get(), kIID_EffectDescriptorV2);
}

AAX_VEffectDescriptor::~AAX_VEffectDescriptor()
{
    m_components.clear();
    m_propertyMaps.clear();
    m_v2.reset();
    m_descriptor.reset();
    m_unknown.reset();
}

AAX_IComponentDescriptor* AAX_VEffectDescriptor::NewComponentDescriptor()
{
    m_components.push_back(std::make_unique<AAX_VComponentDescriptor>(m_unknown.get()));
    return m_components.back().get();
}

Result AAX_VEffectDescriptor::AddComponent(const AAX_IComponentDescriptor* component)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::AddComponent, hostObjectOf(component));
}
Result AAX_VEffectDescriptor::AddName(const char* name)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::AddName, name);
}
Result AAX_VEffectDescriptor::AddCategory(std::uint32_t categoryBits)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::AddCategory, categoryBits);
}
Result AAX_VEffectDescriptor::AddCategoryWith(Opaque a, Opaque b)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::AddCategoryWith, a, b);
}
Result AAX_VEffectDescriptor::AddProcPtr(CreateObjectProc proc, std::uint32_t procId)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::AddProcPtr, proc, procId);
}

AAX_IPropertyMap* AAX_VEffectDescriptor::NewPropertyMap()
{
    m_propertyMaps.push_back(std::make_unique<AAX_VPropertyMap>(m_unknown.get()));
    return m_propertyMaps.back().get();
}

Result AAX_VEffectDescriptor::SetProperties(const AAX_IPropertyMap* properties)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::SetProperties, hostObjectOf(properties));
}
Result AAX_VEffectDescriptor::AddResourceInfo(std::uint32_t resourceType, const char* fileName)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::AddResourceInfo, resourceType, fileName);
}
Result AAX_VEffectDescriptor::AddMeter(Opaque a, Opaque b, const AAX_IPropertyMap* properties)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::AddMeter, a, b, hostObjectOf(properties));
}
Result AAX_VEffectDescriptor::Operation11(Opaque a, Opaque b, Opaque c, Opaque d)
{
    return forwardOr(kResultNotImplemented, m_v2.get(), &IHostEffectDescriptorV2::Operation11, a, b, c, d);
}

} // namespace vk::aax
