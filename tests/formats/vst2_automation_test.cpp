// The VST 2.4 module under host automation that jumps every parameter between 0 and 1 while audio runs
// and the module's own message thread applies the changes, as in a sequencer's automation lanes.

#include "vst2_raw_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <thread>

namespace
{

constexpr int kNumParameters = 35;
constexpr int kItdEnabled = 17, kItdWidth = 20;
constexpr float kInputPeak = 0.5f;

TEST(Vst2Automation, JumpsOfEveryParameterStayWithinTwelveDecibelsOfTheInput)
{
    const ScopedHome home;
    RawVst2Host host{VK_VST2_MODULE};
    ASSERT_TRUE(host.loaded()) << host.error();
    Vst2::AEffect* effect = host.create();
    ASSERT_NE(effect, nullptr);
    host.dispatch(Vst2::effOpen);
    constexpr int kBlock = 512;
    host.dispatch(Vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
    host.dispatch(Vst2::effSetBlockSize, 0, kBlock);
    host.dispatch(Vst2::effMainsChanged, 0, 1);
    // The path whose band limits burst is on from the start.
    effect->setParameter(effect, kItdEnabled, 1.0f);
    effect->setParameter(effect, kItdWidth, 1.0f);

    std::mt19937 random(99u);
    std::uniform_real_distribution<float> noise(-kInputPeak, kInputPeak);
    std::vector<float> in[2] = {std::vector<float>(kBlock), std::vector<float>(kBlock)};
    std::vector<float> out[2] = {std::vector<float>(kBlock), std::vector<float>(kBlock)};
    float peak = 0.0f;
    // About 1.5 s of real time, so that the module's 50 ms processor timer takes the changes over some 30
    // times; 4 blocks between pauses keep the audio ahead of real time as a host's would be.
    for (int cycle = 0; cycle < 150; ++cycle)
    {
        for (int index = 0; index < kNumParameters; ++index)
            if (random() % 4 == 0)
                effect->setParameter(effect, index, float(random() % 2));
        for (int block = 0; block < 4; ++block)
        {
            for (auto& channel : in)
                for (float& sample : channel)
                    sample = noise(random);
            float* inputs[2] = {in[0].data(), in[1].data()};
            float* outputs[2] = {out[0].data(), out[1].data()};
            effect->processReplacing(effect, inputs, outputs, kBlock);
            for (const auto& channel : out)
                for (float sample : channel)
                    peak = std::max(peak, std::isfinite(sample) ? std::abs(sample) : INFINITY);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const double db = 20.0 * std::log10(peak / kInputPeak);
    std::printf("VST 2.4 module under 0/1 automation: peak %.2f dB over the input peak\n", db);
    EXPECT_LT(db, 12.0);
}

} // namespace
