// The preset file browser in a real editor window (Xvfb + Mesa), in preset-file mode, driven by synthetic
// clicks through the window's peer: saving, the "..." actions and their dialogs, what each leaves on disk,
// and the names that must do nothing.
#include "preset_browser_window.h"

#include "platform/vk_launcher.h"
#include "presets/vk_juce_preset_file.h"
#include "presets/vk_juce_preset_file_browser.h"

using namespace vk;
using namespace vk::test;

namespace
{
struct PresetFileBrowserWindowTest : PresetBrowserWindowTest
{
    void SetUp() override
    {
        PresetBrowserWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        processor->setPresetFileMode(true);
        platform::setLauncherOverride(
            [this](const std::vector<std::string>& args)
            {
                launched.push_back(args);
                return true;
            });
        editor->clickAt({503, 15});
        browser = dynamic_cast<VkJucePresetFileBrowser*>(editor->trigger.getBrowser());
        ASSERT_NE(browser, nullptr);
        ASSERT_TRUE(pumpUntil([&] { return browser->isShowing(); }));
    }
    void TearDown() override
    {
        platform::setLauncherOverride({});
        PresetBrowserWindowTest::TearDown();
    }

    void click(juce::Rectangle<int> inBrowser)
    {
        editor->clickAt(browser->getPosition() + inBrowser.getCentre());
    }
    juce::Rectangle<int> presetCell(int n)
    {
        const auto g = browser->takeFrame().grid;
        return g.cellAt(n / g.rowsPerColumn, n % g.rowsPerColumn);
    }
    void clickCategory(const juce::String& name)
    {
        const int i = browser->getCategories().indexOf(name);
        ASSERT_GE(i, 0) << name;
        click(VkJucePresetFileBrowser::categoryCell(browser->takeFrame().grid, i));
    }
    /** "..." at the right end of a cell. */
    void clickDots(juce::Rectangle<int> cell)
    {
        editor->clickAt(browser->getPosition() + juce::Point<int>(cell.getRight() - 4, cell.getCentreY()));
    }
    void clickDialogButton(const juce::String& label)
    {
        const auto layout = browser->computeLayout(browser->takeFrame());
        const int j = layout.dialogButtons.indexOf(label);
        ASSERT_GE(j, 0) << label << " in mode " << browser->getMode();
        click(layout.dialogButtonRects[(size_t)j]);
    }
    /** "..." on a preset (or, with `category`, on a user category), then the named action. */
    void action(const juce::String& entry, const juce::String& label, bool category = false)
    {
        const int n = (category ? browser->getCategories() : browser->getPresets()).indexOf(entry);
        ASSERT_GE(n, category ? 1 : 0) << entry;
        clickDots(category ? VkJucePresetFileBrowser::categoryCell(browser->takeFrame().grid, n)
                           : presetCell(n));
        ASSERT_EQ(browser->getMode(), VkJucePresetFileBrowser::chooseAction);
        clickDialogButton(label);
    }
    /** Types into the dialog's entry as the modal text editor delivers it, then "Ok". */
    void enter(const juce::String& text)
    {
        browser->getTextEntry().textEntered(text);
        clickDialogButton("Ok");
        EXPECT_EQ(browser->getMode(), VkJucePresetFileBrowser::lists);
    }
    void saveAs(const juce::String& name)
    {
        processor->changeProgramName(processor->getCurrentProgram(), name);
        click(browser->computeLayout(browser->takeFrame()).saveRect);
    }
    juce::File userFolder(const juce::String& category)
    {
        return VkJucePresetFile::getUserPresetRoot(processor.get()).getChildFile(category);
    }

    VkJucePresetFileBrowser* browser = nullptr;
    std::vector<std::vector<std::string>> launched;
};
} // namespace

TEST_F(PresetFileBrowserWindowTest, CopyRenameAndMoveThroughTheDialogsNeverOverwrite)
{
    EXPECT_EQ(browser->getName(), "VkJucePresetFileBrowser");
    EXPECT_EQ(browser->getFactoryCount(), 0);
    ASSERT_EQ(browser->getCategories(), juce::StringArray({"Installed", "User"}));
    EXPECT_EQ(browser->getSelectedCategory(), 0);

    clickCategory("User");
    ASSERT_EQ(browser->getSelectedCategory(), 1);
    saveAs("Bass");
    ASSERT_EQ(browser->getPresets(), juce::StringArray({"Bass"}));
    EXPECT_EQ(browser->getEntryCount(), 1);

    // Copy twice.
    action("Bass", "Copy");
    action("Bass", "Copy");
    auto names = browser->getPresets();
    names.sort(true);
    EXPECT_EQ(names, juce::StringArray({"Bass", "Bass 1", "Bass 2"}));

    // Rename onto an existing name.
    saveAs("Lead");
    action("Lead", "Rename");
    ASSERT_EQ(browser->getMode(), VkJucePresetFileBrowser::rename);
    EXPECT_EQ(browser->getTextEntry().getText(), "Lead");
    enter("Bass 2");
    names = browser->getPresets();
    names.sort(true);
    EXPECT_EQ(names, juce::StringArray({"Bass", "Bass 1", "Bass 2", "Bass 2 1"}));

    // Move into a folder that does not exist yet.
    action("Bass 1", "Move");
    ASSERT_EQ(browser->getMode(), VkJucePresetFileBrowser::move);
    enter("Keys");
    EXPECT_FALSE(browser->getPresets().contains("Bass 1"));
    EXPECT_TRUE(browser->getCategories().contains("Keys"));
    EXPECT_TRUE(userFolder("Keys").getChildFile("Bass 1.vkp").existsAsFile());

    // Choosing a preset applies it and names the program after it.
    processor->changeProgramName(processor->getCurrentProgram(), "Something else");
    click(presetCell(browser->getPresets().indexOf("Bass")));
    EXPECT_EQ(processor->getProgramName(processor->getCurrentProgram()), "Bass");
    juce::String category, file;
    processor->getCurrentProgramInfo(category, file);
    EXPECT_EQ(category, "User");
    EXPECT_EQ(file, "Bass");

    // Saving over an existing preset asks first.
    saveAs("Bass");
    EXPECT_EQ(browser->getMode(), VkJucePresetFileBrowser::confirmOverwrite);
    clickDialogButton("No - cancel");
    EXPECT_EQ(browser->getMode(), VkJucePresetFileBrowser::lists);
}

TEST_F(PresetFileBrowserWindowTest, EmptyNamesAndRenamingACategoryToInstalledDoNothing)
{
    const auto before = browser->getCategories();

    // "+" with an empty name.
    click(browser->computeLayout(browser->takeFrame()).newFolderRect);
    ASSERT_EQ(browser->getMode(), VkJucePresetFileBrowser::newFolder);
    enter("");
    EXPECT_EQ(browser->getCategories(), before);
    // ... and with a name.
    click(browser->computeLayout(browser->takeFrame()).newFolderRect);
    enter("Pads");
    ASSERT_TRUE(browser->getCategories().contains("Pads"));

    // A category renamed to "Installed", or to nothing, stays as it is.
    action("Pads", "Rename", true);
    EXPECT_EQ(browser->getTextEntry().getText(), "Pads");
    enter("Installed");
    EXPECT_TRUE(userFolder("Pads").isDirectory());
    EXPECT_FALSE(userFolder("Installed").exists());
    action("Pads", "Rename", true);
    enter("");
    EXPECT_TRUE(userFolder("Pads").isDirectory());

    // A preset renamed or moved to nothing stays.
    clickCategory("Pads");
    saveAs("Warm");
    action("Warm", "Rename");
    enter("");
    action("Warm", "Move");
    enter("");
    EXPECT_EQ(browser->getPresets(), juce::StringArray({"Warm"}));

    // "Installed" offers no "...", no "Save".
    clickCategory("Installed");
    EXPECT_EQ(browser->getSelectedCategory(), 0);
    clickDots(VkJucePresetFileBrowser::categoryCell(browser->takeFrame().grid, 0));
    EXPECT_EQ(browser->getMode(), VkJucePresetFileBrowser::lists);
    click(browser->computeLayout(browser->takeFrame()).saveRect);
    EXPECT_EQ(browser->getMode(), VkJucePresetFileBrowser::lists);

    // Browse opens the category's folder as one argument, no shell.
    action("Pads", "Browse", true);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0].back(), userFolder("Pads").getFullPathName().toStdString());

    // Deleting a category through its confirmation.
    action("Pads", "Delete", true);
    ASSERT_EQ(browser->getMode(), VkJucePresetFileBrowser::confirmDelete);
    clickDialogButton("Yes");
    EXPECT_FALSE(browser->getCategories().contains("Pads"));
    EXPECT_FALSE(userFolder("Pads").exists());
}
