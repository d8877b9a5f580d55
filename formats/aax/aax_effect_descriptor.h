#pragma once

// A host effect descriptor: the effect's names, category, factory procedures, resources and components.
// Owns the component descriptors and property maps it hands out; they die with it.
// Absent answers: -20004, -20009 for the second version. [registration thread]

#include "formats/aax/aax_component_descriptor.h"

namespace vk::aax
{

class AAX_IEffectDescriptor
{
public:
    virtual ~AAX_IEffectDescriptor() = default;
    virtual AAX_IComponentDescriptor* NewComponentDescriptor() = 0;
    virtual Result AddComponent(const AAX_IComponentDescriptor* component) = 0;
    virtual Result AddName(const char* name) = 0;
    virtual Result AddCategory(std::uint32_t categoryBits) = 0;
    virtual Result AddCategoryWith(Opaque a, Opaque b) = 0;
    virtual Result AddProcPtr(CreateObjectProc proc, std::uint32_t procId) = 0;
    virtual AAX_IPropertyMap* NewPropertyMap() = 0;
    virtual Result SetProperties(const AAX_IPropertyMap* properties) = 0;
    virtual Result AddResourceInfo(std::uint32_t resourceType, const char* fileName) = 0;
    virtual Result AddMeter(Opaque a, Opaque b, const AAX_IPropertyMap* properties) = 0;
    virtual Result Operation11(Opaque a, Opaque b, Opaque c, Opaque d) = 0;
    virtual IACFUnknown* HostObject() const = 0;
};

class AAX_VEffectDescriptor final : public AAX_IEffectDescriptor
{
public:
    explicit AAX_VEffectDescriptor(IACFUnknown* host);
    ~AAX_VEffectDescriptor() override;

    AAX_IComponentDescriptor* NewComponentDescriptor() override;
    Result AddComponent(const AAX_IComponentDescriptor* component) override;
    Result AddName(const char* name) override;
    Result AddCategory(std::uint32_t categoryBits) override;
    Result AddCategoryWith(Opaque a, Opaque b) override;
    Result AddProcPtr(CreateObjectProc proc, std::uint32_t procId) override;
    AAX_IPropertyMap* NewPropertyMap() override;
    Result SetProperties(const AAX_IPropertyMap* properties) override;
    Result AddResourceInfo(std::uint32_t resourceType, const char* fileName) override;
    Result AddMeter(Opaque a, Opaque b, const AAX_IPropertyMap* properties) override;
    Result Operation11(Opaque a, Opaque b, Opaque c, Opaque d) override;
    IACFUnknown* HostObject() const override { return m_descriptor.get(); }

private:
    AcfPtr<IACFUnknown> m_unknown;
    AcfPtr<IHostEffectDescriptor> m_descriptor;
    AcfPtr<IHostEffectDescriptorV2> m_v2;
    std::vector<std::unique_ptr<AAX_VComponentDescriptor>> m_components;
    std::vector<std::unique_ptr<AAX_VPropertyMap>> m_propertyMaps;
};

} // namespace vk::aax
