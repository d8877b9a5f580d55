// Latency-aligned bypass: entering, engaged and leaving, with and without latency, and the offline
// passes that cut a block into chunks.

#include "test_processor.h"

#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

#include <thread>

namespace
{
// The test processor's algorithm multiplies by parameter 3 + parameter 4.
constexpr float kGain = 0.75f;

using BypassTest = ProcessorTest;

// Feeds a continuous ramp (sample n of channel c is c * 1000 + n + 1) through the processor in blocks,
// bypassed or not, and records what comes out.
class Runner
{
public:
    Runner(TestProcessor& processor, int numChannels) : m_processor(processor), m_numChannels(numChannels) {}

    juce::AudioBuffer<float> run(int numSamples, bool bypassed)
    {
        juce::AudioBuffer<float> buffer(m_numChannels, numSamples);
        for (int c = 0; c < m_numChannels; ++c)
            for (int i = 0; i < numSamples; ++i)
                buffer.setSample(c, i, input(c, m_position + i));
        juce::MidiBuffer midi;
        if (bypassed)
            m_processor.processBlockBypassed(buffer, midi);
        else
            m_processor.processBlock(buffer, midi);
        m_position += numSamples;
        return buffer;
    }

    static float input(int channel, int n) { return float(channel * 1000 + n + 1); }
    int position() const { return m_position; }

private:
    TestProcessor& m_processor;
    int m_numChannels;
    int m_position = 0;
};
} // namespace

TEST_F(BypassTest, WithoutLatencyTheSwitchIsImmediate)
{
    TestProcessor processor;
    Runner runner(processor, 2);

    // The block in which bypass starts is still processed, and engages bypass.
    auto entering = runner.run(16, true);
    EXPECT_EQ(entering.getSample(0, 5), kGain * Runner::input(0, 5));
    EXPECT_TRUE(processor.isBypassEngaged());
    EXPECT_EQ(processor.m_algorithmBlocks.load(), 1);

    const int start = runner.position();
    auto engaged = runner.run(16, true);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(engaged.getSample(1, i), Runner::input(1, start + i));
    EXPECT_EQ(processor.m_algorithmBlocks.load(), 1);

    // Leaving: nothing is left in the lines, so the whole block is processed.
    const int leaveStart = runner.position();
    auto leaving = runner.run(16, false);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(leaving.getSample(0, i), kGain * Runner::input(0, leaveStart + i));
    EXPECT_FALSE(processor.isBypassEngaged());

    // A block of no samples while bypass starts still runs the processor and engages at latency 0.
    TestProcessor empty;
    juce::AudioBuffer<float> none(2, 0);
    juce::MidiBuffer midi;
    empty.processBlockBypassed(none, midi);
    EXPECT_EQ(empty.m_algorithmBlocks.load(), 1);
    EXPECT_TRUE(empty.isBypassEngaged());
}

TEST_F(BypassTest, WithLatencyTheDrySignalStaysAlignedAndTheTailComesFirst)
{
    constexpr int kLatency = 5;
    TestProcessor processor;
    processor.setLatencySamples(kLatency);
    Runner runner(processor, 2);

    // Entering: processing continues until the lines hold the latency's worth of signal.
    auto first = runner.run(3, true);
    EXPECT_EQ(first.getSample(0, 0), kGain * Runner::input(0, 0));
    EXPECT_FALSE(processor.isBypassEngaged());
    EXPECT_EQ(processor.getCachedLatency(), kLatency);
    runner.run(3, true);
    EXPECT_TRUE(processor.isBypassEngaged());

    // Engaged: the dry input, delayed by the latency, across block boundaries.
    for (int block = 0; block < 3; ++block)
    {
        const int start = runner.position();
        auto engaged = runner.run(4, true);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(engaged.getSample(c, i), Runner::input(c, start + i - kLatency))
                    << block << " " << i;
    }

    // Leaving over two blocks: the delayed dry tail first (latency samples in all), then processed output
    // in the same block rather than silence.
    const int start = runner.position();
    auto leaving = runner.run(3, false);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(leaving.getSample(1, i), Runner::input(1, start + i - kLatency));
    EXPECT_TRUE(processor.isBypassEngaged());
    auto last = runner.run(4, false);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(last.getSample(1, i), Runner::input(1, start + 3 + i - kLatency));
    for (int i = 2; i < 4; ++i)
        EXPECT_EQ(last.getSample(1, i), kGain * Runner::input(1, start + 3 + i));
    EXPECT_FALSE(processor.isBypassEngaged());

    // Back to normal processing.
    const int after = runner.position();
    auto normal = runner.run(4, false);
    EXPECT_EQ(normal.getSample(0, 0), kGain * Runner::input(0, after));

    // A latency change takes effect on the next bypassed block, clamped to the lines' length.
    processor.setLatencySamples(100000);
    runner.run(4, true);
    EXPECT_EQ(processor.getCachedLatency(), 100000);
}

TEST_F(BypassTest, OnlyTheFirstEightChannelsAreDelayed)
{
    constexpr int kLatency = 2;
    TestProcessor processor(vk::kWrapperVst3, 10);
    processor.setLatencySamples(kLatency);
    Runner runner(processor, 10);
    runner.run(4, true);
    ASSERT_TRUE(processor.isBypassEngaged());

    const int start = runner.position();
    auto engaged = runner.run(4, true);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(engaged.getSample(7, i), Runner::input(7, start + i - kLatency));
        EXPECT_EQ(engaged.getSample(8, i), Runner::input(8, start + i));
        EXPECT_EQ(engaged.getSample(9, i), Runner::input(9, start + i));
    }

    // Leaving: channels without a line are processed throughout.
    const int leaveStart = runner.position();
    auto leaving = runner.run(4, false);
    EXPECT_EQ(leaving.getSample(0, 0), Runner::input(0, leaveStart - kLatency));
    EXPECT_EQ(leaving.getSample(9, 0), kGain * Runner::input(9, leaveStart));
    EXPECT_EQ(leaving.getSample(0, 3), kGain * Runner::input(0, leaveStart + 3));
}

TEST_F(BypassTest, ASuspendedProcessorLeavesTheBlockAlone)
{
    TestProcessor processor;
    processor.suspendProcessing(true);
    Runner runner(processor, 2);
    auto block = runner.run(8, true);
    EXPECT_EQ(block.getSample(0, 3), Runner::input(0, 3));
    EXPECT_EQ(processor.m_algorithmBlocks.load(), 0);
    EXPECT_FALSE(processor.isBypassEngaged());
}

TEST_F(BypassTest, OfflinePassesRunInChunksWithATimerTickEach)
{
    TestProcessor processor;
    juce::AudioBuffer<float> buffer(2, 2500);
    juce::MidiBuffer midi;

    const int ticks = processor.m_timerTicks.load();
    processor.processOfflineRender(buffer, midi);
    EXPECT_EQ(processor.m_offlineChunkSizes, (std::vector<int>{1024, 1024, 452}));
    EXPECT_EQ(processor.m_offlineChunkStarts,
              (std::vector<const float*>{buffer.getReadPointer(0), buffer.getReadPointer(0, 1024),
                                         buffer.getReadPointer(0, 2048)}));
    EXPECT_EQ(processor.m_timerTicks.load(), ticks + 3);
    EXPECT_EQ(processor.m_renderBlocks.load(), 3);

    processor.m_offlineChunkSizes.clear();
    juce::AudioBuffer<float> exact(1, 2048);
    processor.processOfflineAnalysis(exact, midi);
    EXPECT_EQ(processor.m_offlineChunkSizes, (std::vector<int>{1024, 1024}));
    EXPECT_EQ(processor.m_analysisBlocks.load(), 2);
    EXPECT_EQ(processor.m_timerTicks.load(), ticks + 5);
}

namespace
{
struct CountingTimer : juce::Timer
{
    std::atomic<int> calls{0};
    void timerCallback() override { ++calls; }
};
} // namespace

TEST_F(BypassTest, ProcessingOnTheMessageThreadPumpsOverdueTimers)
{
    // The test thread becomes the message thread; no dispatch loop runs, so only the pump can fire.
    juce::ScopedJuceInitialiser_GUI framework;
    TestProcessor processor;
    CountingTimer timer;
    timer.startTimer(20);
    // Far more than the 200 ms the pump waits for, so a slow machine cannot make this flaky.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));

    juce::AudioBuffer<float> buffer(2, 64);
    juce::MidiBuffer midi;
    processor.processBlock(buffer, midi);
    EXPECT_GE(timer.calls.load(), 1);
    timer.stopTimer();
}
