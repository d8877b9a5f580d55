#pragma once

// A host component descriptor: one processing configuration of the effect (its render-context fields,
// its properties, its render callback). Owns the property maps it hands out; they die with it.
// Absent answers: -20004, -20009 for the second version. [registration thread]

#include "formats/aax/aax_property_map.h"

#include <memory>
#include <vector>

namespace vk::aax
{

class AAX_IComponentDescriptor
{
public:
    virtual ~AAX_IComponentDescriptor() = default;
    virtual Result Clear() = 0;
    virtual Result AddAudioIn(std::uint32_t fieldIndex) = 0;
    virtual Result AddAudioOut(std::uint32_t fieldIndex) = 0;
    virtual Result AddAudioBufferLength(std::uint32_t fieldIndex) = 0;
    virtual Result FieldOperation8(Opaque a) = 0;
    virtual Result FieldOperation9(Opaque a) = 0;
    virtual Result FieldOperation10(Opaque a) = 0;
    virtual Result FieldOperation11(Opaque a) = 0;
    virtual Result FieldOperation12(Opaque a) = 0;
    virtual Result AddPrivateData(std::uint32_t fieldIndex, std::int32_t sizeBytes,
                                  std::uint32_t options) = 0;
    virtual Result Operation19(Opaque a) = 0;
    virtual Result FieldOperation14(Opaque a) = 0;
    virtual Result FieldOperation18(Opaque a) = 0;
    virtual Result FieldOperation15(Opaque a, Opaque b, Opaque c, Opaque d) = 0;
    virtual Result FieldOperation4(Opaque a) = 0;
    virtual AAX_IPropertyMap* NewPropertyMap() = 0;
    // A new map holding every property 10..351 that `source` has.
    virtual AAX_IPropertyMap* DuplicatePropertyMap(const AAX_IPropertyMap* source) = 0;
    virtual Result AddProcessProc(NativeProcessProc proc, const AAX_IPropertyMap* properties,
                                  Opaque a = nullptr, Opaque b = nullptr, Opaque c = nullptr) = 0;
    virtual Result AddProcessProcWith(Opaque a, Opaque b, const AAX_IPropertyMap* properties, Opaque c,
                                      Opaque d, Opaque e) = 0;
    virtual IACFUnknown* HostObject() const = 0;
};

class AAX_VComponentDescriptor final : public AAX_IComponentDescriptor
{
public:
    explicit AAX_VComponentDescriptor(IACFUnknown* host);
    ~AAX_VComponentDescriptor() override;

    Result Clear() override;
    Result AddAudioIn(std::uint32_t fieldIndex) override;
    Result AddAudioOut(std::uint32_t fieldIndex) override;
    Result AddAudioBufferLength(std::uint32_t fieldIndex) override;
    Result FieldOperation8(Opaque a) override;
    Result FieldOperation9(Opaque a) override;
    Result FieldOperation10(Opaque a) override;
    Result FieldOperation11(Opaque a) override;
    Result FieldOperation12(Opaque a) override;
    Result AddPrivateData(std::uint32_t fieldIndex, std::int32_t sizeBytes, std::uint32_t options) override;
    Result Operation19(Opaque a) override;
    Result FieldOperation14(Opaque a) override;
    Result FieldOperation18(Opaque a) override;
    Result FieldOperation15(Opaque a, Opaque b, Opaque c, Opaque d) override;
    Result FieldOperation4(Opaque a) override;
    AAX_IPropertyMap* NewPropertyMap() override;
    AAX_IPropertyMap* DuplicatePropertyMap(const AAX_IPropertyMap* source) override;
    Result AddProcessProc(NativeProcessProc proc, const AAX_IPropertyMap* properties, Opaque a = nullptr,
                          Opaque b = nullptr, Opaque c = nullptr) override;
    Result AddProcessProcWith(Opaque a, Opaque b, const AAX_IPropertyMap* properties, Opaque c, Opaque d,
                              Opaque e) override;
    IACFUnknown* HostObject() const override { return m_descriptor.get(); }

private:
    AcfPtr<IACFUnknown> m_unknown;
    AcfPtr<IHostComponentDescriptor> m_descriptor;
    AcfPtr<IHostComponentDescriptorV2> m_v2;
    std::vector<std::unique_ptr<AAX_VPropertyMap>> m_propertyMaps;
};

} // namespace vk::aax
