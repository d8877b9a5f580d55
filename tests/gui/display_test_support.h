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

} // namespace vk::test
