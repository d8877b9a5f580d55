#pragma once

// Frames that the OpenGL contexts of this process have put on screen (swap_counter.cpp), for tests that read
// what a window shows back from the X server. No Xlib or JUCE here.
#include <cstdint>

namespace vk::test
{

/** Swaps that have returned, by every context of the process, modules loaded later included. [any thread] */
std::int64_t swappedFrames();

/** Made right after a change: holds once a frame whose drawing began after the change is on screen. The next
    swap may show a frame begun before the change; the frame after it began once that swap had returned.
    Counts the swaps of every context: for tests with one editor drawing at a time. */
class ShownAfterNow
{
public:
    ShownAfterNow() : mark(swappedFrames()) {}
    bool operator()() const { return swappedFrames() >= mark + 2; }

private:
    const std::int64_t mark;
};

} // namespace vk::test
