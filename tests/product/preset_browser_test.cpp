// The product's preset browser: the 40 factory presets and 46 slots on one page in as many columns as they
// need, its fixed buttons, a panel too small for one row, and its trigger copying the settings at each show.
#include "preset_browser_editor.h"
#include "product_test_support.h"

#include "tests/gui/editor_test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace vk;
using namespace vk::test;

namespace
{
struct ProductPresetBrowserTest : ProductTest
{
    void SetUp() override
    {
        ProductTest::SetUp();
        create();
        editor = std::make_unique<PresetBrowserEditor>(*processor, &gl);
    }
    void TearDown() override
    {
        editor.reset();
        ProductTest::TearDown();
    }
    static void press(juce::Component& c, juce::Point<int> at)
    {
        c.mouseDown(mouseAt(c, at.toFloat(), juce::ModifierKeys::leftButtonModifier, at.toFloat()));
    }
    void open() { press(editor->trigger, {5, 5}); }

    RecordingGlApi gl;
    std::unique_ptr<PresetBrowserEditor> editor;
};
} // namespace

TEST_F(ProductPresetBrowserTest, AllEightySixEntriesShareOnePageInAsManyColumnsAsTheyNeed)
{
    open();
    auto* browser = editor->trigger.getBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_NE(dynamic_cast<LatiphonixPresetBrowser*>(browser), nullptr);
    EXPECT_EQ(browser->getName(), "LatiphonixPresetBrowsers");
    ASSERT_EQ(browser->getFactoryCount(), 40);
    ASSERT_EQ(browser->countVisibleEntries(), 86);
    EXPECT_EQ(browser->getEntryName(0), processor->getProgramName(0));

    const auto g = browser->takeFrame().grid;
    const int w = browser->getWidth(), h = browser->getHeight();
    ASSERT_GT(g.rowsPerColumn, 0);
    EXPECT_EQ(g.rowsPerColumn, (h - g.bottomMargin - g.topMargin) / g.rowHeight);
    EXPECT_GE(g.rowsPerColumn * g.columns, 86);
    EXPECT_LT(g.rowsPerColumn * (g.columns - 1), 86);
    EXPECT_EQ(g.pages, 1);
    EXPECT_EQ(g.closeRect, juce::Rectangle<int>(w - 74, h - 18, 52, 16));
    EXPECT_EQ(g.defaultRect, juce::Rectangle<int>(16, h - 18, 166, 16));

    // Every column lies inside the panel, so every entry can be reached.
    EXPECT_LE(g.cellAt(g.columns - 1, 0).getRight(), w);

    // Every name reads apart from every other one in its narrow cell ("Mo to St El Guit 1", "... 2" and "...
    // 3" once all read "Mo to St El G..."); a preset's copy in its slot reads as the preset does.
    const auto frame = browser->takeFrame();
    std::map<std::string, juce::String> nameShownAs;
    for (int n = 0; n < 86; ++n)
    {
        char out[256];
        const std::string shown =
            VkJucePresetBrowser::nameShown(frame, *browser->getBrowserFont(), n, out, sizeof(out));
        EXPECT_LE(browser->getBrowserFont()->measureText(shown.c_str()), g.cellWidth - g.textPad);
        const auto [it, first] = nameShownAs.emplace(shown, browser->getEntryName(n));
        EXPECT_TRUE(first || it->second == browser->getEntryName(n))
            << shown << ": " << it->second << ", " << browser->getEntryName(n);
    }

    // The last entry is the last slot; no page buttons to hit.
    browser->selectAt(g.cellAt(85 / g.rowsPerColumn, 85 % g.rowsPerColumn).getCentre());
    EXPECT_EQ(browser->getSelected(), 85);
    browser->setSelected(VkJucePresetBrowser::nextId);
    EXPECT_FALSE(browser->chooseSelected());
    EXPECT_EQ(browser->getPage(), 0);

    // Tall enough for one column: the cell spans the panel.
    browser->setBounds(browser->getBounds().withHeight(2000));
    const auto tall = browser->takeFrame().grid;
    EXPECT_EQ(tall.columns, 1);
    EXPECT_EQ(tall.cellWidth, w - 2 * tall.leftMargin - tall.gap - tall.numberWidth);
}

TEST_F(ProductPresetBrowserTest, APanelLowerThanOneRowHasNoColumnsAndDrawsNoEntry)
{
    open();
    auto* browser = editor->trigger.getBrowser();
    ASSERT_NE(browser, nullptr);
    for (int height : {0, 5, 30})
    {
        browser->setBounds(browser->getBounds().withHeight(height));
        const auto f = browser->takeFrame();
        ASSERT_LE(f.grid.rowsPerColumn, 0) << height;
        EXPECT_EQ(f.grid.columns, 0);
        EXPECT_EQ(f.grid.pages, 1);
        browser->selectAt({f.grid.leftMargin + 5, f.grid.topMargin + 1});
        EXPECT_EQ(browser->getSelected(), VkJucePresetBrowser::noSelection);
        browser->render(0);
    }
}

TEST_F(ProductPresetBrowserTest, TheTriggerCopiesItsSettingsAtEveryShowButTheMaskOnlyOnce)
{
    PresetBrowserSettings settings;
    settings.closeOnChoose = true;
    editor->trigger.setBrowserSettings(settings);
    open();
    auto* browser = editor->trigger.getBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->getSettings().closeOnChoose);

    // A click on nothing chooses nothing; a chosen slot closes the pop-up and switches the program.
    const auto g = browser->takeFrame().grid;
    press(*browser, {g.leftMargin + 3, 2});
    EXPECT_TRUE(editor->trigger.isPopUpOpen());
    press(*browser, g.cellAt(42 / g.rowsPerColumn, 42 % g.rowsPerColumn).getCentre());
    EXPECT_FALSE(editor->trigger.isPopUpOpen());
    EXPECT_EQ(processor->getCurrentProgram(), 2);

    settings.closeOnChoose = false;
    settings.showNumbers = false;
    settings.categoryMask = 0;
    editor->trigger.setBrowserSettings(settings);
    open();
    EXPECT_EQ(editor->trigger.getBrowser(), browser);
    EXPECT_FALSE(browser->getSettings().closeOnChoose);
    EXPECT_FALSE(browser->getSettings().showNumbers);
    EXPECT_EQ(browser->getSettings().categoryMask, -1);
    EXPECT_EQ(browser->countVisibleEntries(), 86);
}
