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

// Runs `block` and `frame` over and over on threads of their own until stopped, counting both.
class AudioAndRenderThreads
{
public:
    AudioAndRenderThreads(std::function<void()> block, std::function<void()> frame)
        : m_audio(
              [this, block]
              {
                  for (; !m_stop.load(); blocks.fetch_add(1))
                      block();
              }),
          m_render(
              [this, frame]
              {
                  for (; !m_stop.load(); frames.fetch_add(1))
                      frame();
              })
    {
    }
    ~AudioAndRenderThreads() { stop(); }
    void stop()
    {
        m_stop.store(true);
        if (m_audio.joinable())
            m_audio.join();
        if (m_render.joinable())
            m_render.join();
    }

    std::atomic<int> frames{0}, blocks{0};

private:
    std::atomic<bool> m_stop{false};
    std::thread m_audio, m_render;
};

// [audio thread] Blocks of noise for `processor`, the left channel at `leftGain` and the right at
// `rightGain`.
struct NoiseBlocks
{
    NoiseBlocks(juce::AudioProcessor& p, float left, float right)
        : processor(p), leftGain(left), rightGain(right)
    {
    }

    juce::AudioProcessor& processor;
    float leftGain, rightGain;
    juce::AudioBuffer<float> buffer{2, 256};
    juce::MidiBuffer midi;
    juce::Random random{11};

    void operator()()
    {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 256; ++i)
                buffer.setSample(c, i, (random.nextFloat() - 0.5f) * (c == 0 ? leftGain : rightGain));
        processor.processBlock(buffer, midi);
    }
};

TEST_F(EditorTest, RenderAudioAndTimerThreadsShareTheDisplaysWithoutRaces)
{
    set(kAnalysis, 1.0f);
    open();
    AudioAndRenderThreads threads(NoiseBlocks{*processor, 0.9f, 0.3f},
                                  [this]
                                  {
                                      clock.advance(16);
                                      frame();
                                  });

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

    AudioAndRenderThreads threads(NoiseBlocks{*processor, 1.0f, 1.0f},
                                  [this]
                                  {
                                      clock.advance(16);
                                      frame();
                                  });
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
