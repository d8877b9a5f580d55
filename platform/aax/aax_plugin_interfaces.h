#pragma once

// The interfaces the module implements and the AAX host calls: the string both sides write into, the
// chunk record, and the effect GUI, host processor and effect parameters. As in the host interfaces,
// declaration order is table order and positions 0 to 2 are IACFUnknown's.

#include "platform/aax/aax_host_interfaces.h"
#include "platform/aax/acf_unknown.h"

namespace vk::aax
{

class AAX_IParameter;

constexpr Guid kIID_EffectGUI{0x964E323D, 0x424C, 0x5E1A, {0x22, 0x27, 0x28, 0x24, 0x23, 0x22, 0x2E, 0x1E}};
constexpr Guid kIID_HostProcessor{
    0x964E3F3D, 0x434C, 0x5E3A, {0xA2, 0xE7, 0xE8, 0xF4, 0xF3, 0xD2, 0x2E, 0x2E}};
constexpr Guid kIID_EffectParameters{
    0x964E333D, 0x334C, 0x533F, {0xC2, 0xC7, 0x38, 0x34, 0xC3, 0xC2, 0x3E, 0x3E}};
constexpr Guid kIID_EffectParametersV2{
    0xF1F47D06, 0x308F, 0x4CC5, {0x9C, 0x7C, 0x50, 0xA8, 0x3F, 0x8A, 0xB8, 0x13}};

// An 8-bit string either side may read or write; lengths count bytes.
class AAX_IString
{
public:
    virtual ~AAX_IString() = default;
    virtual std::uint32_t Length() const = 0;
    virtual std::uint32_t MaxLength() const = 0;
    virtual const char* Get() const = 0;
    virtual void Set(const char* text) = 0;
    virtual AAX_IString& operator=(const char* text) = 0;
    virtual AAX_IString& operator=(const AAX_IString& other) = 0;

protected:
    AAX_IString() = default;
    AAX_IString(const AAX_IString&) = default;
};

// A chunk as the host hands it over: a fixed header, then `size` bytes of data.
struct ChunkRecord
{
    std::int32_t size; // bytes of data
    std::int32_t version;
    std::uint32_t reserved[3];
    std::uint32_t chunkId; // four-character code, first character in the most significant byte
    char name[32];
    char data[1]; // the first of `size` bytes
};

constexpr std::size_t kChunkRecordHeaderBytes = 56;

constexpr std::uint32_t fourCharCode(const char (&text)[5]) noexcept
{
    return (std::uint32_t(std::uint8_t(text[0])) << 24) | (std::uint32_t(std::uint8_t(text[1])) << 16) |
           (std::uint32_t(std::uint8_t(text[2])) << 8) | std::uint32_t(std::uint8_t(text[3]));
}

class AAX_IACFEffectGUI : public IACFUnknown
{
public:
    virtual Result Initialize(IACFUnknown* host) = 0;                                                  // 3
    virtual Result Uninitialize() = 0;                                                                 // 4
    virtual Result NotificationReceived(std::uint32_t type, const void* data, std::uint32_t size) = 0; // 5
    virtual Result SetViewContainer(IACFUnknown* viewContainer) = 0;                                   // 6
    virtual Result GetViewSize(ViewSize* size) const = 0;                                              // 7
    virtual Result Hook8(Opaque a) = 0;                                                                // 8
    virtual Result Hook9(Opaque a) = 0;                                                                // 9
    virtual Result ParameterUpdated(const char* parameterId) = 0;                                      // 10
    virtual Result Hook11(Opaque a) = 0;                                                               // 11
    virtual Result Hook12(Opaque a) = 0;                                                               // 12

protected:
    ~AAX_IACFEffectGUI() = default;
};

class AAX_IACFHostProcessor : public IACFUnknown
{
public:
    virtual Result Initialize(IACFUnknown* host) = 0; // 3
    virtual Result Uninitialize() = 0;                // 4
    virtual Result InitOutputBounds(std::int64_t sourceStart, std::int64_t sourceEnd, std::int64_t* destStart,
                                    std::int64_t* destEnd) = 0; // 5
    virtual Result SetLocation(std::int64_t location) = 0;      // 6
    // 7: *windowSize in: samples offered, out: samples written.
    virtual Result RenderAudio(const float* const* inputs, std::int32_t inputCount, float* const* outputs,
                               std::int32_t outputCount, std::int32_t* windowSize) = 0;
    virtual Result PreRender() = 0;  // 8
    virtual Result PostRender() = 0; // 9
    virtual Result AnalyzeAudio(const float* const* inputs, std::int32_t inputCount,
                                std::int32_t* windowSize) = 0; // 10
    virtual Result PreAnalyze() = 0;                           // 11
    virtual Result PostAnalyze() = 0;                          // 12

protected:
    ~AAX_IACFHostProcessor() = default;
};

class AAX_IACFEffectParameters : public IACFUnknown
{
public:
    virtual Result Initialize(IACFUnknown* host) = 0;                                                  // 3
    virtual Result Uninitialize() = 0;                                                                 // 4
    virtual Result NotificationReceived(std::uint32_t type, const void* data, std::uint32_t size) = 0; // 5
    virtual Result GetNumberOfParameters(std::int32_t* count) const = 0;                               // 6
    virtual Result GetMasterBypassParameter(AAX_IString* id) const = 0;                                // 7
    virtual Result GetParameterIsAutomatable(const char* id, bool* automatable) const = 0;             // 8
    virtual Result GetParameterNumberOfSteps(const char* id, std::int32_t* steps) const = 0;           // 9
    virtual Result GetParameterName(const char* id, AAX_IString* name) const = 0;                      // 10
    virtual Result GetParameterNameOfLength(const char* id, AAX_IString* name,
                                            std::int32_t maxLength) const = 0;                   // 11
    virtual Result GetParameterDefaultNormalizedValue(const char* id, double* value) const = 0;  // 12
    virtual Result SetParameterDefaultNormalizedValue(const char* id, double value) = 0;         // 13
    virtual Result GetParameterType(const char* id, std::int32_t* type) const = 0;               // 14
    virtual Result GetParameterOrientation(const char* id, std::int32_t* orientation) const = 0; // 15
    virtual Result GetParameter(const char* id, AAX_IParameter** parameter) = 0;                 // 16
    virtual Result GetParameterIndex(const char* id, std::int32_t* index) const = 0;             // 17
    virtual Result GetParameterIDFromIndex(std::int32_t index, AAX_IString* id) const = 0;       // 18
    virtual Result GetParameterValueInfo(const char* id, std::int32_t selector,
                                         std::int32_t* value) const = 0; // 19
    virtual Result GetParameterValueFromString(const char* id, double* value,
                                               const AAX_IString& text) const = 0; // 20
    virtual Result GetParameterStringFromValue(const char* id, double value, AAX_IString* text,
                                               std::int32_t maxLength) const = 0; // 21
    virtual Result GetParameterValueString(const char* id, AAX_IString* text,
                                           std::int32_t maxLength) const = 0;            // 22
    virtual Result GetParameterNormalizedValue(const char* id, double* value) const = 0; // 23
    virtual Result SetParameterNormalizedValue(const char* id, double value) = 0;        // 24
    virtual Result SetParameterNormalizedRelative(const char* id, double delta) = 0;     // 25
    virtual Result TouchParameter(const char* id) = 0;                                   // 26
    virtual Result ReleaseParameter(const char* id) = 0;                                 // 27
    virtual Result UpdateParameterTouch(const char* id, bool touched) = 0;               // 28
    virtual Result UpdateParameterNormalizedValue(const char* id, double value,
                                                  std::int32_t source) = 0;             // 29
    virtual Result UpdateParameterNormalizedRelative(const char* id, double delta) = 0; // 30
    virtual Result GenerateCoefficients() = 0;                                          // 31
    virtual Result ResetFieldData(std::uint32_t fieldIndex, void* block,
                                  std::uint32_t blockSize) const = 0;                         // 32
    virtual Result GetNumberOfChunks(std::int32_t* count) const = 0;                          // 33
    virtual Result GetChunkIDFromIndex(std::int32_t index, std::uint32_t* chunkId) const = 0; // 34
    virtual Result GetChunkSize(std::uint32_t chunkId, std::uint32_t* size) const = 0;        // 35
    virtual Result GetChunk(std::uint32_t chunkId, ChunkRecord* chunk) const = 0;             // 36
    virtual Result SetChunk(std::uint32_t chunkId, const ChunkRecord* chunk) = 0;             // 37
    virtual Result CompareActiveChunk(const ChunkRecord* chunk, bool* equal) const = 0;       // 38
    virtual Result GetNumberOfChanges(std::int32_t* count) const = 0;                         // 39
    virtual Result TimerWakeup() = 0;                                                         // 40
    virtual Result GetCurveData(std::uint32_t curveType, const float* values, std::uint32_t count,
                                float* outValues) const = 0; // 41
    virtual Result GetCustomData(std::uint32_t dataId, std::uint32_t size, void* data,
                                 std::uint32_t* written) const = 0; // 42

protected:
    ~AAX_IACFEffectParameters() = default;
};

class AAX_IACFEffectParameters_V2 : public AAX_IACFEffectParameters
{
public:
    virtual Result Operation43(Opaque a) = 0;                // 43
    virtual Result Operation44(Opaque a) = 0;                // 44
    virtual Result RenderAudio_Hybrid(void* renderInfo) = 0; // 45
    virtual Result Operation46(Opaque a) = 0;                // 46
    virtual Result Operation47(Opaque a) = 0;                // 47

protected:
    ~AAX_IACFEffectParameters_V2() = default;
};

} // namespace vk::aax
