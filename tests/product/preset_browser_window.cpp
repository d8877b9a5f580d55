// Linked into each window test binary: the leak report names what Mesa and Xlib keep, and the window
// manager's atoms exist before JUCE starts.
#include "tests/gui/display_test_support.h"

namespace
{
[[maybe_unused]] const bool atomsReadyBeforeJuceStarts =
    vk::test::hasDisplay() && vk::test::internWindowManagerAtoms();
} // namespace
