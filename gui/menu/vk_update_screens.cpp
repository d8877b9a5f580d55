// The update check and the manual: the screens the main menu's "Check for updates" and "Open manual"
// lead to.
#include "editor/vk_juce_editor_base.h"
#include "vk_juce_menu.h"
#include "vk_juce_menu_screens.h"
#include "vk_version_reply.h"

#include "formats/identity/vk_plugin_identity.h"
#include "platform/vk_launcher.h"
#include "processor/vk_registry.h"

namespace vk
{

namespace
{
constexpr int spacer = VkJuceMenu::spacerHeight;
constexpr int lineHeight = 13;

void addLines(VkJuceMenu& menu, std::initializer_list<juce::String> lines)
{
    for (const auto& line : lines)
        menu.addTextLine(line, lineHeight);
}
} // namespace

void VkJuceMenuScreenCheckForUpdates::buildScreen()
{
    // [message thread] Blocks the editor for as long as the request lasts, which the read's deadline
    // keeps within ten seconds, redirects included.
    const juce::String reply = menu.openHotlink("GET_VERSIONS", false, true);
    switch (classifyVersionReply(reply, identity::kProductKey, identity::kVersionText))
    {
    case VersionCheckOutcome::noProductToken:
        menu.setPendingScreen(std::make_unique<VkJuceMenuScreenErrorContactingVersionServer>(menu));
        break;
    case VersionCheckOutcome::newerAvailable:
        menu.setPendingScreen(std::make_unique<VkJuceMenuScreenNewerVersionAvailable>(menu));
        break;
    case VersionCheckOutcome::current:
        menu.setPendingScreen(std::make_unique<VkJuceMenuScreenHaveCurrentVersion>(menu));
        break;
    case VersionCheckOutcome::preRelease:
        menu.setPendingScreen(std::make_unique<VkJuceMenuScreenHavePreReleaseVersion>(menu));
        break;
    }
}

void VkJuceMenuScreenNewerVersionAvailable::buildScreen()
{
    addLines(menu, {"A newer version of this plug-in is available."});
    menu.addSpacer(spacer);
    addLines(menu,
             {"To download the latest version, visit your", "account page by clicking on the link below."});
    menu.addSpacer(spacer);
    menu.addItem("Visit 'My Downloads'", std::make_unique<VkJuceMenuScreenOpenMyDownloads>(menu));
    menu.addItem("Back", std::make_unique<VkJuceMenuScreenMainMenu>(menu));
}

void VkJuceMenuScreenOpenMyDownloads::buildScreen()
{
    menu.openHotlink("DOWNLOAD_CR", true, false);
    menu.setPendingScreen(std::make_unique<VkJuceMenuScreenMainMenu>(menu));
}

void VkJuceMenuScreenHaveCurrentVersion::buildScreen()
{
    addLines(menu, {"You have the latest release version of this", "plug-in installed."});
    menu.addSpacer(spacer);
    menu.addItem("Ok", std::make_unique<VkJuceMenuScreenMainMenu>(menu));
}

void VkJuceMenuScreenHavePreReleaseVersion::buildScreen()
{
    addLines(menu, {"You have a pre-release or beta version of this",
                    "plug-in installed. If you discover any issues,",
                    juce::String("please e-mail ") + identity::kMakerEmail});
    menu.addSpacer(spacer);
    addLines(menu, {"As this software has not been officially released,",
                    "it is recommended that you do not use it in a", "production environment."});
    menu.addSpacer(spacer);
    menu.addItem("Ok", std::make_unique<VkJuceMenuScreenMainMenu>(menu));
}

void VkJuceMenuScreenErrorContactingVersionServer::buildScreen()
{
    addLines(menu, {"There was an error contacting the version server.",
                    "Please make sure you are connected to the", "internet and then try again."});
    menu.addSpacer(spacer);
    menu.addItem("Retry", std::make_unique<VkJuceMenuScreenCheckForUpdates>(menu));
    menu.addItem("Back", std::make_unique<VkJuceMenuScreenMainMenu>(menu));
}

void VkJuceMenuScreenOpenManual::buildScreen()
{
    // The folder is the user's to edit. Without one there is nothing to probe (not even "/"); the file
    // must be an existing regular file, and it is handed to the desktop's viewer, never executed.
    const juce::String folder = registry::readProductString("Install Folder");
    const juce::String path = registry::getManualPath();
    const bool opened = folder.isNotEmpty() && juce::File::isAbsolutePath(path) &&
                        juce::File(path).existsAsFile() && platform::openWithDesktop(path.toStdString());
    if (opened)
        menu.setPendingScreen(std::make_unique<VkJuceMenuScreenMainMenu>(menu));
    else
        menu.setPendingScreen(std::make_unique<VkJuceMenuScreenOpenManualError>(menu));
}

void VkJuceMenuScreenOpenManualError::buildScreen()
{
    addLines(menu, {"I'm sorry, I wasn't able to find the manual at", registry::getManualPath(),
                    "You may need to re-run the installer for", "this plug-in.  If that doesn't help please",
                    juce::String("e-mail ") + identity::kMakerEmail + " and we will help you."});
    menu.addSpacer(spacer);
    menu.addItem("Ok", std::make_unique<VkJuceMenuScreenMainMenu>(menu));
}

} // namespace vk
