#pragma once

// What the host hands the render callback and the hybrid render call: each field of a render context is
// one pointer, in the order the component descriptor numbered them (audio in 0, audio out 1, buffer length
// 2, then the private-data blocks 3 and 4 that the effect's ResetFieldData filled).

#include <cstdint>

namespace vk::aax
{

constexpr std::uint32_t kFieldAudioIn = 0;
constexpr std::uint32_t kFieldAudioOut = 1;
constexpr std::uint32_t kFieldBufferLength = 2;
constexpr std::uint32_t kFieldInstance = 3; // 8-byte block: the effect object's address
constexpr std::uint32_t kFieldPrepared = 4; // 4-byte block: non-zero once the effect is prepared

struct RenderContext
{
    const float* const* inputs;
    float* const* outputs;
    const std::int32_t* bufferLength;
    void* const* instance;
    const std::int32_t* prepared;
};

// The hybrid render call's record: the host's channels and the number of samples in them.
struct HybridRenderInfo
{
    const float* const* inputs;
    float* const* outputs;
    const std::int32_t* numSamples;
};

} // namespace vk::aax
