// The preset file browser headless: what "..." acts on when the folders change under an open dialog, which
// file choosing or stepping to a listed preset loads, which cell is marked as the current preset, whether
// every preset of a long category can be reached in the grid, and how a refused name is shown.
#include "preset_browser_test_support.h"

#include "platform/vk_launcher.h"
#include "presets/vk_juce_preset_file.h"
#include "presets/vk_juce_preset_file_browser.h"
#include "presets/vk_preset_names.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace vk;
using namespace vk::test;

namespace
{
struct PresetFileBrowserTest : ::testing::Test
{
    using Browser = VkJucePresetFileBrowser;

    PresetFileBrowserTest() { VkJucePresetFile::installProcessorStepping(); }
    void SetUp() override { processor.setPresetFileMode(true); }

    juce::File userFolder(const juce::String& path) { return root.getChildFile(path); }
    /** A preset file whose parameter 4 holds `value`. */
    void writePreset(const juce::String& folder, const juce::String& stem, float value = 0.5f)
    {
        ASSERT_TRUE(userFolder(folder).createDirectory().wasOk() &&
                    userFolder(folder)
                        .getChildFile(stem + ".vkp")
                        .replaceWithText("<VEKLAAudioPreset><Parameters P4=\"" + juce::String(value) +
                                         "\"/></VEKLAAudioPreset>"));
    }
    /** A new browser, showing `category` when one is named. */
    void open(const juce::String& category = {})
    {
        browser = std::make_unique<Browser>(nullptr, &editor, "VkJucePresetFileBrowser");
        editor.addControl(browser.get(), -1);
        browser->setBounds(0, 0, 600, 400);
        browser->browserOpened();
        if (category.isNotEmpty())
            selectCategory(category);
    }
    void choose(int id)
    {
        browser->setSelected(id);
        browser->chooseSelected();
    }
    void pressAt(juce::Point<int> point)
    {
        browser->selectAt(point);
        browser->chooseSelected();
    }
    void selectCategory(const juce::String& name)
    {
        const int i = browser->getCategories().indexOf(name);
        ASSERT_GE(i, 0) << name;
        choose(Browser::firstCategoryId + i);
    }
    juce::Rectangle<int> presetCell(int n)
    {
        const auto g = browser->takeFrame().grid;
        return g.cellAt(n / g.rowsPerColumn, n % g.rowsPerColumn);
    }
    /** A press on "..." at the right end of the cell of a category or of a listed preset. */
    void pressDots(const juce::String& name, bool onCategory)
    {
        const int n = (onCategory ? browser->getCategories() : browser->getPresets()).indexOf(name);
        ASSERT_GE(n, 0) << name;
        const auto cell = onCategory ? Browser::categoryCell(browser->takeFrame().grid, n) : presetCell(n);
        pressAt({cell.getRight() - 4, cell.getCentreY()});
        ASSERT_EQ(browser->getMode(), Browser::chooseAction);
    }
    void pressButton(const juce::String& label)
    {
        const auto layout = browser->computeLayout(browser->takeFrame());
        const int j = layout.dialogButtons.indexOf(label);
        ASSERT_GE(j, 0) << label << " in mode " << browser->getMode();
        pressAt(layout.dialogButtonRects[(size_t)j].getCentre());
    }
    /** Presses `action` in the open dialog and answers what it asks next: "Yes", or `typed` and "Ok". */
    void act(const juce::String& action, const juce::String& typed = {})
    {
        pressButton(action);
        if (action != "Delete" && typed.isNotEmpty())
            browser->getTextEntry().textEntered(typed);
        if (action == "Delete" || typed.isNotEmpty())
            pressButton(action == "Delete" ? "Yes" : "Ok");
    }
    static juce::String sorted(juce::StringArray names)
    {
        names.sort(true);
        return names.joinIntoString("|");
    }
    static juce::StringArray plus(juce::StringArray names, const juce::String& name)
    {
        names.add(name);
        return names;
    }

    ScopedDataFolders folders;
    TestProcessor processor;
    const juce::File root = VkJucePresetFile::getUserPresetRoot(&processor);
    RecordingGlApi gl;
    TestEditorBase editor{processor, &gl, 640, 435};
    std::unique_ptr<Browser> browser;
};
} // namespace

TEST_F(PresetFileBrowserTest, EachActionHitsTheItemItWasOpenedOnOrNothingOnceThatIsGone)
{
    // "..." is pressed on an item, and before the answer the folders change elsewhere: a category made or the
    // preset listed first deleted moves the item in its column, or the item itself is deleted. Presets are
    // listed in the file system's order: "{n}" stands for the one listed n-th.
    const std::tuple<bool, const char*, const char*, const char*, const char*, const char*, const char*>
        cases[] = {
            // on a category, pressed on, folder made, deleted, action, name typed, the presets after
            {false, "{1}", "", "Keys/{0}.vkp", "Delete", "", "Bass/One|Keys/{2}"},
            {false, "{1}", "", "Keys/{0}.vkp", "Rename", "Renamed", "Bass/One|Keys/Renamed|Keys/{2}"},
            {false, "{1}", "", "Keys/{0}.vkp", "Move", "Pads", "Bass/One|Keys/{2}|Pads/{1}"},
            {false, "{1}", "", "Keys/{0}.vkp", "Copy", "", "Bass/One|Keys/{1}|Keys/{1} 1|Keys/{2}"},
            {true, "Keys", "Alpha", "", "Delete", "", "Bass/One"},
            {true, "Bass", "", "Bass", "Rename", "Renamed", "Keys/{0}|Keys/{1}|Keys/{2}"},
            {true, "Bass", "", "Bass", "Delete", "", "Keys/{0}|Keys/{1}|Keys/{2}"},
        };
    for (const auto& [onCategory, pressedOn, made, deleted, action, typed, after] : cases)
    {
        SCOPED_TRACE(juce::String(action) + " on " + pressedOn);
        ASSERT_TRUE(root.deleteRecursively());
        writePreset("Bass", "One");
        for (const char* stem : {"First", "Second", "Third"})
            writePreset("Keys", stem);
        open("Keys");
        const auto listed = browser->getPresets();
        const auto named = [&](const juce::String& text)
        { return text.replace("{0}", listed[0]).replace("{1}", listed[1]).replace("{2}", listed[2]); };
        pressDots(named(pressedOn), onCategory);
        ASSERT_TRUE(*made == 0 || userFolder(made).createDirectory().wasOk());
        ASSERT_TRUE(*deleted == 0 || userFolder(named(deleted)).deleteRecursively());
        act(action, typed);
        // The dialog is over: back at the lists, or a notice of what was refused.
        EXPECT_EQ(browser->getTarget(), -1);
        juce::StringArray presets;
        for (const auto& file : root.findChildFiles(juce::File::findFiles, true, "*.vkp"))
            presets.add(file.getRelativePathFrom(root).upToLastOccurrenceOf(".vkp", false, false));
        EXPECT_EQ(sorted(presets), sorted(juce::StringArray::fromTokens(named(after), "|", "")));
    }
}

TEST_F(PresetFileBrowserTest, AChosenOrSteppedPresetLoadsItsOwnFileAndIsMarkedWhateverItsName)
{
    // The categories spell an encoded separator both ways; "Café" and "Caf" encode alike; "A%2FB" is listed
    // as "A/B", whose encoding is "A&2FB".
    const std::tuple<const char*, const char*, juce::String, float> files[] = {
        {"Drums&2FLoops", "Drums/Loops", "Kick", 0.125f},
        {"Plain", "Plain", "Kick", 0.25f},
        {"Back%5CSlash", "Back\\Slash", "Caf", 0.375f},
        {"Back%5CSlash", "Back\\Slash", juce::CharPointer_UTF8("Caf\xc3\xa9"), 0.5f},
        {"Back%5CSlash", "Back\\Slash", "A%2FB", 0.625f},
        {"Back%5CSlash", "Back\\Slash", "C%5CD", 0.75f}};
    for (const auto& [folder, category, stem, value] : files)
        writePreset(folder, stem, value);
    open();
    editor.getOglComponent().setRenderingEnabled(true);
    std::map<juce::String, float> valueOf;
    for (const auto& [folder, category, stem, value] : files)
    {
        const auto shown = stem.replace("%2F", "/").replace("%5C", "\\");
        SCOPED_TRACE(shown);
        valueOf[shown] = value;
        selectCategory(category);
        choose(browser->getPresets().indexOf(shown));
        EXPECT_EQ(processor.getParameter(4), value);

        // Opening again selects its category and fills its cell, with nothing hovered to fill it instead.
        selectCategory("Installed");
        browser->browserOpened();
        EXPECT_EQ(browser->getCategories()[browser->getSelectedCategory()], category);
        browser->setSelected(Browser::noSelection);
        gl.clearCalls();
        browser->render(0);
        const auto cell = presetCell(browser->getPresets().indexOf(shown));
        const std::vector<double> fill{(double)cell.getX(), (double)cell.getY(), (double)cell.getRight(),
                                       (double)cell.getBottom()};
        EXPECT_TRUE(std::any_of(gl.calls.begin(), gl.calls.end(),
                                [&](const auto& call) { return call.name == "recti" && call.args == fill; }));
    }

    // A host steps on from "C\\D" with the next-preset parameter: each preset applied from its own file.
    const auto listed = VkJucePresetFile::getPresetsInCategory(&processor, "Back\\Slash");
    for (int i = 1; i <= listed.size(); ++i)
    {
        for (const float press : {1.0f, 0.0f})
            processor.setParameterInternal(processor.getPresetNextParameterId(), press, true, false, false);
        const auto expected = listed[(listed.indexOf("C\\D") + i) % listed.size()];
        EXPECT_EQ(processor.getProgramName(processor.getCurrentProgram()), expected);
        EXPECT_EQ(processor.getParameter(4), valueOf.at(expected)) << expected;
    }
}

TEST_F(PresetFileBrowserTest, EveryPresetOfALongCategoryCanBeSeenAndClicked)
{
    for (int i = 0; i < 130; ++i)
        writePreset("Many", "Preset " + juce::String(i));
    open("Many");

    std::set<int> reached;
    const auto g = browser->takeFrame().grid;
    EXPECT_LE(g.cellAt(g.columns - 1, 0).getRight(), browser->getWidth()); // every column inside the panel
    for (int page = 0; page < g.pages; ++page, choose(Browser::nextId))
        for (int n = 0; n < g.columns * g.rowsPerColumn; ++n)
        {
            // A click outside the panel never reaches the browser.
            const auto centre = g.cellAt(n / g.rowsPerColumn, n % g.rowsPerColumn).getCentre();
            browser->selectAt(centre);
            if (browser->getLocalBounds().contains(centre) && browser->getSelected() >= 0)
                reached.insert(browser->getSelected());
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
        EXPECT_EQ(std::make_tuple(small.columns, small.rowsPerColumn, small.pages),
                  std::make_tuple(2, 10, pages))
            << count;
    }
}

TEST_F(PresetFileBrowserTest, SaveOverwritesOnlyTheListedPresetAndListsANewOneAsTyped)
{
    // Files of earlier versions: "Caf" lost the letter its name was typed with; "Mix%2FKeys" is listed as
    // "Mix/Keys", whose encoding names another folder.
    const juce::String cafe = juce::CharPointer_UTF8("Caf\xc3\xa9");
    writePreset("Mix%2FKeys", "Caf", 0.125f);
    writePreset("Mix%2FKeys", cafe, 0.25f);
    open("Mix/Keys");
    const auto savedValue = [&](const juce::String& stem)
    {
        auto record = VkJucePresetFile::forListedFile(userFolder("Mix%2FKeys").getChildFile(stem + ".vkp"));
        return record.load(&processor) ? record.getProgram().values[4] : -1.0f;
    };

    // "Café" chosen, changed and saved: the question is about "Café", and only its file changes; also with
    // the "*" the editor puts after the name of a changed preset.
    float value = 0.25f;
    for (const auto& programName : {cafe, cafe + "*"})
    {
        SCOPED_TRACE(programName);
        choose(browser->getPresets().indexOf(cafe));
        EXPECT_EQ(processor.getParameter(4), value);
        value += 0.25f;
        processor.setParameterInternal(4, value, true, false, false);
        processor.changeProgramName(processor.getCurrentProgram(), programName);
        choose(Browser::saveId);
        ASSERT_EQ(browser->getMode(), Browser::confirmOverwrite);
        pressButton("Yes");
        EXPECT_EQ(savedValue(cafe), value);
        EXPECT_EQ(savedValue("Caf"), 0.125f);
        EXPECT_EQ(sorted(browser->getPresets()), sorted({"Caf", cafe}));
        EXPECT_EQ(processor.getProgramName(processor.getCurrentProgram()), cafe);
    }

    // Two files listed as "A/B" ("A%2FB" written by an earlier version): each saves over itself when chosen.
    writePreset("Mix%2FKeys", "A%2FB", 0.125f);
    writePreset("Mix%2FKeys", "A&2FB", 0.125f);
    browser->refreshLists();
    const auto files = VkJucePresetFile::getPresetFilesInCategory(&processor, "Mix%2FKeys");
    for (int n = 0; n < files.size(); ++n)
    {
        if (browser->getPresets()[n] != "A/B")
            continue;
        choose(n);
        processor.setParameterInternal(4, 0.5f + (float)n / 64.0f, true, false, false);
        choose(Browser::saveId);
        pressButton("Yes");
        EXPECT_EQ(savedValue(files[n].getFileNameWithoutExtension()), 0.5f + (float)n / 64.0f);
    }

    // New names go into the folder the category is listed from, without a question, listed as typed.
    const char* const typed[] = {"Fresh", "Mix: 1", "%2F", ".hidden", "a/b\\c", "#3A", "~home"};
    for (const char* name : typed)
    {
        processor.changeProgramName(processor.getCurrentProgram(), name);
        choose(Browser::saveId);
        EXPECT_EQ(browser->getMode(), Browser::lists) << name;
        EXPECT_TRUE(browser->getPresets().contains(name)) << name;
    }
    EXPECT_EQ(userFolder("Mix%2FKeys").getNumberOfChildFiles(juce::File::findFiles),
              4 + (int)std::size(typed));
    EXPECT_EQ(root.getNumberOfChildFiles(juce::File::findDirectories), 1);
}

TEST_F(PresetFileBrowserTest, EveryActionReachesTheListedEntryAndTypedNamesAreListedAsTyped)
{
    // "%2F" (listed as "/"), "Caf" and "Bass&5C" were written by earlier versions; "Café" encodes to no other
    // file now.
    const juce::String cafe = juce::CharPointer_UTF8("Caf\xc3\xa9");
    for (const auto& stem : {juce::String("Caf"), cafe, juce::String("%2F"), juce::String("Bass&5C")})
        writePreset("Mix%2FKeys", stem);
    open("Mix/Keys");

    // Each listed preset is copied, its copy renamed to a typed name and moved, and the preset deleted: every
    // step reaches the entry it was pressed on, and what was typed is listed as typed.
    const std::pair<juce::String, juce::String> cases[] = {{cafe, "%2F"},
                                                           {"/", juce::CharPointer_UTF8("\xc3\x9c"
                                                                                        "ber: 1")},
                                                           {"Caf", ".."},
                                                           {"Bass\\", "A/B\\C #2E"}};
    for (const auto& [shown, typed] : cases)
    {
        SCOPED_TRACE(shown + " -> " + typed);
        auto expected = browser->getPresets();
        pressDots(shown, false);
        act("Copy");
        EXPECT_EQ(sorted(browser->getPresets()), sorted(plus(expected, shown + " 1")));
        pressDots(shown + " 1", false);
        act("Rename", typed);
        EXPECT_EQ(sorted(browser->getPresets()), sorted(plus(expected, typed)));
        pressDots(typed, false);
        act("Move", "Moved/" + typed);
        EXPECT_EQ(VkJucePresetFile::getPresetsInCategory(&processor, "Moved/" + typed),
                  juce::StringArray(typed));
        pressDots(shown, false);
        act("Delete");
        expected.removeString(shown);
        EXPECT_EQ(sorted(browser->getPresets()), sorted(expected));
    }
    EXPECT_EQ(userFolder("Mix%2FKeys").getNumberOfChildFiles(juce::File::findFiles), 0);

    // The category: shown where it lies on disk, renamed to a typed name, deleted under that name; a new one
    // listed as typed.
    std::vector<std::string> launched;
    vk::platform::setLauncherOverride(
        [&](const std::vector<std::string>& arguments)
        {
            launched.push_back(arguments.back());
            return true;
        });
    pressDots("Mix/Keys", true);
    act("Browse");
    vk::platform::setLauncherOverride({});
    EXPECT_EQ(launched, std::vector<std::string>{userFolder("Mix%2FKeys").getFullPathName().toStdString()});
    pressDots("Mix/Keys", true);
    act("Rename", "%5C & #3A");
    ASSERT_TRUE(browser->getCategories().contains("%5C & #3A"));
    pressDots("%5C & #3A", true);
    act("Delete");
    EXPECT_FALSE(browser->getCategories().contains("%5C & #3A"));
    choose(Browser::newFolderId);
    browser->getTextEntry().textEntered(juce::CharPointer_UTF8("\xc3\x9c"
                                                               "ber/Keys"));
    pressButton("Ok");
    EXPECT_TRUE(browser->getCategories().contains(juce::CharPointer_UTF8("\xc3\x9c"
                                                                         "ber/Keys")));
}

TEST_F(PresetFileBrowserTest, ANameTheStoreCannotTakeIsRefusedWhereItIsGiven)
{
    writePreset("Keys", "Piano");
    open("Keys");
    const auto tooLong = juce::String::repeatedString("x", presets::kMaxStoredNameBytes + 1);
    const auto title = [this] { return browser->computeLayout(browser->takeFrame()).title; };

    // Save under a program name the store cannot take: a notice instead of a silent failure.
    processor.changeProgramName(processor.getCurrentProgram(), tooLong);
    choose(Browser::saveId);
    EXPECT_EQ(browser->getMode(), Browser::notice);
    EXPECT_TRUE(title().contains("too long")) << title();
    pressButton("Ok");
    EXPECT_EQ(browser->getMode(), Browser::lists);

    // A typed name: its dialog stays open, says why, and keeps the text to shorten.
    for (const auto& [action, mode] :
         {std::pair<const char*, int>{"Rename", Browser::rename}, {"Move", Browser::move}})
    {
        pressDots("Piano", false);
        act(action, tooLong);
        EXPECT_EQ(browser->getMode(), mode) << action;
        EXPECT_TRUE(title().contains("too long")) << action;
        EXPECT_EQ(browser->getTextEntry().getText(), tooLong) << action;
        pressButton("Cancel");
    }
}
