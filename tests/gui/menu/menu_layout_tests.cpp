// Where the overlay menu puts things, at the figures of its layout rules: the panel, the header side by
// side or stacked, clickable items, the option toggles in their placements, and a squeezed screen.
#include "menu_test_support.h"

#include "vk_juce_ogl_font.h"

using namespace vk;
using namespace vk::test;
using R = juce::Rectangle<int>;

namespace
{
int widthOf(VkJuceEditorBase& editor, int pixels, const char* text)
{
    return editor.getOglComponent().getFontForSize(pixels)->measureText(text);
}
} // namespace

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
