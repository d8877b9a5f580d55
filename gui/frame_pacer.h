#pragma once

#include <juce_events/juce_events.h>

#include <atomic>
#include <functional>

namespace vk
{

/** Keeps an OpenGL context at one frame every 15 ms.

    JUCE 7 renders every context of the process on one shared thread that must never sleep, and without
    continuous repainting it draws only when asked. A thread of the pacer's own keeps the time: after each
    frame it waits 15 ms less the frame's duration (at least 1 ms) and asks for the next one; a frame that
    never comes (no context yet, hidden window) is asked for again after a bounded wait, so pacing resumes by
    itself.

    The asking itself (requestFrame) runs on the JUCE message thread; the pacing thread only posts it there.
    JUCE keeps a context's per-window state in an object that the message thread deletes and recreates when
    the window is hidden, shown or re-parented, so no other thread may reach it. A request still queued when
    the pacer stops is dropped.

    [message thread] construction, destruction, start, stop, requestFrame. [render thread] frameFinished.
    Nothing allocated after start: the posted request is one message, reused.
*/
class FramePacer : private juce::Thread, private juce::AsyncUpdater
{
public:
    static constexpr int framePeriodMs = 15;

    /** requestFrame: called on the message thread, typically juce::OpenGLContext::triggerRepaint. */
    explicit FramePacer(std::function<void()> requestFrame);
    ~FramePacer() override;

    void start();
    /** Returns once the pacing thread has ended; it never waits for a frame. requestFrame is not called after
        this returns. */
    void stop();
    bool isRunning() const { return isThreadRunning(); }

    /** [render thread] Wakes the pacer; durationMs is how long the frame took. */
    void frameFinished(int durationMs) noexcept;

    /** Milliseconds to wait after a frame of the given duration. */
    static int delayAfterFrame(int frameDurationMs) noexcept;

private:
    void run() override;
    void handleAsyncUpdate() override;

    std::function<void()> requestFrame;
    juce::WaitableEvent frameDone;
    std::atomic<int> lastFrameDurationMs{0};
    bool running = false; // message thread only
};

} // namespace vk
