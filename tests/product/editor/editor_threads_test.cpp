// The editor's displays read what the audio thread writes (meters, spectrum observers, published peaks)
// while the message thread reads what the render thread writes (the balance readout): all without locks
// that could stall audio, and without data races (this test runs under ThreadSanitizer), also while the
// message thread moves and resizes them.

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

TEST_F(EditorTest, ControlsAndGraphsResizedWhileFramesDrawThem)
{
    // Frames take every size and position from the render copy of the bounds, never from juce's own
    // fields, which setBounds rewrites here while the render and audio threads run.
    set(kAnalysis, 1.0f);
    lists.hasCanvas = true;
    open();
    std::vector<juce::Component*> resized{editor->getGraph(), editor->getBalanceGraph(),
                                          &editor->getOverlay()};
    for (const auto& name : editor->getControlNames())
        resized.push_back(editor->findControl(name));
    std::vector<juce::Rectangle<int>> original;
    for (auto* c : resized)
        original.push_back(c->getBounds());

    std::atomic<bool> stop{false};
    std::atomic<int> frames{0}, blocks{0};
    std::thread audio(
        [&]
        {
            juce::AudioBuffer<float> buffer(2, 256);
            juce::MidiBuffer midi;
            juce::Random random(11);
            for (; !stop.load(); blocks.fetch_add(1))
            {
                for (int i = 0; i < 256; ++i)
                    for (int c = 0; c < 2; ++c)
                        buffer.setSample(c, i, random.nextFloat() - 0.5f);
                processor->processBlock(buffer, midi);
            }
        });
    std::thread render(
        [&]
        {
            for (; !stop.load(); frames.fetch_add(1))
            {
                clock.advance(16);
                frame();
            }
        });
    const auto deadline = juce::Time::getMillisecondCounter() + 20000;
    for (int round = 0; (round < 100 || frames.load() < 100 || blocks.load() < 50) &&
                        juce::Time::getMillisecondCounter() < deadline;
         ++round)
        for (size_t k = 0; k < resized.size(); ++k)
            resized[k]->setBounds(
                original[k].translated(round % 3, round % 2).withWidth(original[k].getWidth() + round % 7));
    for (size_t k = 0; k < resized.size(); ++k)
        resized[k]->setBounds(original[k]);
    stop.store(true);
    audio.join();
    render.join();

    EXPECT_GE(frames.load(), 100);
    EXPECT_GE(blocks.load(), 50);
    EXPECT_FALSE(lists.staleUse);
}

} // namespace
} // namespace latiphonix::test
