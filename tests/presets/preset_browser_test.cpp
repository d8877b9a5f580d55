// The preset browser headless: the grid and its pages at the product's bank (40 factory presets, 46 slots),
// hit testing, what choosing an entry does to the processor, the trigger button's pop-up, and a browser too
// small for one row.
#include "preset_browser_test_support.h"

#include "presets/vk_juce_preset_browser_trigger_button.h"
#include "processor/vk_registry.h"

#include <gtest/gtest.h>

using namespace vk;
using namespace vk::test;

namespace
{
struct PresetBrowserTest : ::testing::Test
{
    void SetUp() override
    {
        addFactoryPresets(processor, 40);
        processor.m_excludeStored = false;
    }

    /** Moves the pointer over the centre of a cell of the current page. */
    int selectCell(VkJucePresetBrowser& b, int column, int row)
    {
        b.selectAt(b.takeFrame().grid.cellAt(column, row).getCentre());
        return b.getSelected();
    }

    ScopedDataFolders folders;
    TestProcessor processor;
    RecordingGlApi gl;
    TestEditorBase editor{processor, &gl, 640, 435};
};

#if JUCE_DEBUG
constexpr bool kDebugBuild = true;
#else
constexpr bool kDebugBuild = false;
#endif

bool drewColour(const RecordingGlApi& gl, juce::Colour c)
{
    for (const auto& call : gl.only("color4f"))
        if (std::abs(call.args[0] - c.getFloatRed()) < 1e-3 &&
            std::abs(call.args[1] - c.getFloatGreen()) < 1e-3 &&
            std::abs(call.args[2] - c.getFloatBlue()) < 1e-3)
            return true;
    return false;
}
} // namespace

TEST_F(PresetBrowserTest, EightySixEntriesAtTwentyPerPageMakeFivePagesThatTheButtonsTurnWithinBounds)
{
    VkJucePresetBrowser browser(nullptr, &editor, "VkJucePresetBrowsers");
    ASSERT_EQ(browser.getFactoryCount(), 40);
    ASSERT_EQ(browser.countVisibleEntries(), 86);
    EXPECT_EQ(browser.getEntryName(0), "Unchanged");
    EXPECT_EQ(browser.getEntryName(39), "Factory 39");
    EXPECT_EQ(browser.getEntryName(40), processor.getProgramName(0));
    EXPECT_EQ(browser.getEntryIndex(85), 85);
    EXPECT_EQ(browser.getEntryName(86), "ERROR");
    EXPECT_EQ(browser.getEntryIndex(86), -1);

    browser.setBounds(boundsForGrid(browser, 10, 2));
    auto frame = browser.takeFrame();
    ASSERT_EQ(frame.grid.rowsPerColumn, 10);
    ASSERT_EQ(frame.grid.columns, 2);
    EXPECT_EQ(frame.grid.pages, 5);

    // Column-major: the first cell of the second column is the eleventh entry of the page.
    EXPECT_EQ(selectCell(browser, 1, 0), 10);

    const auto turn = [&](int id)
    {
        browser.setSelected(id);
        EXPECT_FALSE(browser.chooseSelected());
        return browser.getPage();
    };
    EXPECT_EQ(turn(VkJucePresetBrowser::previousId), 0);
    for (int p = 1; p <= 4; ++p)
        EXPECT_EQ(turn(VkJucePresetBrowser::nextId), p);
    EXPECT_EQ(turn(VkJucePresetBrowser::nextId), 4); // "Next" is not drawn here; a click changes nothing

    // The last page holds entries 80 to 85: six cells of the first column, nothing after them.
    EXPECT_EQ(selectCell(browser, 0, 5), 85);
    EXPECT_EQ(selectCell(browser, 0, 6), VkJucePresetBrowser::noSelection);
    EXPECT_EQ(selectCell(browser, 1, 0), VkJucePresetBrowser::noSelection);
}

TEST_F(PresetBrowserTest, EightyVisibleEntriesMakeFourFullPages)
{
    // Six slots in a category the browser does not show.
    for (int slot = 40; slot < 46; ++slot)
    {
        auto record = processor.getProgram(slot);
        record.categoryMask = 2;
        processor.setProgram(slot, record);
    }
    VkJucePresetBrowser browser(nullptr, &editor, "VkJucePresetBrowsers");
    PresetBrowserSettings settings;
    settings.categoryMask = 1;
    browser.setSettings(settings);
    ASSERT_EQ(browser.countVisibleEntries(), 80);
    EXPECT_EQ(browser.getEntryIndex(79), 79);

    browser.setBounds(boundsForGrid(browser, 10, 2));
    EXPECT_EQ(browser.takeFrame().grid.pages, 4);
    for (int i = 0; i < 5; ++i)
    {
        browser.setSelected(VkJucePresetBrowser::nextId);
        browser.chooseSelected();
    }
    EXPECT_EQ(browser.getPage(), 3);
    EXPECT_EQ(selectCell(browser, 1, 9), 79);
}

TEST_F(PresetBrowserTest, HitTestingFindsCellsAndButtonsAndNothingOutsideThem)
{
    VkJucePresetBrowser browser(nullptr, &editor, "VkJucePresetBrowsers");
    browser.setBounds(boundsForGrid(browser, 10, 2).withWidth(600));
    const auto g = browser.takeFrame().grid;
    ASSERT_EQ(g.rowsPerColumn, 10);
    ASSERT_GE(g.columns, 2);

    EXPECT_EQ(selectCell(browser, 0, 0), 0);
    EXPECT_EQ(selectCell(browser, 1, 3), 13);
    // Right of the last column and below the last row.
    browser.selectAt({g.leftMargin + g.columns * g.columnStride() + 1, g.topMargin + 2});
    EXPECT_EQ(browser.getSelected(), VkJucePresetBrowser::noSelection);
    browser.selectAt(g.cellAt(0, g.rowsPerColumn).getCentre());
    EXPECT_EQ(browser.getSelected(), VkJucePresetBrowser::noSelection);
    // On the first row's top edge, clear of the page buttons.
    browser.selectAt({g.width / 2, g.topMargin});
    EXPECT_EQ(browser.getSelected(), VkJucePresetBrowser::noSelection);

    browser.selectAt(g.closeRect.getCentre());
    EXPECT_EQ(browser.getSelected(), VkJucePresetBrowser::closeId);
    browser.selectAt(g.nextRect.getCentre());
    EXPECT_EQ(browser.getSelected(), VkJucePresetBrowser::nextId);
    browser.selectAt(g.previousRect.getCentre());
    EXPECT_EQ(browser.getSelected(), VkJucePresetBrowser::previousId);
    // "Set current as default" is hit only while it is shown.
    browser.selectAt(g.defaultRect.getCentre());
    EXPECT_EQ(browser.getSelected(), VkJucePresetBrowser::noSelection);
    PresetBrowserSettings settings;
    settings.showSetDefault = true;
    browser.setSettings(settings);
    browser.selectAt(browser.takeFrame().grid.defaultRect.getCentre());
    EXPECT_EQ(browser.getSelected(), VkJucePresetBrowser::setDefaultId);

    browser.mouseExit(mouseAt(browser, {1, 1}));
    EXPECT_EQ(browser.getSelected(), VkJucePresetBrowser::noSelection);
}

TEST_F(PresetBrowserTest, SetCurrentAsDefaultMovesUpAndTakesARowWhenItWouldRunIntoClose)
{
    VkJucePresetBrowser browser(nullptr, &editor, "VkJucePresetBrowsers");
    PresetBrowserSettings settings;
    settings.showSetDefault = true;
    browser.setSettings(settings);

    browser.setBounds(0, 0, 600, 300);
    const auto wide = browser.takeFrame().grid;
    EXPECT_LT(wide.defaultRect.getRight(), wide.closeRect.getX() - 3);
    EXPECT_EQ(wide.defaultRect.getY(), wide.closeRect.getY());

    const int narrowWidth = wide.defaultRect.getWidth() + wide.closeRect.getWidth() + 2 * wide.leftMargin;
    browser.setBounds(0, 0, narrowWidth, 300);
    const auto narrow = browser.takeFrame().grid;
    EXPECT_EQ(narrow.rowsPerColumn, wide.rowsPerColumn - 1);
    EXPECT_EQ(narrow.defaultRect.getY(), narrow.closeRect.getY() - narrow.rowHeight);
}

TEST_F(PresetBrowserTest, ChoosingASlotSwitchesTheProgramAndAFactoryPresetOnlyItsParameterRange)
{
    VkJucePresetBrowser browser(nullptr, &editor, "VkJucePresetBrowsers");
    browser.setBounds(0, 0, 600, 400);
    // "Paramset" lines go to the debugger's output in a debug build only: a host shows what a release build
    // writes to stderr.
    const auto chooseCapturingStderr = [&](const char* debugLine)
    {
        ::testing::internal::CaptureStderr();
        const bool close = browser.chooseSelected();
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), kDebugBuild ? debugLine : "");
        return close;
    };

    // Slot 5: the host-visible program changes and takes the slot's values.
    auto slot5 = processor.getProgram(5);
    slot5.values[3] = 0.625f;
    processor.setProgram(5, slot5);
    browser.setSelected(40 + 5);
    EXPECT_FALSE(chooseCapturingStderr("Paramset 5\n"));
    EXPECT_EQ(processor.getCurrentProgram(), 5);
    EXPECT_FLOAT_EQ(processor.getParameter(3), 0.625f);
    EXPECT_FLOAT_EQ(browser.getValue(), 0.045f);
    EXPECT_TRUE(processor.isRefreshAllPending());
    EXPECT_TRUE(processor.isProgramMarkedModified());

    // Factory preset 1 ("Wide": 3 -> 1, 4 -> 0), loaded only from parameter 4 on: the program stays, its
    // name becomes the preset's, parameter 3 keeps its value. The user has changed the slot the preset
    // was first put in; the browser still loads the preset as it was made.
    auto slot1 = processor.getProgram(1);
    slot1.values[4] = 0.9f;
    processor.setProgram(1, slot1);
    PresetBrowserSettings settings;
    settings.firstParameter = 4;
    settings.lastParameter = 5;
    settings.closeOnChoose = true;
    browser.setSettings(settings);
    processor.setRefreshAll(false);
    browser.setSelected(1);
    EXPECT_TRUE(chooseCapturingStderr("Paramset = 1\n"));
    EXPECT_EQ(processor.getCurrentProgram(), 5);
    EXPECT_EQ(processor.getProgramName(5), "Wide");
    EXPECT_FLOAT_EQ(processor.getParameter(3), 0.625f);
    EXPECT_FLOAT_EQ(processor.getParameter(4), 0.0f);
    EXPECT_FLOAT_EQ(browser.getValue(), 0.001f);
    EXPECT_TRUE(processor.isRefreshAllPending());

    // "Set current as default" stores the current values as the default preset and closes the browser.
    browser.setSelected(VkJucePresetBrowser::setDefaultId);
    EXPECT_TRUE(browser.chooseSelected());
    const auto stored = vk::registry::readProductFloat("VJDEFAULT " + processor.getParameterName(3));
    ASSERT_TRUE(stored.has_value());
    EXPECT_FLOAT_EQ(*stored, 0.625f);

    // Nothing selected, or a selection past the list, does nothing.
    browser.setSelected(VkJucePresetBrowser::noSelection);
    EXPECT_FALSE(browser.chooseSelected());
    browser.setSelected(500);
    EXPECT_FALSE(browser.chooseSelected());
    EXPECT_EQ(processor.getCurrentProgram(), 5);
}

TEST_F(PresetBrowserTest, FramesDrawFactoryNamesInLightBlueAndTheSelectionHighlighted)
{
    VkJucePresetBrowser browser(nullptr, &editor, "VkJucePresetBrowsers");
    editor.addControl(&browser, -1);
    browser.setBounds(boundsForGrid(browser, 10, 2));
    browser.setSelected(3);
    editor.getOglComponent().setRenderingEnabled(true);
    gl.clearCalls();
    browser.render(0);
    EXPECT_TRUE(drewColour(gl, VkJucePresetBrowser::factoryNameColour()));
    EXPECT_TRUE(drewColour(gl, juce::Colour((uint8_t)196, (uint8_t)188, (uint8_t)28)));
    const auto highlight = browser.getEntryHighlightRect();
    EXPECT_EQ(highlight, browser.takeFrame().grid.cellAt(0, 3));
    // The last page has program slots only: no light blue.
    for (int i = 0; i < 4; ++i)
    {
        browser.setSelected(VkJucePresetBrowser::nextId);
        browser.chooseSelected();
    }
    gl.clearCalls();
    browser.render(0);
    EXPECT_FALSE(drewColour(gl, VkJucePresetBrowser::factoryNameColour()));
    EXPECT_GT(gl.count("begin"), 0);
}

TEST_F(PresetBrowserTest, ABrowserTooSmallForOneRowListsNothingOnOnePage)
{
    VkJucePresetBrowser browser(nullptr, &editor, "VkJucePresetBrowsers");
    editor.addControl(&browser, -1);
    for (const auto size : {juce::Rectangle<int>(0, 0, 300, 20), juce::Rectangle<int>(0, 0, 300, 0),
                            juce::Rectangle<int>(0, 0, 0, 0)})
    {
        browser.setBounds(size);
        const auto f = browser.takeFrame();
        EXPECT_EQ(f.grid.rowsPerColumn, 0);
        EXPECT_EQ(f.grid.entriesPerPage(), 0);
        EXPECT_EQ(f.grid.pages, 1);
        for (int y = -5; y < 30; y += 3)
        {
            browser.selectAt({f.grid.leftMargin + 3, y});
            EXPECT_LT(browser.getSelected(), 0);
        }
        browser.setSelected(VkJucePresetBrowser::nextId);
        browser.chooseSelected();
        EXPECT_EQ(browser.getPage(), 0);
        browser.render(0);
    }
}

TEST_F(PresetBrowserTest, TheTriggerCreatesTheBrowserOnceWithItsSettingsAndClosesItFromItsButtons)
{
    VkJucePresetBrowserTriggerButton trigger("m_btnPresetBrowserTriggerButton");
    trigger.attachToParameter(VkJuceControl::noParameter, &editor);
    editor.addControl(&trigger, -1);
    trigger.setBounds(495, 7, 16, 16);
    PresetBrowserSettings settings;
    settings.showSetDefault = true;
    settings.lastParameter = 7;
    trigger.setBrowserSettings(settings);
    EXPECT_EQ(trigger.getBrowser(), nullptr);

    trigger.mouseDown(mouseAt(trigger, {5, 5}));
    ASSERT_TRUE(trigger.isPopUpOpen());
    auto* browser = trigger.getBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->getName(), "VkJucePresetBrowsers");
    EXPECT_TRUE(browser->isVisible());
    EXPECT_EQ(browser->getBounds(), trigger.getPopUpButton().getBounds());
    EXPECT_EQ(browser->getParentComponent(), &editor.getOglComponent());
    EXPECT_EQ(browser->getSettings().lastParameter, 7);
    EXPECT_TRUE(browser->getSettings().showSetDefault);
    EXPECT_EQ(browser->getBrowserFont(), editor.getOglComponent().getFontForSize(11));

    // "Close" through a real press on the browser.
    const auto close = browser->takeFrame().grid.closeRect.getCentre().toFloat();
    browser->mouseDown(mouseAt(*browser, close));
    EXPECT_FALSE(trigger.isPopUpOpen());
    EXPECT_FALSE(browser->isVisible());

    // Settings changed later stay out of the browser made already.
    settings.lastParameter = 3;
    trigger.setBrowserSettings(settings);
    trigger.mouseDown(mouseAt(trigger, {5, 5}));
    EXPECT_EQ(trigger.getBrowser(), browser);
    EXPECT_TRUE(browser->isVisible());
    EXPECT_EQ(browser->getSettings().lastParameter, 7);

    // An entry chosen with close on choose off leaves the pop-up open.
    browser->mouseDown(mouseAt(*browser, browser->takeFrame().grid.cellAt(0, 0).getCentre().toFloat()));
    EXPECT_TRUE(trigger.isPopUpOpen());
    trigger.closePopUp();
}
