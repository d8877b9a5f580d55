#pragma once

// The interfaces the AAX host implements and the module calls: the component factory, the description
// objects (collection, effect and component descriptors, property maps), the host services, and the
// per-instance objects (controller, transport, automation delegate, view container, host-processor
// delegate). Each operation sits at the position the host counts (comments give it); a second version
// extends the first, so its table continues where the first one ends. Positions the module never calls
// but that a later position needs are kept by `positionN` placeholders. Values the module passes through
// without reading them are pointer-sized opaque values.

#include "platform/aax/acf_unknown.h"

namespace vk::aax
{

using Opaque = void*;
// Factory procedures registered with an effect descriptor: each creates one plug-in object.
using CreateObjectProc = IACFUnknown* (*)();
// The render callback registered with a component: the first and one-past-last render context.
using NativeProcessProc = void (*)(void* const* contextsBegin, const void* contextsEnd);

// Interface and class identifiers of the host side.
constexpr Guid kIID_ComponentFactory{
    0x382B6A96, 0x7FD0, 0x11D6, {0xBC, 0xFE, 0x00, 0x30, 0x65, 0x42, 0xA0, 0x24}};
constexpr Guid kIID_RegisteredCollection{
    0x00EEF015, 0x7FD0, 0x11D6, {0x84, 0x85, 0x00, 0x30, 0x65, 0x42, 0xA0, 0x24}};

constexpr Guid kCLSID_Collection{
    0x89882C2D, 0x77BC, 0x42EF, {0x70, 0x7B, 0x79, 0x81, 0xB7, 0xBD, 0x0C, 0xCA}};
constexpr Guid kIID_Collection{0x96D42C2D, 0xEBBC, 0x41DF, {0xB1, 0xAB, 0x99, 0x91, 0xA2, 0xEE, 0x0C, 0xCA}};
constexpr Guid kCLSID_EffectDescriptor{
    0x89872C2D, 0x75BC, 0x423F, {0x40, 0x1B, 0xF9, 0xA1, 0xBA, 0xAD, 0x0C, 0xCA}};
constexpr Guid kIID_EffectDescriptor{
    0x96D42C2D, 0xEBBC, 0x41EF, {0xD1, 0xCB, 0x49, 0x94, 0x42, 0xE4, 0x0F, 0xDA}};
constexpr Guid kIID_EffectDescriptorV2{
    0x41ECCC52, 0x416B, 0x4072, {0x84, 0xBD, 0x40, 0xB0, 0x52, 0x10, 0xA7, 0x4C}};
constexpr Guid kCLSID_ComponentDescriptor{
    0x94872C3D, 0x95BC, 0x413D, {0xD0, 0xDB, 0xD9, 0xB1, 0x2A, 0xAD, 0x0C, 0xCA}};
constexpr Guid kIID_ComponentDescriptor{
    0x96E42C2D, 0xE2BC, 0x51EF, {0x61, 0xC7, 0x48, 0x99, 0x4A, 0xEB, 0x0C, 0xDA}};
constexpr Guid kIID_ComponentDescriptorV2{
    0x1895259E, 0xAAA9, 0x4F0F, {0xA9, 0x85, 0x14, 0x98, 0x37, 0xB7, 0x6F, 0x89}};
constexpr Guid kCLSID_PropertyMap{
    0xA587AD3D, 0xD53C, 0x4ADC, {0xD0, 0xDD, 0xD9, 0xD1, 0x2D, 0xDD, 0xDC, 0xDA}};
constexpr Guid kIID_PropertyMap{0x96EE2C2D, 0xEECC, 0x5EFF, {0xE2, 0xD7, 0xE8, 0x49, 0xE3, 0xE2, 0xEE, 0xEE}};
constexpr Guid kIID_PropertyMapV2{
    0x7177DF80, 0x7C9C, 0x11E2, {0xB9, 0x2A, 0x08, 0x00, 0x20, 0x0C, 0x9A, 0x66}};
constexpr Guid kCLSID_HostServices{
    0x88882C2D, 0xEBBC, 0x42EF, {0xC0, 0xAB, 0x89, 0x81, 0xB0, 0xBD, 0x0C, 0xCA}};
constexpr Guid kIID_HostServices{
    0x96D42C2D, 0xEBBC, 0x41EF, {0xB0, 0xAB, 0x99, 0x91, 0xA0, 0xED, 0x0C, 0xCA}};

constexpr Guid kIID_Controller{0x9D5E3E3D, 0x52DC, 0x5EFB, {0x20, 0x18, 0xDE, 0x1D, 0xE2, 0xE6, 0x3F, 0x4E}};
constexpr Guid kIID_ControllerV2{
    0x4C59AA0E, 0xD7C0, 0x4205, {0x8B, 0x6C, 0x32, 0x46, 0x8D, 0x42, 0xD2, 0x02}};
constexpr Guid kIID_Transport{0x5CEE4EF4, 0x6337, 0x4359, {0xB6, 0x3B, 0xFE, 0x58, 0xDC, 0x36, 0x54, 0x3A}};
constexpr Guid kIID_TransportV2{0x203CBD9F, 0x982C, 0x4FE6, {0xA8, 0x27, 0x07, 0x48, 0x02, 0x57, 0xAE, 0xC3}};
constexpr Guid kIID_AutomationDelegate{
    0x9D5E3D3D, 0x42DC, 0x5EFA, {0x22, 0x17, 0xEE, 0xE2, 0xE8, 0xE5, 0x3E, 0x2E}};
constexpr Guid kIID_ViewContainer{
    0x22DA0BBC, 0xD550, 0x4D5E, {0x8C, 0xC6, 0x73, 0x44, 0x83, 0xB8, 0x83, 0x7F}};
constexpr Guid kIID_HostProcessorDelegate{
    0x9D4E3D3D, 0x43DC, 0x5EDA, {0x82, 0x27, 0xE2, 0xF2, 0xF8, 0xD5, 0x6E, 0x8E}};
constexpr Guid kIID_HostProcessorDelegateV2{
    0xFB6DE2C9, 0x29D0, 0x4683, {0xB3, 0x48, 0xC7, 0x78, 0xF4, 0xCD, 0x62, 0x5B}};

class IComponentFactory : public IACFUnknown
{
public:
    // 3: a new object of the class with one reference for the caller; `outer` is always null here.
    virtual Result CreateInstance(const Guid& classId, IACFUnknown* outer, const Guid& iid, void** out) = 0;

protected:
    ~IComponentFactory() = default;
};

class IHostCollection : public IACFUnknown
{
public:
    virtual Result position3() { return kResultNotImplemented; }
    virtual Result position4() { return kResultNotImplemented; }
    virtual Result position5() { return kResultNotImplemented; }
    virtual Result position6() { return kResultNotImplemented; }
    virtual Result AddEffect(const char* effectId, IACFUnknown* effectDescriptor) = 0; // 7
    virtual Result SetManufacturerName(const char* name) = 0;                          // 8
    virtual Result AddPackageName(const char* name) = 0;                               // 9
    virtual Result SetPackageVersion(std::uint32_t version) = 0;                       // 10
    virtual Result SetProperties(IACFUnknown* propertyMap) = 0;                        // 11

protected:
    ~IHostCollection() = default;
};

class IHostEffectDescriptor : public IACFUnknown
{
public:
    virtual Result AddComponent(IACFUnknown* componentDescriptor) = 0;                    // 3
    virtual Result AddName(const char* name) = 0;                                         // 4
    virtual Result AddCategory(std::uint32_t categoryBits) = 0;                           // 5
    virtual Result AddCategoryWith(Opaque a, Opaque b) = 0;                               // 6
    virtual Result AddProcPtr(CreateObjectProc proc, std::uint32_t procId) = 0;           // 7
    virtual Result SetProperties(IACFUnknown* propertyMap) = 0;                           // 8
    virtual Result AddResourceInfo(std::uint32_t resourceType, const char* fileName) = 0; // 9
    virtual Result AddMeter(Opaque a, Opaque b, IACFUnknown* propertyMap) = 0;            // 10

protected:
    ~IHostEffectDescriptor() = default;
};

class IHostEffectDescriptorV2 : public IHostEffectDescriptor
{
public:
    virtual Result Operation11(Opaque a, Opaque b, Opaque c, Opaque d) = 0; // 11

protected:
    ~IHostEffectDescriptorV2() = default;
};

class IHostComponentDescriptor : public IACFUnknown
{
public:
    virtual Result Clear() = 0;                                        // 3
    virtual Result FieldOperation4(Opaque a) = 0;                      // 4
    virtual Result AddAudioIn(std::uint32_t fieldIndex) = 0;           // 5
    virtual Result AddAudioOut(std::uint32_t fieldIndex) = 0;          // 6
    virtual Result AddAudioBufferLength(std::uint32_t fieldIndex) = 0; // 7
    virtual Result FieldOperation8(Opaque a) = 0;                      // 8
    virtual Result FieldOperation9(Opaque a) = 0;                      // 9
    virtual Result FieldOperation10(Opaque a) = 0;                     // 10
    virtual Result FieldOperation11(Opaque a) = 0;                     // 11
    virtual Result FieldOperation12(Opaque a) = 0;                     // 12
    virtual Result AddPrivateData(std::uint32_t fieldIndex, std::int32_t sizeBytes,
                                  std::uint32_t options) = 0;                    // 13
    virtual Result FieldOperation14(Opaque a) = 0;                               // 14
    virtual Result FieldOperation15(Opaque a, Opaque b, Opaque c, Opaque d) = 0; // 15
    virtual Result AddProcessProc(NativeProcessProc proc, IACFUnknown* propertyMap, Opaque a, Opaque b,
                                  Opaque c) = 0; // 16
    virtual Result AddProcessProcWith(Opaque a, Opaque b, IACFUnknown* propertyMap, Opaque c, Opaque d,
                                      Opaque e) = 0; // 17
    virtual Result FieldOperation18(Opaque a) = 0;   // 18

protected:
    ~IHostComponentDescriptor() = default;
};

class IHostComponentDescriptorV2 : public IHostComponentDescriptor
{
public:
    virtual Result Operation19(Opaque a) = 0; // 19

protected:
    ~IHostComponentDescriptorV2() = default;
};

// Property values are 32-bit; the getters answer whether the property is set.
class IHostPropertyMap : public IACFUnknown
{
public:
    virtual bool GetProperty(std::uint32_t propertyId, std::int32_t* value) const = 0; // 3
    virtual Result AddProperty(std::uint32_t propertyId, std::int32_t value) = 0;      // 4
    virtual Result RemoveProperty(std::uint32_t propertyId) = 0;                       // 5

protected:
    ~IHostPropertyMap() = default;
};

class IHostPropertyMapV2 : public IHostPropertyMap
{
public:
    virtual Result AddPropertyWith(std::uint32_t propertyId, Opaque value) = 0;      // 6
    virtual bool GetPropertyWith(std::uint32_t propertyId, Opaque* value) const = 0; // 7

protected:
    ~IHostPropertyMapV2() = default;
};

class IHostServices : public IACFUnknown
{
public:
    virtual Result Operation3(Opaque a) = 0;                           // 3
    virtual Result Trace(std::int32_t priority, const char* text) = 0; // 4

protected:
    ~IHostServices() = default;
};

class IHostController : public IACFUnknown
{
public:
    virtual Result Query3(Opaque out) const = 0;                        // 3
    virtual Result GetSampleRate(float* rate) const = 0;                // 4
    virtual Result GetInputStemFormat(std::int32_t* format) const = 0;  // 5
    virtual Result GetOutputStemFormat(std::int32_t* format) const = 0; // 6
    virtual Result Query7(Opaque out) const = 0;                        // 7
    virtual Result Query8(Opaque out) const = 0;                        // 8
    virtual Result Query9(Opaque out) const = 0;                        // 9
    virtual Result SetSignalLatency(std::int32_t samples) = 0;          // 10
    virtual Result Query11(Opaque out) const = 0;                       // 11
    virtual Result Query12(Opaque out) const = 0;                       // 12
    virtual Result Operation13(Opaque a) = 0;                           // 13
    virtual Result Operation14(Opaque a) = 0;                           // 14
    virtual Result Operation15(Opaque a) = 0;                           // 15
    virtual Result Operation16(Opaque a) = 0;                           // 16
    virtual Result Operation17(Opaque a) = 0;                           // 17
    virtual Result Operation18(Opaque a) = 0;                           // 18
    virtual Result Operation19(Opaque a) = 0;                           // 19

protected:
    ~IHostController() = default;
};

class IHostControllerV2 : public IHostController
{
public:
    virtual Result Operation20(Opaque a) = 0;              // 20
    virtual Result Operation21(Opaque a) = 0;              // 21
    virtual Result Query22(std::int32_t* value) const = 0; // 22
    virtual Result Operation23(Opaque a) = 0;              // 23

protected:
    ~IHostControllerV2() = default;
};

class IHostTransport : public IACFUnknown
{
public:
    virtual Result GetCurrentTempo(double* beatsPerMinute) const = 0;                             // 3
    virtual Result GetCurrentMeter(std::int32_t* numerator, std::int32_t* denominator) const = 0; // 4
    virtual Result IsTransportPlaying(bool* playing) const = 0;                                   // 5
    virtual Result GetCurrentTickPosition(std::int64_t* ticks) const = 0;                         // 6
    virtual Result GetCurrentLoopPosition(bool* looping, std::int64_t* startTicks,
                                          std::int64_t* endTicks) const = 0;        // 7
    virtual Result GetCurrentNativeSampleLocation(std::int64_t* samples) const = 0; // 8
    virtual Result Query9(Opaque out) const = 0;                                    // 9
    virtual Result Query10(Opaque a, Opaque b, Opaque c, Opaque d) const = 0;       // 10
    virtual Result GetTicksPerQuarter(std::uint32_t* ticks) const = 0;              // 11
    virtual Result Query12(Opaque out) const = 0;                                   // 12

protected:
    ~IHostTransport() = default;
};

class IHostTransportV2 : public IHostTransport
{
public:
    virtual Result Query13(Opaque out) const = 0;                                                // 13
    virtual Result GetTimeCodeInfo(std::int32_t* frameRateCode, std::int32_t* offset) const = 0; // 14
    virtual Result Query15(Opaque out) const = 0;                                                // 15
    virtual Result Query16(Opaque out) const = 0;                                                // 16

protected:
    ~IHostTransportV2() = default;
};

class IHostAutomationDelegate : public IACFUnknown
{
public:
    virtual Result RegisterParameter(const char* parameterId) = 0;                      // 3
    virtual Result UnregisterParameter(const char* parameterId) = 0;                    // 4
    virtual Result PostSetValueRequest(const char* parameterId, double normalized) = 0; // 5
    virtual Result PostCurrentValue(const char* parameterId, double normalized) = 0;    // 6
    virtual Result PostTouchRequest(const char* parameterId) = 0;                       // 7
    virtual Result PostReleaseRequest(const char* parameterId) = 0;                     // 8
    virtual Result Operation9(Opaque a) = 0;                                            // 9

protected:
    ~IHostAutomationDelegate() = default;
};

// The editor's size as the view container takes it: height first.
struct ViewSize
{
    float height;
    float width;
};

// View type 3: GetPtr answers a native window handle (on Linux, an X11 window id).
constexpr std::int32_t kViewTypeNativeWindow = 3;

class IHostViewContainer : public IACFUnknown
{
public:
    virtual std::int32_t GetType() = 0;                                                            // 3
    virtual void* GetPtr() = 0;                                                                    // 4
    virtual Result GetModifiers(std::uint32_t* modifiers) = 0;                                     // 5
    virtual Result SetViewSize(const ViewSize& size) = 0;                                          // 6
    virtual Result HandleParameterMouseDown(const char* parameterId, std::uint32_t modifiers) = 0; // 7
    virtual Result HandleParameterMouseDrag(const char* parameterId, std::uint32_t modifiers) = 0; // 8
    virtual Result HandleParameterMouseUp(const char* parameterId, std::uint32_t modifiers) = 0;   // 9

protected:
    ~IHostViewContainer() = default;
};

class IHostProcessorDelegate : public IACFUnknown
{
public:
    // 3: the host's audio at `location`; *windowSize in: wanted, out: delivered.
    virtual Result GetAudio(const float* const* inputs, std::int32_t inputCount, std::int64_t location,
                            std::int32_t* windowSize) = 0;
    virtual std::int32_t GetSideChainInputNum() = 0; // 4

protected:
    ~IHostProcessorDelegate() = default;
};

class IHostProcessorDelegateV2 : public IHostProcessorDelegate
{
public:
    virtual Result Operation5(Opaque a) = 0; // 5

protected:
    ~IHostProcessorDelegateV2() = default;
};

} // namespace vk::aax
