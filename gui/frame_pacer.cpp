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
    if (!isThreadRunning())
        startThread();
}

void FramePacer::stop()
{
    signalThreadShouldExit();
    frameDone.signal();
    notify();
    stopThread(-1);
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

void FramePacer::run()
{
    while (!threadShouldExit())
    {
        requestFrame();
        frameDone.wait(missingFrameRetryMs);
        if (threadShouldExit())
            break;
        wait(delayAfterFrame(lastFrameDurationMs.load(std::memory_order_relaxed)));
    }
}

} // namespace vk
