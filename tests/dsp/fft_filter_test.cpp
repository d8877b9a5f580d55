#include "dsp/fft_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
constexpr int kN = FftFilter::kTransformLength;
constexpr double kTwoPi = 6.283185307179586476925286766559;

class RecordingCallBack : public FftFilterCallBack
{
public:
    void operate(int transformLength, std::complex<double>* bins, void* context) override
    {
        ++calls;
        lastLength = transformLength;
        lastContext = context;
        frames.emplace_back(bins, bins + transformLength / 2 + 1);
    }

    int calls = 0;
    int lastLength = 0;
    void* lastContext = nullptr;
    std::vector<std::vector<std::complex<double>>> frames;
};

std::vector<float> constant(int count, float value)
{
    return std::vector<float>(static_cast<size_t>(count), value);
}
} // namespace

TEST(FftFilterFraming, OneCallbackPerHopPushedInQuarterChunks)
{
    RecordingCallBack callBack;
    int context = 0;
    FftFilter filter(&callBack, &context);
    EXPECT_EQ(filter.getHop(), kN);
    const auto chunk = constant(256, 0.5f);
    const int expected[] = {0, 0, 0, 1, 1, 1, 1, 2};
    for (int call = 0; call < 8; ++call)
    {
        filter.pushSamples(chunk.data(), 256);
        EXPECT_EQ(callBack.calls, expected[call]) << "after call " << call + 1;
    }
    EXPECT_EQ(callBack.lastLength, kN);
    EXPECT_EQ(callBack.lastContext, &context);
}

TEST(FftFilterFraming, ChunksNotAlignedToTheHopLoseNoSamples)
{
    RecordingCallBack callBack;
    FftFilter filter(&callBack, nullptr);
    std::vector<float> ramp(4800);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<float>(i % 1000) * 0.001f;
    int completed = 0;
    for (size_t at = 0; at < ramp.size(); at += 480)
        completed += filter.pushSamples(ramp.data() + at, 480);
    ASSERT_EQ(completed, 4);
    ASSERT_EQ(callBack.calls, 4);
    for (int frame = 0; frame < 4; ++frame)
    {
        double sum = 0.0;
        for (int i = 0; i < kN; ++i)
            sum += ramp[static_cast<size_t>(frame * kN + i)];
        EXPECT_NEAR(callBack.frames[static_cast<size_t>(frame)][0].real(), sum, 1e-6) << "frame " << frame;
    }
    // A block longer than the hop completes every frame inside it.
    EXPECT_EQ(filter.pushSamples(ramp.data(), 2 * kN + 64), 2);
}

TEST(FftFilterAnalysis, ConstantsAndSinesLandInTheirBinsWithThePositiveExponent)
{
    RecordingCallBack callBack;
    FftFilter filter(&callBack, nullptr);
    const auto ones = constant(kN, 1.0f);
    filter.pushSamples(ones.data(), kN);
    ASSERT_EQ(callBack.frames.at(0).size(), static_cast<size_t>(kN / 2 + 1));
    EXPECT_EQ(callBack.frames[0][0], std::complex<double>(1024.0, 0.0));
    for (size_t k = 1; k < callBack.frames[0].size(); ++k)
        ASSERT_LT(std::abs(callBack.frames[0][k]), 1e-9) << "bin " << k;

    std::vector<float> frame(kN);
    for (int j = 0; j < kN; ++j)
        frame[static_cast<size_t>(j)] = static_cast<float>(
            std::cos(kTwoPi * 8 * j / kN) + std::sin(kTwoPi * 40 * j / kN) + ((j & 1) ? -0.25 : 0.25));
    filter.pushSamples(frame.data(), kN);
    const auto& bins = callBack.frames.at(1);
    EXPECT_NEAR(bins[8].real(), 512.0, 1e-3);
    EXPECT_NEAR(bins[8].imag(), 0.0, 1e-3);
    EXPECT_NEAR(bins[40].real(), 0.0, 1e-3);
    EXPECT_NEAR(bins[40].imag(), 512.0, 1e-3);
    EXPECT_NEAR(bins[kN / 2].real(), 256.0, 1e-3);
    EXPECT_EQ(bins[kN / 2].imag(), 0.0);
}

TEST(FftFilterAnalysis, InputDelayShiftsTheFrame)
{
    RecordingCallBack callBack;
    FftFilter filter(&callBack, nullptr);
    filter.setInputDelay(100);
    const auto ones = constant(kN, 1.0f);
    filter.pushSamples(ones.data(), kN);
    EXPECT_NEAR(callBack.frames.at(0)[0].real(), 924.0, 1e-9);
    filter.setInputDelay(-5); // treated as no delay rather than reading outside the line
    filter.pushSamples(ones.data(), kN);
    EXPECT_NEAR(callBack.frames.at(1)[0].real(), 1024.0, 1e-9);
}

TEST(FftFilterAnalysis, RefusesLengthsItsScratchCannotHold)
{
    FftFilter filter(nullptr, nullptr);
    std::vector<double> frame(4096, 1.0);
    std::vector<std::complex<double>> bins(2049, {7.0, 7.0});
    EXPECT_FALSE(filter.forwardToBins(4096, bins.data(), frame.data()));
    EXPECT_FALSE(filter.forwardToBins(1000, bins.data(), frame.data()));
    EXPECT_EQ(bins[0], std::complex<double>(7.0, 7.0));
    EXPECT_TRUE(filter.forwardToBins(512, bins.data(), frame.data()));
    EXPECT_DOUBLE_EQ(bins[0].real(), 512.0);
}

TEST(FftFilterSynthesis, ResetLeavesOneFrameOfZerosAheadOfTheReader)
{
    FftFilter filter(nullptr, nullptr);
    const auto ones = constant(3 * kN, 1.0f);
    filter.pushSamples(ones.data(), kN);
    filter.synthesizeFrame();
    filter.reset();
    EXPECT_FALSE(filter.isFrameReady());
    ASSERT_EQ(filter.getOutputAvailable(), kN);
    std::vector<double> out(2 * kN, 9.0);
    EXPECT_EQ(filter.pullOutput(out.data(), 2 * kN), kN);
    for (int i = 0; i < kN; ++i)
        ASSERT_EQ(out[static_cast<size_t>(i)], 0.0);
    EXPECT_EQ(filter.getOutputAvailable(), 0);
}

TEST(FftFilterSynthesis, FramesComeBackAfterOneFrameOfLatency)
{
    FftFilter filter(nullptr, nullptr);
    EXPECT_FALSE(filter.synthesizeFrame());
    std::vector<float> signal(2 * kN);
    for (size_t i = 0; i < signal.size(); ++i)
        signal[i] = static_cast<float>(std::sin(0.01 * static_cast<double>(i)));
    for (int frame = 0; frame < 2; ++frame)
    {
        // Half a hop, then the rest: the second half completes the frame.
        filter.pushSamples(signal.data() + frame * kN, kN / 2);
        EXPECT_FALSE(filter.isFrameReady() && frame == 0);
        filter.pushSamples(signal.data() + frame * kN + kN / 2, kN / 2);
        EXPECT_TRUE(filter.synthesizeFrame());
        EXPECT_FALSE(filter.synthesizeFrame());
    }
    ASSERT_EQ(filter.getOutputAvailable(), 3 * kN);
    std::vector<double> out(3 * kN);
    ASSERT_EQ(filter.pullOutput(out.data(), 3 * kN), 3 * kN);
    for (int i = 0; i < kN; ++i)
        ASSERT_EQ(out[static_cast<size_t>(i)], 0.0);
    for (int i = 0; i < 2 * kN; ++i)
        ASSERT_NEAR(out[static_cast<size_t>(kN + i)], signal[static_cast<size_t>(i)], 1e-6) << i;
}

TEST(FftFilterSynthesis, AnOverfullFifoDropsItsOldestValues)
{
    FftFilter filter(nullptr, nullptr);
    for (int frame = 0; frame < 5; ++frame)
    {
        const auto block = constant(kN, static_cast<float>(frame + 1));
        filter.pushSamples(block.data(), kN);
        filter.synthesizeFrame();
    }
    ASSERT_EQ(filter.getOutputAvailable(), 4 * kN);
    std::vector<double> out(4 * kN);
    filter.pullOutput(out.data(), 4 * kN);
    EXPECT_NEAR(out[0], 2.0, 1e-9); // the latency zeros and frame 1 were overwritten
    EXPECT_NEAR(out[4 * kN - 1], 5.0, 1e-9);
}

TEST(FftWindows, TableEndpointsAndCaching)
{
    FftFilter filter(nullptr, nullptr);
    ASSERT_TRUE(filter.setWindow(FftWindowTable::kHann, kN - 1));
    EXPECT_NEAR(filter.getWindowValue(0), 0.0, 1e-15);
    EXPECT_NEAR(filter.getWindowValue(kN - 1), 0.0, 1e-15);
    EXPECT_NEAR(filter.getWindowValue(kN / 2), 1.0, 1e-5);
    ASSERT_TRUE(filter.setWindow(FftWindowTable::kHamming, kN - 1));
    EXPECT_DOUBLE_EQ(filter.getWindowValue(0), static_cast<double>(0.53836f) - static_cast<double>(0.46164f));
    ASSERT_TRUE(filter.setWindow(FftWindowTable::kBlackmanHarris, 8));
    EXPECT_NEAR(filter.getWindowValue(4), 1.0, 1e-6);
    EXPECT_NEAR(filter.getWindowValue(0), 6e-5, 1e-6);
    // Unknown types and lengths beyond the table leave it as it was.
    EXPECT_FALSE(filter.setWindow(7, 8));
    EXPECT_FALSE(filter.setWindow(FftWindowTable::kHann, kN));
    EXPECT_FALSE(filter.setWindow(FftWindowTable::kHann, 0));
    EXPECT_NEAR(filter.getWindowValue(4), 1.0, 1e-6);
}

TEST(FftWindows, EnabledWindowShapesTheAnalysedFrame)
{
    RecordingCallBack callBack;
    FftFilter filter(&callBack, nullptr);
    const auto ones = constant(kN, 1.0f);
    filter.pushSamples(ones.data(), kN);
    ASSERT_TRUE(filter.setWindowing(true, FftWindowTable::kHann));
    filter.pushSamples(ones.data(), kN);
    EXPECT_NEAR(callBack.frames.at(0)[0].real(), 1024.0, 1e-9);
    // Sum of the symmetric 1024-point Hann window.
    EXPECT_NEAR(callBack.frames.at(1)[0].real(), 511.5, 1e-9);
}
