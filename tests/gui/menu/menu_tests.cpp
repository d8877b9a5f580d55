// The overlay menu's screens and navigation on an editor base: opening and closing through the show-menu
// parameter, main menu -> credits and options -> back, the web-site link, the options toggles, resizing
// while open, the credits shuffle, and the item array's limits.
#include "menu_test_support.h"

#include "processor/vk_profiler.h"

#include <set>

using namespace vk;
using namespace vk::test;

namespace
{
using Texts = std::vector<std::string>;

const std::string title = "VEKLA Audio Latiphonix3";

/** A screen that asks for more lines than there are items. */
struct TooLongScreen : VkJuceMenuScreen
{
    using VkJuceMenuScreen::VkJuceMenuScreen;
    void buildScreen() override
    {
        for (int i = 0; i < 60; ++i)
            results.push_back(menu.addTextLine("line " + juce::String(i), 13));
        results.push_back(menu.addToggle("late", 9108, 2));
        menu.addItem("late item", std::make_unique<VkJuceMenuScreenMainMenu>(menu));
    }
    std::vector<VkJuceButton*> results;
};
} // namespace

TEST_F(MenuFixture, TheShowMenuParameterOpensTheMainMenuAndClosingHidesEverything)
{
    makeEditor();
    EXPECT_FALSE(menu().isOpen());
    setShowMenu(1.0f);
    ASSERT_TRUE(menu().isOpen());
    ASSERT_TRUE(showing<VkJuceMenuScreenMainMenu>());
    EXPECT_EQ(texts(), (Texts{"", title, "Version 3.2.9.3 64bit", "Credits and Options", "Open manual",
                              "Check for updates", " Close "}));
    EXPECT_TRUE(menu().getBackground().getDimmingLayer().isVisible());
    EXPECT_TRUE(menu().getBackground().getPanel().isVisible());
    // Only the clickable items lead somewhere, each to a screen of its own.
    EXPECT_EQ(menu().getNextScreen(2), nullptr);
    EXPECT_NE(dynamic_cast<VkJuceMenuScreenCreditsAndOptions*>(menu().getNextScreen(3)), nullptr);
    EXPECT_NE(dynamic_cast<VkJuceMenuScreenOpenManual*>(menu().getNextScreen(4)), nullptr);
    EXPECT_NE(dynamic_cast<VkJuceMenuScreenCheckForUpdates*>(menu().getNextScreen(5)), nullptr);
    EXPECT_NE(dynamic_cast<VkJuceMenuScreenPluginGui*>(menu().getNextScreen(6)), nullptr);

    // " Close " goes through the parameter, and the editor's next update hides the menu.
    click(" Close ");
    EXPECT_EQ(processor.getParameterRecord(9100).getValue(), 0.0f);
    editor->updateGui();
    EXPECT_FALSE(menu().isOpen());
    EXPECT_FALSE(menu().getBackground().getPanel().isVisible());
    EXPECT_EQ(menu().getItemCount(), 0);
    for (int i = 0; i < VkJuceMenu::numItems; ++i)
        EXPECT_FALSE(menu().getItem(i).isVisible()) << i;

    // Reopening starts at the main menu again.
    setShowMenu(1.0f);
    EXPECT_TRUE(showing<VkJuceMenuScreenMainMenu>());
}

TEST_F(MenuFixture, CreditsAndOptionsAndBackAgain)
{
    makeEditor();
    setShowMenu(1.0f);
    click("Credits and Options");
    ASSERT_TRUE(showing<VkJuceMenuScreenCreditsAndOptions>());
    EXPECT_EQ(VkJuceMenu::getMenuWidth(), 350);
    EXPECT_EQ(editor->extraOptionCalls, 1);
    EXPECT_EQ(editor->extraCreditCalls, 1);

    const auto all = texts();
    ASSERT_EQ(all.size(), 14u);
    EXPECT_EQ(Texts(all.begin(), all.begin() + 7),
              (Texts{"", title, "Options", "Show profiling", "Off", "Export Support", "Off"}));
    EXPECT_EQ(all[7], "Credits");
    // Eight names, three to a line; then the technology line of the VST3 test processor.
    EXPECT_EQ(all[11], "VST3 by Steinberg Media Technologies GmbH");
    EXPECT_EQ(all[12], "www.vekla-audio.example");
    EXPECT_EQ(all[13], "Back");
    EXPECT_EQ(menu().getItem(4).getText(1), "On");
    EXPECT_EQ(menu().getItem(4).getParameterIndex(), 9108);
    EXPECT_EQ(menu().getItem(6).getParameterIndex(), 9004);

    click("Back");
    EXPECT_TRUE(showing<VkJuceMenuScreenMainMenu>());
    EXPECT_EQ(VkJuceMenu::getMenuWidth(), 300);
    // Clearing unbound the toggles: the editor no longer updates them.
    EXPECT_EQ(menu().getItem(4).getParameterIndex(), VkJuceControl::noParameter);
    EXPECT_FALSE(editor->isControlRegistered(&menu().getItem(4)));
}

TEST_F(MenuFixture, TheWebSiteItemOpensTheHotlinkAndReturnsToTheMainMenu)
{
    makeEditor();
    setShowMenu(1.0f);
    click("Credits and Options");
    click("www.vekla-audio.example");
    EXPECT_TRUE(showing<VkJuceMenuScreenMainMenu>());
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.calls[0],
              (std::vector<std::string>{"xdg-open",
                                        "https://www.vekla-audio.example/hotlink.php?id=Latiphonix3"
                                        "&version=3.2.9.3&hotlink=BACK_BUTTON_NORMAL&format=WIN_VST3"}));
}

TEST_F(MenuFixture, TheProfilingToggleSwitchesProfilingOnAndClosesTheMenu)
{
    makeEditor();
    setShowMenu(1.0f);
    click("Credits and Options");
    auto& toggle = menu().getItem(4);
    ASSERT_EQ(toggle.getText(0), "Off");
    EXPECT_EQ(menu().getNextScreen(4), nullptr);

    clickItem(4);
    EXPECT_EQ(processor.getParameterRecord(9108).getValue(), 1.0f);
    EXPECT_TRUE(processor.getProfiler().isEnabled());
    EXPECT_FALSE(processor.getParameterRecord(9108).gestureHeld.load());
    // The toggle led to no screen; the editor's next update closes the menu.
    EXPECT_TRUE(showing<VkJuceMenuScreenCreditsAndOptions>());
    editor->updateGui();
    EXPECT_FALSE(menu().isOpen());
}

TEST_F(MenuFixture, ClosingWhileAToggleIsHeldEndsItsGesture)
{
    makeEditor();
    setShowMenu(1.0f);
    click("Credits and Options");
    auto& toggle = menu().getItem(6); // Export Support
    toggle.mouseDown(mouseAt(toggle, {2, 2}));
    EXPECT_TRUE(processor.getParameterRecord(9004).gestureHeld.load());
    setShowMenu(0.0f);
    EXPECT_FALSE(processor.getParameterRecord(9004).gestureHeld.load());
    EXPECT_FALSE(toggle.isInGesture());
    // The release that follows touches no parameter.
    toggle.mouseUp(mouseAt(toggle, {2, 2}, withButton(0), {2, 2}));
    EXPECT_EQ(processor.getParameterRecord(9004).getValue(), 1.0f);
}

TEST_F(MenuFixture, ResizingWhileOpenStartsAgainAtTheMainMenuAtTheNewSize)
{
    makeEditor(600, 500);
    setShowMenu(1.0f);
    click("Credits and Options");
    editor->setSize(700, 600);
    ASSERT_TRUE(showing<VkJuceMenuScreenMainMenu>());
    EXPECT_EQ(menu().getBackground().getPanelBounds(), juce::Rectangle<int>(140, 25, 420, 550));
    EXPECT_EQ(menu().getBackground().getDimmingLayer().getBounds(), juce::Rectangle<int>(0, 0, 700, 600));

    // Closed, a resize leaves it closed.
    setShowMenu(0.0f);
    editor->setSize(600, 500);
    EXPECT_FALSE(menu().isOpen());
}

TEST_F(MenuFixture, CreditsNameEveryoneOnceInAnOrderThatChanges)
{
    makeEditor();
    editor->extraCredits = {"Guest One", "Guest Two"};
    std::set<std::string> orders;
    for (int round = 0; round < 12; ++round)
    {
        menu().setOpen(false);
        menu().setOpen(true);
        click("Credits and Options");
        const auto all = texts();
        // Heading at 7; ten names make four lines (3, 3, 3, 1) before the technology line.
        std::vector<std::string> names;
        std::string order;
        for (int i = 8; i < 12; ++i)
        {
            juce::StringArray onLine;
            onLine.addTokens(juce::String(all[(size_t)i]), ",", "");
            onLine.trim();
            EXPECT_EQ(onLine.size(), i < 11 ? 3 : 1) << all[(size_t)i];
            for (const auto& n : onLine)
                names.push_back(n.toStdString());
            order += all[(size_t)i] + "|";
        }
        orders.insert(order);
        auto expected = VkJuceMenuScreenCreditsAndOptions::getCreditedNames();
        expected.addArray(editor->extraCredits);
        std::multiset<std::string> got(names.begin(), names.end()), want;
        for (const auto& n : expected)
            want.insert(n.toStdString());
        EXPECT_EQ(got, want);
        EXPECT_EQ(all[12], "VST3 by Steinberg Media Technologies GmbH");
    }
    // 10! orders: twelve builds in one order would mean the names are not being drawn at all.
    EXPECT_GT(orders.size(), 1u);
}

TEST_F(MenuFixture, ANarrowEditorGetsTwoNamesPerLine)
{
    makeEditor(240, 500);
    setShowMenu(1.0f);
    click("Credits and Options");
    const auto all = texts();
    for (int i = 8; i < 12; ++i)
    {
        juce::StringArray onLine;
        onLine.addTokens(juce::String(all[(size_t)i]), ",", "");
        EXPECT_EQ(onLine.size(), 2) << all[(size_t)i];
    }
    EXPECT_EQ(all[12], "VST3 by Steinberg Media Technologies GmbH");
}

TEST(MenuTechnologyLine, NamesTheFormatsOwnerOrNothing)
{
    using S = VkJuceMenuScreenCreditsAndOptions;
    EXPECT_EQ(S::getTechnologyLine(1), "VST by Steinberg Media Technologies GmbH");
    EXPECT_EQ(S::getTechnologyLine(2), "AU by Apple Computer Inc");
    EXPECT_EQ(S::getTechnologyLine(3), "AudioSuite and RTAS technology by Avid");
    EXPECT_EQ(S::getTechnologyLine(6), "AudioSuite and RTAS technology by Avid");
    EXPECT_EQ(S::getTechnologyLine(4), "AAX technology by Avid");
    EXPECT_EQ(S::getTechnologyLine(7), "VST3 by Steinberg Media Technologies GmbH");
    for (int other : {0, 5, 8, -1})
        EXPECT_TRUE(S::getTechnologyLine(other).isEmpty()) << other;
}

TEST_F(MenuFixture, AnUnknownFormatShowsNoTechnologyLineAndLinksWithTheUndefinedType)
{
    TestProcessor other(5);
    editor = std::make_unique<MenuTestEditor>(other, &gl, 600, 500);
    menu().setOpen(true);
    click("Credits and Options");
    const auto all = texts();
    ASSERT_EQ(all.size(), 13u);
    EXPECT_EQ(all[11], "www.vekla-audio.example");
    click("www.vekla-audio.example");
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_TRUE(juce::String(launcher.calls[0][1]).endsWith("&format=WIN_UNDEFINED_PLUGIN_TYPE"));
    editor.reset(); // before the processor it edits
}

TEST_F(MenuFixture, AScreenAskingForMoreThanFiftyLinesGetsFifty)
{
    makeEditor();
    menu().setOpen(true);
    auto screen = std::make_unique<TooLongScreen>(menu());
    auto* raw = screen.get();
    menu().switchToScreen(std::move(screen));
    EXPECT_EQ(menu().getItemCount(), VkJuceMenu::numItems);
    // The header took two; 48 lines were placed, the rest were refused.
    for (size_t i = 0; i < raw->results.size(); ++i)
        EXPECT_EQ(raw->results[i] != nullptr, i < 48) << i;
    EXPECT_EQ(menu().getItem(49).getText(0), "line 47");
    for (int k = 0; k < VkJuceMenu::numItems; ++k)
        EXPECT_EQ(menu().getNextScreen(k), nullptr);
}

TEST_F(MenuFixture, ClicksWithoutAScreenToGoToAreIgnored)
{
    makeEditor();
    menu().setOpen(true);
    auto* screen = menu().getCurrentScreen();

    // A text line, a control that is not an item, and an item number out of range.
    clickItem(2);
    VkJuceButton stranger("stranger");
    menu().controlValueChanged(&stranger);
    stranger.getProperties().set("menu_item", 50);
    menu().controlValueChanged(&stranger);
    stranger.getProperties().set("menu_item", -7);
    menu().controlValueChanged(&stranger);
    EXPECT_EQ(menu().getCurrentScreen(), screen);

    // Without an owner nothing is laid out and clicks go nowhere.
    VkJuceMenu ownerless;
    ownerless.setOpen(true);
    EXPECT_FALSE(ownerless.isOpen());
    EXPECT_EQ(ownerless.addTextLine("x", 13), nullptr);
    ownerless.controlValueChanged(&ownerless.getItem(0));
    EXPECT_EQ(ownerless.getCurrentScreen(), nullptr);
}

TEST(MenuItems, AreNamedNumberedAndListenedTo)
{
    VkJuceMenu menu;
    for (int k = 0; k < VkJuceMenu::numItems; ++k)
    {
        auto& item = menu.getItem(k);
        EXPECT_EQ(item.getName(), "Menu item " + juce::String(k));
        EXPECT_EQ((int)item.getProperties()["menu_item"], k);
        EXPECT_EQ(item.getNumListeners(), 1);
    }
}
