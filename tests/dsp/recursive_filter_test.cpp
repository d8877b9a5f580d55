#include "dsp/recursive_filter_biquad.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace
{
constexpr double kTwoPi = 6.283185307179586476925286766559;

/** Steady-state gain for a cosine at f (fraction of the sampling rate): RMS out / RMS in after settling.
    Runs on a copy so the caller's filter keeps its state. */
double measureGain(CRecursiveFilter<float> filter, double f, int settle = 20000, int measure = 16000)
{
    filter.clearHistory();
    double inEnergy = 0.0, outEnergy = 0.0;
    for (int n = 0; n < settle + measure; ++n)
    {
        const float x = static_cast<float>(std::cos(kTwoPi * f * n));
        const float y = filter.processSample(x);
        if (n >= settle)
        {
            inEnergy += static_cast<double>(x) * x;
            outEnergy += static_cast<double>(y) * y;
        }
    }
    return std::sqrt(outEnergy / inEnergy);
}

std::vector<float> noise(int count, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::vector<float> v(static_cast<size_t>(count));
    for (auto& x : v)
        x = dist(rng);
    return v;
}
} // namespace

TEST(RecursiveFilterSection, MatchesDirectFormAcrossRingWrap)
{
    CRecursiveFilter<float> filter;
    const float a0 = 0.3f, a1 = -0.2f, a2 = 0.1f, b1 = 0.5f, b2 = -0.25f;
    filter.setFeedForward(0, a0);
    filter.setFeedForward(1, a1);
    filter.setFeedForward(2, a2);
    filter.setFeedBack(1, b1);
    filter.setFeedBack(2, b2);
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    const auto input = noise(500, 1); // several trips round the 51-entry ring
    for (float x : input)
    {
        const float expected = a0 * x + a1 * x1 + a2 * x2 + b1 * y1 + b2 * y2;
        ASSERT_FLOAT_EQ(filter.processSample(x), expected);
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = expected;
    }
}

TEST(RecursiveFilterSection, ClearHistoryForgetsInputButKeepsDesign)
{
    CRecursiveFilterBandPass<float> used;
    used.design(0.05f, 0.01f);
    CRecursiveFilterBandPass<float> fresh = used;
    for (float x : noise(3000, 2))
        used.processSample(x * 10.0f);
    used.clearHistory();
    for (float x : noise(200, 3))
        ASSERT_EQ(used.processSample(x), fresh.processSample(x));
}

TEST(RecursiveFilterSection, ResetAllAndCoefficientIndexing)
{
    CRecursiveFilter<float> filter;
    EXPECT_EQ(filter.processSample(1.0f), 0.0f); // a fresh section passes nothing
    filter.setFeedForward(30, 1.0f);
    EXPECT_EQ(filter.getFeedForward(30), 1.0f);
    filter.setFeedForward(31, 5.0f); // out of range: ignored, nothing past the arrays is touched
    filter.setFeedBack(-1, 5.0f);
    EXPECT_EQ(filter.getFeedForward(31), 0.0f);
    filter.setPassThrough();
    EXPECT_EQ(filter.processSample(0.75f), 0.75f);
    filter.resetAll();
    EXPECT_EQ(filter.getFeedForward(0), 0.0f);
    EXPECT_EQ(filter.getFeedForward(30), 0.0f);
    EXPECT_EQ(filter.processSample(1.0f), 0.0f);
}

TEST(ResonatorFilters, BandRejectNullsItsCentreAndTheBandPassIsItsComplement)
{
    CRecursiveFilterBandReject<float> reject;
    CRecursiveFilterBandPass<float> pass;
    EXPECT_TRUE(reject.design(0.1f, 0.01f));
    EXPECT_TRUE(pass.design(0.1f, 0.01f));
    EXPECT_FLOAT_EQ(reject.getFrequency(), 0.1f);
    EXPECT_FLOAT_EQ(reject.getBandwidth(), 0.01f);
    EXPECT_LT(measureGain(reject, 0.1), 0.01);
    EXPECT_NEAR(measureGain(pass, 0.1), 1.0, 0.01);
    for (double f : {0.0, 0.3, 0.5})
    {
        EXPECT_NEAR(measureGain(reject, f), 1.0, 0.05) << f;
        EXPECT_LT(measureGain(pass, f), 0.1) << f;
    }
    for (float x : noise(2000, 4))
        ASSERT_NEAR(pass.processSample(x) + reject.processSample(x), x, 1e-4f);
}

TEST(ResonatorFilters, DegenerateDesignsLeaveTheNeutralPairInsteadOfNaN)
{
    // The band-reject becomes a wire and the band-pass silent, so a neutral pair still sums to the input.
    CRecursiveFilterBandReject<float> atDc;
    EXPECT_FALSE(atDc.design(0.0f, 0.001f)); // the gain normaliser would divide by zero
    CRecursiveFilterBandPass<float> atDcPass;
    EXPECT_FALSE(atDcPass.design(0.0f, 0.001f));
    CRecursiveFilterBandPass<float> tooWide;
    EXPECT_FALSE(tooWide.design(0.2f, 0.9f)); // poles outside the unit circle
    CRecursiveFilterBandPass<float> noWidth;
    EXPECT_FALSE(noWidth.design(0.2f, 0.0f));
    for (float x : noise(100, 5))
    {
        EXPECT_EQ(atDc.processSample(x), x);
        EXPECT_EQ(atDcPass.processSample(x), 0.0f);
        EXPECT_EQ(tooWide.processSample(x), 0.0f);
        EXPECT_EQ(noWidth.processSample(x), 0.0f);
    }
    EXPECT_FLOAT_EQ(atDc.getFrequency(), 0.0f); // still recorded, so owners see where the band sits
}

struct BiquadCase
{
    int type;
    double gain;
    double expectDc, expectCentre, expectNyquist;
};

class BiquadTypeResponse : public ::testing::TestWithParam<BiquadCase>
{
};

// f0 = fs / 16, so the centre cosine has a whole number of samples per period.
TEST_P(BiquadTypeResponse, MatchesAnalyticGainAtDcCentreAndNyquist)
{
    const BiquadCase c = GetParam();
    CRecursiveFilterBiquad<float> filter(c.type);
    const double q = 2.0;
    ASSERT_TRUE(filter.design(3000.0f, static_cast<float>(q), 48000.0f, static_cast<float>(c.gain)));
    const double centre = c.expectCentre < 0 ? q : c.expectCentre; // negative: "peak gain Q"
    EXPECT_NEAR(measureGain(filter, 0.0), c.expectDc, 0.01 * std::max(1.0, c.expectDc)) << "DC";
    EXPECT_NEAR(measureGain(filter, 1.0 / 16.0), centre, 0.01 * std::max(1.0, centre)) << "centre";
    EXPECT_NEAR(measureGain(filter, 0.5), c.expectNyquist, 0.01 * std::max(1.0, c.expectNyquist))
        << "Nyquist";
}

INSTANTIATE_TEST_SUITE_P(AllTypes, BiquadTypeResponse,
                         ::testing::Values(BiquadCase{0, 2.0, 1.0, 4.0, 1.0}, // peaking: A^2 at the centre
                                           BiquadCase{1, 2.0, 4.0, 2.0,
                                                      1.0}, // low shelf: A^2 below, A midway
                                           BiquadCase{2, 2.0, 1.0, 2.0, 4.0}, // high shelf
                                           BiquadCase{1, 0.0, 0.0, -1, 1.0},  // low shelf at A = 0: high-pass
                                           BiquadCase{2, 0.0, 1.0, -1, 0.0},  // high shelf at A = 0: low-pass
                                           BiquadCase{3, 1.0, 1.0, -1, 0.0},  // low-pass: Q at the corner
                                           BiquadCase{4, 1.0, 0.0, -1, 1.0},  // high-pass
                                           BiquadCase{5, 1.0, 0.0, -1, 0.0},  // band-pass, peak gain Q
                                           BiquadCase{6, 1.0, 1.0, 0.0, 1.0}, // notch
                                           BiquadCase{7, 1.0, 0.0, 1.0, 0.0}, // resonator band-pass
                                           BiquadCase{8, 1.0, 1.0, 0.0, 1.0}), // resonator band-reject
                         [](const auto& typeCase) { return "type" + std::to_string(typeCase.index); });

TEST(BiquadFilters, RefusedDesignsKeepThePreviousCoefficients)
{
    CRecursiveFilterBiquad<float> filter(CRecursiveFilterBiquad<float>::kLowShelf);
    ASSERT_TRUE(filter.design(500.0f, 0.7f, 44100.0f, 2.0f));
    const float a0 = filter.getFeedForward(0), b1 = filter.getFeedBack(1);
    EXPECT_FALSE(filter.design(500.0f, 0.7f, 0.0f, 2.0f));      // no sampling rate
    EXPECT_FALSE(filter.design(500.0f, 0.0f, 44100.0f, 2.0f));  // Q of zero
    EXPECT_FALSE(filter.design(500.0f, 0.7f, 44100.0f, -1.0f)); // square root of a negative gain
    filter.setType(0);
    EXPECT_FALSE(filter.design(500.0f, 0.7f, 44100.0f, 0.0f)); // peaking divides by A
    filter.setType(99);
    EXPECT_FALSE(filter.design(500.0f, 0.7f, 44100.0f, 2.0f)); // not a type of the table
    EXPECT_EQ(filter.getFeedForward(0), a0);
    EXPECT_EQ(filter.getFeedBack(1), b1);
    EXPECT_FLOAT_EQ(filter.getSampleRate(), 44100.0f);
}

TEST(BiquadFilters, CornersAtOrAboveHalfTheRateAreRefusedAndJustBelowStayStable)
{
    // Above half the rate the low-pass formula puts its poles outside the unit circle; the refusal keeps
    // the previous design. Just below, every type that band-limits a signal still decays.
    for (float rate : {22050.0f, 32000.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f, 176400.0f, 192000.0f})
    {
        for (int type : {CRecursiveFilterBiquad<float>::kLowPass, CRecursiveFilterBiquad<float>::kHighPass})
        {
            CRecursiveFilterBiquad<float> filter(type);
            ASSERT_TRUE(filter.design(0.49f * rate, 1.0f, rate, 1.0f)) << rate;
            const float a0 = filter.getFeedForward(0);
            EXPECT_FALSE(filter.design(0.5f * rate, 1.0f, rate, 1.0f)) << rate;
            EXPECT_FALSE(filter.design(22000.0f * rate / 22050.0f + 1.0f, 1.0f, rate, 1.0f)) << rate;
            EXPECT_EQ(filter.getFeedForward(0), a0);
            float y = filter.processSample(1.0f);
            float late = 0.0f;
            for (int n = 1; n < 20000; ++n)
            {
                y = filter.processSample(0.0f);
                if (n > 19000)
                    late = std::max(late, std::abs(y));
            }
            EXPECT_LT(late, 1e-6f) << rate << " type " << type;
        }
    }
}
