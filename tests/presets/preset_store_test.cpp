#include "tests/presets/preset_test_support.h"

#include "presets/vk_preset_document.h"
#include "processor/vk_log.h"
#include "processor/vk_registry.h"

#include <sys/stat.h>
#include <unistd.h>

namespace
{
juce::StringArray sorted(juce::StringArray names)
{
    names.sort(false);
    return names;
}

juce::String readFile(const juce::File& file)
{
    juce::MemoryBlock bytes;
    file.loadFileAsData(bytes);
    return bytes.toString();
}
} // namespace

TEST_F(PresetStoreTest, FoldersLieUnderTheUserDataFolderAndTheInstallFolder)
{
    const juce::File data(juce::String(m_folders.user().string()));
    EXPECT_EQ(userRoot(), data.getChildFile("VEKLA Audio/Presets/Latiphonix3"));
    EXPECT_EQ(VkJucePresetFile::getUserPresetRoot(nullptr), userRoot());

    const VkJucePresetFile record("Drums/Bass", "Mix: 1");
    EXPECT_EQ(VkJucePresetFile::getPresetFilePath(record, &m_processor),
              userRoot().getChildFile("Drums&2FBass").getChildFile("Mix 1.vkp"));
    EXPECT_EQ(record.getName(), "Mix 1");

    // Without a recorded install folder there is no installed root: nothing under "/Presets".
    EXPECT_EQ(VkJucePresetFile::getInstalledPresetRoot(&m_processor), juce::File());
    EXPECT_EQ(VkJucePresetFile::getPresetFilePath(VkJucePresetFile("Installed", "A"), &m_processor),
              juce::File());
    EXPECT_TRUE(VkJucePresetFile::getPresetsInCategory(&m_processor, "Installed").isEmpty());
    ASSERT_TRUE(vk::registry::writeProductString("Install Folder", "relative/dir"));
    EXPECT_EQ(VkJucePresetFile::getInstalledPresetRoot(&m_processor), juce::File());

    const auto install = useInstallFolder();
    EXPECT_EQ(VkJucePresetFile::getPresetFilePath(VkJucePresetFile("Installed", "A"), &m_processor),
              install.getChildFile("Presets/Installed/A.vkp"));
    // Only the exact category "Installed" is read-only and lives there.
    EXPECT_EQ(VkJucePresetFile::getPresetRoot(VkJucePresetFile("installed", "A"), &m_processor), userRoot());

    // Names that would address the root itself, its parent or a hidden file give no path at all.
    for (const char* name : {"", ".", "..", ".x"})
    {
        EXPECT_EQ(VkJucePresetFile::getPresetCategoryFolder(VkJucePresetFile(name, "A"), &m_processor),
                  juce::File())
            << name;
        EXPECT_EQ(VkJucePresetFile::getPresetFilePath(VkJucePresetFile("User", name), &m_processor),
                  juce::File())
            << name;
    }
}

namespace
{
class RedirectingProcessor : public TestProcessor
{
public:
    juce::File redirect;
    juce::File getUserPresetFolder(const juce::File& folder) override
    {
        return redirect.getChildFile(folder.getFileName());
    }
};
} // namespace

TEST_F(PresetStoreTest, TheProcessorHookRedirectsBothRoots)
{
    RedirectingProcessor processor;
    processor.redirect = juce::File(juce::String((m_folders.root() / "elsewhere").string()));
    EXPECT_EQ(VkJucePresetFile::getUserPresetRoot(&processor),
              processor.redirect.getChildFile("Latiphonix3"));
    useInstallFolder();
    EXPECT_EQ(VkJucePresetFile::getInstalledPresetRoot(&processor),
              processor.redirect.getChildFile("Presets"));
    VkJucePresetFile::getPresetCategories(&processor);
    EXPECT_TRUE(processor.redirect.getChildFile("Latiphonix3/User").isDirectory());
    EXPECT_FALSE(userRoot().exists());
}

TEST_F(PresetStoreTest, CategoriesBeginWithInstalledAndAnEmptyRootGetsUser)
{
    EXPECT_EQ(VkJucePresetFile::getPresetCategories(&m_processor), juce::StringArray("Installed"));
    EXPECT_TRUE(userRoot().getChildFile("User").isDirectory());
    EXPECT_EQ(VkJucePresetFile::getPresetCategories(&m_processor), juce::StringArray("Installed", "User"));

    for (const char* folder : {"bass", "Installed", "Drums&2FLoops", "Alpha", ".hidden", "Zeta%5Cb"})
        ASSERT_TRUE(userRoot().getChildFile(folder).createDirectory().wasOk());
    writeFile(userRoot().getChildFile("a file.vkp"), "x");
    EXPECT_EQ(VkJucePresetFile::getPresetCategories(&m_processor),
              juce::StringArray({"Installed", "Alpha", "bass", "Drums/Loops", "User", "Zeta\\b"}));
}

TEST_F(PresetStoreTest, PresetsOfACategoryAreListedDecodedAndNothingElse)
{
    const auto folder = userRoot().getChildFile("Keys");
    for (const char* file :
         {"One.vkp", "Two&2FThree.vkp", "Four%2FFive.vkp", ".hidden.vkp", "notes.txt", "Six.VKP2"})
        writeFile(folder.getChildFile(file), "x");
    ASSERT_TRUE(folder.getChildFile("Sub.vkp").createDirectory().wasOk());
    EXPECT_EQ(sorted(VkJucePresetFile::getPresetsInCategory(&m_processor, "Keys")),
              juce::StringArray({"Four/Five", "One", "Two/Three"}));
    EXPECT_TRUE(VkJucePresetFile::getPresetsInCategory(&m_processor, "Missing").isEmpty());
    EXPECT_TRUE(VkJucePresetFile::getPresetsInCategory(&m_processor, "..").isEmpty());
}

TEST_F(PresetStoreTest, SavedFileMatchesTheGoldenBytes)
{
    // Values with short, long and exponent forms, so that the attribute wrapping is pinned too.
    const float values[TestProcessor::kNumMain] = {0.0f,    1.0f,         0.5f,  0.1f,
                                                   1.0e-7f, 0.333333343f, 0.75f, 0.9f};
    VkJucePresetFile record("Golden", "Golden Preset");
    ASSERT_TRUE(VkJucePresetFile::createPresetCategory(&m_processor, "Golden"));
    ASSERT_TRUE(record.capturePreset(&m_processor));
    std::copy(std::begin(values), std::end(values), record.getProgram().values.begin());
    ASSERT_TRUE(record.save(&m_processor));

    juce::MemoryBlock saved, golden;
    ASSERT_TRUE(VkJucePresetFile::getPresetFilePath(record, &m_processor).loadFileAsData(saved));
    ASSERT_TRUE(juce::File(VK_PRESETS_GOLDEN_DIR "/golden_preset.vkp").loadFileAsData(golden));
    EXPECT_EQ(saved.toString(), golden.toString());
    EXPECT_TRUE(saved == golden);
}

TEST_F(PresetStoreTest, SaveLoadAndApplyRoundTripIntoTheCurrentProgram)
{
    juce::String category, name;
    m_processor.setCurrentProgram(3);
    for (int i = 3; i < TestProcessor::kNumMain; ++i)
        m_processor.setParameterInternal(i, 0.1f * float(i), true, false, false);
    savePreset("My Sounds", "Wide/Open");
    EXPECT_EQ(m_processor.getProgramName(3), "Wide/Open");
    m_processor.getCurrentProgramInfo(category, name);
    EXPECT_EQ(category, "My Sounds");
    EXPECT_EQ(name, "Wide/Open");
    EXPECT_TRUE(userRoot().getChildFile("My Sounds/Wide&2FOpen.vkp").existsAsFile());

    for (int i = 3; i < TestProcessor::kNumMain; ++i)
        m_processor.setParameterInternal(i, 0.0f, true, false, false);
    m_processor.changeProgramName(3, "Other");

    VkJucePresetFile record("My Sounds", "Wide/Open");
    EXPECT_TRUE(record.exists(&m_processor));
    EXPECT_FALSE(record.applyPreset(&m_processor)); // not loaded yet
    ASSERT_TRUE(record.load(&m_processor));
    ASSERT_TRUE(record.applyPreset(&m_processor));
    const auto program = m_processor.getProgram(3);
    for (int i = 3; i < TestProcessor::kNumMain; ++i)
    {
        EXPECT_EQ(m_processor.getParameter(i), 0.1f * float(i)) << i;
        EXPECT_EQ(program.values[std::size_t(i)], 0.1f * float(i)) << i;
    }
    EXPECT_EQ(program.name, "Wide/Open");
    EXPECT_TRUE(m_processor.isRefreshAllPending());

    // The log names every file read and written.
    const auto log = readFile(vk::log::getLogFile());
    const auto path = VkJucePresetFile::getPresetFilePath(record, &m_processor).getFullPathName();
    EXPECT_TRUE(log.contains("VkJucePresetFile::save " + path));
    EXPECT_TRUE(log.contains("VkJucePresetFile::load " + path));
}

TEST_F(PresetStoreTest, WithoutAProcessorNothingIsReadOrWritten)
{
    VkJucePresetFile record("User", "A");
    EXPECT_FALSE(record.capturePreset(nullptr));
    EXPECT_FALSE(record.save(nullptr));
    EXPECT_FALSE(record.load(nullptr));
    EXPECT_FALSE(record.exists(nullptr));
    EXPECT_FALSE(record.applyPreset(nullptr));
    EXPECT_FALSE(userRoot().getChildFile("User/A.vkp").exists());
}

TEST_F(PresetStoreTest, AFailedSaveChangesNeitherTheProgramNameNorTheCurrentPreset)
{
    m_processor.setCurrentProgramInfo("Before", "Old");
    m_processor.changeProgramName(m_processor.getCurrentProgram(), "Old");
    const auto checkUnchanged = [this](const char* why)
    {
        juce::String category, name;
        m_processor.getCurrentProgramInfo(category, name);
        EXPECT_EQ(category, "Before") << why;
        EXPECT_EQ(name, "Old") << why;
        EXPECT_EQ(m_processor.getProgramName(m_processor.getCurrentProgram()), "Old") << why;
    };

    VkJucePresetFile notCaptured("User", "A");
    ASSERT_TRUE(VkJucePresetFile::createPresetCategory(&m_processor, "User"));
    EXPECT_FALSE(notCaptured.save(&m_processor));
    checkUnchanged("not captured");

    VkJucePresetFile missingFolder("Gone", "A");
    missingFolder.capturePreset(&m_processor);
    EXPECT_FALSE(missingFolder.save(&m_processor));
    EXPECT_FALSE(userRoot().getChildFile("Gone").exists());
    checkUnchanged("missing folder");

    for (const char* name : {"", "..", ".hidden", "???"})
    {
        VkJucePresetFile unusable("User", name);
        unusable.capturePreset(&m_processor);
        EXPECT_FALSE(unusable.save(&m_processor)) << name;
        checkUnchanged(name);
    }

    const auto install = useInstallFolder();
    const auto installedBefore = digestTree(install);
    VkJucePresetFile installed("Installed", "A");
    installed.capturePreset(&m_processor);
    EXPECT_FALSE(installed.save(&m_processor));
    EXPECT_EQ(digestTree(install), installedBefore);
    checkUnchanged("installed");

    if (::geteuid() != 0) // root writes into read-only folders
    {
        const auto folder = userRoot().getChildFile("User");
        ASSERT_EQ(::chmod(folder.getFullPathName().toRawUTF8(), 0555), 0);
        VkJucePresetFile readOnly("User", "A");
        readOnly.capturePreset(&m_processor);
        EXPECT_FALSE(readOnly.save(&m_processor));
        ::chmod(folder.getFullPathName().toRawUTF8(), 0755);
        checkUnchanged("read-only");
    }
}

TEST_F(PresetStoreTest, FilesThatDoNotLoadLeaveTheRecordAlone)
{
    const auto folder = userRoot().getChildFile("User");
    writeFile(folder.getChildFile("Wrong Root.vkp"), "<Other><Parameters P3=\"1\"/></Other>");
    writeFile(folder.getChildFile("Broken.vkp"), "<VEKLAAudioPreset><Parameters P3=\"1\"");
    writeFile(
        folder.getChildFile("Partial.vkp"),
        "<VEKLAAudioPreset><Parameters P4=\"0.125\" P6=\"nan\" P7=\"7\" Extra=\"1\"/></VEKLAAudioPreset>");
    ASSERT_TRUE(folder.getChildFile("Folder.vkp").createDirectory().wasOk());

    for (const char* name : {"Wrong Root", "Broken", "Missing", "Folder"})
    {
        VkJucePresetFile record("User", name);
        record.getProgram().values[3] = 0.625f;
        EXPECT_FALSE(record.load(&m_processor)) << name;
        EXPECT_FALSE(record.isLoaded()) << name;
        EXPECT_EQ(record.getProgram().values[3], 0.625f) << name;
    }

    VkJucePresetFile partial("User", "Partial");
    ASSERT_TRUE(partial.load(&m_processor));
    const auto& values = partial.getProgram().values;
    EXPECT_EQ(values[3], TestProcessor::kMainDefaults[3]);
    EXPECT_EQ(values[4], 0.125f);
    EXPECT_EQ(values[6], TestProcessor::kMainDefaults[6]);
    EXPECT_EQ(values[7], 1.0f);
}

TEST_F(PresetStoreTest, CreatingAndDeletingActsOnlyOnOneDirectChildOfTheUserRoot)
{
    ASSERT_TRUE(VkJucePresetFile::createPresetCategory(&m_processor, "Pads/Strings"));
    EXPECT_TRUE(userRoot().getChildFile("Pads&2FStrings").isDirectory());
    savePreset("Pads/Strings", "Soft");
    savePreset("Leads", "Mix 1");
    writeFile(userRoot().getChildFile("Leads/Mix: 1.vkp"), "x");
    writeFile(userRoot().getChildFile(":").getChildFile("Keep.vkp"), "x");
    writeFile(userRoot().getChildFile("Dup&2FA").getChildFile("Keep.vkp"), "x");
    writeFile(userRoot().getChildFile("Dup%2FA").getChildFile("Keep.vkp"), "x");
    const auto outside = writeFile(userRoot().getParentDirectory().getChildFile("Outside.vkp"), "x");
    const auto install = useInstallFolder();
    writeFile(install.getChildFile("Presets/Installed/Factory.vkp"), "x");

    const auto userBefore = digestTree(userRoot().getParentDirectory());
    const auto installBefore = digestTree(install);
    const auto unchanged = [&](const std::string& why)
    {
        EXPECT_EQ(digestTree(userRoot().getParentDirectory()), userBefore) << why;
        EXPECT_EQ(digestTree(install), installBefore) << why;
    };

    for (const char* category : {"Installed", "", ".", "..", ".hidden", "???", "Inst:alled", "Nothing"})
    {
        EXPECT_FALSE(VkJucePresetFile::deletePresetCategory(&m_processor, category)) << category;
        EXPECT_FALSE(VkJucePresetFile::deletePreset(&m_processor, category, "Soft")) << category;
        unchanged(category);
    }
    EXPECT_FALSE(VkJucePresetFile::createPresetCategory(&m_processor, "Installed"));
    EXPECT_FALSE(VkJucePresetFile::createPresetCategory(&m_processor, ".."));
    EXPECT_FALSE(VkJucePresetFile::createPresetCategory(&m_processor, ""));
    EXPECT_TRUE(VkJucePresetFile::deletePreset(&m_processor, "Installed", "Factory") == false);
    // A listed name that lost characters to the encoding stands for a different file: refused.
    EXPECT_FALSE(VkJucePresetFile::deletePreset(&m_processor, "Leads", "Mix: 1"));
    // ":" is listed, but its encoding is "" (the root itself): refused, the root stays.
    EXPECT_FALSE(VkJucePresetFile::deletePresetCategory(&m_processor, ":"));
    // Two folders show as "Dup/A": which one is meant is unknown, so neither is deleted.
    EXPECT_FALSE(VkJucePresetFile::deletePresetCategory(&m_processor, "Dup/A"));
    for (const char* name : {"../Outside", "..", "", "Soft.vkp", "../../Presets"})
        EXPECT_FALSE(VkJucePresetFile::deletePreset(&m_processor, "Pads/Strings", name)) << name;
    unchanged("refusals");
    EXPECT_TRUE(outside.existsAsFile());

    // The deletions that are allowed remove exactly their target.
    ASSERT_TRUE(VkJucePresetFile::deletePreset(&m_processor, "Leads", "Mix 1"));
    auto expected = userBefore;
    expected.erase("Latiphonix3/Leads/Mix 1.vkp");
    EXPECT_EQ(digestTree(userRoot().getParentDirectory()), expected);

    ASSERT_TRUE(VkJucePresetFile::deletePresetCategory(&m_processor, "Pads/Strings"));
    expected.erase("Latiphonix3/Pads&2FStrings");
    expected.erase("Latiphonix3/Pads&2FStrings/Soft.vkp");
    EXPECT_EQ(digestTree(userRoot().getParentDirectory()), expected);
    EXPECT_EQ(digestTree(install), installBefore);
}

TEST_F(PresetStoreTest, DeletingACategoryThatIsALinkRemovesOnlyTheLink)
{
    const auto target =
        writeFile(juce::File(juce::String((m_folders.root() / "target/Keep.vkp").string())), "x");
    ASSERT_TRUE(userRoot().createDirectory().wasOk());
    ASSERT_TRUE(target.getParentDirectory().createSymbolicLink(userRoot().getChildFile("Linked"), false));
    EXPECT_TRUE(VkJucePresetFile::deletePresetCategory(&m_processor, "Linked"));
    EXPECT_FALSE(userRoot().getChildFile("Linked").exists());
    EXPECT_TRUE(target.existsAsFile());
}

TEST_F(PresetStoreTest, SteppingWrapsAndFallsBackToTheFirstPreset)
{
    for (const char* name : {"A", "B", "C"})
        savePreset("Cat", name);
    int index = -2;
    const auto records = VkJucePresetFile::listPresetRecords(&m_processor, "Cat", "B", index);
    ASSERT_EQ(records.size(), 3u);
    const auto names = VkJucePresetFile::getPresetsInCategory(&m_processor, "Cat");
    EXPECT_EQ(records[std::size_t(index)].getName(), "B");
    const int n = names.size();

    for (int i = 0; i < n; ++i)
    {
        EXPECT_EQ(VkJucePresetFile::getNextPreset(&m_processor, "Cat", names[i]).getName(),
                  names[(i + 1) % n]);
        EXPECT_EQ(VkJucePresetFile::getPreviousPreset(&m_processor, "Cat", names[i]).getName(),
                  names[(i + n - 1) % n]);
    }
    const auto stranger = VkJucePresetFile::getNextPreset(&m_processor, "Cat", "Not There");
    EXPECT_EQ(stranger.getName(), names[0]);
    EXPECT_EQ(stranger.getEncodedCategory(), "Cat");
    EXPECT_FALSE(stranger.isLoaded());
    EXPECT_EQ(VkJucePresetFile::getPreviousPreset(&m_processor, "Cat", "b").getName(), names[0]);

    // An empty category falls back to the first preset of "Installed", which may be no preset at all.
    const auto none = VkJucePresetFile::getNextPreset(&m_processor, "Empty", "A");
    EXPECT_EQ(none.getEncodedCategory(), "");
    EXPECT_EQ(none.getEncodedName(), "");
    VkJucePresetFile copy = none;
    EXPECT_FALSE(copy.load(&m_processor));

    const auto install = useInstallFolder();
    writeFile(install.getChildFile("Presets/Installed/Factory.vkp"),
              "<VEKLAAudioPreset><Parameters P3=\"0.5\"/></VEKLAAudioPreset>");
    auto first = VkJucePresetFile::getPreviousPreset(&m_processor, "Empty", "A");
    EXPECT_EQ(first.getEncodedCategory(), "Installed");
    EXPECT_EQ(first.getName(), "Factory");
    EXPECT_TRUE(first.load(&m_processor));
}

TEST_F(PresetStoreTest, NextAndPreviousParametersStepThroughPresetFilesInPresetFileMode)
{
    for (int i = 0; i < 3; ++i)
    {
        m_processor.setParameterInternal(4, 0.25f * float(i + 1), true, false, false);
        savePreset("Steps", "P" + juce::String(i));
    }
    const auto names = VkJucePresetFile::getPresetsInCategory(&m_processor, "Steps");
    const auto valueOf = [&](const juce::String& name)
    {
        VkJucePresetFile record("Steps", name);
        EXPECT_TRUE(record.load(&m_processor));
        return record.getProgram().values[4];
    };
    m_processor.setPresetFileMode(true);
    const int slot = m_processor.getCurrentProgram();

    // The last save made names[?] current; step from there through the whole category and back.
    juce::String category, current;
    m_processor.getCurrentProgramInfo(category, current);
    int position = names.indexOf(current);
    ASSERT_GE(position, 0);
    for (int step = 0; step < 4; ++step)
    {
        m_processor.setParameterInternal(m_processor.getPresetNextParameterId(), 1.0f, true, false, false);
        m_processor.setParameterInternal(m_processor.getPresetNextParameterId(), 0.0f, true, false, false);
        position = (position + 1) % names.size();
        m_processor.getCurrentProgramInfo(category, current);
        EXPECT_EQ(current, names[position]);
        EXPECT_EQ(m_processor.getParameter(4), valueOf(names[position]));
        EXPECT_EQ(m_processor.getProgramName(slot), names[position]);
    }
    m_processor.setParameterInternal(m_processor.getPresetPreviousParameterId(), 1.0f, true, false, false);
    position = (position + names.size() - 1) % names.size();
    m_processor.getCurrentProgramInfo(category, current);
    EXPECT_EQ(current, names[position]);
    EXPECT_EQ(m_processor.getCurrentProgram(), slot);
}
