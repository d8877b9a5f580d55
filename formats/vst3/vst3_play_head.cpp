#include "formats/vst3/vst3_play_head.h"

#include <algorithm>

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
