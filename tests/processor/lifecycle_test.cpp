#include "test_processor.h"

#include "processor/vk_registry.h"

#include <gtest/gtest.h>

#include <cmath>

using LifecycleTest = ProcessorTest;

TEST_F(LifecycleTest, FormatNamesPerWrapperType)
{
    const std::pair<int, const char*> cases[] = {{1, "VST"}, {7, "VST3"}, {5, "UNDEFINED_PLUGIN_TYPE"}};
    for (const auto& [type, name] : cases)
    {
        TestProcessor processor(type);
        EXPECT_EQ(processor.getFormatName(), name);
        EXPECT_EQ(processor.getPlatformFormatString(), juce::String("WIN_") + name);
    }
}

TEST_F(LifecycleTest, StoredParameterMapVersionIsCompared)
{
    float version = 2.0f;
    ASSERT_TRUE(vk::registry::writeProductFloat("PersistentParamMapVersion", &version));
    EXPECT_TRUE(TestProcessor().persistentParamMapDiffers());
    version = 1.0f;
    ASSERT_TRUE(vk::registry::writeProductFloat("PersistentParamMapVersion", &version));
    EXPECT_FALSE(TestProcessor().persistentParamMapDiffers());
}

TEST_F(LifecycleTest, TimerPendingWorkTransitions)
{
    TestProcessor processor;
    EXPECT_EQ(processor.getPendingWork(), 1);
    processor.timerCallback();
    EXPECT_EQ(processor.getPendingWork(), 0);
    EXPECT_EQ(processor.m_timerHookCalls, 1);
    EXPECT_EQ(processor.m_timerTicks, 1);

    processor.timerCallback(); // nothing pending: the hook does not run, the tick does
    EXPECT_EQ(processor.m_timerHookCalls, 1);
    EXPECT_EQ(processor.m_timerTicks, 2);

    EXPECT_FALSE(processor.requestTimerUpdate());
    EXPECT_EQ(processor.getPendingWork(), 1);
    EXPECT_TRUE(processor.requestTimerUpdate());
    EXPECT_EQ(processor.getPendingWork(), 2);
    EXPECT_TRUE(processor.requestTimerUpdate());
    EXPECT_EQ(processor.getPendingWork(), 2);

    processor.timerCallback(); // requested again while pending: runs once more next tick
    EXPECT_EQ(processor.getPendingWork(), 1);
    processor.timerCallback();
    EXPECT_EQ(processor.getPendingWork(), 0);
    EXPECT_EQ(processor.m_timerHookCalls, 3);

    processor.m_timerHookResult = false; // unfinished work stays pending
    processor.requestTimerUpdate();
    processor.timerCallback();
    processor.timerCallback();
    EXPECT_EQ(processor.getPendingWork(), 1);
    EXPECT_EQ(processor.m_timerHookCalls, 5);
}

TEST_F(LifecycleTest, PrepareReportsExposedParametersThenPreparesThenTicks)
{
    TestProcessor processor;
    processor.log().clear();
    processor.prepareToPlay(48000.0, 256);

    std::vector<std::string> expected;
    for (int i = 3; i < TestProcessor::kNumMain; ++i)
        expected.push_back(changeEvent(i, TestProcessor::kMainDefaults[i]));
    expected.push_back("prepare");
    EXPECT_EQ(processor.log().events(), expected);
    EXPECT_EQ(processor.m_timerTicks, 1);
    EXPECT_EQ(processor.getPendingWork(), 0);
}

TEST_F(LifecycleTest, ProcessBlockDispatchesOnTheProcessingMode)
{
    TestProcessor processor;
    processor.setRateAndBufferSizeDetails(48000.0, 64);
    juce::AudioBuffer<float> buffer(2, 64);
    buffer.clear();
    juce::MidiBuffer midi;

    processor.processBlock(buffer, midi);
    processor.setProcessingMode(101);
    processor.processBlock(buffer, midi);
    processor.setProcessingMode(102);
    processor.processBlock(buffer, midi);
    processor.processBlock(buffer, midi);
    processor.setProcessingMode(7);
    processor.processBlock(buffer, midi);

    EXPECT_EQ(processor.m_algorithmBlocks, 1);
    EXPECT_EQ(processor.m_analysisBlocks, 1);
    EXPECT_EQ(processor.m_renderBlocks, 2);
}

TEST_F(LifecycleTest, BlocksAreProfiledOnlyWhenSwitchedOnAndNeverDivideByZero)
{
    TestProcessor processor;
    juce::AudioBuffer<float> buffer(2, 32);
    juce::MidiBuffer midi;
    processor.processBlock(buffer, midi); // no sample rate yet: no budget
    EXPECT_EQ(processor.getProfileReport(0), "Processor_processBlock (vs sampleRate) 0.00 (0.00)");

    processor.getProfiler().setEnabled(true);
    processor.processBlock(buffer, midi);
    processor.setRateAndBufferSizeDetails(48000.0, 32);
    processor.processBlock(buffer, midi);
    EXPECT_TRUE(std::isfinite(processor.getProfiler().getItem(0)->getAverageRatio()));
}

TEST_F(LifecycleTest, FrequencyTextAndProToolsHostNames)
{
    const std::pair<float, juce::String> texts[] = {
        {20.0f, "20 Hz"},        {999.9f, "999 Hz"},
        {1000.0f, "1.0 kHz"},    {1260.0f, "1.3 kHz"},
        {22000.0f, "22.0 kHz"},  {0.5f, "0 Hz"},
        {std::nanf(""), "0 Hz"}, {-1.0e20f, juce::String(INT32_MIN) + " Hz"}};
    for (const auto& [hz, text] : texts)
        EXPECT_EQ(VkJuceProcessorBase::formatFrequency(hz), text) << hz;

    for (const char* name : {"pro tools 2023", "ProTools_Dev"})
        EXPECT_TRUE(VkJuceProcessorBase::isProToolsHostName(name)) << name;
    for (const char* name : {"Pro_Tools", "Tools Pro", ""})
        EXPECT_FALSE(VkJuceProcessorBase::isProToolsHostName(name)) << name;
}
