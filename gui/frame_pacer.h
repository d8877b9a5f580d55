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

    The pacing thread asks for each frame itself (juce::OpenGLContext::triggerRepaintFromAnyThread), not
    through the message loop: a VST 2.4 host runs that loop only when it idles the editor, often no more
    than 20 times a second. The request must therefore be safe on any thread while the message thread
    deletes and recreates the context's window state.

    [message thread] construction, destruction, start, stop. [pacing thread] requestFrame.
    [render thread] frameFinished. Nothing allocated after start.
*/
class FramePacer : private juce::Thread
{
public:
    static constexpr int framePeriodMs = 15;

    /** requestFrame: called on the pacing thread; must be safe there. */
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

    std::function<void()> requestFrame;
    juce::WaitableEvent frameDone;
    std::atomic<int> lastFrameDurationMs{0};
};

} // namespace vk
