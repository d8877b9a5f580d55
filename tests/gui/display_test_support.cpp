#include "display_test_support.h"

#include "tools/x11/x11_window_manager_atoms.h"

namespace vk::test
{

bool internWindowManagerAtoms()
{
    return vk::x11::internWindowManagerAtoms(true);
}

} // namespace vk::test
