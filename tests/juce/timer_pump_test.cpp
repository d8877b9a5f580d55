// The message-thread timer pump added to our copy of JUCE: a plug-in that processes audio on the message
// thread calls it so that its timers still fire. The tests run without a dispatch loop, so the framework's
// own timer messages are never delivered here and only the pump can fire a timer.

#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{
struct CountingTimer : juce::Timer
{
    std::atomic<int> calls{0};
    void timerCallback() override { ++calls; }
};

void waitMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The message manager is created on this thread, which makes it the message thread.
struct TimerPump : ::testing::Test
{
    juce::ScopedJuceInitialiser_GUI framework;
};
} // namespace

TEST_F(TimerPump, FiresOnlyWhenTheFirstTimerIsMoreThan200msOverdue)
{
    CountingTimer timer;
    const auto started = juce::Time::getMillisecondCounter();
    timer.startTimer(50);

    // About 150 ms overdue: left to the framework's own delivery. A sleep that overshoots by 50 ms on a
    // loaded machine would make this case meaningless, so it is only judged when the timing held.
    waitMs(200);
    juce::Timer::pumpTimersFromAudioCallback();
    const auto overdue = static_cast<int>(juce::Time::getMillisecondCounter() - started) - 50;
    if (overdue < 195)
    {
        EXPECT_EQ(timer.calls.load(), 0) << "fired " << overdue << " ms overdue";
    }

    // The countdowns carry on from the last pump: another 100 ms makes it at least 250 ms overdue.
    waitMs(100);
    juce::Timer::pumpTimersFromAudioCallback();
    EXPECT_EQ(timer.calls.load(), 1);

    // Firing restarts the countdown, so an immediate second pump has nothing to do.
    juce::Timer::pumpTimersFromAudioCallback();
    EXPECT_EQ(timer.calls.load(), 1);
    timer.stopTimer();
}

TEST_F(TimerPump, DoesNothingOffTheMessageThreadOrForAStoppedTimer)
{
    CountingTimer timer;
    CountingTimer stopped;
    timer.startTimer(20);
    stopped.startTimer(20);
    stopped.stopTimer();
    waitMs(300);

    std::thread([] { juce::Timer::pumpTimersFromAudioCallback(); }).join();
    EXPECT_EQ(timer.calls.load(), 0);

    juce::Timer::pumpTimersFromAudioCallback();
    EXPECT_EQ(timer.calls.load(), 1);
    EXPECT_EQ(stopped.calls.load(), 0);
    timer.stopTimer();
}
