// The sound at every sampling rate a host may use: every factory preset near its input level and bounded,
// random automation of every parameter bounded, the IID path's level with its low bands, rate changes
// and bypass from the first block, and the meters with short blocks.

#include "product_test_support.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

using namespace latiphonix;

namespace
{

constexpr double kRates[] = {22050.0, 32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0};
constexpr float kAmplitude = 0.5f;

// Far above anything a setting can do to a signal of kAmplitude (the output gains reach 2, the width
// doubles the side signal), far below what an unstable filter reaches.
constexpr float kBound = 8.0f;

double levelDb(const StereoSignal& out, const StereoSignal& in, int skip)
{
    return 10.0 * std::log10((energy(out.left, skip) + energy(out.right, skip)) /
                             (energy(in.left, skip) + energy(in.right, skip)));
}

TEST_F(ProductTest, EveryPresetStaysBoundedAndNearItsInputLevelAtEveryRate)
{
    // On uncorrelated input the widest presets are louder by design: Linear Width 1.0 doubles the side
    // signal (+4 dB), and ITD Width 1.0 adds the delayed mid to it on top (+7 dB at most). What no preset
    // may do is depend on the rate: the band layout is a fraction of it, and so was the fault of low bands
    // that added the whole signal once more per band.
    create();
    const int presets = LatiphonixProcessor::getNumFactoryPresets();
    std::vector<double> lowest(std::size_t(presets), 1e9), highest(std::size_t(presets), -1e9);
    for (double rate : kRates)
        for (int preset = 0; preset < presets; ++preset)
        {
            processor->setCurrentProgram(preset);
            prepare(rate, 512);
            const int length = int(rate * 0.75);
            auto signal = makeStereoNoise(length, unsigned(preset + 1));
            const auto input = signal;
            run(signal);
            ASSERT_LT(peakOf(signal), kBound) << "preset " << preset << " at " << rate;
            const double db = levelDb(signal, input, length / 3);
            EXPECT_LT(std::abs(db), 7.5) << processor->getProgramName(preset) << " at " << rate;
            lowest[std::size_t(preset)] = std::min(lowest[std::size_t(preset)], db);
            highest[std::size_t(preset)] = std::max(highest[std::size_t(preset)], db);
        }
    for (int preset = 0; preset < presets; ++preset)
        EXPECT_LT(highest[std::size_t(preset)] - lowest[std::size_t(preset)], 2.0)
            << processor->getProgramName(preset);
}

TEST_F(ProductTest, RandomAutomationOfEveryParameterStaysBoundedAtEveryRate)
{
    create();
    std::mt19937 random(12345u);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (double rate : kRates)
    {
        prepare(rate, 512);
        for (int step = 0; step < 120; ++step)
        {
            // A handful of values per step, from the host or the editor, sometimes at the extremes.
            for (int change = 0; change < 4; ++change)
            {
                const int index = int(random() % kNumParameters);
                float value = unit(random);
                if (random() % 4 == 0)
                    value = float(random() % 2);
                if (random() % 2 == 0)
                    processor->setParameter(index, value);
                else
                    set(index, value);
            }
            if (random() % 3 == 0)
                tick();
            const int blockSize = 1 + int(random() % 2048);
            auto signal = makeStereoNoise(int(random() % 4096) + 1, unsigned(step));
            run(signal, blockSize);
            ASSERT_LT(peakOf(signal), kBound) << "step " << step << " at " << rate;
        }
    }
}

// IID only, every other path off, the bank fully laid out.
class IidLevelTest : public ProductTest
{
protected:
    void configure(double rate, float focusLower, float focusUpper, float lowBound, float highBound)
    {
        create();
        set(kResolution, 0.009f, kIidFocusLower, focusLower, kIidFocusUpper, focusUpper, kIidLowBound,
            lowBound, kIidHighBound, highBound);
        allPathsOff();
        set(kIidEnabled, 1.0f, kIidWidth, 1.0f);
        prepare(rate, 512);
        // Long enough for the morph to lay the bank out if prepare left that to it.
        settle(160 * 1024);
    }
};

TEST_F(IidLevelTest, LowAndNeutralBandsKeepTheLevelAtEveryRate)
{
    for (double rate : kRates)
    {
        // Ten pairs between 20 and 57 Hz, below the lowest designable centre at 48 kHz and above: the
        // path must leave a sine far from them as it is.
        configure(rate, 0.0f, 0.15f, 0.0f, 1.0f);
        ASSERT_EQ(algo().getBandCount(), 10) << rate;
        StereoSignal sine;
        for (int i = 0; i < int(rate / 2); ++i)
            sine.left.push_back(kAmplitude * float(std::sin(2.0 * 3.14159265358979 * 1000.0 * i / rate)));
        sine.right = sine.left;
        const auto sineIn = sine;
        run(sine);
        // (The skirts of ten designable pairs at the lowest rates add up to about 1.5 dB at 1 kHz.)
        EXPECT_NEAR(levelDb(sine, sineIn, sine.size() / 2), 0.0, 2.0) << rate;

        // The whole range: ten pairs from 20 Hz up, the lowest of them neutral at the higher rates.
        configure(rate, 0.0f, 1.0f, 0.0f, 1.0f);
        ASSERT_EQ(algo().getBandCount(), 10) << rate;
        auto noise = makeStereoNoise(int(rate / 2), 3u);
        const auto noiseIn = noise;
        run(noise);
        EXPECT_NEAR(levelDb(noise, noiseIn, noise.size() / 4), 0.0, 0.5) << rate;
    }
}

TEST_F(ProductTest, ARateChangeStartsFromRestWithoutABurst)
{
    create();
    processor->setCurrentProgram(0);
    prepare(44100.0, 512);
    auto warm = makeStereoNoise(88200, 1u);
    run(warm);
    const float steady = peakOf(warm, 44100);

    // The host suspends, sets the new rate and resumes: the first blocks at the new rate are no louder
    // than the program at rest there. Then changes every few blocks, as some hosts do while configuring.
    unsigned seed = 10;
    for (double rate : {48000.0, 192000.0, 96000.0, 176400.0, 88200.0, 44100.0, 22050.0, 32000.0})
    {
        prepare(rate, 512);
        auto first = makeStereoNoise(4096, seed++);
        run(first);
        EXPECT_LT(peakOf(first), steady * 1.41f) << rate;
    }
    std::mt19937 random(5u);
    for (int change = 0; change < 40; ++change)
    {
        // The rates a blow-up below 44.1 kHz would not explain.
        prepare(kRates[2 + random() % 6], 256);
        auto blocks = makeStereoNoise(256 * int(1 + random() % 4), seed++);
        run(blocks, 256);
        EXPECT_LT(peakOf(blocks), steady * 1.41f) << change;
    }
}

TEST_F(ProductTest, BypassSetBeforeTheFirstBlockPassesTheInputFromItsFirstSample)
{
    create();
    processor->setCurrentProgram(4);
    set(kBypass, 1.0f);
    prepare(48000.0, 512);
    auto signal = makeStereoNoise(4096, 2u);
    const auto input = signal;
    run(signal);
    expectSameSignal(signal, input, 1e-15f);
}

TEST_F(ProductTest, MetersReadEveryBlockHoweverShort)
{
    create();
    set(kAnalysis, 1.0f);
    prepare(48000.0, 512);
    // Noise of amplitude 0.5 peaks near -6 dB: 0.9 on the meter's -60..0 dB scale.
    for (int blockSize : {1, 7, 32, 100, 127, 128, 512})
    {
        int quiet = 0;
        for (int block = 0; block < 300; ++block)
        {
            auto signal = makeStereoNoise(blockSize, unsigned(block));
            run(signal, blockSize);
            quiet += algo().getInputMeter() < 0.5f || algo().getOutputMeter() < 0.5f;
        }
        // A block of one sample may hold a quiet sample; every other block size reads the signal.
        EXPECT_LE(quiet, blockSize == 1 ? 10 : 0) << blockSize;
    }
}

} // namespace
