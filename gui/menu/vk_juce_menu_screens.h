#pragma once

// The screens of the overlay menu: main menu, options and credits, closing, the maker's web site, and
// the update check and manual screens. Each is a VkJuceMenuScreen with nothing of its own but its build.

#include "vk_juce_menu_screen.h"

namespace vk
{

#define VK_MENU_SCREEN(Name)                                                                                 \
    class Name : public VkJuceMenuScreen                                                                     \
    {                                                                                                        \
    public:                                                                                                  \
        using VkJuceMenuScreen::VkJuceMenuScreen;                                                            \
        void buildScreen() override;                                                                         \
    };

VK_MENU_SCREEN(VkJuceMenuScreenMainMenu)
/** Closes the menu through the show-menu parameter; the editor then hides it. */
VK_MENU_SCREEN(VkJuceMenuScreenPluginGui)
VK_MENU_SCREEN(VkJuceMenuScreenOpenCompanyWebSite)

/** Options toggles and the credits; 350 pixels wide. */
class VkJuceMenuScreenCreditsAndOptions : public VkJuceMenuScreen
{
public:
    static constexpr int menuWidth = 350;
    /** Credited names, before the ones the editor adds. */
    static juce::StringArray getCreditedNames();
    /** The line naming the format's technology owner; empty for a format that names none. */
    static juce::String getTechnologyLine(int wrapperType);

    using VkJuceMenuScreen::VkJuceMenuScreen;
    void showScreen() override;
    void buildScreen() override;

private:
    void addCreditLines();
};

// Update check and manual.
/** Asks the version server and names one of the four result screens. */
VK_MENU_SCREEN(VkJuceMenuScreenCheckForUpdates)
VK_MENU_SCREEN(VkJuceMenuScreenNewerVersionAvailable)
VK_MENU_SCREEN(VkJuceMenuScreenOpenMyDownloads)
VK_MENU_SCREEN(VkJuceMenuScreenHaveCurrentVersion)
VK_MENU_SCREEN(VkJuceMenuScreenHavePreReleaseVersion)
VK_MENU_SCREEN(VkJuceMenuScreenErrorContactingVersionServer)
/** Opens the PDF manual from the install folder with the desktop's viewer. */
VK_MENU_SCREEN(VkJuceMenuScreenOpenManual)
VK_MENU_SCREEN(VkJuceMenuScreenOpenManualError)

#undef VK_MENU_SCREEN

} // namespace vk
