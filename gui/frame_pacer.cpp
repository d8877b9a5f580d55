#include "frame_pacer.h"

namespace vk
{

namespace
{
// Long enough never to fire while frames flow, short enough that a lost frame request costs little.
constexpr int missingFrameRetryMs = 100;
} // namespace

FramePacer::FramePacer(std::function<void()> request)
    : juce::Thread("VkOgl frame pacer"), requestFrame(std::move(request))
{
}

FramePacer::~FramePacer()
{
    stop();
}

void FramePacer::start()
{
    running = true;
    if (!isThreadRunning())
        startThread();
}

void FramePacer::stop()
{
    running = false;
    signalThreadShouldExit();
    frameDone.signal();
    notify();
    stopThread(-1);
    cancelPendingUpdate();
}

void FramePacer::frameFinished(int durationMs) noexcept
{
    lastFrameDurationMs.store(durationMs, std::memory_order_relaxed);
    frameDone.signal();
}

int FramePacer::delayAfterFrame(int frameDurationMs) noexcept
{
    return juce::jmax(1, framePeriodMs - frameDurationMs);
}

void FramePacer::handleAsyncUpdate()
{
    if (running)
        requestFrame();
}

void FramePacer::run()
{
    while (!threadShouldExit())
    {
        triggerAsyncUpdate();
        frameDone.wait(missingFrameRetryMs);
        if (threadShouldExit())
            break;
        wait(delayAfterFrame(lastFrameDurationMs.load(std::memory_order_relaxed)));
    }
}

} // namespace vk
