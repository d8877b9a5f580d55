#include "product_test_support.h"

using namespace latiphonix;

namespace
{

// 100 control ticks of 1024 samples take every smoothed control from one end of its range to the other.
constexpr int kSettleSamples = 110 * 1024;

class ProcessingTest : public ProductTest
{
protected:
    void SetUp() override
    {
        ProductTest::SetUp();
        prepare(48000.0, 512);
        allPathsOff();
        // The layout follows the new values now, not whenever the framework timer happens to fire in the
        // middle of the settling run (it does on a slow machine).
        tick();
        // Right after prepare the fill path is on and glides off; start every test from the settled state.
        settle(kSettleSamples);
    }
};

TEST_F(ProcessingTest, EveryPathOffPassesTheInput)
{
    settle(kSettleSamples);
    auto stereo = makeStereoNoise(8192, 11);
    const auto input = stereo;
    run(stereo);
    expectSameSignal(stereo, input, 2e-7f);
}

TEST_F(ProcessingTest, BalanceAndSolosSilenceTheNamedChannel)
{
    struct Case
    {
        int index;
        float value;
        bool silentLeft;
    };
    for (const Case c : {Case{kBalance, 1.0f, true}, Case{kBalance, 0.0f, false},
                         Case{kSoloLeft, 1.0f, false}, Case{kSoloRight, 1.0f, true}})
    {
        allPathsOff();
        set(c.index, c.value);
        settle(4096);
        auto stereo = makeStereoNoise(4096, 31);
        run(stereo);
        const double left = energy(stereo.left, 0), right = energy(stereo.right, 0);
        EXPECT_LT(c.silentLeft ? left : right, (c.silentLeft ? right : left) * 1e-10)
            << c.index << " " << c.value;
        EXPECT_GT(c.silentLeft ? right : left, 100.0) << c.index;
    }
    // Just short of a full turn the far channel is about 30 dB down, not silent.
    allPathsOff();
    set(kBalance, 0.99f);
    settle(4096);
    auto stereo = makeStereoNoise(8192, 33);
    run(stereo);
    EXPECT_NEAR(10.0 * std::log10(energy(stereo.left, 0) / energy(stereo.right, 0)), -60.0 * 0.49, 1.0);
}

TEST_F(ProcessingTest, OutputStageKnownAnswers)
{
    // Each setting alone, settled, on independent noise: what comes out at every sample.
    struct Case
    {
        int index;
        float value;
        // Expected left and right from the inputs l and r at sample i (l1024: left 1024 samples back).
        float (*left)(float l, float r, float l1024);
        float (*right)(float l, float r, float l1024);
    };
    const Case cases[] = {
        {kPhaseShift, 1.0f, [](float, float, float l1024) { return l1024; },
         [](float, float r, float) { return r; }},
        {kPhaseInvert, 1.0f, [](float l, float, float) { return l; },
         [](float, float r, float) { return -r; }},
        // Width 1.0 doubles the side signal and keeps the mid.
        {kLinearWidth, 1.0f, [](float l, float r, float) { return 1.5f * l - 0.5f * r; },
         [](float l, float r, float) { return 1.5f * r - 0.5f * l; }},
        // Mono wins over any width.
        {kMono, 1.0f, [](float l, float r, float) { return 0.5f * (l + r); },
         [](float l, float r, float) { return 0.5f * (l + r); }},
    };
    for (const auto& c : cases)
    {
        allPathsOff();
        set(kLinearWidth, c.index == kMono ? 1.0f : 0.5f, c.index, c.value);
        settle(kSettleSamples);
        auto stereo = makeStereoNoise(8192, 41);
        const auto input = stereo;
        run(stereo);
        for (std::size_t k = 1024; k < input.left.size(); ++k)
        {
            const float l = input.left[k], r = input.right[k], l1024 = input.left[k - 1024];
            ASSERT_NEAR(stereo.left[k], c.left(l, r, l1024), 2e-5f) << c.index << " " << k;
            ASSERT_NEAR(stereo.right[k], c.right(l, r, l1024), 2e-5f) << c.index << " " << k;
        }
    }
}

TEST_F(ProcessingTest, BypassReachesThePureInput)
{
    // Everything that changes the signal on, then bypass.
    set(kIidEnabled, 1.0f, kItdEnabled, 1.0f, kItdFill, 1.0f, kLinearWidth, 0.9f, kPhaseShift, 0.3f, kBypass,
        1.0f);
    tick();
    settle(100 * 1024 + 1024);
    auto stereo = makeStereoNoise(4096, 51);
    const auto input = stereo;
    run(stereo);
    expectSameSignal(stereo, input, 1e-15f);
    // Switching back glides by 0.01 per tick, so the next ticks stay close to the input.
    set(kBypass, 0.0f);
    auto after = makeStereoNoise(2048, 53);
    const auto afterInput = after;
    run(after);
    double difference = 0.0, total = 0.0;
    for (std::size_t i = 1024; i < after.left.size(); ++i)
    {
        difference += std::abs(after.left[i] - afterInput.left[i]);
        total += std::abs(afterInput.left[i]);
    }
    EXPECT_GT(difference, 0.0);
    EXPECT_LT(difference, 0.1 * total);
}

TEST_F(ProcessingTest, IidPairsWidenAndInvertMirrors)
{
    // Side-to-mid energy around every band centre for mono noise in; left over right measured at the
    // non-inverted left centres, so both runs look at the same frequencies.
    const auto measure = [this](bool invert)
    {
        wholeRangeIid(0.003f);
        set(kIidInvert, invert ? 1.0f : 0.0f, kIidEnabled, 1.0f, kIidWidth, 1.0f);
        tick();
        settle(kSettleSamples);
        EXPECT_EQ(algo().getBandCount(), 4);
        auto signal = makeMonoNoise(96000, 0.5f, 61);
        run(signal);
        std::vector<float> side(signal.left.size()), mid(signal.left.size());
        for (std::size_t i = 0; i < side.size(); ++i)
        {
            side[i] = 0.5f * (signal.left[i] - signal.right[i]);
            mid[i] = 0.5f * (signal.left[i] + signal.right[i]);
        }
        std::vector<double> leftOverRight;
        for (int b = 0; b < 4; ++b)
        {
            const float centre = invert ? algo().getRightBandCentre(b) : algo().getLeftBandCentre(b);
            if (centre < 0.002f)
                continue;
            EXPECT_GT(bandEnergy(side, centre, 4096) / bandEnergy(mid, centre, 4096), 0.1) << b;
            leftOverRight.push_back(bandEnergy(signal.left, centre, 4096) /
                                    bandEnergy(signal.right, centre, 4096));
        }
        return leftOverRight;
    };
    // Each channel is cut at its own centres and raised at the other's.
    const auto normal = measure(false);
    ASSERT_GE(normal.size(), 3u);
    for (double ratio : normal)
        EXPECT_LT(ratio, 0.5);
    const auto inverted = measure(true);
    ASSERT_EQ(inverted.size(), normal.size());
    for (double ratio : inverted)
        EXPECT_GT(ratio, 2.0);
}

TEST_F(ProcessingTest, ItdDelaysTheMidIntoTheSide)
{
    set(kAcuity, 0.5f, kItdLowBound, 0.0f, kItdHighBound, 1.0f, kItdEnabled, 1.0f, kItdWidth, 1.0f);
    tick();
    settle(kSettleSamples);
    const int expected = algo().getItdTargetDelay();
    ASSERT_NEAR(expected, 184, 1);

    auto signal = makeMonoNoise(32768, 0.5f, 71);
    const auto input = signal.left;
    run(signal);
    int bestLag = -1;
    double best = 0.0;
    for (int lag = 0; lag < 400; ++lag)
    {
        double sum = 0.0;
        for (std::size_t i = 1000; i < input.size(); ++i)
            sum += double(signal.left[i] - signal.right[i]) * double(input[i - std::size_t(lag)]);
        if (sum > best)
        {
            best = sum;
            bestLag = lag;
        }
    }
    EXPECT_GE(bestLag, expected);
    EXPECT_LE(bestLag, expected + 3);
}

TEST_F(ProcessingTest, AutoLevelAnalysisSetsTheAmountsAfterThreeSeconds)
{
    algo().setClock(&manualClock);
    set(kLinearWidth, 1.0f);
    settle(kSettleSamples);

    algo().markAnalysisStart();
    ASSERT_TRUE(algo().isAnalysisRunning());
    // Left only: the width stage turns it into 1.5 x on the left and -0.5 x on the right.
    const auto leftOnly = [](int n, unsigned seed) {
        return StereoSignal{makeNoise(n, 0.5f, seed), std::vector<float>(std::size_t(n), 0.0f)};
    };
    for (int second = 0; second < 4 && algo().isAnalysisRunning(); ++second)
    {
        auto stereo = leftOnly(48000, unsigned(80 + second));
        run(stereo);
        manualNow += 1000;
    }
    auto last = leftOnly(512, 90);
    run(last);
    EXPECT_FALSE(algo().isAnalysisRunning());
    // The audio thread only hands the result over; the processor timer sets the values.
    tick();
    EXPECT_EQ(get(kAutoLevel), 1.0f);
    EXPECT_NEAR(get(kAutoLevelAmount0), 0.5f / 1.5f, 0.01f);
    // The right input held nothing but the guard noise, so its amount is left alone.
    EXPECT_EQ(get(kAutoLevelAmount1), 0.5f);

    // With the trim on, the left output comes back to the input level.
    settle(1024);
    auto check = leftOnly(8192, 91);
    const auto input = check.left;
    run(check);
    EXPECT_NEAR(energy(check.left, 0) / energy(input, 0), 1.0, 0.05);
}

TEST_F(ProcessingTest, DynamicsMovesTheBandGainsAtItsRate)
{
    set(kIidEnabled, 1.0f);
    wholeRangeIid(0.003f);
    // Without a play head the synced rate is exactly one cycle per second.
    set(kDynamics, 1.0f, kDynamicsShape, 0.002f, kDynamicsDepth, 1.0f, kDynamicsSpeed, 1.0f, kTempoSync,
        1.0f);
    tick();
    ASSERT_FLOAT_EQ(algo().getDynamicsRate(), 1.0f);
    settle(kSettleSamples);
    ASSERT_EQ(algo().getMorphState(), 0);

    // The square shape toggles every half cycle; the side energy follows the band gains.
    int toggles = 0;
    bool high = false;
    for (int block = 0; block < 5 * 48000 / 512; ++block)
    {
        auto signal = makeMonoNoise(512, 0.5f, unsigned(1000 + block));
        run(signal);
        const bool nowHigh = algo().getSlotGain(1) > 0.1f;
        toggles += block > 0 && nowHigh != high;
        high = nowHigh;
    }
    EXPECT_GE(toggles, 9);
    EXPECT_LE(toggles, 11);
}

TEST_F(ProcessingTest, OneLayoutChangeIsLaidOutOnce)
{
    // A new band count and new focus edges in the same tick: the bank is laid out once, so a later tick
    // with nothing new leaves the finished morph alone.
    set(kIidEnabled, 1.0f, kResolution, 0.003f, kIidFocusLower, 0.1f);
    tick();
    settle(kSettleSamples);
    ASSERT_EQ(algo().getMorphState(), 0);
    processor->requestTimerUpdate();
    tick();
    settle(1024);
    EXPECT_EQ(algo().getMorphState(), 0);
}

TEST_F(ProcessingTest, OneChannelBufferIsLeftAlone)
{
    std::vector<float> samples = makeNoise(512, 0.5f, 99);
    const auto input = samples;
    float* channels[] = {samples.data()};
    juce::AudioBuffer<float> buffer(channels, 1, 512);
    juce::MidiBuffer midi;
    algo().process(buffer, midi);
    EXPECT_EQ(samples, input);
}

TEST_F(ProcessingTest, AnalysisFeedsTheObserversAndMeters)
{
    set(kAnalysis, 1.0f);
    StereoSignal stereo{makeNoise(4096, 0.5f, 101), makeNoise(4096, 0.25f, 102)};
    run(stereo);
    auto* left = algo().getObserver(0);
    auto* right = algo().getObserver(1);
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    EXPECT_GE(left->getSwapCount(), 3);
    EXPECT_EQ(left->getSwapCount(), right->getSwapCount());
    EXPECT_GT(algo().getInputMeter(), 0.85f);
    EXPECT_GT(algo().getOutputMeter(), 0.5f);
    float peakL = 0.0f, peakR = 0.0f;
    EXPECT_TRUE(algo().takePublishedPeaks(peakL, peakR));
    EXPECT_GT(peakL, peakR);
    EXPECT_FALSE(algo().takePublishedPeaks(peakL, peakR));
}

} // namespace
