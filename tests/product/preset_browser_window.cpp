// Linked into each window test binary: the leak report names what Mesa and Xlib keep, and the window
// manager's atoms exist before JUCE starts.
#include "tests/gui/display_test_support.h"

extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:XGetVisualInfo\n"
           "leak:libX11.so\n"
           "leak:libxcb.so\n"
           "leak:libGLX\n"
           "leak:libGL.so\n"
           "leak:swrast_dri\n"
           "leak:libLLVM\n"
           "leak:libglapi\n"
           "leak:<unknown module>\n";
}

namespace
{
[[maybe_unused]] const bool atomsReadyBeforeJuceStarts =
    vk::test::hasDisplay() && vk::test::internWindowManagerAtoms();
} // namespace
