#pragma once

// The processor's view of the host transport, from the last process context the host passed.
// [audio thread] No allocation.

#include <juce_audio_basics/juce_audio_basics.h>
#include <pluginterfaces/vst/ivstprocesscontext.h>

#include <array>
#include <atomic>
#include <cstdint>

namespace vk::vst3
{

// The last process context the host passed, handed from the audio thread to readers on any thread (a
// host parameter change reads the tempo on its UI thread): the writer stores it word by word between
// two steps of a sequence count, and a reader takes a copy only when the count was even and unchanged
// across it, so it never sees half of one context and half of the next. publish: [audio thread, one
// at a time] lock-free, no allocation; read: [any thread] lock-free, retries while a write is under way.
class ProcessContextExchange
{
public:
    void publish(const Steinberg::Vst::ProcessContext& context) noexcept;
    Steinberg::Vst::ProcessContext read() const noexcept;
    // Whether the host has passed any context yet: until then read() answers an empty record, which
    // claims a tempo, a position and a stopped transport the host never gave.
    bool hasContext() const noexcept { return m_sequence.load(std::memory_order_acquire) != 0; }

private:
    static constexpr std::size_t kWords = (sizeof(Steinberg::Vst::ProcessContext) + 7) / 8;
    std::atomic<std::uint32_t> m_sequence{0};
    std::array<std::atomic<std::uint64_t>, kWords> m_words{};
};

// Nothing before processing has started. Frame rates follow the context's frames per second and its
// pull-down and drop flags: 24 with pull-down is 23.976, 30 with pull-down is 29.97 (a host that writes
// 29 means the same), each with the drop flag as given.
juce::Optional<juce::AudioPlayHead::PositionInfo>
positionFromContext(const Steinberg::Vst::ProcessContext& context, bool started);

} // namespace vk::vst3
