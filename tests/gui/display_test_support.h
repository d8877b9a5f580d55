#pragma once

// For the tests that open real windows with OpenGL (Xvfb + Mesa): DISPLAY must be set, otherwise they skip.
#include "message_pump.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include "gl_driver_pin.h"

#include <cstdlib>

namespace vk::test
{

inline bool hasDisplay()
{
    const char* d = std::getenv("DISPLAY");
    return d != nullptr && *d != 0;
}

/** JUCE sets window-manager properties through atoms it only looks up; on a bare X server without a window
    manager they do not exist yet, and X rejects atom 0. Creating them first makes the server look like a
    desktop's. The connection stays open: Xvfb resets, and forgets its atoms, when its last client leaves.
    (In its own file: Xlib's macros clash with JUCE's and gtest's names.) */
bool internWindowManagerAtoms();

/** Moves the X pointer to the screen's far corner, away from every window the tests open (their windows
    sit at the top left), before a test opens its window. The tests drive their windows with synthetic
    events; a real pointer left over a window (by a test that clicks through the X server) makes the server
    send it enter and motion events of its own, which can arrive at any later moment, on a loaded machine
    after the test's own, and move the hover or the press elsewhere. False without a display. */
bool parkPointer();

} // namespace vk::test
