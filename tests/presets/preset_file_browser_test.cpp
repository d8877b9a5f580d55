// The preset file browser headless: what "..." acts on when the folders change under an open dialog, which
// file choosing a listed preset loads, which cell is marked as the current preset, and whether every preset
// of a long category can be reached in the grid.
#include "preset_browser_test_support.h"

#include "presets/vk_juce_preset_file.h"
#include "presets/vk_juce_preset_file_browser.h"

#include <gtest/gtest.h>

#include <set>

using namespace vk;
using namespace vk::test;

namespace
{
struct PresetFileBrowserTest : ::testing::Test
{
    using Browser = VkJucePresetFileBrowser;

    void SetUp() override { processor.setPresetFileMode(true); }

    juce::File userFolder(const juce::String& folder)
    {
        return VkJucePresetFile::getUserPresetRoot(&processor).getChildFile(folder);
    }
    /** A preset file whose parameter 4 holds `value`. */
    void writePreset(const juce::String& folder, const juce::String& stem, float value)
    {
        const auto file = userFolder(folder).getChildFile(stem + ".vkp");
        ASSERT_TRUE(file.getParentDirectory().createDirectory().wasOk());
        ASSERT_TRUE(file.replaceWithText("<VEKLAAudioPreset><Parameters P4=\"" + juce::String(value) +
                                         "\"/></VEKLAAudioPreset>"));
    }
    Browser& open()
    {
        browser = std::make_unique<Browser>(nullptr, &editor, "VkJucePresetFileBrowser");
        editor.addControl(browser.get(), -1);
        browser->setBounds(0, 0, 600, 400);
        browser->browserOpened();
        return *browser;
    }
    void selectCategory(const juce::String& name)
    {
        const int i = browser->getCategories().indexOf(name);
        ASSERT_GE(i, 0) << name;
        browser->setSelected(Browser::firstCategoryId + i);
        browser->chooseSelected();
    }
    juce::Rectangle<int> presetCell(int n)
    {
        const auto g = browser->takeFrame().grid;
        return g.cellAt(n / g.rowsPerColumn, n % g.rowsPerColumn);
    }
    /** A press on "..." at the right end of a cell. */
    void pressDots(juce::Rectangle<int> cell)
    {
        browser->selectAt({cell.getRight() - 4, cell.getCentreY()});
        browser->chooseSelected();
        ASSERT_EQ(browser->getMode(), Browser::chooseAction);
    }
    void pressDotsOnPreset(const juce::String& name)
    {
        const int n = browser->getPresets().indexOf(name);
        ASSERT_GE(n, 0) << name;
        pressDots(presetCell(n));
    }
    void pressDotsOnCategory(const juce::String& name)
    {
        const int i = browser->getCategories().indexOf(name);
        ASSERT_GE(i, 1) << name;
        pressDots(Browser::categoryCell(browser->takeFrame().grid, i));
    }
    void pressButton(const juce::String& label)
    {
        const auto layout = browser->computeLayout(browser->takeFrame());
        const int j = layout.dialogButtons.indexOf(label);
        ASSERT_GE(j, 0) << label << " in mode " << browser->getMode();
        browser->selectAt(layout.dialogButtonRects[(size_t)j].getCentre());
        browser->chooseSelected();
    }
    juce::StringArray sortedPresets()
    {
        auto names = browser->getPresets();
        names.sort(true);
        return names;
    }

    ScopedDataFolders folders;
    TestProcessor processor;
    RecordingGlApi gl;
    TestEditorBase editor{processor, &gl, 640, 435};
    std::unique_ptr<Browser> browser;
};
} // namespace

TEST_F(PresetFileBrowserTest, TheDialogActsOnTheCategoryItWasOpenedOnOrOnNothing)
{
    for (const char* category : {"Bass", "Keys"})
        writePreset(category, "One", 0.5f);
    open();

    // A folder made elsewhere while the dialog is open moves "Keys" down the column.
    pressDotsOnCategory("Keys");
    ASSERT_TRUE(userFolder("Alpha").createDirectory().wasOk());
    pressButton("Delete");
    pressButton("Yes");
    EXPECT_FALSE(userFolder("Keys").exists());
    EXPECT_TRUE(userFolder("Bass/One.vkp").existsAsFile());

    // The category is gone by the time the answer comes: nothing else is renamed or deleted.
    for (const char* action : {"Rename", "Delete"})
    {
        pressDotsOnCategory("Bass");
        ASSERT_TRUE(userFolder("Bass").deleteRecursively());
        pressButton(action);
        if (juce::String(action) == "Rename")
        {
            browser->getTextEntry().textEntered("Renamed");
            pressButton("Ok");
        }
        else
            pressButton("Yes");
        EXPECT_EQ(browser->getCategories().joinIntoString("|"), "Installed|Alpha") << action;
        EXPECT_EQ(browser->getMode(), Browser::lists);
        EXPECT_EQ(browser->getTarget(), -1);
        ASSERT_TRUE(userFolder("Bass").createDirectory().wasOk());
        browser->refreshLists();
    }
}

TEST_F(PresetFileBrowserTest, EachPresetActionHitsThePresetItWasOpenedOnAfterTheListMoved)
{
    struct Case
    {
        const char* action;
        const char* typed; // for the dialog that asks for a name
        std::vector<const char*> keysAfter;
        std::vector<const char*> padsAfter;
    };
    // Three presets; "..." is pressed on the one listed second ("{1}"), and the one listed first is deleted
    // elsewhere before the answer, so that the third ("{2}") moves to the second's position.
    const Case cases[] = {
        {"Delete", nullptr, {"{2}"}, {}},
        {"Rename", "Renamed", {"Renamed", "{2}"}, {}},
        {"Move", "Pads", {"{2}"}, {"{1}"}},
        {"Copy", nullptr, {"{1}", "{1} 1", "{2}"}, {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.action);
        ASSERT_TRUE(userFolder("Keys").deleteRecursively() && userFolder("Pads").deleteRecursively());
        // The file system's listing order decides which one is listed second.
        writePreset("Keys", "First", 0.1f);
        writePreset("Keys", "Second", 0.2f);
        writePreset("Keys", "Third", 0.3f);
        open();
        selectCategory("Keys");
        const auto listed = browser->getPresets();
        ASSERT_EQ(listed.size(), 3);
        pressDotsOnPreset(listed[1]);
        ASSERT_TRUE(userFolder("Keys").getChildFile(listed[0] + ".vkp").deleteFile());
        pressButton(c.action);
        if (c.typed != nullptr)
        {
            browser->getTextEntry().textEntered(c.typed);
            pressButton("Ok");
        }
        else if (juce::String(c.action) == "Delete")
            pressButton("Yes");
        EXPECT_EQ(browser->getMode(), Browser::lists);

        const auto named = [&](const std::vector<const char*>& names)
        {
            juce::StringArray out;
            for (const juce::String name : names)
                out.add(name.replace("{1}", listed[1]).replace("{2}", listed[2]));
            return out;
        };
        auto keys = named(c.keysAfter), pads = named(c.padsAfter);
        keys.sort(true);
        pads.sort(true);
        EXPECT_EQ(sortedPresets().joinIntoString("|"), keys.joinIntoString("|"));
        auto inPads = VkJucePresetFile::getPresetsInCategory(&processor, "Pads");
        inPads.sort(true);
        EXPECT_EQ(inPads.joinIntoString("|"), pads.joinIntoString("|"));
    }
}

TEST_F(PresetFileBrowserTest, ChoosingAListedPresetLoadsThatFileWhateverItsName)
{
    // "Café" and "Caf" encode alike; "A%2FB" is listed as "A/B", whose encoding is "A&2FB".
    const std::pair<juce::String, float> files[] = {
        {"Caf", 0.125f}, {juce::CharPointer_UTF8("Caf\xc3\xa9"), 0.25f}, {"A%2FB", 0.375f}, {"C%5CD", 0.5f}};
    for (const auto& [stem, value] : files)
        writePreset("Keys", stem, value);
    open();
    selectCategory("Keys");
    for (const auto& [stem, value] : files)
    {
        const auto shown = stem.replace("%2F", "/").replace("%5C", "\\");
        const int n = browser->getPresets().indexOf(shown);
        ASSERT_GE(n, 0) << shown;
        processor.setParameterInternal(4, 0.0f, true, false, false);
        browser->setSelected(n);
        browser->chooseSelected();
        EXPECT_EQ(processor.getParameter(4), value) << shown;
        EXPECT_EQ(processor.getProgramName(processor.getCurrentProgram()), shown);
    }
}

TEST_F(PresetFileBrowserTest, TheCurrentPresetIsMarkedAndSelectedInCategoriesHoldingSeparators)
{
    for (const char* folder : {"Drums&2FLoops", "Back%5CSlash", "Plain"})
        writePreset(folder, "Kick", 0.5f);
    open();
    editor.getOglComponent().setRenderingEnabled(true);
    for (const char* category : {"Drums/Loops", "Back\\Slash", "Plain"})
    {
        SCOPED_TRACE(category);
        selectCategory(category);
        browser->setSelected(browser->getPresets().indexOf("Kick"));
        browser->chooseSelected();
        ASSERT_EQ(processor.getProgramName(processor.getCurrentProgram()), "Kick");

        // Opening again moves the selection to the current preset's category.
        selectCategory("Installed");
        browser->browserOpened();
        EXPECT_EQ(browser->getCategories()[browser->getSelectedCategory()], category);

        // Its cell is filled (nothing is hovered, so no other fill lands on it).
        browser->setSelected(Browser::noSelection);
        gl.clearCalls();
        browser->render(0);
        const auto cell = presetCell(0);
        bool filled = false;
        for (const auto& call : gl.only("recti"))
            filled = filled ||
                     (call.args == std::vector<double>{(double)cell.getX(), (double)cell.getY(),
                                                       (double)cell.getRight(), (double)cell.getBottom()});
        EXPECT_TRUE(filled);
    }
}

TEST_F(PresetFileBrowserTest, EveryPresetOfALongCategoryCanBeSeenAndClicked)
{
    for (int i = 0; i < 130; ++i)
        writePreset("Many", "Preset " + juce::String(i), 0.5f);
    open();
    selectCategory("Many");
    ASSERT_EQ(browser->getPresets().size(), 130);

    std::set<int> reached;
    const auto g = browser->takeFrame().grid;
    for (int page = 0; page < g.pages; ++page)
    {
        for (int c = 0; c < g.columns; ++c)
            for (int r = 0; r < g.rowsPerColumn; ++r)
            {
                // Drawn inside the panel; a click outside it never reaches the browser.
                const auto cell = g.cellAt(c, r);
                EXPECT_LE(cell.getRight(), browser->getWidth()) << c;
                if (!browser->getLocalBounds().contains(cell.getCentre()))
                    continue;
                browser->selectAt(cell.getCentre());
                if (browser->getSelected() >= 0)
                    reached.insert(browser->getSelected());
            }
        browser->setSelected(Browser::nextId);
        browser->chooseSelected();
    }
    EXPECT_EQ(reached.size(), 130u);

    // The grid's page examples where the width gives two columns of ten rows: 86 presets make five pages,
    // 80 make four.
    for (const auto& [count, pages] : {std::pair<int, int>{86, 5}, {80, 4}})
    {
        for (int i = count; i < 130; ++i)
            userFolder("Many").getChildFile("Preset " + juce::String(i) + ".vkp").deleteFile();
        browser->refreshLists();
        browser->setBounds(0, 0, 600, 400);
        const auto big = browser->takeFrame().grid;
        browser->setBounds(0, 0, big.leftMargin + 2 * big.columnStride() + big.columnStride() / 2,
                           big.topMargin + big.bottomMargin + 11 * big.rowHeight);
        const auto small = browser->takeFrame().grid;
        EXPECT_EQ(small.rowsPerColumn, 10);
        EXPECT_EQ(small.columns, 2);
        EXPECT_EQ(small.pages, pages) << count;
    }
}
