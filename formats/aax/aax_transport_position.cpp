#include "formats/aax/aax_transport_position.h"

namespace vk::aax
{

juce::Optional<juce::AudioPlayHead::FrameRate> frameRateFromTimeCode(std::int32_t code) noexcept
{
    const juce::AudioPlayHead::FrameRate rate;
    switch (code)
    {
    case 1:
        return rate.withBaseRate(24);
    case 2:
        return rate.withBaseRate(25);
    case 3:
        return rate.withBaseRate(30).withPullDown();
    case 4:
        return rate.withBaseRate(30).withPullDown().withDrop();
    case 5:
        return rate.withBaseRate(30);
    case 6:
        return rate.withBaseRate(30).withDrop();
    case 7:
        return rate.withBaseRate(60);
    default:
        return {};
    }
}

juce::Optional<juce::AudioPlayHead::PositionInfo> positionFromTransport(const AAX_ITransport* transport)
{
    if (transport == nullptr)
        return {};

    juce::AudioPlayHead::PositionInfo info;
    bool playing = false;
    if (transport->IsTransportPlaying(&playing) == 0)
        info.setIsPlaying(playing);

    if (playing)
    {
        double tempo = 120.0;
        const bool hasTempo = transport->GetCurrentTempo(&tempo) == 0 && tempo > 0.0;
        if (hasTempo)
            info.setBpm(tempo);

        std::int32_t numerator = 4;
        std::int32_t denominator = 4;
        if (transport->GetCurrentMeter(&numerator, &denominator) == 0 && numerator > 0 && denominator > 0)
            info.setTimeSignature(juce::AudioPlayHead::TimeSignature{numerator, denominator});

        bool looping = false;
        std::int64_t loopStart = 0;
        std::int64_t loopEnd = 0;
        if (transport->GetCurrentLoopPosition(&looping, &loopStart, &loopEnd) == 0)
        {
            info.setIsLooping(looping);
            info.setLoopPoints(juce::AudioPlayHead::LoopPoints{double(loopStart) / kTicksPerQuarter,
                                                               double(loopEnd) / kTicksPerQuarter});
        }

        std::int64_t ticks = 0;
        if (transport->GetCurrentTickPosition(&ticks) == 0)
        {
            std::uint32_t ticksPerQuarter = 0;
            if (transport->GetTicksPerQuarter(&ticksPerQuarter) == 0 && ticksPerQuarter != 0)
                info.setPpqPosition(double(ticks) / double(ticksPerQuarter));
            // Ticks are 1/960000 of a quarter note: seconds = ticks / 960000 * 60 / tempo.
            if (hasTempo)
                info.setTimeInSeconds(double(ticks) * 0.0000625 / tempo);
        }

        std::int64_t samples = 0;
        if (transport->GetCurrentNativeSampleLocation(&samples) == 0)
            info.setTimeInSamples(samples);
    }

    std::int32_t frameRateCode = 0;
    std::int32_t offset = 0;
    if (transport->GetTimeCodeInfo(&frameRateCode, &offset) == 0)
        info.setFrameRate(frameRateFromTimeCode(frameRateCode));
    return info;
}

} // namespace vk::aax
