// The editor's displays read what the audio thread writes (meters, spectrum observers, published peaks)
// while the message thread reads what the render thread writes (the balance readout): all without locks
// that could stall audio, and without data races (this test runs under ThreadSanitizer).

#include "editor_test_support.h"

#include <thread>

namespace latiphonix::test
{
namespace
{

TEST_F(EditorTest, RenderAudioAndTimerThreadsShareTheDisplaysWithoutRaces)
{
    set(kAnalysis, 1.0f);
    open();
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0}, blocks{0};

    std::thread audio(
        [&]
        {
            juce::AudioBuffer<float> buffer(2, 256);
            juce::MidiBuffer midi;
            juce::Random random(11);
            while (!stop.load())
            {
                for (int c = 0; c < 2; ++c)
                    for (int i = 0; i < 256; ++i)
                        buffer.setSample(c, i, (random.nextFloat() - 0.5f) * (c == 0 ? 0.9f : 0.3f));
                processor->processBlock(buffer, midi);
                blocks.fetch_add(1);
            }
        });
    std::thread render(
        [&]
        {
            while (!stop.load())
            {
                clock.advance(16);
                frame();
                frames.fetch_add(1);
            }
        });

    // The message thread: timer ticks, parameter updates and readout copies, until every thread has done
    // real work (bounded, so a stuck thread fails rather than hangs).
    juce::String lastReadout;
    const auto deadline = juce::Time::getMillisecondCounter() + 20000;
    int ticks = 0;
    while ((frames.load() < 200 || blocks.load() < 200 || ticks < 200) &&
           juce::Time::getMillisecondCounter() < deadline)
    {
        editor->onTimerTick();
        lastReadout = editor->getBalanceGraph()->getReadoutText();
        if (ticks % 20 == 0)
        {
            processor->setParameter(kIidWidth, (float)(ticks % 100) / 100.0f);
            update();
        }
        ++ticks;
    }
    stop.store(true);
    audio.join();
    render.join();

    EXPECT_GE(frames.load(), 200);
    EXPECT_GE(blocks.load(), 200);
    // Louder on the left: the readout leans left.
    editor->onTimerTick();
    EXPECT_TRUE(editor->getBalanceGraph()->getReadoutText().startsWith("L")) << lastReadout;
    EXPECT_FALSE(lists.staleUse);
}

} // namespace
} // namespace latiphonix::test
