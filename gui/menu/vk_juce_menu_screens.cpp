#include "vk_juce_menu_screens.h"

#include "editor/vk_juce_editor_base.h"
#include "vk_juce_menu.h"

#include "formats/identity/vk_plugin_identity.h"
#include "processor/vk_wrapper_type.h"

namespace vk
{

namespace
{
constexpr int spacer = VkJuceMenu::spacerHeight;
constexpr int lineHeight = 13;
} // namespace

void VkJuceMenuScreen::showScreen()
{
    VkJuceMenu::setMenuWidth(VkJuceMenu::defaultMenuWidth);
    menu.layoutHeader();
    buildScreen();
}

void VkJuceMenuScreenMainMenu::buildScreen()
{
    menu.addTextLine(juce::String("Version ") + identity::kVersionText + " 64bit", lineHeight);
    menu.addSpacer(spacer);
    menu.addItem("Credits and Options", std::make_unique<VkJuceMenuScreenCreditsAndOptions>(menu));
    menu.addItem("Open manual", std::make_unique<VkJuceMenuScreenOpenManual>(menu));
    menu.addItem("Check for updates", std::make_unique<VkJuceMenuScreenCheckForUpdates>(menu));
    menu.addSpacer(spacer);
    menu.addItem(" Close ", std::make_unique<VkJuceMenuScreenPluginGui>(menu));
}

void VkJuceMenuScreenPluginGui::buildScreen()
{
    auto* editor = menu.getOwner();
    if (editor == nullptr)
        return;
    auto& processor = editor->getProcessorBase();
    // Reported like a user's click: the host sees the menu close, and the editor's next update hides it.
    processor.setParameterInternal(processor.getShowMenuParameterId(), 0.0f, true, false, false);
}

void VkJuceMenuScreenOpenCompanyWebSite::buildScreen()
{
    menu.openHotlink("BACK_BUTTON_NORMAL", true, false);
    menu.setPendingScreen(std::make_unique<VkJuceMenuScreenMainMenu>(menu));
}

juce::StringArray VkJuceMenuScreenCreditsAndOptions::getCreditedNames()
{
    return {"Ilse Marowitz", "Teodor Vanek", "Aino Kallberg", "Ruben Osterlund",
            "Maren Holtz",   "Pavel Dusek",  "Liora Fenwick", "Jonas Arvidsen"};
}

juce::String VkJuceMenuScreenCreditsAndOptions::getTechnologyLine(int wrapperType)
{
    switch (wrapperType)
    {
    case kWrapperVst:
        return "VST by Steinberg Media Technologies GmbH";
    case kWrapperAu:
        return "AU by Apple Computer Inc";
    case kWrapperRtas:
    case kWrapperAudioSuite:
        return "AudioSuite and RTAS technology by Avid";
    case kWrapperAax:
        return "AAX technology by Avid";
    case kWrapperVst3:
        return "VST3 by Steinberg Media Technologies GmbH";
    default:
        return {};
    }
}

void VkJuceMenuScreenCreditsAndOptions::showScreen()
{
    VkJuceMenu::setMenuWidth(menuWidth);
    menu.layoutHeader();
    buildScreen();
}

void VkJuceMenuScreenCreditsAndOptions::buildScreen()
{
    auto* editor = menu.getOwner();
    if (editor == nullptr)
        return;
    auto& processor = editor->getProcessorBase();

    menu.addHeading("Options");
    const bool sideBySide = editor->isOptionsSideBySide();
    menu.addToggle("Show profiling", processor.getProfilingParameterId(), sideBySide ? 0 : 2);
    menu.addToggle("Export Support", processor.getExportSupportParameterId(), sideBySide ? 1 : 2);
    editor->addExtraOptions();
    menu.addSpacer(spacer);

    menu.addHeading("Credits");
    addCreditLines();
    menu.addSpacer(spacer);
    if (const auto technology = getTechnologyLine(processor.getWrapperType()); technology.isNotEmpty())
        menu.addTextLine(technology, lineHeight);
    editor->addExtraCredits();
    for (int i = 0; i < 3; ++i)
        menu.addSpacer(spacer);

    menu.addItem(juce::String(identity::kMakerUrl).fromFirstOccurrenceOf("://", false, false),
                 std::make_unique<VkJuceMenuScreenOpenCompanyWebSite>(menu));
    menu.addSpacer(spacer);
    menu.addItem("Back", std::make_unique<VkJuceMenuScreenMainMenu>(menu));
}

void VkJuceMenuScreenCreditsAndOptions::addCreditLines()
{
    auto* editor = menu.getOwner();
    juce::StringArray names = getCreditedNames();
    names.addArray(editor->getCreditNames());
    // Nobody is always first: the names are drawn in a new order every time the screen is built.
    const int perLine = editor->getWidth() < 250 ? 2 : 3;
    auto& random = juce::Random::getSystemRandom();
    juce::String line;
    int onLine = 0;
    while (!names.isEmpty())
    {
        const int pick = random.nextInt(names.size());
        if (onLine > 0)
            line << ", ";
        line << names[pick];
        names.remove(pick);
        if (++onLine == perLine)
        {
            menu.addTextLine(line, lineHeight);
            line.clear();
            onLine = 0;
        }
    }
    if (onLine > 0)
        menu.addTextLine(line, lineHeight);
}

} // namespace vk
