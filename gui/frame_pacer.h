#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <functional>

namespace vk
{

/** Keeps an OpenGL context at one frame every 15 ms by asking for repaints from a thread of its own.

    JUCE 7 renders every context of the process on one shared thread that must never sleep, and without
    continuous repainting it draws only when asked. After each frame the pacer waits 15 ms less the frame's
    duration (at least 1 ms) and asks for the next one; a frame that never comes (no context yet, hidden
    window) is asked for again after a bounded wait, so pacing resumes by itself.

    [message thread] start, stop. [render thread] frameFinished. No allocation after start.
*/
class FramePacer : private juce::Thread
{
public:
    static constexpr int framePeriodMs = 15;

    explicit FramePacer(std::function<void()> requestFrame);
    ~FramePacer() override;

    void start();
    /** Returns once the pacing thread has ended; it never waits for a frame. */
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
