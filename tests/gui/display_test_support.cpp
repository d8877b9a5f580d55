#include "display_test_support.h"

#include "tools/x11/x11_window_manager_atoms.h"

namespace vk::test
{

bool internWindowManagerAtoms()
{
    return vk::x11::internWindowManagerAtoms(true);
}

bool parkPointer()
{
    ::Display* d = internWindowManagerAtoms() ? vk::x11::keptOpenDisplay : nullptr;
    if (d == nullptr)
        return false;
    const int screen = DefaultScreen(d);
    XWarpPointer(d, None, RootWindow(d, screen), 0, 0, 0, 0, DisplayWidth(d, screen) - 1,
                 DisplayHeight(d, screen) - 1);
    // Done when the server has moved it: the events it sends about that go to windows that exist now.
    XSync(d, False);
    return true;
}

} // namespace vk::test
