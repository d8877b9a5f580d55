#include "tests/presets/preset_test_support.h"

#include "platform/vk_launcher.h"
#include "presets/vk_preset_disk.h"
#include "presets/vk_preset_file_operations.h"

using namespace vk::presets;

namespace
{
class PresetOperationsTest : public PresetStoreTest
{
protected:
    // The digest key of a path under the user root.
    std::string key(const char* path) { return relativeToTemporaryFolder(userRoot().getChildFile(path)); }
    // Expects the tree to differ from `before` by exactly the moves (from -> to) and copies given.
    void expectMoved(TreeDigest expected, std::initializer_list<std::pair<const char*, const char*>> moves,
                     bool copy = false)
    {
        for (const auto& [from, to] : moves)
        {
            expected[key(to)] = expected.at(key(from));
            if (!copy)
                expected.erase(key(from));
        }
        EXPECT_EQ(digestAll(), expected);
    }
};
} // namespace

TEST_F(PresetOperationsTest, CopyRenameAndMoveUseNumberedNamesAndNeverOverwrite)
{
    savePreset("Low", "Bass");
    savePreset("Low", "Sub");
    savePreset("Deep", "Bass");
    auto before = digestAll();
    ASSERT_TRUE(copyPreset(&m_processor, "Low", "Bass"));
    ASSERT_TRUE(copyPreset(&m_processor, "Low", "Bass"));
    expectMoved(before, {{"Low/Bass.vkp", "Low/Bass 1.vkp"}, {"Low/Bass.vkp", "Low/Bass 2.vkp"}}, true);

    before = digestAll();
    ASSERT_TRUE(renamePreset(&m_processor, "Low", "Sub", "Bass"));
    expectMoved(before, {{"Low/Sub.vkp", "Low/Bass 3.vkp"}});

    before = digestAll();
    ASSERT_TRUE(movePreset(&m_processor, "Low", "Bass 3", "New/Folder"));
    before[key("New&2FFolder")] = "dir";
    expectMoved(before, {{"Low/Bass 3.vkp", "New&2FFolder/Bass 3.vkp"}});

    before = digestAll();
    ASSERT_TRUE(movePreset(&m_processor, "Low", "Bass", "Deep"));
    expectMoved(before, {{"Low/Bass.vkp", "Deep/Bass 1.vkp"}});

    // A typed slash is part of the name, never a sub-folder.
    ASSERT_TRUE(renamePreset(&m_processor, "Deep", "Bass", "Up/Out"));
    EXPECT_TRUE(userRoot().getChildFile("Deep/Up&2FOut.vkp").existsAsFile());
}

TEST_F(PresetOperationsTest, WhenAllNinetyNineNumberedNamesAreTakenEveryFileStays)
{
    savePreset("Low", "Bass");
    savePreset("Low", "Sub");
    savePreset("High", "Bass");
    for (int i = 1; i <= 99; ++i)
        writeFile(userRoot().getChildFile("Low/Bass " + juce::String(i) + ".vkp"), juce::String(i));
    const auto before = digestAll();
    EXPECT_FALSE(copyPreset(&m_processor, "Low", "Bass"));
    EXPECT_FALSE(renamePreset(&m_processor, "Low", "Sub", "Bass"));
    EXPECT_FALSE(movePreset(&m_processor, "High", "Bass", "Low"));
    EXPECT_EQ(digestAll(), before);
}

TEST_F(PresetOperationsTest, InstalledAndUnusableNamesAreNeverChanged)
{
    savePreset("Low", "Bass");
    writeFile(useInstallFolder().getChildFile("Presets/Installed/Factory.vkp"), "factory");
    const auto before = digestAll();
    EXPECT_FALSE(movePreset(&m_processor, "Low", "Bass", "Installed"));
    EXPECT_FALSE(movePreset(&m_processor, "Low", "Bass", "Inst?alled"));
    EXPECT_FALSE(movePreset(&m_processor, "Installed", "Factory", "Low"));
    EXPECT_FALSE(copyPreset(&m_processor, "Installed", "Factory"));
    EXPECT_FALSE(renamePreset(&m_processor, "Installed", "Factory", "Mine"));
    EXPECT_FALSE(renamePresetCategory(&m_processor, "Installed", "Mine"));
    EXPECT_FALSE(renamePresetCategory(&m_processor, "Low", "Installed"));
    for (const char* typed : {"", ".", "..", ".hidden", "???", "../Up"})
        EXPECT_FALSE(renamePreset(&m_processor, "Low", "Bass", typed) ||
                     movePreset(&m_processor, "Low", "Bass", typed) ||
                     renamePresetCategory(&m_processor, "Low", typed))
            << typed;
    for (const char* source : {"Missing", "", "..", "Bass.vkp"})
        EXPECT_FALSE(copyPreset(&m_processor, "Low", source) ||
                     renamePreset(&m_processor, "Low", source, "X") ||
                     movePreset(&m_processor, "Low", source, "X"))
            << source;
    EXPECT_EQ(digestAll(), before);
}

TEST_F(PresetOperationsTest, CategoriesAreRenamedWholeAndNeverMerged)
{
    savePreset("Low", "Bass");
    savePreset("High", "Lead");
    const auto before = digestAll();
    ASSERT_TRUE(renamePresetCategory(&m_processor, "Low", "High"));
    expectMoved(before, {{"Low/Bass.vkp", "High 1/Bass.vkp"}, {"Low", "High 1"}});
}

TEST_F(PresetOperationsTest, MovesAcrossFileSystemsCopyVerifyThenDeleteAndNeverIntoThemselves)
{
    // /dev/shm is another file system than the temporary folder on most machines; where it is not, the
    // plain rename runs and the outcome must be the same.
    const auto scratch = juce::File("/dev/shm").getNonexistentChildFile("vk-presets-test", "", false);
    if (!scratch.createDirectory().wasOk())
        GTEST_SKIP() << "no /dev/shm";
    savePreset("Low", "Bass");
    const auto source = userRoot().getChildFile("Low");
    const auto moved = scratch.getChildFile("Low");
    const auto before = digestTree(source.getFullPathName().toStdString());
    ASSERT_TRUE(moveWithoutReplacing(source, moved));
    EXPECT_FALSE(source.exists());
    EXPECT_EQ(digestTree(moved.getFullPathName().toStdString()), before);

    ASSERT_TRUE(source.createDirectory().wasOk());
    EXPECT_FALSE(moveWithoutReplacing(moved, source));
    EXPECT_FALSE(copyWithoutReplacing(moved, moved.getChildFile("Inner")));
    EXPECT_FALSE(moveWithoutReplacing(moved, moved.getChildFile("Inner")));
    EXPECT_EQ(digestTree(moved.getFullPathName().toStdString()), before);
    EXPECT_TRUE(source.getNumberOfChildFiles(juce::File::findFilesAndDirectories) == 0);
    scratch.deleteRecursively();
}

TEST_F(PresetOperationsTest, BrowseHandsTheFolderToTheLauncherAsOneArgument)
{
    std::vector<std::vector<std::string>> launched;
    vk::platform::setLauncherOverride(
        [&](const std::vector<std::string>& arguments)
        {
            launched.push_back(arguments);
            return true;
        });
    ASSERT_TRUE(VkJucePresetFile::createPresetCategory(&m_processor, "My; $(x) 'Sounds'"));
    EXPECT_TRUE(browsePresetCategory(&m_processor, "My; $(x) 'Sounds'"));
    EXPECT_FALSE(browsePresetCategory(&m_processor, "Missing"));
    EXPECT_FALSE(browsePresetCategory(&m_processor, "Installed")); // no install folder recorded
    vk::platform::setLauncherOverride({});
    EXPECT_EQ(launched,
              (std::vector<std::vector<std::string>>{
                  {"xdg-open", userRoot().getChildFile("My x Sounds").getFullPathName().toStdString()}}));
}

namespace
{
// Another process played by the disk's hooks, on a path where every move copies and deletes.
struct RacedOperationsTest : PresetOperationsTest
{
    RacedOperationsTest() { setDiskTestHooks(&hooks); }
    ~RacedOperationsTest() override { setDiskTestHooks(nullptr); }
    DiskTestHooks hooks{{}, {}, true};
};
} // namespace

TEST_F(RacedOperationsTest, AFailedCopyRemovesOnlyWhatItCreatedNeverWhatAppearedMeanwhile)
{
    savePreset("Low", "Bass");
    savePreset("Low", "Sub");
    // Another process takes the name a file of the copy is about to be created under, in a copy of one
    // preset, and in a category's move whose copy's folder was ours but the file inside it theirs: the copy
    // is taken back except their file (and so the folder holding it).
    for (const auto& [raced, folder, copy] :
         {std::tuple{"Low/Bass 1.vkp", "Low", true}, {"High/Sub.vkp", "High", false}})
    {
        hooks.beforeExclusiveCreate = [&, raced = raced](const juce::File& file)
        {
            if (file.getFullPathName().endsWith(raced))
                writeFile(file, "theirs");
        };
        auto expected = digestAll();
        EXPECT_FALSE(copy ? copyPreset(&m_processor, "Low", "Bass")
                          : renamePresetCategory(&m_processor, "Low", "High"));
        expected[key(folder)] = "dir";
        expected[key(raced)] = "theirs";
        EXPECT_EQ(digestAll(), expected);
    }
}

TEST_F(RacedOperationsTest, AMoveAcrossFileSystemsDeletesOnlyWhatItsVerifiedCopyHolds)
{
    savePreset("Low", "Bass");
    savePreset("Low", "Sub");
    auto before = digestAll();
    ASSERT_TRUE(renamePresetCategory(&m_processor, "Low", "Deep"));
    expectMoved(before,
                {{"Low/Bass.vkp", "Deep/Bass.vkp"}, {"Low/Sub.vkp", "Deep/Sub.vkp"}, {"Low", "Deep"}});

    // A preset saved into the category and another one changed after the copy was verified: both stay
    // where they are, the copy stays complete, and the move reports that it could not finish.
    hooks.beforeSourceRemoved = [&]
    {
        writeFile(userRoot().getChildFile("Deep/New.vkp"), "new");
        writeFile(userRoot().getChildFile("Deep/Sub.vkp"), "changed");
    };
    before = digestAll();
    EXPECT_FALSE(renamePresetCategory(&m_processor, "Deep", "High"));
    before[key("High")] = "dir";
    before[key("High/Sub.vkp")] = before.at(key("Deep/Sub.vkp"));
    before[key("Deep/Sub.vkp")] = "changed";
    before[key("Deep/New.vkp")] = "new";
    expectMoved(before, {{"Deep/Bass.vkp", "High/Bass.vkp"}});

    // One preset file moved into another category the same way.
    hooks.beforeSourceRemoved = nullptr;
    before = digestAll();
    ASSERT_TRUE(movePreset(&m_processor, "High", "Bass", "Deep"));
    expectMoved(before, {{"High/Bass.vkp", "Deep/Bass.vkp"}});
}

TEST_F(PresetOperationsTest, CopyPassesOverADanglingLinkToTheNextFreeName)
{
    savePreset("Low", "Bass");
    ASSERT_TRUE(
        juce::File("/nowhere/at/all").createSymbolicLink(userRoot().getChildFile("Low/Bass 1.vkp"), false));
    const auto before = digestAll();
    ASSERT_TRUE(copyPreset(&m_processor, "Low", "Bass"));
    expectMoved(before, {{"Low/Bass.vkp", "Low/Bass 2.vkp"}}, true);
}
