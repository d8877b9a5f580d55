#pragma once

// The host's collection of effects: what the module registers. Lives for one registration; the
// descriptors and property maps it hands out die with it (the host keeps its own references).
// Absent answers: -20004. [registration thread]

#include "formats/aax/aax_effect_descriptor.h"

namespace vk::aax
{

class AAX_ICollection
{
public:
    virtual ~AAX_ICollection() = default;
    virtual AAX_IEffectDescriptor* NewDescriptor() = 0;
    // -20004 without a call for a null descriptor.
    virtual Result AddEffect(const char* effectId, const AAX_IEffectDescriptor* descriptor) = 0;
    virtual Result SetManufacturerName(const char* name) = 0;
    virtual Result AddPackageName(const char* name) = 0;
    virtual Result SetPackageVersion(std::uint32_t version) = 0;
    virtual AAX_IPropertyMap* NewPropertyMap() = 0;
    virtual Result SetProperties(const AAX_IPropertyMap* properties) = 0;
    virtual IACFUnknown* HostObject() const = 0;
};

class AAX_VCollection final : public AAX_ICollection
{
public:
    explicit AAX_VCollection(IACFUnknown* host);
    ~AAX_VCollection() override;

    AAX_IEffectDescriptor* NewDescriptor() override;
    Result AddEffect(const char* effectId, const AAX_IEffectDescriptor* descriptor) override;
    Result SetManufacturerName(const char* name) override;
    Result AddPackageName(const char* name) override;
    Result SetPackageVersion(std::uint32_t version) override;
    AAX_IPropertyMap* NewPropertyMap() override;
    Result SetProperties(const AAX_IPropertyMap* properties) override;
    IACFUnknown* HostObject() const override { return m_collection.get(); }

private:
    AcfPtr<IACFUnknown> m_unknown;
    AcfPtr<IHostCollection> m_collection;
    std::vector<std::unique_ptr<AAX_VEffectDescriptor>> m_descriptors;
    std::vector<std::unique_ptr<AAX_VPropertyMap>> m_propertyMaps;
};

} // namespace vk::aax
