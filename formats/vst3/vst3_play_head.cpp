#include "formats/vst3/vst3_play_head.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace vk::vst3
{

using Steinberg::Vst::ProcessContext;

namespace
{

juce::AudioPlayHead::FrameRate frameRateOf(const Steinberg::Vst::FrameRate& rate)
{
    juce::AudioPlayHead::FrameRate result;
    int base = int(rate.framesPerSecond);
    bool pullDown = (rate.flags & Steinberg::Vst::FrameRate::kPullDownRate) != 0;
    if (base == 29)
    {
        base = 30;
        pullDown = true;
    }
    return result.withBaseRate(base).withPullDown(pullDown).withDrop(
        (rate.flags & Steinberg::Vst::FrameRate::kDropRate) != 0);
}

} // namespace

void ProcessContextExchange::publish(const ProcessContext& context) noexcept
{
    std::uint64_t words[kWords] = {};
    std::memcpy(words, &context, sizeof context);
    const auto sequence = m_sequence.load(std::memory_order_relaxed);
    m_sequence.store(sequence + 1, std::memory_order_relaxed);
    // Release stores: a reader that sees any new word also sees the odd count written before it.
    for (std::size_t i = 0; i < kWords; ++i)
        m_words[i].store(words[i], std::memory_order_release);
    m_sequence.store(sequence + 2, std::memory_order_release);
}

ProcessContext ProcessContextExchange::read() const noexcept
{
    std::uint64_t words[kWords] = {};
    for (int attempt = 0;; ++attempt)
    {
        const auto before = m_sequence.load(std::memory_order_acquire);
        if ((before & 1u) == 0)
        {
            // Acquire loads: the second look at the count cannot move before the words.
            for (std::size_t i = 0; i < kWords; ++i)
                words[i] = m_words[i].load(std::memory_order_acquire);
            if (m_sequence.load(std::memory_order_relaxed) == before)
                break;
        }
        // The audio thread is in the middle of a copy of a hundred bytes: it is done in a moment unless
        // it was preempted, when giving way lets it finish.
        if (attempt >= 16)
            std::this_thread::yield();
    }
    ProcessContext context{};
    std::memcpy(&context, words, sizeof context);
    return context;
}

juce::Optional<juce::AudioPlayHead::PositionInfo> positionFromContext(const ProcessContext& context,
                                                                      bool started)
{
    if (!started)
        return {};

    juce::AudioPlayHead::PositionInfo info;
    info.setBpm(std::max(context.tempo, 1.0));
    info.setTimeSignature(juce::AudioPlayHead::TimeSignature{std::max(1, int(context.timeSigNumerator)),
                                                             std::max(1, int(context.timeSigDenominator))});
    info.setTimeInSamples(std::max<juce::int64>(0, context.projectTimeSamples));
    info.setPpqPosition(context.projectTimeMusic);
    info.setPpqPositionOfLastBarStart(context.barPositionMusic);
    info.setLoopPoints(juce::AudioPlayHead::LoopPoints{context.cycleStartMusic, context.cycleEndMusic});
    info.setEditOriginTime(0.0);
    info.setIsPlaying((context.state & ProcessContext::kPlaying) != 0);
    info.setIsRecording((context.state & ProcessContext::kRecording) != 0);
    info.setIsLooping((context.state & ProcessContext::kCycleActive) != 0);
    if ((context.state & ProcessContext::kSmpteValid) != 0)
    {
        const auto rate = frameRateOf(context.frameRate);
        if (rate.getType() != juce::AudioPlayHead::fpsUnknown)
            info.setFrameRate(rate);
    }
    return info;
}

} // namespace vk::vst3
