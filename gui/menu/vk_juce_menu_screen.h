#pragma once

#include <juce_core/juce_core.h>

namespace vk
{

class VkJuceMenu;

/** One page of the overlay menu. A screen either fills the menu with its lines or performs an action and
    names the screen that follows. Screens are small objects made at each navigation step and owned by the
    menu, which deletes them when they are replaced or cleared.

    [message thread]
*/
class VkJuceMenuScreen
{
public:
    explicit VkJuceMenuScreen(VkJuceMenu& owningMenu) : menu(owningMenu) {}
    virtual ~VkJuceMenuScreen() = default;

    /** Fills the menu, or performs an action and calls the menu's setPendingScreen. */
    virtual void buildScreen() = 0;
    /** Width 300, the header, then buildScreen. */
    virtual void showScreen();

protected:
    VkJuceMenu& menu;

    JUCE_DECLARE_NON_COPYABLE(VkJuceMenuScreen)
};

} // namespace vk
