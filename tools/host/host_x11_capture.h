#pragma once

// Reads a window back from the X server, embedded windows included (what the user sees there). In its
// own file: Xlib's names (Time, Window...) clash with the framework's.

#include <cstdint>
#include <vector>

namespace vkhost
{

struct CapturedImage
{
    int width = 0;
    int height = 0;
    // Top-down rows of 0xRRGGBB.
    std::vector<std::uint32_t> pixels;
};

// The framework looks some window-manager atoms up without creating them; a bare X server (no window
// manager, as under Xvfb) does not have them and rejects atom 0. Creates them once and keeps the
// connection open (the server forgets them when its last client leaves). False without a display.
bool prepareBareServer();

// An empty image when there is no display or no such window.
CapturedImage captureWindow(unsigned long window);

// The X window's size; false when there is no display or no such window.
bool windowSize(unsigned long window, int& width, int& height);

} // namespace vkhost
