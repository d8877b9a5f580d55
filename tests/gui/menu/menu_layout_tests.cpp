// Where the overlay menu puts things: the background, the header side by side or stacked, the option
// toggles in their three placements, and a screen squeezed into a panel too short for it.
#include "menu_test_support.h"

#include "vk_juce_ogl_font.h"

using namespace vk;
using namespace vk::test;

namespace
{
using R = juce::Rectangle<int>;

struct Metrics
{
    int t, f;
};

Metrics titleMetrics(VkJuceEditorBase& editor)
{
    auto* font = editor.getOglComponent().getFontForSize(18);
    return {font->measureText("VEKLA Audio Latiphonix3"), font->getLineHeight()};
}
} // namespace

TEST_F(MenuFixture, ThePanelIs420WideCentredAndAtMost550High)
{
    makeEditor(301, 400);
    menu().setOpen(true);
    // Half the width, truncated, less half the panel.
    EXPECT_EQ(menu().getBackground().getPanelBounds(), R(150 - 210, 0, 420, 400));
    EXPECT_EQ(menu().getBackground().getDimmingLayer().getBounds(), R(0, 0, 301, 400));
    editor->setSize(800, 751);
    EXPECT_EQ(menu().getBackground().getPanelBounds(), R(190, 100, 420, 550));
}

TEST_F(MenuFixture, TheHeaderSitsSideBySideWhenLogoAndTitleFit)
{
    makeEditor(600, 500);
    const auto [t, f] = titleMetrics(*editor);
    ASSERT_GT(t, 0);
    menu().setOpen(true);
    const int x = 300 - (48 + t + 5) / 2;
    EXPECT_EQ(menu().getItem(0).getBounds(), R(x, 15, 48, 48));
    EXPECT_EQ(menu().getItem(1).getBounds(), R(x + 53, 15 + (48 - f) / 2, t, f));
    // Header, 3 pixels, then the 10-pixel spacer: the version line, 300 wide and centred.
    EXPECT_EQ(menu().getItem(2).getBounds(), R(150, 15 + 48 + 3 + 10, 300, 13));
    EXPECT_TRUE(menu().getItem(0).getStateImage(0).isValid());
}

TEST_F(MenuFixture, TheHeaderStacksWhenTheEditorIsTooNarrowForBoth)
{
    makeEditor(600, 500);
    const auto [t, f] = titleMetrics(*editor);
    // Exactly logo + title + 5 wide is already too narrow.
    for (const int width : {48 + t + 5, 200})
    {
        editor->setSize(width, 500);
        menu().setOpen(false);
        menu().setOpen(true);
        const int cx = width / 2;
        EXPECT_EQ(menu().getItem(0).getBounds(), R(cx - 24, 15, 48, 48)) << width;
        EXPECT_EQ(menu().getItem(1).getBounds(), R(cx - t / 2, 15 + 48 + 3, t, f)) << width;
        // Lines are narrowed to the editor.
        const int w = std::min(300, width);
        EXPECT_EQ(menu().getItem(2).getBounds(), R(cx - w / 2, 15 + 48 + 6 + 10 + 10, w, 13)) << width;
    }
    editor->setSize(48 + t + 6, 500);
    EXPECT_EQ(menu().getItem(1).getY(), 15 + (48 - f) / 2);
}

TEST_F(MenuFixture, ClickableItemsAreNarrowedToTheirTextAndCentred)
{
    makeEditor(600, 500);
    menu().setOpen(true);
    const int i = indexOf("Credits and Options");
    const int w = editor->getOglComponent().getFontForSize(11)->measureText("Credits and Options") + 10;
    // Version line at 76, spacer 19.
    EXPECT_EQ(menu().getItem(i).getBounds(), R(150 + (300 - w) / 2, 76 + 16 + 19, w, 17));
    EXPECT_EQ(menu().getItem(i + 1).getY(), 76 + 16 + 19 + 20);
}

TEST_F(MenuFixture, TogglesShareARowWhenTheEditorAsksForSideBySide)
{
    makeEditor(600, 500);
    editor->sideBySide = true;
    menu().setOpen(true);
    click("Credits and Options");
    // Options heading at 76; placement 0 goes 10 lower, 35 left; placement 1 comes back up, right of centre.
    const int row = 76 + 16 + 10;
    const int lw = editor->getOglComponent().getFontForSize(11)->measureText("Export Support");
    EXPECT_EQ(menu().getItem(3).getBounds(), R(300 - 35 - 175, row, 170, 13));
    EXPECT_EQ(menu().getItem(4).getBounds(), R(300 - 35, row, 30, 13));
    EXPECT_EQ(menu().getItem(5).getBounds(), R(300 + 5, row, lw, 13));
    EXPECT_EQ(menu().getItem(6).getBounds(), R(300 + lw + 5, row, 30, 13));
    EXPECT_EQ(menu().getItem(3).getJustification(), (uint32_t)VkJuceOglFont::right);
    // The credits heading follows one row and a spacer later.
    EXPECT_EQ(menu().getItem(7).getY(), row + 16 + 19);
}

TEST_F(MenuFixture, TogglesTakeARowEachOtherwise)
{
    makeEditor(600, 500);
    menu().setOpen(true);
    click("Credits and Options");
    const int row = 76 + 16;
    EXPECT_EQ(menu().getItem(3).getBounds(), R(300 - 175, row, 170, 13));
    EXPECT_EQ(menu().getItem(4).getBounds(), R(300, row, 30, 13));
    EXPECT_EQ(menu().getItem(5).getBounds(), R(300 - 175, row + 16, 170, 13));
    EXPECT_EQ(menu().getItem(6).getBounds(), R(300, row + 16, 30, 13));
    EXPECT_EQ(menu().getItem(7).getY(), row + 32 + 19);
}

TEST_F(MenuFixture, AScreenTallerThanThePanelIsSqueezedTowardsTheTop)
{
    // The same main menu laid out on a tall editor and on a short one of the same width.
    makeEditor(600, 500);
    menu().setOpen(true);
    std::vector<R> tall;
    for (int i = 0; i < menu().getItemCount(); ++i)
        tall.push_back(menu().getItem(i).getBounds());
    const int cursor = menu().getCursorY();
    ASSERT_EQ(cursor, 76 + 16 + 19 + 3 * 20 + 19 + 20);

    editor->setSize(600, 200);
    ASSERT_EQ(menu().getCursorY(), cursor);
    ASSERT_EQ(menu().getItemCount(), (int)tall.size());
    const float factor = (float)(200 - 5) / (float)cursor;
    for (int i = 0; i < menu().getItemCount(); ++i)
    {
        const auto fitted = menu().getItem(i).getBounds();
        EXPECT_EQ(fitted, tall[(size_t)i].withY((int)((float)tall[(size_t)i].getY() * factor))) << i;
        EXPECT_LE(fitted.getY(), 200 - 5);
    }

    // A screen that fits is left alone.
    editor->setSize(600, cursor);
    for (int i = 0; i < menu().getItemCount(); ++i)
        EXPECT_EQ(menu().getItem(i).getBounds(), tall[(size_t)i]);
}
