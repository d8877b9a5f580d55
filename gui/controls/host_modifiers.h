#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace vk
{

/** The modifier keys whose meaning depends on the host: Pro Tools users expect Ctrl for fine adjustment and
    Alt for reset-to-default; every other host gets Shift for fine and Ctrl for reset.

    [any thread] Pure functions of the keys and the host kind.
*/
struct HostModifiers
{
    static bool isResetHeld(const juce::ModifierKeys& keys, bool hostIsProTools) noexcept
    {
        return hostIsProTools ? keys.isAltDown() : keys.isCtrlDown();
    }
    static bool isFineHeld(const juce::ModifierKeys& keys, bool hostIsProTools) noexcept
    {
        return hostIsProTools ? keys.isCtrlDown() : keys.isShiftDown();
    }
    static constexpr float fineFactor = 0.1f;
};

} // namespace vk
