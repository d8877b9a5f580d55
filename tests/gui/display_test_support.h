#pragma once

// For the tests that open real windows with OpenGL (Xvfb + Mesa): DISPLAY must be set, otherwise they skip.
#include <juce_gui_basics/juce_gui_basics.h>

#include <dlfcn.h>

#include <cstdlib>

namespace juce
{
// JUCE's own loop step (juce_linux_Messaging.cpp); modal loops are off in this build, so tests pump with it.
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
} // namespace juce

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

/** Mesa's driver libraries are unloaded at exit, and the leak report then cannot name what they kept; pinning
    the loaded ones keeps their names in the report so that suppressions apply. */
inline void pinGlDriverLibraries()
{
    for (const char* lib :
         {"swrast_dri.so", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "libGLX_mesa.so.0", "libglapi.so.0",
          "libLLVM-15.so.1", "libLLVM-14.so.1", "libGL.so.1", "libGLX.so.0"})
        dlopen(lib, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

} // namespace vk::test
