// The editor's displays read what the audio thread writes (meters, spectrum observers, published peaks)
// while the message thread reads what the render thread writes (the balance readout): all without locks
// that could stall audio, and without data races (this test runs under ThreadSanitizer), also while the
// message thread moves and resizes them.

#include "editor_test_support.h"

#include <functional>
#include <thread>

namespace latiphonix::test
{
namespace
{

/** Noise louder on the left through the processor, and frames after 16 ms steps of the display clock, each
    on a thread of its own until stopped. */
class AudioAndFrames
{
public:
    AudioAndFrames(LatiphonixProcessor& p, vk::ManualDisplayClock& c, std::function<void()> drawFrame)
        : audio(
              [this, &p]
              {
                  juce::AudioBuffer<float> buffer(2, 256);
                  juce::MidiBuffer midi;
                  juce::Random random(11);
                  while (!stopping.load())
                  {
                      for (int ch = 0; ch < 2; ++ch)
                          for (int i = 0; i < 256; ++i)
                              buffer.setSample(ch, i, (random.nextFloat() - 0.5f) * (ch == 0 ? 0.9f : 0.3f));
                      p.processBlock(buffer, midi);
                      blocks.fetch_add(1);
                  }
              }),
          render(
              [this, &c, drawFrame]
              {
                  while (!stopping.load())
                  {
                      c.advance(16);
                      drawFrame();
                      frames.fetch_add(1);
                  }
              })
    {
    }
    ~AudioAndFrames() { stop(); }

    void stop()
    {
        if (stopping.exchange(true))
            return;
        audio.join();
        render.join();
    }

    std::atomic<int> frames{0}, blocks{0};

private:
    std::atomic<bool> stopping{false};
    std::thread audio, render;
};

TEST_F(EditorTest, RenderAudioAndTimerThreadsShareTheDisplaysWithoutRaces)
{
    set(kAnalysis, 1.0f);
    open();
    AudioAndFrames threads(*processor, clock, [this] { frame(); });

    // The message thread: timer ticks, parameter updates and readout copies, until every thread has done
    // real work (bounded, so a stuck thread fails rather than hangs).
    juce::String lastReadout;
    const auto deadline = juce::Time::getMillisecondCounter() + 20000;
    int ticks = 0;
    while ((threads.frames.load() < 200 || threads.blocks.load() < 200 || ticks < 200) &&
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
    threads.stop();

    EXPECT_GE(threads.frames.load(), 200);
    EXPECT_GE(threads.blocks.load(), 200);
    // Louder on the left: the readout leans left.
    editor->onTimerTick();
    EXPECT_TRUE(editor->getBalanceGraph()->getReadoutText().startsWith("L")) << lastReadout;
    EXPECT_FALSE(lists.staleUse);
}

TEST_F(EditorTest, ControlsAndGraphsResizedWhileFramesDrawThem)
{
    // Frames take every size and position from the render copy of the bounds, never from juce's own
    // fields, which setBounds rewrites here while the render thread draws.
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

    AudioAndFrames threads(*processor, clock, [this] { frame(); });
    const auto deadline = juce::Time::getMillisecondCounter() + 20000;
    for (int round = 0; (round < 100 || threads.frames.load() < 100 || threads.blocks.load() < 50) &&
                        juce::Time::getMillisecondCounter() < deadline;
         ++round)
        for (size_t k = 0; k < resized.size(); ++k)
            resized[k]->setBounds(
                original[k].translated(round % 3, round % 2).withWidth(original[k].getWidth() + round % 7));
    for (size_t k = 0; k < resized.size(); ++k)
        resized[k]->setBounds(original[k]);
    threads.stop();

    EXPECT_GE(threads.frames.load(), 100);
    EXPECT_GE(threads.blocks.load(), 50);
    EXPECT_FALSE(lists.staleUse);
}

} // namespace
} // namespace latiphonix::test
