#pragma once

// Runs JUCE's message loop by hand: modal loops are off in this build, so tests that wait for posted
// messages pump the loop themselves.
#include <juce_events/juce_events.h>

namespace juce
{
// JUCE's own loop step (juce_linux_Messaging.cpp).
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
} // namespace juce

namespace vk::test
{

/** Runs the message loop until done() holds or the bound runs out; returns done(). */
template <typename Pred>
bool pumpUntil(Pred done, int boundMs = 10000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)boundMs;
    while (!done())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;
        if (!juce::dispatchNextMessageOnSystemQueue(true))
            juce::Thread::sleep(1);
    }
    return true;
}

} // namespace vk::test
