#include "test_processor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

// The setter is entered from the audio thread, the host's parameter thread and the message thread at
// once while blocks are processed. Run under ThreadSanitizer this catches unguarded shared state; in
// any build it catches crashes, lost invariants and deadlocks (the test would hang).
TEST(ProcessorThreads, ParameterChangesFromThreeThreadsWhileProcessing)
{
    ScopedDataFolders folders;
    TestProcessor processor;
    processor.setRateAndBufferSizeDetails(48000.0, 64);
    processor.prepareToPlay(48000.0, 64);
    constexpr int kIterations = 1500;

    std::thread audio(
        [&]
        {
            juce::AudioBuffer<float> buffer(2, 64);
            juce::MidiBuffer midi;
            std::mt19937 random(1);
            for (int i = 0; i < kIterations; ++i)
            {
                buffer.clear();
                processor.processBlock(buffer, midi);
                // The algorithm's own changes (automatic trim) go through the setter on this thread.
                processor.setParameterInternal(6, float(random() % 1000) / 1000.0f, true, false, false);
                if (i % 50 == 0)
                    processor.requestTimerUpdate();
            }
        });

    std::thread host(
        [&]
        {
            std::mt19937 random(2);
            for (int i = 0; i < kIterations; ++i)
            {
                const int index = 3 + int(random() % 5);
                processor.setParameter(index, float(random() % 1001) / 1000.0f);
                if (i % 100 == 0)
                    processor.setCurrentProgram(int(random() % 46));
                (void)processor.getProgramName(int(random() % 46));
            }
        });

    std::thread message(
        [&]
        {
            std::mt19937 random(3);
            for (int i = 0; i < kIterations; ++i)
            {
                const int index = 3 + int(random() % 5);
                if (i % 10 == 0)
                {
                    processor.beginNewTransaction();
                    processor.getParameterRecord(index).gestureHeld = true;
                    processor.queueParameterChange(index, false, true);
                }
                processor.setParameterInternal(index, float(random() % 1001) / 1000.0f, true, false, false);
                processor.setParameterInternal(3 + int(random() % 5), 0.5f, true, false, false);
                for (int p = 3; p < 8 && i % 10 == 9; ++p)
                {
                    processor.getParameterRecord(p).gestureHeld = false;
                    processor.endParameterGesture(p);
                }
                // Undo, redo, A/B, A-to-B, the modified check, and the timer's work in turn.
                if (i % 7 == 0 || i % 7 == 1)
                    processor.editorSet(i % 7 == 0 ? 9101 : 9102, 1.0f);
                else if (i % 7 == 2)
                    processor.setParameterInternal(9103, float(i % 2), true, false, false);
                else if (i % 7 == 3)
                    processor.setParameterInternal(9104, 1.0f, true, true, false);
                else if (i % 7 == 4)
                {
                    (void)processor.isProgramModified();
                    processor.setCurrentProgramInfo({}, {});
                }
                else
                {
                    processor.timerCallback();
                    processor.clearGuiDirtyFlags();
                }
                (void)processor.isRefreshAllPending();
                (void)processor.getLastChangedParameter();
            }
        });

    audio.join();
    host.join();
    message.join();

    for (int i = 0; i < TestProcessor::kNumMain; ++i)
    {
        const float value = processor.getParameter(i);
        EXPECT_GE(value, 0.0f) << i;
        EXPECT_LE(value, 1.0f) << i;
    }
    // The history survived: undo and redo still move a known change back and forth.
    processor.beginNewTransaction();
    processor.editorSet(7, 0.123f);
    processor.beginNewTransaction();
    processor.editorSet(7, 0.456f);
    processor.editorSet(9101, 1.0f);
    EXPECT_EQ(processor.getParameter(7), 0.123f);
    processor.editorSet(9102, 1.0f);
    EXPECT_EQ(processor.getParameter(7), 0.456f);
}

// The host saves and restores state on its main thread while the audio thread keeps switching bypass on
// and off and the host's parameter thread keeps changing values.
TEST(ProcessorThreads, StateSavedAndLoadedWhileBypassSwitches)
{
    ScopedDataFolders folders;
    TestProcessor processor;
    processor.setLatencySamples(48);
    processor.prepareToPlay(48000.0, 64);
    constexpr int kIterations = 400;
    std::atomic<bool> stop{false};

    std::thread audio(
        [&]
        {
            juce::AudioBuffer<float> buffer(2, 64);
            juce::MidiBuffer midi;
            for (int i = 0; !stop.load(); ++i)
            {
                buffer.clear();
                if ((i / 3) % 2 == 0)
                    processor.processBlockBypassed(buffer, midi);
                else
                    processor.processBlock(buffer, midi);
            }
        });

    std::thread host(
        [&]
        {
            std::mt19937 random(4);
            while (!stop.load())
                processor.setParameter(3 + int(random() % 5), float(random() % 1001) / 1000.0f);
        });

    juce::MemoryBlock state;
    for (int i = 0; i < kIterations; ++i)
    {
        state.reset();
        processor.getStateInformation(state);
        processor.setStateInformation(state.getData(), int(state.getSize()));
        (void)processor.isBypassEngaged();
    }
    stop = true;
    audio.join();
    host.join();

    // The bank is still whole: every slot saved and read back has its name.
    for (int slot = 0; slot < 46; ++slot)
        EXPECT_FALSE(processor.getProgramName(slot).isEmpty()) << slot;
}
