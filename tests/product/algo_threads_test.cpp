// The band layout handed from the message thread to the audio thread's morph while both run: however the
// layout changes under it, the morph ends with every band on the latest tables.

#include "product_test_support.h"

#include "processor/vk_registry.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace latiphonix;

namespace
{

using MorphThreadsTest = ProductTest;

TEST_F(MorphThreadsTest, LayoutChangesDuringPlaybackEndWithTheBankOnTheLatestLayout)
{
    prepare(48000.0, 1024);
    set(kIidEnabled, 1.0f, kResolution, 0.009f, kIidFocusUpper, 1.0f, kIidHighBound, 1.0f);
    tick();

    // Blocks of one tick, so each block runs the morph once.
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::thread audio(
        [&]
        {
            auto signal = makeMonoNoise(1024, 0.5f, 9u);
            juce::MidiBuffer midi;
            while (!stop.load())
            {
                auto copy = signal;
                float* channels[] = {copy.left.data(), copy.right.data()};
                juce::AudioBuffer<float> buffer(channels, 2, 1024);
                processor->processBlock(buffer, midi);
                blocks.fetch_add(1);
            }
        });

    // The message thread lays the bank out again and again while the morph works through it.
    std::mt19937 random(21u);
    std::uniform_real_distribution<float> unit(0.0f, 0.6f);
    for (int change = 0; change < 400; ++change)
    {
        set(kIidFocusLower, unit(random));
        if (change % 50 == 0)
            set(kResolution, float(random() % 10) / 1000.0f);
        tick();
        std::this_thread::yield();
    }

    // A finished morph takes well under a hundred ticks; wait for a thousand more blocks (bounded).
    const long target = blocks.load() + 1000;
    for (int waited = 0; blocks.load() < target && waited < 120000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stop.store(true);
    audio.join();
    ASSERT_GE(blocks.load(), target);
    EXPECT_EQ(algo().getMorphState(), 0);
    EXPECT_TRUE(algo().isBankOnLayout());
}

TEST_F(MorphThreadsTest, ResultsHandedToTheMessageThreadArriveWhileBothRun)
{
    // The audio thread ends an auto-level analysis and a host thread changes a persistent value many
    // times, while the message thread ticks; the last of each reaches the parameters and the settings.
    prepare(48000.0, 512);
    algo().setClock(&manualClock);
    algo().markAnalysisStart();
    std::atomic<bool> analysisEnded{false};
    std::thread audio(
        [&]
        {
            auto signal = makeMonoNoise(512, 0.5f, 4u);
            juce::MidiBuffer midi;
            for (int block = 0; block < 400; ++block)
            {
                auto copy = signal;
                float* channels[] = {copy.left.data(), copy.right.data()};
                juce::AudioBuffer<float> buffer(channels, 2, 512);
                processor->processBlock(buffer, midi);
                if (block == 200)
                    manualNow += 3000;
            }
            analysisEnded.store(!algo().isAnalysisRunning());
        });
    std::thread host(
        [&]
        {
            for (int change = 0; change <= 300; ++change)
                processor->setParameterInternal(9000, float(change % 7) / 1000.0f, true, false, true);
        });
    for (int t = 0; t < 200; ++t)
        tick();
    audio.join();
    host.join();
    tick();
    EXPECT_TRUE(analysisEnded.load());
    EXPECT_EQ(get(kAutoLevel), 1.0f);
    EXPECT_EQ(vk::registry::readProductFloat("RoutingDefault"), float(300 % 7) / 1000.0f);
}

} // namespace
