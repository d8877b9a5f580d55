#include "tests/presets/preset_test_support.h"

#include "platform/vk_launcher.h"
#include "presets/vk_preset_disk.h"
#include "presets/vk_preset_file_operations.h"

#include <sys/stat.h>

using namespace vk::presets;

namespace
{
class PresetOperationsTest : public PresetStoreTest
{
protected:
    juce::File presets() { return userRoot().getParentDirectory(); }
    TreeDigest snapshot() { return digestTree(presets()); }
    static std::string rel(const char* path) { return std::string("Latiphonix3/") + path; }
};
} // namespace

TEST_F(PresetOperationsTest, CopyingTwiceGivesNumberedCopiesBesideTheOriginal)
{
    savePreset("Low", "Bass");
    const auto before = snapshot();
    ASSERT_TRUE(copyPreset(&m_processor, "Low", "Bass"));
    ASSERT_TRUE(copyPreset(&m_processor, "Low", "Bass"));
    auto expected = before;
    expected[rel("Low/Bass 1.vkp")] = before.at(rel("Low/Bass.vkp"));
    expected[rel("Low/Bass 2.vkp")] = before.at(rel("Low/Bass.vkp"));
    EXPECT_EQ(snapshot(), expected);
}

TEST_F(PresetOperationsTest, WhenAllNinetyNineNumberedNamesAreTakenNothingChanges)
{
    savePreset("Low", "Bass");
    savePreset("Low", "Sub");
    for (int i = 1; i <= 99; ++i)
        writeFile(userRoot().getChildFile("Low/Bass " + juce::String(i) + ".vkp"),
                  "taken " + juce::String(i));
    const auto before = snapshot();
    EXPECT_FALSE(copyPreset(&m_processor, "Low", "Bass"));
    EXPECT_FALSE(renamePreset(&m_processor, "Low", "Sub", "Bass"));
    savePreset("High", "Bass");
    const auto withHigh = snapshot();
    EXPECT_FALSE(movePreset(&m_processor, "High", "Bass", "Low"));
    EXPECT_EQ(snapshot(), withHigh);
    withHigh.size() == before.size() + 2 ? void() : ADD_FAILURE() << "unexpected tree";
}

TEST_F(PresetOperationsTest, RenamingOntoAnExistingNameAddsANumber)
{
    savePreset("Low", "Bass");
    savePreset("Low", "Sub");
    const auto before = snapshot();
    ASSERT_TRUE(renamePreset(&m_processor, "Low", "Sub", "Bass"));
    auto expected = before;
    expected[rel("Low/Bass 1.vkp")] = before.at(rel("Low/Sub.vkp"));
    expected.erase(rel("Low/Sub.vkp"));
    EXPECT_EQ(snapshot(), expected);

    // The typed text goes through the encoding: a slash is part of the name, not a sub-folder.
    ASSERT_TRUE(renamePreset(&m_processor, "Low", "Bass 1", "Up/Out"));
    EXPECT_TRUE(userRoot().getChildFile("Low/Up&2FOut.vkp").existsAsFile());
    EXPECT_TRUE(VkJucePresetFile::getPresetsInCategory(&m_processor, "Low").contains("Up/Out"));
    // One that would start with a dot would be hidden from every listing: refused.
    EXPECT_FALSE(renamePreset(&m_processor, "Low", "Up/Out", "../Up"));
}

TEST_F(PresetOperationsTest, MovingIntoANewCategoryCreatesItAndMovesTheFile)
{
    savePreset("Low", "Bass");
    savePreset("Deep", "Bass");
    const auto before = snapshot();
    ASSERT_TRUE(movePreset(&m_processor, "Low", "Bass", "New/Folder"));
    auto expected = before;
    expected[rel("New&2FFolder")] = "dir";
    expected[rel("New&2FFolder/Bass.vkp")] = before.at(rel("Low/Bass.vkp"));
    expected.erase(rel("Low/Bass.vkp"));
    EXPECT_EQ(snapshot(), expected);

    // Into a category that holds the name already: numbered, the existing one untouched.
    ASSERT_TRUE(movePreset(&m_processor, "New/Folder", "Bass", "Deep"));
    expected[rel("Deep/Bass 1.vkp")] = expected.at(rel("New&2FFolder/Bass.vkp"));
    expected.erase(rel("New&2FFolder/Bass.vkp"));
    EXPECT_EQ(snapshot(), expected);
}

TEST_F(PresetOperationsTest, InstalledAndUnusableNamesAreNeverChanged)
{
    savePreset("Low", "Bass");
    const auto install = useInstallFolder();
    writeFile(install.getChildFile("Presets/Installed/Factory.vkp"), "factory");
    const auto before = snapshot();
    const auto installBefore = digestTree(install);

    EXPECT_FALSE(movePreset(&m_processor, "Low", "Bass", "Installed"));
    EXPECT_FALSE(movePreset(&m_processor, "Low", "Bass", "Inst?alled"));
    EXPECT_FALSE(movePreset(&m_processor, "Installed", "Factory", "Low"));
    EXPECT_FALSE(copyPreset(&m_processor, "Installed", "Factory"));
    EXPECT_FALSE(renamePreset(&m_processor, "Installed", "Factory", "Mine"));
    EXPECT_FALSE(renamePresetCategory(&m_processor, "Installed", "Mine"));
    EXPECT_FALSE(renamePresetCategory(&m_processor, "Low", "Installed"));
    for (const char* typed : {"", ".", "..", ".hidden", "???"})
    {
        EXPECT_FALSE(renamePreset(&m_processor, "Low", "Bass", typed)) << typed;
        EXPECT_FALSE(movePreset(&m_processor, "Low", "Bass", typed)) << typed;
        EXPECT_FALSE(renamePresetCategory(&m_processor, "Low", typed)) << typed;
    }
    for (const char* source : {"Missing", "", "..", "Bass.vkp"})
    {
        EXPECT_FALSE(copyPreset(&m_processor, "Low", source)) << source;
        EXPECT_FALSE(renamePreset(&m_processor, "Low", source, "X")) << source;
        EXPECT_FALSE(movePreset(&m_processor, "Low", source, "X")) << source;
    }
    EXPECT_FALSE(copyPreset(nullptr, "Low", "Bass"));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(digestTree(install), installBefore);
}

TEST_F(PresetOperationsTest, RenamingACategoryKeepsItsContentsAndNeverMerges)
{
    savePreset("Low", "Bass");
    savePreset("Low", "Sub");
    savePreset("High", "Lead");
    const auto before = snapshot();
    ASSERT_TRUE(renamePresetCategory(&m_processor, "Low", "High"));
    auto expected = before;
    for (const char* name : {"", "/Bass.vkp", "/Sub.vkp"})
    {
        expected[rel("High 1") + name] = before.at(rel("Low") + name);
        expected.erase(rel("Low") + name);
    }
    EXPECT_EQ(snapshot(), expected);

    ASSERT_TRUE(renamePresetCategory(&m_processor, "High 1", "Bottom/End"));
    EXPECT_TRUE(userRoot().getChildFile("Bottom&2FEnd/Sub.vkp").existsAsFile());
    EXPECT_FALSE(userRoot().getChildFile("High 1").exists());
}

TEST_F(PresetOperationsTest, MovesAcrossFileSystemsCopyVerifyAndThenDelete)
{
    // /dev/shm is a different file system from the temporary folder on most machines; where it is not,
    // the plain rename runs and the result must be the same.
    const juce::File shm("/dev/shm");
    if (!shm.isDirectory())
        GTEST_SKIP() << "no /dev/shm";
    const auto scratch = shm.getNonexistentChildFile("vk-presets-test", "", false);
    ASSERT_TRUE(scratch.createDirectory().wasOk());
    savePreset("Low", "Bass");
    savePreset("Low", "Sub");
    const auto source = userRoot().getChildFile("Low");
    const auto before = digestTree(source);

    const auto moved = scratch.getChildFile("Low");
    ASSERT_TRUE(moveWithoutReplacing(source, moved));
    EXPECT_FALSE(source.exists());
    EXPECT_EQ(digestTree(moved), before);

    // Back again onto an existing folder: refused, both stay.
    ASSERT_TRUE(source.createDirectory().wasOk());
    EXPECT_FALSE(moveWithoutReplacing(moved, source));
    EXPECT_EQ(digestTree(moved), before);
    EXPECT_TRUE(digestTree(source).empty());

    // A folder is never copied or moved into itself.
    EXPECT_FALSE(copyWithoutReplacing(moved, moved.getChildFile("Inner")));
    EXPECT_FALSE(moveWithoutReplacing(moved, moved.getChildFile("Inner")));
    EXPECT_EQ(digestTree(moved), before);
    scratch.deleteRecursively();
}

TEST_F(PresetOperationsTest, BrowseOpensTheCategoryFolderAsOneArgument)
{
    std::vector<std::vector<std::string>> launched;
    vk::platform::setLauncherOverride(
        [&](const std::vector<std::string>& arguments)
        {
            launched.push_back(arguments);
            return true;
        });
    ASSERT_TRUE(
        VkJucePresetFile::createPresetCategory(&m_processor, "Name; with $(spaces) 'and' \"quotes\""));
    EXPECT_TRUE(browsePresetCategory(&m_processor, "Name; with $(spaces) 'and' \"quotes\""));
    EXPECT_FALSE(browsePresetCategory(&m_processor, "Missing"));
    EXPECT_FALSE(browsePresetCategory(&m_processor, "Installed")); // no install folder recorded
    const auto install = useInstallFolder();
    EXPECT_TRUE(browsePresetCategory(&m_processor, "Installed"));
    vk::platform::setLauncherOverride({});

    ASSERT_EQ(launched.size(), 2u);
    EXPECT_EQ(launched[0],
              (std::vector<std::string>{
                  "xdg-open",
                  userRoot().getChildFile("Name with spaces and quotes").getFullPathName().toStdString()}));
    EXPECT_EQ(launched[1][1], install.getChildFile("Presets/Installed").getFullPathName().toStdString());
}
