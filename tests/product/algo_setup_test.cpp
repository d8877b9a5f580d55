#include "product_test_support.h"

#include <algorithm>

using namespace latiphonix;

namespace
{

class BandLayoutTest : public ProductTest
{
protected:
    void SetUp() override
    {
        ProductTest::SetUp();
        prepare(48000.0);
        set(kIidFocusLower, 0.0f, kIidFocusUpper, 1.0f, kIidLowBound, 0.0f, kIidHighBound, 1.0f, kIidInvert,
            0.0f);
        tick();
    }
};

TEST_F(BandLayoutTest, EveryResolutionSpreadsItsPairsInsideTheAudibleRange)
{
    const float lowest = 20.0f / 48000.0f;
    const float highest = 22000.0f / 48000.0f;
    for (int n = 1; n <= 10; ++n)
    {
        set(kResolution, float(n - 1) / 1000.0f);
        tick();
        ASSERT_EQ(algo().getConfiguredBandCount(), n);
        ASSERT_EQ(algo().getTargetBandCount(), n);
        // Right and left centres alternate downwards with one constant ratio.
        float previous = highest * 1.0001f;
        const float ratio = std::pow(lowest / highest, 1.0f / float(2 * n + 1));
        for (int b = 0; b < n; ++b)
        {
            const float right = algo().getRightBandCentre(b);
            const float left = algo().getLeftBandCentre(b);
            EXPECT_LT(right, previous) << n << " " << b;
            EXPECT_LT(left, right);
            EXPECT_NEAR(left / right, ratio, 1e-4f);
            EXPECT_GT(left, lowest);
            previous = left;
        }
    }
}

TEST_F(BandLayoutTest, InvertSwapsTheSidesAndBoundsDropPairs)
{
    set(kResolution, 0.003f);
    tick();
    const float right0 = algo().getRightBandCentre(0);
    const float left0 = algo().getLeftBandCentre(0);
    set(kIidInvert, 1.0f);
    tick();
    EXPECT_EQ(algo().getLeftBandCentre(0), right0);
    EXPECT_EQ(algo().getRightBandCentre(0), left0);

    set(kIidLowBound, 0.5f);
    tick();
    const int withLowBound = algo().getTargetBandCount();
    EXPECT_LT(withLowBound, 4);
    EXPECT_GT(withLowBound, 0);
    set(kIidLowBound, 0.0f, kIidHighBound, 0.5f);
    tick();
    EXPECT_LT(algo().getTargetBandCount(), 4);
}

TEST_F(BandLayoutTest, BoundsKeepTheirMinimumGap)
{
    set(kIidLowBound, 0.95f);
    EXPECT_EQ(get(kIidHighBound), 1.0f);
    EXPECT_EQ(get(kIidLowBound), 0.95f);

    set(kIidHighBound, 0.55f, kIidLowBound, 0.5f);
    EXPECT_FLOAT_EQ(get(kIidHighBound), 0.58f);
    EXPECT_FLOAT_EQ(get(kIidLowBound), 0.5f);

    set(kItdHighBound, 0.3f);
    EXPECT_FLOAT_EQ(get(kItdLowBound), 0.22f);
    set(kItdLowBound, 0.9f);
    EXPECT_FLOAT_EQ(get(kItdHighBound), 0.98f);

    set(kIidFocusUpper, 0.05f);
    EXPECT_FLOAT_EQ(get(kIidFocusLower), 0.0f);
    set(kIidFocusLower, 0.4f);
    EXPECT_FLOAT_EQ(get(kIidFocusUpper), 0.48f);
}

TEST_F(BandLayoutTest, HostChangesPushTheirPartnerAsHostChanges)
{
    RecordingListener listener;
    const auto reported = [&listener](int index)
    { return !listener.eventsStartingWith("change " + std::to_string(index) + " ").empty(); };
    processor->addListener(&listener);
    set(kIidHighBound, 0.5f);
    listener.clear();
    processor->setParameter(kIidLowBound, 0.6f);
    EXPECT_FLOAT_EQ(get(kIidHighBound), 0.68f);
    EXPECT_TRUE(processor->getParameterRecord(kIidHighBound).changedByHost.load());
    EXPECT_FALSE(reported(kIidHighBound));
    set(kIidLowBound, 0.7f);
    EXPECT_FLOAT_EQ(get(kIidHighBound), 0.78f);
    EXPECT_TRUE(reported(kIidHighBound));
    processor->removeListener(&listener);
}

TEST_F(BandLayoutTest, SoloesExcludeEachOther)
{
    set(kSoloRight, 1.0f, kSoloLeft, 1.0f);
    EXPECT_EQ(get(kSoloRight), 0.0f);
    EXPECT_EQ(get(kSoloLeft), 1.0f);
    set(kSoloRight, 1.0f);
    EXPECT_EQ(get(kSoloLeft), 0.0f);
    set(kSoloRight, 0.0f);
    EXPECT_EQ(get(kSoloLeft), 0.0f);
}

TEST_F(BandLayoutTest, FocusRangeWithoutWidthHoldsNoPairs)
{
    // Reachable by automation: the push on the upper edge is capped at 1.0, so both edges meet.
    set(kIidHighBound, 0.9f, kIidFocusUpper, 1.0f, kIidFocusLower, 1.0f);
    ASSERT_EQ(get(kIidFocusLower), 1.0f);
    ASSERT_EQ(get(kIidFocusUpper), 1.0f);
    tick();
    EXPECT_EQ(algo().getTargetBandCount(), 0);

    // The bank empties and the audio stays finite; moving the edge back restores the pairs.
    auto signal = makeMonoNoise(48000, 0.5f, 3);
    run(signal);
    EXPECT_TRUE(allFinite(signal));
    set(kIidFocusLower, 0.0f);
    tick();
    EXPECT_GT(algo().getTargetBandCount(), 0);
}

struct FixedTempo : juce::AudioPlayHead
{
    explicit FixedTempo(double bpm) : m_bpm(bpm) {}
    juce::Optional<PositionInfo> getPosition() const override
    {
        if (m_bpm <= 0.0)
            return {};
        PositionInfo info;
        info.setBpm(m_bpm);
        return info;
    }
    double m_bpm;
};

TEST_F(ProductTest, DynamicsRateSpansItsRangeAndTempoSyncQuantisesThePeriod)
{
    prepare();
    set(kTempoSync, 0.0f, kDynamics, 1.0f, kDynamicsSpeed, 0.0f);
    EXPECT_NEAR(algo().getDynamicsRate(), 0.00625f, 1e-6f);
    set(kDynamicsSpeed, 1.0f);
    EXPECT_NEAR(algo().getDynamicsRate(), 0.9938f, 1e-3f);

    // Without a play head the tempo reads 2, so periods are whole half seconds.
    EXPECT_EQ(algo().getHostTempo(), 2.0);
    set(kTempoSync, 1.0f);
    EXPECT_NEAR(algo().getDynamicsRate(), 1.0f, 1e-6f);

    FixedTempo tempo(120.0);
    processor->setPlayHead(&tempo);
    EXPECT_EQ(algo().getHostTempo(), 120.0);
    for (float speed : {0.2f, 0.5f, 0.8f, 1.0f})
    {
        set(kTempoSync, 0.0f, kDynamicsSpeed, speed);
        const float freeRate = algo().getDynamicsRate();
        set(kTempoSync, 1.0f);
        const double period = 1.0 / double(algo().getDynamicsRate());
        const double units = period * 120.0;
        EXPECT_NEAR(units, std::round(units), 1e-3) << speed;
        EXPECT_GE(units, 1.0 - 1e-6);
        EXPECT_LE(period, 1.0 / double(freeRate) + 1e-6);
        EXPECT_GT(period, 1.0 / double(freeRate) - 1.0 / 120.0);
    }

    FixedTempo noPosition(0.0);
    processor->setPlayHead(&noPosition);
    EXPECT_EQ(algo().getHostTempo(), 0.0);
    processor->setPlayHead(nullptr);
}

using ItdTest = ProductTest;

TEST_F(ItdTest, AcuitySetsTheDelayAndTheBoundsSetCornersBelowHalfTheRate)
{
    create();
    const auto delayAt = [this](double rate, float acuity)
    {
        set(kAcuity, acuity);
        prepare(rate, 512);
        return algo().getItdTargetDelay();
    };
    EXPECT_EQ(delayAt(44100.0, 0.0f), 10);
    EXPECT_NEAR(delayAt(48000.0, 1.0f), 360, 1);
    EXPECT_NEAR(delayAt(48000.0, 0.5f), 184, 1);
    EXPECT_NEAR(delayAt(96000.0, 1.0f), 720, 1);

    // The corners are pulled inwards from the bounds.
    set(kItdLowBound, 0.25f, kItdHighBound, 0.75f);
    tick();
    EXPECT_NEAR(algo().getItdLowCornerHz(), frequencyForValue(0.45f), 0.01f);
    EXPECT_NEAR(algo().getItdHighCornerHz(), frequencyForValue(0.5f), 0.01f);
    // The widest bounds: 20 Hz to 22 kHz where the rate allows it, else just below half the rate.
    set(kItdHighBound, 1.0f, kItdLowBound, 0.0f);
    for (double rate : {22050.0, 32000.0, 44100.0, 48000.0})
    {
        prepare(rate, 512);
        EXPECT_NEAR(algo().getItdHighCornerHz(), std::min(22000.0f, 0.49f * float(rate)), 1.0f) << rate;
        EXPECT_NEAR(algo().getItdLowCornerHz(), 20.0f, 0.01f);
    }
}

TEST_F(ProductTest, LinkStoresTheOffsetsBetweenThePaths)
{
    create();
    set(kLink, 0.0f, kIidWidth, 0.9f, kItdWidth, 0.4f, kLink, 1.0f);
    EXPECT_FLOAT_EQ(algo().getLinkOffset(0), 0.5f);
}

} // namespace
