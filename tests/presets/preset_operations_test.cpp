#include "tests/presets/preset_test_support.h"

#include "platform/vk_launcher.h"
#include "presets/vk_preset_disk.h"
#include "presets/vk_preset_document.h"
#include "presets/vk_preset_file_operations.h"
#include "presets/vk_preset_names.h"

using namespace vk::presets;

namespace
{
class PresetOperationsTest : public PresetStoreTest
{
protected:
    // The digest key of a path under the user root.
    std::string key(const char* path) { return relativeToTemporaryFolder(userRoot().getChildFile(path)); }
    // The file or folder a listing shows under the name, as the browser hands it to an operation.
    juce::File listed(const juce::String& category, const juce::String& name = {})
    {
        const auto folders = VkJucePresetFile::getPresetCategoryFolders(&m_processor);
        const auto folder = folders[VkJucePresetFile::getPresetCategories(&m_processor).indexOf(category)];
        if (name.isEmpty())
            return folder;
        for (const auto& file : listedEntries(folder, kPresetExtension))
            if (decodePresetName(file.getFileNameWithoutExtension()) == name)
                return file;
        return {};
    }
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
    ASSERT_TRUE(copyPreset(&m_processor, listed("Low", "Bass")));
    ASSERT_TRUE(copyPreset(&m_processor, listed("Low", "Bass")));
    expectMoved(before, {{"Low/Bass.vkp", "Low/Bass 1.vkp"}, {"Low/Bass.vkp", "Low/Bass 2.vkp"}}, true);

    before = digestAll();
    ASSERT_TRUE(renamePreset(&m_processor, listed("Low", "Sub"), "Bass"));
    expectMoved(before, {{"Low/Sub.vkp", "Low/Bass 3.vkp"}});

    before = digestAll();
    ASSERT_TRUE(movePreset(&m_processor, listed("Low", "Bass 3"), "New/Folder"));
    before[key("New&2FFolder")] = "dir";
    expectMoved(before, {{"Low/Bass 3.vkp", "New&2FFolder/Bass 3.vkp"}});

    before = digestAll();
    ASSERT_TRUE(movePreset(&m_processor, listed("Low", "Bass"), "Deep"));
    expectMoved(before, {{"Low/Bass.vkp", "Deep/Bass 1.vkp"}});

    // A typed slash is part of the name, never a sub-folder.
    ASSERT_TRUE(renamePreset(&m_processor, listed("Deep", "Bass"), "Up/Out"));
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
    EXPECT_FALSE(copyPreset(&m_processor, listed("Low", "Bass")));
    EXPECT_FALSE(renamePreset(&m_processor, listed("Low", "Sub"), "Bass"));
    EXPECT_FALSE(movePreset(&m_processor, listed("High", "Bass"), "Low"));
    EXPECT_EQ(digestAll(), before);
}

TEST_F(PresetOperationsTest, EveryNameTheStoreTakesIsSavedCopiedAndMovedAndLongerOnesAreRefused)
{
    // The longest name taken as stored (a typed ":" is stored as three bytes), and one byte more.
    const auto longest = juce::String::repeatedString("a", kMaxStoredNameBytes - 3) + ":";
    const auto tooLong = longest + "b";
    for (const char* category : {"Low", "High", "High"}) // the second time over the file it wrote
        savePreset(category, longest);
    ASSERT_TRUE(copyPreset(&m_processor, listed("Low", longest)));
    ASSERT_TRUE(movePreset(&m_processor, listed("Low", longest), "High"));
    EXPECT_TRUE(listed("Low", longest + " 1").existsAsFile() &&
                listed("High", longest + " 1").existsAsFile());

    const auto before = digestAll();
    VkJucePresetFile refused("Low", tooLong);
    ASSERT_TRUE(refused.capturePreset(&m_processor));
    EXPECT_FALSE(refused.save(&m_processor));
    EXPECT_FALSE(renamePreset(&m_processor, listed("Low", longest + " 1"), tooLong));
    EXPECT_FALSE(movePreset(&m_processor, listed("Low", longest + " 1"), tooLong));
    EXPECT_FALSE(VkJucePresetFile::createPresetCategory(&m_processor, tooLong));
    EXPECT_FALSE(renamePresetCategory(&m_processor, listed("Low"), tooLong));
    EXPECT_EQ(digestAll(), before);

    // A name up to the file name's limit, written by an earlier version, is loaded and saved over; a copy
    // whose numbered name could not be a file name is refused.
    const auto old = juce::String::repeatedString("o", 251);
    // Written in place: the framework's temporary name would be too long.
    ASSERT_TRUE(userRoot()
                    .getChildFile("Low/" + old + ".vkp")
                    .appendText("<VEKLAAudioPreset><Parameters/></VEKLAAudioPreset>"));
    auto oldRecord = VkJucePresetFile::forListedFile(listed("Low", old));
    ASSERT_TRUE(oldRecord.load(&m_processor));
    EXPECT_TRUE(oldRecord.save(&m_processor));
    const auto withOld = digestAll();
    EXPECT_FALSE(copyPreset(&m_processor, listed("Low", old)));
    EXPECT_EQ(digestAll(), withOld);
}

TEST_F(PresetOperationsTest, InstalledAndAnythingNotListedAreNeverChanged)
{
    savePreset("Low", "Bass");
    writeFile(userRoot().getChildFile(".Hidden/Bass.vkp"), "x");
    writeFile(userRoot().getChildFile("Low/.Hidden.vkp"), "x");
    writeFile(userRoot().getChildFile("Low/Notes.txt"), "x");
    writeFile(userRoot().getSiblingFile("Outside.vkp"), "x");
    writeFile(useInstallFolder().getChildFile("Presets/Installed/Factory.vkp"), "factory");
    const auto before = digestAll();
    EXPECT_FALSE(movePreset(&m_processor, listed("Low", "Bass"), "Installed"));
    EXPECT_FALSE(movePreset(&m_processor, listed("Installed", "Factory"), "Low"));
    EXPECT_FALSE(copyPreset(&m_processor, listed("Installed", "Factory")));
    EXPECT_FALSE(renamePreset(&m_processor, listed("Installed", "Factory"), "Mine"));
    EXPECT_FALSE(deletePresetFile(&m_processor, listed("Installed", "Factory")));
    EXPECT_FALSE(renamePresetCategory(&m_processor, listed("Installed"), "Mine"));
    EXPECT_FALSE(deleteCategoryFolder(&m_processor, listed("Installed")));
    EXPECT_FALSE(renamePresetCategory(&m_processor, listed("Low"), "Installed"));
    EXPECT_FALSE(renamePreset(&m_processor, listed("Low", "Bass"), "") ||
                 movePreset(&m_processor, listed("Low", "Bass"), "") ||
                 renamePresetCategory(&m_processor, listed("Low"), ""));
    // Only what a listing shows: no missing, hidden, foreign or outside file, no folder in a preset's place.
    for (const auto& source :
         {userRoot().getChildFile("Low/Missing.vkp"), userRoot().getChildFile("Low/.Hidden.vkp"),
          userRoot().getChildFile(".Hidden/Bass.vkp"), userRoot().getChildFile("Low/Notes.txt"),
          userRoot().getSiblingFile("Outside.vkp"), userRoot().getChildFile("Low"), userRoot(), juce::File()})
        EXPECT_FALSE(copyPreset(&m_processor, source) || renamePreset(&m_processor, source, "X") ||
                     movePreset(&m_processor, source, "X") || deletePresetFile(&m_processor, source))
            << source.getFullPathName();
    for (const auto& folder : {userRoot().getChildFile(".Hidden"), userRoot(),
                               userRoot().getParentDirectory(), userRoot().getChildFile("Low/Missing")})
        EXPECT_FALSE(renamePresetCategory(&m_processor, folder, "X") ||
                     deleteCategoryFolder(&m_processor, folder))
            << folder.getFullPathName();
    EXPECT_EQ(digestAll(), before);
}

TEST_F(PresetOperationsTest, CategoriesAreRenamedWholeAndNeverMerged)
{
    savePreset("Low", "Bass");
    savePreset("High", "Lead");
    const auto before = digestAll();
    ASSERT_TRUE(renamePresetCategory(&m_processor, listed("Low"), "High"));
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
    EXPECT_FALSE(browsePresetCategory(&m_processor, userRoot())); // not a category
    EXPECT_TRUE(browsePresetCategory(&m_processor, listed("My; $(x) 'Sounds'")));
    EXPECT_FALSE(browsePresetCategory(&m_processor, listed("Missing")));
    EXPECT_FALSE(browsePresetCategory(&m_processor, listed("Installed"))); // no install folder recorded
    vk::platform::setLauncherOverride({});
    EXPECT_EQ(launched, (std::vector<std::vector<std::string>>{
                            {"xdg-open",
                             userRoot().getChildFile("My; $(x) 'Sounds'").getFullPathName().toStdString()}}));
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
        EXPECT_FALSE(copy ? copyPreset(&m_processor, listed("Low", "Bass"))
                          : renamePresetCategory(&m_processor, listed("Low"), "High"));
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
    ASSERT_TRUE(renamePresetCategory(&m_processor, listed("Low"), "Deep"));
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
    EXPECT_FALSE(renamePresetCategory(&m_processor, listed("Deep"), "High"));
    before[key("High")] = "dir";
    before[key("High/Sub.vkp")] = before.at(key("Deep/Sub.vkp"));
    before[key("Deep/Sub.vkp")] = "changed";
    before[key("Deep/New.vkp")] = "new";
    expectMoved(before, {{"Deep/Bass.vkp", "High/Bass.vkp"}});

    // One preset file moved into another category the same way.
    hooks.beforeSourceRemoved = nullptr;
    before = digestAll();
    ASSERT_TRUE(movePreset(&m_processor, listed("High", "Bass"), "Deep"));
    expectMoved(before, {{"High/Bass.vkp", "Deep/Bass.vkp"}});
}

TEST_F(PresetOperationsTest, CopyPassesOverADanglingLinkToTheNextFreeName)
{
    savePreset("Low", "Bass");
    ASSERT_TRUE(
        juce::File("/nowhere/at/all").createSymbolicLink(userRoot().getChildFile("Low/Bass 1.vkp"), false));
    const auto before = digestAll();
    ASSERT_TRUE(copyPreset(&m_processor, listed("Low", "Bass")));
    expectMoved(before, {{"Low/Bass.vkp", "Low/Bass 2.vkp"}}, true);
}
