// The overlay menu's screens and navigation (the show-menu parameter, main menu -> credits and options ->
// back, the web-site link, the toggles, resizing while open, the credits shuffle, the limits of the item
// array) and where it puts things, at the figures of its layout rules.
#include "menu_test_support.h"

#include "vk_juce_ogl_font.h"

#include <set>

using namespace vk;
using namespace vk::test;

namespace
{
using Texts = std::vector<std::string>;
using R = juce::Rectangle<int>;

int widthOf(VkJuceEditorBase& editor, int pixels, const char* text)
{
    return editor.getOglComponent().getFontForSize(pixels)->measureText(text);
}

/** A screen that asks for more lines than there are items. */
struct TooLongScreen : VkJuceMenuScreen
{
    using VkJuceMenuScreen::VkJuceMenuScreen;
    void buildScreen() override
    {
        for (int i = 0; i < 60; ++i)
            placed += menu.addTextLine("line " + juce::String(i), 13) != nullptr ? 1 : 0;
        placed += menu.addToggle("late", 9108, 2) != nullptr ? 1 : 0;
        menu.addItem("late item", std::make_unique<VkJuceMenuScreenMainMenu>(menu));
    }
    int placed = 0;
};

/** The credit lines (between the "Credits" heading and the technology line) split into names. */
std::vector<juce::StringArray> creditLines(const Texts& all)
{
    std::vector<juce::StringArray> lines;
    for (size_t i = 8; i + 3 < all.size(); ++i)
    {
        lines.emplace_back();
        lines.back().addTokens(juce::String(all[i]), ",", "");
        lines.back().trim();
    }
    return lines;
}
} // namespace

TEST_F(MenuFixture, TheParameterOpensAndClosesTheMenuAndItsItemsLeadOn)
{
    makeEditor();
    setShowMenu(1.0f);
    ASSERT_TRUE(showing<VkJuceMenuScreenMainMenu>());
    EXPECT_EQ(texts(), (Texts{"", "VEKLA Audio Latiphonix3", "Version 3.2.9.3 64bit", "Credits and Options",
                              "Open manual", "Check for updates", " Close "}));
    EXPECT_TRUE(menu().getBackground().getPanel().isVisible());
    EXPECT_EQ(menu().getNextScreen(2), nullptr);
    EXPECT_NE(dynamic_cast<VkJuceMenuScreenCheckForUpdates*>(menu().getNextScreen(5)), nullptr);

    click("Credits and Options");
    ASSERT_TRUE(showing<VkJuceMenuScreenCreditsAndOptions>());
    const auto all = texts();
    ASSERT_EQ(all.size(), 14u);
    EXPECT_EQ(Texts(all.begin() + 2, all.begin() + 8),
              (Texts{"Options", "Show profiling", "Off", "Export Support", "Off", "Credits"}));
    EXPECT_EQ(Texts(all.end() - 3, all.end()),
              (Texts{"VST3 by Steinberg Media Technologies GmbH", "www.vekla-audio.example", "Back"}));
    EXPECT_EQ(menu().getItem(4).getParameterIndex(), 9108);
    EXPECT_EQ(menu().getItem(6).getParameterIndex(), 9004);

    // The web site opens in the browser and the menu is back at its start at once.
    click("www.vekla-audio.example");
    ASSERT_TRUE(showing<VkJuceMenuScreenMainMenu>());
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0],
              (Texts{"xdg-open", "https://www.vekla-audio.example/hotlink.php?id=Latiphonix3"
                                 "&version=3.2.9.3&hotlink=BACK_BUTTON_NORMAL&format=WIN_VST3"}));
    // The toggles of the previous screen were unbound: the editor no longer updates them.
    EXPECT_EQ(menu().getItem(4).getParameterIndex(), VkJuceControl::noParameter);
    EXPECT_FALSE(editor->isControlRegistered(&menu().getItem(4)));

    // " Close " goes through the parameter; the editor's next update hides everything.
    click(" Close ");
    EXPECT_EQ(processor.getParameterRecord(9100).getValue(), 0.0f);
    editor->updateGui();
    EXPECT_FALSE(menu().isOpen());
    EXPECT_EQ(menu().getItemCount(), 0);
    for (int i = 0; i < VkJuceMenu::numItems; ++i)
        EXPECT_FALSE(menu().getItem(i).isVisible()) << i;
}

TEST_F(MenuFixture, TheProfilingToggleClosesTheMenuAndClosingWhileAToggleIsHeldEndsItsGesture)
{
    makeEditor();
    setShowMenu(1.0f);
    click("Credits and Options");
    auto& toggle = menu().getItem(6); // Export Support
    toggle.mouseDown(mouseAt(toggle, {2, 2}));
    EXPECT_TRUE(processor.getParameterRecord(9004).gestureHeld.load());
    setShowMenu(0.0f);
    EXPECT_FALSE(processor.getParameterRecord(9004).gestureHeld.load());
    toggle.mouseUp(mouseAt(toggle, {2, 2}, withButton(0), {2, 2}));
    EXPECT_EQ(processor.getParameterRecord(9004).getValue(), 1.0f);

    setShowMenu(1.0f);
    click("Credits and Options");
    clickItem(4);
    EXPECT_EQ(processor.getParameterRecord(9108).getValue(), 1.0f);
    EXPECT_TRUE(processor.getProfiler().isEnabled());
    EXPECT_FALSE(processor.getParameterRecord(9108).gestureHeld.load());
    EXPECT_TRUE(showing<VkJuceMenuScreenCreditsAndOptions>()); // a toggle leads to no screen
    editor->updateGui();
    EXPECT_FALSE(menu().isOpen());
}

TEST_F(MenuFixture, ResizingOrReopeningStartsAtTheMainMenu)
{
    makeEditor();
    setShowMenu(1.0f);
    click("Credits and Options");
    editor->setSize(700, 600);
    EXPECT_TRUE(showing<VkJuceMenuScreenMainMenu>());
    EXPECT_EQ(menu().getBackground().getPanelBounds(), R(140, 25, 420, 550));

    click("Credits and Options");
    setShowMenu(0.0f);
    editor->setSize(600, 500); // closed, it stays closed
    EXPECT_FALSE(menu().isOpen());
    setShowMenu(1.0f);
    EXPECT_TRUE(showing<VkJuceMenuScreenMainMenu>());
}

TEST_F(MenuFixture, CreditsNameEveryoneOnceInAnOrderThatChanges)
{
    for (const int width : {600, 249})
    {
        makeEditor(width, 500);
        editor->extraCredits = {"Guest One", "Guest Two"};
        auto expected = VkJuceMenuScreenCreditsAndOptions::getCreditedNames();
        expected.addArray(editor->extraCredits);
        expected.sort(false);
        const int perLine = width < 250 ? 2 : 3;
        std::set<juce::String> orders;
        for (int round = 0; round < 10; ++round)
        {
            menu().setOpen(false);
            menu().setOpen(true);
            click("Credits and Options");
            juce::StringArray names;
            const auto lines = creditLines(texts());
            for (size_t i = 0; i < lines.size(); ++i)
            {
                EXPECT_EQ(lines[i].size(), i + 1 < lines.size() ? perLine : 10 - perLine * (int)i) << width;
                names.addArray(lines[i]);
            }
            orders.insert(names.joinIntoString("|"));
            names.sort(false);
            EXPECT_EQ(names, expected);
        }
        EXPECT_GT(orders.size(), 1u); // ten builds in one order of 10! would mean nothing is drawn
    }
}

TEST_F(MenuFixture, AnUnknownFormatHasNoTechnologyLineAndLinksAsUndefined)
{
    TestProcessor other(5);
    editor = std::make_unique<MenuTestEditor>(other, &gl, 600, 500);
    menu().setOpen(true);
    click("Credits and Options");
    EXPECT_EQ(texts().size(), 13u);
    click("www.vekla-audio.example");
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_TRUE(juce::String(launched[0][1]).endsWith("&format=WIN_UNDEFINED_PLUGIN_TYPE"));
    editor.reset(); // before the processor it edits
}

TEST_F(MenuFixture, AScreenGetsAtMostFiftyItemsAndStrayClicksGoNowhere)
{
    makeEditor();
    menu().setOpen(true);
    auto screen = std::make_unique<TooLongScreen>(menu());
    auto* raw = screen.get();
    menu().switchToScreen(std::move(screen));
    EXPECT_EQ(menu().getItemCount(), VkJuceMenu::numItems);
    EXPECT_EQ(raw->placed, 48); // the header took two
    EXPECT_EQ(menu().getItem(49).getText(0), "line 47");
    for (int k = 0; k < VkJuceMenu::numItems; ++k)
        EXPECT_EQ(menu().getNextScreen(k), nullptr);

    // A text line, a control that is no item, item numbers out of range: the screen stays.
    clickItem(2);
    VkJuceButton stranger("stranger");
    for (const juce::var& number : {juce::var(), juce::var(50), juce::var(-7)})
    {
        stranger.getProperties().set("menu_item", number);
        menu().controlValueChanged(&stranger);
    }
    EXPECT_EQ(menu().getCurrentScreen(), raw);

    // Without an owner nothing is laid out.
    VkJuceMenu ownerless;
    ownerless.setOpen(true);
    EXPECT_FALSE(ownerless.isOpen());
    EXPECT_EQ(ownerless.addTextLine("x", 13), nullptr);
}

TEST_F(MenuFixture, PanelAndHeaderSideBySideOrStacked)
{
    makeEditor(601, 500);
    const int t = widthOf(*editor, 18, "VEKLA Audio Latiphonix3");
    const int f = editor->getOglComponent().getFontForSize(18)->getLineHeight();
    menu().setOpen(true);
    EXPECT_EQ(menu().getBackground().getPanelBounds(), R(300 - 210, 0, 420, 500));
    const int x = 300 - (48 + t + 5) / 2;
    EXPECT_EQ(menu().getItem(0).getBounds(), R(x, 15, 48, 48));
    EXPECT_EQ(menu().getItem(1).getBounds(), R(x + 53, 15 + (48 - f) / 2, t, f));
    EXPECT_EQ(menu().getItem(2).getBounds(), R(150, 76, 300, 13)); // header, 3, spacer 10
    const int w = widthOf(*editor, 11, "Credits and Options") + 10;
    EXPECT_EQ(menu().getItem(3).getBounds(), R(150 + (300 - w) / 2, 76 + 16 + 19, w, 17));

    // Exactly logo + title + 5 wide is already too narrow: stacked, and lines narrowed to the editor.
    editor->setSize(48 + t + 5, 751);
    const int cx = (48 + t + 5) / 2, lw = std::min(300, 48 + t + 5);
    EXPECT_EQ(menu().getBackground().getPanelBounds(), R(cx - 210, 100, 420, 550));
    EXPECT_EQ(menu().getItem(0).getBounds(), R(cx - 24, 115, 48, 48));
    EXPECT_EQ(menu().getItem(1).getBounds(), R(cx - t / 2, 115 + 51, t, f));
    EXPECT_EQ(menu().getItem(2).getBounds(), R(cx - lw / 2, 115 + 48 + 16 + 10, lw, 13));
}

TEST_F(MenuFixture, TogglesShareARowWhenTheEditorAsksElseTakeOneEach)
{
    for (const bool sideBySide : {true, false})
    {
        makeEditor(600, 500);
        editor->sideBySide = sideBySide;
        menu().setOpen(true);
        click("Credits and Options");
        // Heading "Options" at 76; the menu is 350 wide, the centre at 300.
        const int row = 76 + 16 + (sideBySide ? 10 : 0);
        const int lw = widthOf(*editor, 11, "Export Support");
        const std::vector<R> expected =
            sideBySide ? std::vector<R>{R(90, row, 170, 13), R(265, row, 30, 13), R(305, row, lw, 13),
                                        R(305 + lw, row, 30, 13), R(0, row + 16 + 19, 0, 0)}
                       : std::vector<R>{R(125, row, 170, 13), R(300, row, 30, 13), R(125, row + 16, 170, 13),
                                        R(300, row + 16, 30, 13), R(0, row + 32 + 19, 0, 0)};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(menu().getItem(3 + i).getBounds(), expected[(size_t)i]) << sideBySide << i;
        EXPECT_EQ(menu().getItem(7).getY(), expected[4].getY()); // the "Credits" heading
        EXPECT_EQ(menu().getItem(3).getJustification(), (uint32_t)VkJuceOglFont::right);
    }
}

TEST_F(MenuFixture, AScreenTallerThanThePanelIsSqueezedTowardsTheTop)
{
    makeEditor(600, 500);
    menu().setOpen(true);
    std::vector<R> tall;
    for (int i = 0; i < menu().getItemCount(); ++i)
        tall.push_back(menu().getItem(i).getBounds());
    const int cursor = menu().getCursorY();
    ASSERT_EQ(cursor, 76 + 16 + 19 + 3 * 20 + 19 + 20);

    // The same screen on a shorter editor: y x (panel bottom - 5) / cursor, truncated; sizes kept.
    for (const int height : {200, cursor})
    {
        editor->setSize(600, height);
        const float factor = height < cursor ? (float)(height - 5) / (float)cursor : 1.0f;
        for (int i = 0; i < menu().getItemCount(); ++i)
            EXPECT_EQ(menu().getItem(i).getBounds(),
                      tall[(size_t)i].withY((int)((float)tall[(size_t)i].getY() * factor)))
                << height << " " << i;
    }
}
