// Changes while the sound runs: a move of either ITD band bound, a switch between any two factory presets,
// and host automation jumping every parameter between 0 and 1 may change the level, but never burst above
// what the settings before and after the change give. Input: stereo noise of peak 0.5.

#include "product_test_support.h"

#include <algorithm>
#include <cmath>
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

double decibels(double ratio)
{
    return 20.0 * std::log10(std::max(ratio, 1e-30));
}

class TransitionTest : public ProductTest
{
protected:
    // `samples` (rounded up to whole blocks) of fresh noise, processed.
    StereoSignal play(int samples, int blockSize)
    {
        auto signal =
            makeStereoNoise((samples + blockSize - 1) / blockSize * blockSize, noiseSeed++, kInputPeak);
        run(signal, blockSize);
        return signal;
    }
};

TEST_F(TransitionTest, ItdBoundChangesStayNearTheSettledLevel)
{
    constexpr float kBoundValues[] = {0.0f, 0.25f, 0.5f, 1.0f};
    constexpr int kBoundWalk[] = {0, 1, 0, 2, 0, 3, 1, 2, 1, 3, 2, 3, 0}; // each of the 12 ordered changes
    create();
    for (double rate : {22050.0, 48000.0, 192000.0})
        for (int blockSize : {1, 512, 4096})
            for (int preset = 0; preset < LatiphonixProcessor::getNumFactoryPresets();
                 preset += (kSanitized ? 13 : 1))
            {
                if (kSanitized && blockSize == 1 && rate > 48000.0)
                    continue;
                // 12 ms for the old filters' ring to show, 12 ms more for a settled reading after it.
                const int segment = std::max(2 * int(rate * 0.012), 2 * blockSize);
                processor->setCurrentProgram(preset);
                prepare(rate, blockSize);
                float settled = peakOf(play(segment, blockSize), segment / 2);
                for (int bound : {kItdHighBound, kItdLowBound})
                    for (int step : kBoundWalk)
                    {
                        set(bound, kBoundValues[step]);
                        tick();
                        const auto out = play(segment, blockSize);
                        const float settledAfter = peakOf(out, out.size() / 2);
                        ASSERT_LT(decibels(peakOf(out) / std::max(settled, settledAfter)), 6.0)
                            << processor->getProgramName(preset) << " bound " << bound << " -> "
                            << kBoundValues[step] << " at " << rate << " Hz, blocks of " << blockSize;
                        settled = settledAfter;
                    }
            }
}

TEST_F(TransitionTest, EveryPresetSwitchStaysNearTheSettledLevels)
{
    // The old filters' ring peaked 30 ms after a switch: 30 ms of the preset before, 100 ms after.
    const int presets = LatiphonixProcessor::getNumFactoryPresets(), before = 1440, after = 4800;
    create();
    std::vector<float> settled;
    for (int preset = 0; preset < presets; ++preset)
    {
        processor->setCurrentProgram(preset);
        prepare(48000.0, 512);
        play(before, 512);
        settled.push_back(peakOf(play(after, 512)));
    }
    for (int from = 0; from < presets; from += (kSanitized ? 7 : 1))
        for (int to = 0; to < presets; ++to)
        {
            processor->setCurrentProgram(from);
            prepare(48000.0, 512);
            play(before, 512);
            processor->setCurrentProgram(to);
            tick();
            ASSERT_LT(
                decibels(peakOf(play(after, 512)) / std::max(settled[size_t(from)], settled[size_t(to)])),
                6.0)
                << processor->getProgramName(from) << " -> " << processor->getProgramName(to);
        }
}

TEST_F(TransitionTest, AutomationJumpingEveryParameterStaysWithinTwelveDecibelsOfTheInput)
{
    // As a sequencer plays it: every block, each parameter may jump to 0 or 1; the timer runs every 50 ms.
    std::mt19937 random(2024u);
    create();
    const std::pair<double, int> runs[] = {{48000.0, 512}, {192000.0, 4096}, {22050.0, 64}, {44100.0, 1}};
    for (const auto& [rate, blockSize] : runs)
    {
        prepare(rate, blockSize);
        const int blocksPerTick = std::max(1, int(rate * 0.05) / blockSize);
        for (int block = 0; block < int(rate * (kSanitized ? 1.0 : 4.0)) / blockSize; ++block)
        {
            for (int index = 0; index < kNumParameters; ++index)
                if (random() % 8 == 0)
                    processor->setParameter(index, float(random() % 2));
            if (block % blocksPerTick == 0)
                tick();
            ASSERT_LT(decibels(peakOf(play(blockSize, blockSize)) / kInputPeak), 12.0)
                << "block " << block << " at " << rate << " Hz, blocks of " << blockSize;
        }
    }
}

} // namespace
