#include "formats/aax/aax_component_descriptor.h"

#include "formats/aax/aax_host_object_factory.h"

namespace vk::aax
{

namespace
{
constexpr Result kAbsent = kResultNoHostInterface;
using Host = IHostComponentDescriptor;

// Properties a duplicate carries over: every identifier the plug-in interface defines.
constexpr std::uint32_t kFirstPropertyId = 10;
constexpr std::uint32_t kLastPropertyId = 351;
} // namespace

AAX_VComponentDescriptor::AAX_VComponentDescriptor(IACFUnknown* host)
    : m_unknown(AcfPtr<IACFUnknown>::share(host))
{
    m_descriptor = createHostObject<Host>(host, kCLSID_ComponentDescriptor, kIID_ComponentDescriptor);
    if (m_descriptor)
        m_v2 = acfQuery<IHostComponentDescriptorV2>(m_descriptor.get(), kIID_ComponentDescriptorV2);
}

AAX_VComponentDescriptor::~AAX_VComponentDescriptor()
{
    m_propertyMaps.clear();
    m_v2.reset();
    m_descriptor.reset();
    m_unknown.reset();
}

Result AAX_VComponentDescriptor::Clear()
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::Clear);
}
Result AAX_VComponentDescriptor::AddAudioIn(std::uint32_t fieldIndex)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::AddAudioIn, fieldIndex);
}
Result AAX_VComponentDescriptor::AddAudioOut(std::uint32_t fieldIndex)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::AddAudioOut, fieldIndex);
}
Result AAX_VComponentDescriptor::AddAudioBufferLength(std::uint32_t fieldIndex)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::AddAudioBufferLength, fieldIndex);
}
Result AAX_VComponentDescriptor::FieldOperation8(Opaque a)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::FieldOperation8, a);
}
Result AAX_VComponentDescriptor::FieldOperation9(Opaque a)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::FieldOperation9, a);
}
Result AAX_VComponentDescriptor::FieldOperation10(Opaque a)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::FieldOperation10, a);
}
Result AAX_VComponentDescriptor::FieldOperation11(Opaque a)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::FieldOperation11, a);
}
Result AAX_VComponentDescriptor::FieldOperation12(Opaque a)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::FieldOperation12, a);
}
Result AAX_VComponentDescriptor::AddPrivateData(std::uint32_t fieldIndex, std::int32_t sizeBytes,
                                                std::uint32_t options)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::AddPrivateData, fieldIndex, sizeBytes, options);
}
Result AAX_VComponentDescriptor::Operation19(Opaque a)
{
    return forwardOr(kResultNotImplemented, m_v2.get(), &IHostComponentDescriptorV2::Operation19, a);
}
Result AAX_VComponentDescriptor::FieldOperation14(Opaque a)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::FieldOperation14, a);
}
Result AAX_VComponentDescriptor::FieldOperation18(Opaque a)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::FieldOperation18, a);
}
Result AAX_VComponentDescriptor::FieldOperation15(Opaque a, Opaque b, Opaque c, Opaque d)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::FieldOperation15, a, b, c, d);
}
Result AAX_VComponentDescriptor::FieldOperation4(Opaque a)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::FieldOperation4, a);
}

AAX_IPropertyMap* AAX_VComponentDescriptor::NewPropertyMap()
{
    m_propertyMaps.push_back(std::make_unique<AAX_VPropertyMap>(m_unknown.get()));
    return m_propertyMaps.back().get();
}

AAX_IPropertyMap* AAX_VComponentDescriptor::DuplicatePropertyMap(const AAX_IPropertyMap* source)
{
    AAX_IPropertyMap* copy = NewPropertyMap();
    if (source == nullptr)
        return copy;
    for (std::uint32_t id = kFirstPropertyId; id <= kLastPropertyId; ++id)
    {
        std::int32_t value = 0;
        if (source->GetProperty(id, &value))
            copy->AddProperty(id, value);
    }
    return copy;
}

Result AAX_VComponentDescriptor::AddProcessProc(NativeProcessProc proc, const AAX_IPropertyMap* properties,
                                                Opaque a, Opaque b, Opaque c)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::AddProcessProc, proc, hostObjectOf(properties), a, b,
                     c);
}

Result AAX_VComponentDescriptor::AddProcessProcWith(Opaque a, Opaque b, const AAX_IPropertyMap* properties,
                                                    Opaque c, Opaque d, Opaque e)
{
    return forwardOr(kAbsent, m_descriptor.get(), &Host::AddProcessProcWith, a, b, hostObjectOf(properties),
                     c, d, e);
}

} // namespace vk::aax
