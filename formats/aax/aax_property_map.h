#pragma once

// A host property map: numbered 32-bit properties of an effect or component. Absent answers: the getters
// false, the first version's setters -20004, the second version's -20009. [registration thread]

#include "formats/aax/acf_ptr.h"
#include "platform/aax/aax_host_interfaces.h"

namespace vk::aax
{

class AAX_IPropertyMap
{
public:
    virtual ~AAX_IPropertyMap() = default;
    virtual bool GetProperty(std::uint32_t propertyId, std::int32_t* value) const = 0;
    virtual Result AddProperty(std::uint32_t propertyId, std::int32_t value) = 0;
    virtual Result RemoveProperty(std::uint32_t propertyId) = 0;
    virtual Result AddPropertyWith(std::uint32_t propertyId, Opaque value) = 0;
    virtual bool GetPropertyWith(std::uint32_t propertyId, Opaque* value) const = 0;
    // The host object to hand the host when this map is passed on (null when there is none).
    virtual IACFUnknown* HostObject() const = 0;
};

class AAX_VPropertyMap final : public AAX_IPropertyMap
{
public:
    // Creates the host's map (none with a null `host`). Throws AcfError for a host without a factory.
    explicit AAX_VPropertyMap(IACFUnknown* host);

    bool GetProperty(std::uint32_t propertyId, std::int32_t* value) const override;
    Result AddProperty(std::uint32_t propertyId, std::int32_t value) override;
    Result RemoveProperty(std::uint32_t propertyId) override;
    Result AddPropertyWith(std::uint32_t propertyId, Opaque value) override;
    bool GetPropertyWith(std::uint32_t propertyId, Opaque* value) const override;
    IACFUnknown* HostObject() const override { return m_map.get(); }

private:
    AcfPtr<IHostPropertyMap> m_map;
    AcfPtr<IHostPropertyMapV2> m_v2;
};

// The host object of a wrapper passed on to the host (null for a null wrapper).
template <typename Wrapper>
IACFUnknown* hostObjectOf(const Wrapper* wrapper) noexcept
{
    return wrapper != nullptr ? wrapper->HostObject() : nullptr;
}

} // namespace vk::aax
