// Changes while the sound runs: a move of either ITD band bound, a switch between any two factory presets,
// and host automation jumping every parameter between 0 and 1 may change the level, but never burst above
// what the settings before and after the change give.
//
// Levels are peaks of stereo noise of peak 0.5; "settled" is the peak of the same length of output once
// the change is over. The worst figure of each test is printed for the record.

#include "product_test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

using namespace latiphonix;

namespace
{

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

constexpr float kInputPeak = 0.5f;

float peakOf(const StereoSignal& s, int from, int to)
{
    float peak = 0.0f;
    for (int i = from; i < to; ++i)
    {
        const float l = s.left[std::size_t(i)], r = s.right[std::size_t(i)];
        if (!std::isfinite(l) || !std::isfinite(r))
            return std::numeric_limits<float>::infinity();
        peak = std::max({peak, std::abs(l), std::abs(r)});
    }
    return peak;
}

double decibels(double ratio)
{
    return 20.0 * std::log10(std::max(ratio, 1e-30));
}

// The bound values walked through, and a walk over them that makes each of the 12 ordered changes once.
constexpr float kBoundValues[] = {0.0f, 0.25f, 0.5f, 1.0f};
constexpr int kBoundWalk[] = {0, 1, 0, 2, 0, 3, 1, 2, 1, 3, 2, 3, 0};

class TransitionTest : public ProductTest
{
protected:
    // Runs `samples` (rounded up to whole blocks) of fresh noise and returns the output.
    StereoSignal play(int samples, int blockSize)
    {
        const int blocks = (samples + blockSize - 1) / blockSize;
        auto signal = makeStereoNoise(blocks * blockSize, noiseSeed++, kInputPeak);
        run(signal, blockSize);
        return signal;
    }

    // One change measured: the peak from the change on, over the larger of the settled peaks before it
    // and after it (the second half of what follows the change), in dB.
    double overSettled(float settledBefore, const StereoSignal& after, float& settledAfter)
    {
        const int half = after.size() / 2;
        settledAfter = peakOf(after, half, after.size());
        return decibels(peakOf(after, 0, after.size()) / std::max(settledBefore, settledAfter));
    }
};

TEST_F(TransitionTest, ItdBoundChangesStayNearTheSettledLevel)
{
    struct Setting
    {
        double rate;
        int blockSize;
    };
    std::vector<Setting> settings;
    for (double rate : {22050.0, 48000.0, 192000.0})
        for (int blockSize : {1, 512, 4096})
            settings.push_back({rate, blockSize});
    const int presets = LatiphonixProcessor::getNumFactoryPresets();
    // Each change is followed by 2 x 12 ms (at least two blocks): time for the old filters' ring to show,
    // and for a settled reading after it.
    constexpr double kHalfSeconds = 0.012;

    create();
    double worst = -1e9;
    for (const Setting& s : settings)
        for (int preset = 0; preset < presets; preset += (kSanitized ? 13 : 1))
        {
            if (kSanitized && s.blockSize == 1 && s.rate > 48000.0)
                continue;
            const int segment = std::max(2 * int(s.rate * kHalfSeconds), 2 * s.blockSize);
            processor->setCurrentProgram(preset);
            prepare(s.rate, s.blockSize);
            float settled = peakOf(play(segment, s.blockSize), segment / 2, segment);
            for (int bound : {kItdHighBound, kItdLowBound})
                for (int step : kBoundWalk)
                {
                    const float value = kBoundValues[step];
                    set(bound, value);
                    tick();
                    float settledAfter = 0.0f;
                    const double db = overSettled(settled, play(segment, s.blockSize), settledAfter);
                    worst = std::max(worst, db);
                    ASSERT_LT(db, 6.0) << processor->getProgramName(preset) << " bound " << bound << " -> "
                                       << value << " at " << s.rate << " Hz, blocks of " << s.blockSize;
                    settled = settledAfter;
                }
        }
    std::printf("ITD bound changes: worst peak %.2f dB over the settled output\n", worst);
}

TEST_F(TransitionTest, EveryPresetSwitchStaysNearTheSettledLevels)
{
    constexpr double kRate = 48000.0;
    constexpr int kBlock = 512;
    const int presets = LatiphonixProcessor::getNumFactoryPresets();
    // Before the switch, the preset's settled sound; after it, 100 ms (where the old filters' ring peaked
    // 30 ms after the change).
    const int before = int(kRate * 0.03), after = int(kRate * 0.1);
    const int stride = kSanitized ? 7 : 1;

    create();
    // Each preset's own settled peak, from the same noise length as a switch's window.
    std::vector<float> settled(static_cast<std::size_t>(presets));
    for (int preset = 0; preset < presets; ++preset)
    {
        processor->setCurrentProgram(preset);
        prepare(kRate, kBlock);
        play(before, kBlock);
        const auto out = play(after, kBlock);
        settled[std::size_t(preset)] = peakOf(out, 0, out.size());
    }

    double worst = -1e9;
    for (int from = 0; from < presets; from += stride)
        for (int to = 0; to < presets; ++to)
        {
            processor->setCurrentProgram(from);
            prepare(kRate, kBlock);
            play(before, kBlock);
            processor->setCurrentProgram(to);
            tick();
            const auto out = play(after, kBlock);
            const double db = decibels(peakOf(out, 0, out.size()) /
                                       std::max(settled[std::size_t(from)], settled[std::size_t(to)]));
            worst = std::max(worst, db);
            ASSERT_LT(db, 6.0) << processor->getProgramName(from) << " -> " << processor->getProgramName(to);
        }
    std::printf("Preset switches: worst peak %.2f dB over the settled output of either preset\n", worst);
}

TEST_F(TransitionTest, AutomationJumpingEveryParameterStaysWithinTwelveDecibelsOfTheInput)
{
    // Host automation as a sequencer plays it: every block, each parameter may jump to 0 or to 1; the
    // processor timer runs every 50 ms. Rates and blocks as hosts use them.
    struct Run
    {
        double rate;
        int blockSize;
    };
    const double seconds = kSanitized ? 1.0 : 4.0;
    std::mt19937 random(2024u);
    create();
    double worst = -1e9;
    for (const Run r : {Run{48000.0, 512}, Run{192000.0, 4096}, Run{22050.0, 64}, Run{44100.0, 1}})
    {
        prepare(r.rate, r.blockSize);
        const int blocks = int(r.rate * seconds) / r.blockSize;
        const int blocksPerTick = std::max(1, int(r.rate * 0.05) / r.blockSize);
        for (int block = 0; block < blocks; ++block)
        {
            for (int index = 0; index < kNumParameters; ++index)
                if (random() % 8 == 0)
                    processor->setParameter(index, float(random() % 2));
            if (block % blocksPerTick == 0)
                tick();
            const auto out = play(r.blockSize, r.blockSize);
            const double db = decibels(peakOf(out, 0, out.size()) / kInputPeak);
            worst = std::max(worst, db);
            ASSERT_LT(db, 12.0) << "block " << block << " at " << r.rate << " Hz, blocks of " << r.blockSize;
        }
    }
    std::printf("Automation with 0/1 jumps: worst peak %.2f dB over the input peak\n", worst);
}

} // namespace
