// Timecode and channel-layout choices kept in parameters, and the host position that sets the timecode.

#include "test_processor.h"

#include "processor/vk_channel_orders.h"
#include "processor/vk_registry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using HostChoicesTest = ProcessorTest;

using Rate = juce::AudioPlayHead::FrameRateType;

struct FakePlayHead : juce::AudioPlayHead
{
    juce::Optional<PositionInfo> getPosition() const override
    {
        if (!answers)
            return {};
        PositionInfo info;
        info.setIsPlaying(playing);
        info.setFrameRate(FrameRate(rate));
        return info;
    }
    bool answers = true;
    bool playing = true;
    Rate rate = Rate::fps25;
};

void setChoice(TestProcessor& processor, int id, float value)
{
    processor.setParameterInternal(id, value, false, false, false);
}

void processOneBlock(TestProcessor& processor)
{
    juce::AudioBuffer<float> buffer(2, 32);
    juce::MidiBuffer midi;
    processor.processBlock(buffer, midi);
}
} // namespace

TEST_F(HostChoicesTest, HostFrameRatesMapToTimecodeIndexesByName)
{
    const std::pair<Rate, int> mapped[] = {{Rate::fps24, 1}, {Rate::fps25, 2},       {Rate::fps2997, 4},
                                           {Rate::fps30, 6}, {Rate::fps2997drop, 3}, {Rate::fps30drop, 5},
                                           {Rate::fps60, 0}};
    TestProcessor processor;
    FakePlayHead head;
    processor.setPlayHead(&head);
    for (const auto& [rate, index] : mapped)
    {
        head.rate = rate;
        processOneBlock(processor);
        EXPECT_EQ(processor.getTimecodeFrameRate(), index);
        EXPECT_FLOAT_EQ(processor.getParameter(1), float(index) / 1000.0f);
    }

    // Rates without an index leave the choice alone, as do a stopped transport and a silent host.
    head.rate = Rate::fps25;
    processOneBlock(processor);
    for (Rate rate : {Rate::fps23976, Rate::fps60drop, Rate::fpsUnknown})
    {
        head.rate = rate;
        processOneBlock(processor);
        EXPECT_EQ(processor.getTimecodeFrameRate(), 2);
    }
    head.rate = Rate::fps24;
    head.playing = false;
    processOneBlock(processor);
    EXPECT_EQ(processor.getTimecodeFrameRate(), 2);
    head.answers = false;
    head.playing = true;
    processOneBlock(processor);
    EXPECT_EQ(processor.getTimecodeFrameRate(), 2);

    // An offline pass picks up the position once at its start.
    head.answers = true;
    processor.beginOfflineRenderPass();
    EXPECT_EQ(processor.getTimecodeFrameRate(), 1);
    processor.setPlayHead(nullptr);
}

TEST_F(HostChoicesTest, TimecodeIsRepairedFromTheDefaults)
{
    TestProcessor processor;
    EXPECT_EQ(processor.getTimecodeFrameRate(), 6);

    processor.setTimecodeFrameRate(12);
    EXPECT_EQ(processor.getTimecodeFrameRate(), 12);

    // Out of range: the persistent default is written back.
    setChoice(processor, 9002, 0.002f);
    setChoice(processor, 1, 0.5f);
    EXPECT_EQ(processor.getTimecodeFrameRate(), 2);
    EXPECT_FLOAT_EQ(processor.getParameter(1), 0.002f);

    // An unusable default gives the fixed fallback.
    setChoice(processor, 9002, 0.9f);
    setChoice(processor, 1, 0.013f);
    EXPECT_EQ(processor.getTimecodeFrameRate(), 6);
    EXPECT_FLOAT_EQ(processor.getParameter(1), 0.006f);

    // Indexes above 1000 are stored as the cap.
    processor.setTimecodeFrameRate(5000);
    EXPECT_FLOAT_EQ(processor.getParameter(1), 1.0f);
}

TEST_F(HostChoicesTest, LayoutChoiceIsRepairedFromTheDefaults)
{
    // Mono and stereo always answer 1 and leave the routing alone.
    for (int channels : {1, 2})
    {
        TestProcessor processor(vk::kWrapperVst3, channels);
        setChoice(processor, 0, 0.9f);
        EXPECT_EQ(processor.getChannelLayoutChoice(), 1);
        EXPECT_FLOAT_EQ(processor.getParameter(0), 0.9f);
    }

    {
        TestProcessor processor(vk::kWrapperVst3, 6);
        // 0.0005 rounds to choice 1.
        setChoice(processor, 0, 0.0005f);
        EXPECT_EQ(processor.getChannelLayoutChoice(), 1);
        setChoice(processor, 0, 0.002f);
        EXPECT_EQ(processor.getChannelLayoutChoice(), 2);

        // 0.9999 reads as 1000 (capped) and is repaired from the 5.1 default, here a valid 0.
        setChoice(processor, 9000, 0.0f);
        setChoice(processor, 0, 0.9999f);
        EXPECT_EQ(processor.getChannelLayoutChoice(), 0);
        EXPECT_FLOAT_EQ(processor.getParameter(0), 0.0f);
    }

    // A default that names a 7.1 order is replaced per format.
    const std::pair<int, int> perFormat[] = {{vk::kWrapperVst3, 1}, {1, 1}, {2, 2}, {3, 0}, {4, 0}, {6, 0}};
    for (const auto& [wrapper, expected] : perFormat)
    {
        TestProcessor processor(wrapper, 6);
        setChoice(processor, 9000, 0.005f);
        setChoice(processor, 0, 0.004f);
        EXPECT_EQ(processor.getChannelLayoutChoice(), expected) << wrapper;
        EXPECT_FLOAT_EQ(processor.getParameter(0), float(expected) / 1000.0f);
    }

    // 7.1: choices 3..8 stand; anything else comes from the 7.1 default, or 3.
    TestProcessor processor(vk::kWrapperVst3, 8);
    setChoice(processor, 0, 0.008f);
    EXPECT_EQ(processor.getChannelLayoutChoice(), 8);
    setChoice(processor, 9001, 0.005f);
    setChoice(processor, 0, 0.001f);
    EXPECT_EQ(processor.getChannelLayoutChoice(), 5);
    EXPECT_FLOAT_EQ(processor.getParameter(0), 0.005f);
    setChoice(processor, 9001, 0.009f);
    setChoice(processor, 0, 0.009f);
    EXPECT_EQ(processor.getChannelLayoutChoice(), 3);
    EXPECT_FLOAT_EQ(processor.getParameter(0), 0.003f);
}

TEST_F(HostChoicesTest, NonFiniteStoredDefaultsReadAsTheParametersDefaults)
{
    for (float stored : {std::nanf(""), INFINITY, -INFINITY})
    {
        for (const char* key : {"RoutingDefault", "RoutingDefault_7_1", "TimecodeFramerateDefault"})
            ASSERT_TRUE(vk::registry::writeProductFloat(key, &stored));
        TestProcessor surround(vk::kWrapperVst3, 6);
        EXPECT_EQ(surround.getParameterRecord(9000).getValue(), 0.1f) << stored;
        EXPECT_EQ(surround.getParameterRecord(9001).getValue(), 0.1f) << stored;
        EXPECT_EQ(surround.getParameterRecord(9002).getValue(), 0.006f) << stored;
        // The repairs read those defaults: a 5.1 default naming a 7.1 order, an unusable frame rate.
        setChoice(surround, 0, 0.9f);
        EXPECT_EQ(surround.getChannelLayoutChoice(), 1) << stored;
        setChoice(surround, 1, 0.5f);
        EXPECT_EQ(surround.getTimecodeFrameRate(), 6) << stored;
    }
}

// The names themselves are the module's tables; what matters is that out-of-range choices name nothing.
TEST(ModuleTables, ChoicesOutsideTheTablesNameNothing)
{
    using namespace vk::channels;
    EXPECT_EQ(routingChoiceName(9), "");
    EXPECT_EQ(routingChoiceName(-1), "");
    EXPECT_EQ(speakerOrder("Quad"), "");
}
