#include "tests/presets/preset_test_support.h"

#include "presets/vk_preset_names.h"
#include "processor/vk_log.h"
#include "processor/vk_registry.h"

#include <sys/stat.h>
#include <unistd.h>

TEST_F(PresetStoreTest, RootsAndPathsStayInsideTheirFolders)
{
    EXPECT_EQ(
        userRoot(),
        juce::File(juce::String(m_folders.user().string())).getChildFile("VEKLA Audio/Presets/Latiphonix3"));
    EXPECT_EQ(VkJucePresetFile::getPresetFilePath({"Drums/Bass", "Mix: 1"}, &m_processor),
              userRoot().getChildFile("Drums&2FBass/Mix#3A 1.vkp"));
    // No install folder recorded, or a relative one: no installed root, nothing read from "/Presets".
    EXPECT_EQ(VkJucePresetFile::getPresetFilePath({"Installed", "A"}, &m_processor), juce::File());
    ASSERT_TRUE(vk::registry::writeProductString("Install Folder", "relative"));
    EXPECT_EQ(VkJucePresetFile::getInstalledPresetRoot(&m_processor), juce::File());
    const auto install = useInstallFolder();
    EXPECT_EQ(VkJucePresetFile::getPresetFilePath({"Installed", "A"}, &m_processor),
              install.getChildFile("Presets/Installed/A.vkp"));
    // No name gives a root, its parent or a hidden entry: the empty one gives no path at all, the others
    // one entry inside, which lists them as typed.
    EXPECT_EQ(VkJucePresetFile::getPresetCategoryFolder({"", "A"}, &m_processor), juce::File());
    EXPECT_EQ(VkJucePresetFile::getPresetFilePath({"User", ""}, &m_processor), juce::File());
    for (const char* name : {".", "..", ".x", "~", "../x"})
    {
        const auto folder = VkJucePresetFile::getPresetCategoryFolder({name, "A"}, &m_processor);
        const auto file = VkJucePresetFile::getPresetFilePath({"User", name}, &m_processor);
        EXPECT_EQ(folder.getParentDirectory(), userRoot()) << name;
        EXPECT_EQ(file.getParentDirectory(), userRoot().getChildFile("User")) << name;
        EXPECT_FALSE(folder.isHidden() || file.isHidden()) << name;
        EXPECT_EQ(vk::presets::decodePresetName(file.getFileNameWithoutExtension()), name);
    }
}

TEST_F(PresetStoreTest, ListingsDecodeAndStartWithInstalledAndAnEmptyRootGetsUser)
{
    EXPECT_EQ(VkJucePresetFile::getPresetCategories(&m_processor), juce::StringArray("Installed"));
    EXPECT_EQ(VkJucePresetFile::getPresetCategories(&m_processor), juce::StringArray("Installed", "User"));
    for (const char* folder : {"bass", "Installed", "Drums&2FLoops", "Alpha", ".hidden"})
        ASSERT_TRUE(userRoot().getChildFile(folder).createDirectory().wasOk());
    EXPECT_EQ(VkJucePresetFile::getPresetCategories(&m_processor),
              juce::StringArray({"Installed", "Alpha", "bass", "Drums/Loops", "User"}));

    for (const char* file : {"One.vkp", "Two%2FThree.vkp", ".hidden.vkp", "notes.txt"})
        writeFile(userRoot().getChildFile("Keys").getChildFile(file), "x");
    auto presets = VkJucePresetFile::getPresetsInCategory(&m_processor, "Keys");
    presets.sort(false);
    EXPECT_EQ(presets, juce::StringArray("One", "Two/Three"));
}

TEST_F(PresetStoreTest, SavedFileMatchesTheGoldenBytesAndLoadsIntoTheCurrentProgram)
{
    const float values[TestProcessor::kNumMain] = {0.0f,    1.0f,         0.5f,  0.1f,
                                                   1.0e-7f, 0.333333343f, 0.75f, 0.9f};
    ASSERT_TRUE(VkJucePresetFile::createPresetCategory(&m_processor, "Golden"));
    VkJucePresetFile record("Golden", "Golden/Preset");
    ASSERT_TRUE(record.capturePreset(&m_processor));
    std::copy(std::begin(values), std::end(values), record.getProgram().values.begin());
    m_processor.setCurrentProgram(3);
    ASSERT_TRUE(record.save(&m_processor));
    EXPECT_EQ(m_processor.getProgramName(3), "Golden/Preset");

    const auto file = userRoot().getChildFile("Golden/Golden&2FPreset.vkp");
    juce::MemoryBlock saved, golden;
    ASSERT_TRUE(file.loadFileAsData(saved));
    ASSERT_TRUE(juce::File(VK_PRESETS_GOLDEN_DIR "/golden_preset.vkp").loadFileAsData(golden));
    EXPECT_TRUE(saved == golden) << saved.toString();

    m_processor.changeProgramName(3, "Other");
    VkJucePresetFile loaded("Golden", "Golden/Preset");
    ASSERT_TRUE(loaded.load(&m_processor));
    ASSERT_TRUE(loaded.applyPreset(&m_processor));
    for (int i = 3; i < TestProcessor::kNumMain; ++i)
    {
        EXPECT_EQ(m_processor.getParameter(i), values[i]) << i;
        EXPECT_EQ(m_processor.getProgram(3).values[std::size_t(i)], values[i]) << i;
    }
    juce::String category, name;
    m_processor.getCurrentProgramInfo(category, name);
    EXPECT_EQ(category + "|" + name + "|" + m_processor.getProgramName(3),
              "Golden|Golden/Preset|Golden/Preset");
    juce::MemoryBlock log;
    vk::log::getLogFile().loadFileAsData(log);
    EXPECT_TRUE(log.toString().contains("VkJucePresetFile::save " + file.getFullPathName()));
    EXPECT_TRUE(log.toString().contains("VkJucePresetFile::load " + file.getFullPathName()));
}

TEST_F(PresetStoreTest, AFailedSaveOrLoadChangesNothing)
{
    m_processor.setCurrentProgramInfo("Before", "Old");
    m_processor.changeProgramName(m_processor.getCurrentProgram(), "Old");
    ASSERT_TRUE(VkJucePresetFile::createPresetCategory(&m_processor, "User"));
    const auto install = useInstallFolder();
    const auto before = digestAll();
    const auto refusedSave = [this](const char* category, const char* name, bool capture)
    {
        VkJucePresetFile record(category, name);
        if (capture)
            record.capturePreset(&m_processor);
        EXPECT_FALSE(record.save(&m_processor)) << category << "/" << name;
    };
    refusedSave("User", "Not Captured", false);
    refusedSave("Gone", "A", true); // saving never creates the category
    refusedSave("Installed", "A", true);
    refusedSave("User", "", true);
    if (::geteuid() != 0) // root writes into read-only folders
    {
        ::chmod(userRoot().getChildFile("User").getFullPathName().toRawUTF8(), 0555);
        refusedSave("User", "Read Only", true);
        ::chmod(userRoot().getChildFile("User").getFullPathName().toRawUTF8(), 0755);
    }
    EXPECT_EQ(digestAll(), before);
    juce::String category, name;
    m_processor.getCurrentProgramInfo(category, name);
    EXPECT_EQ(category + "|" + name + "|" + m_processor.getProgramName(m_processor.getCurrentProgram()),
              "Before|Old|Old");

    writeFile(userRoot().getChildFile("User/Wrong Root.vkp"), "<Other><Parameters P3=\"1\"/></Other>");
    ASSERT_TRUE(userRoot().getChildFile("User/Folder.vkp").createDirectory().wasOk());
    ASSERT_EQ(::mkfifo(userRoot().getChildFile("User/Pipe.vkp").getFullPathName().toRawUTF8(), 0644), 0);
    for (const char* preset : {"Wrong Root", "Missing", "Folder", "Pipe"})
    {
        VkJucePresetFile record("User", preset);
        record.getProgram().values[3] = 0.625f;
        EXPECT_FALSE(record.load(&m_processor) || record.applyPreset(&m_processor)) << preset;
        EXPECT_EQ(record.getProgram().values[3], 0.625f) << preset;
    }
    EXPECT_FALSE(VkJucePresetFile("User", "A").capturePreset(nullptr));
}

TEST_F(PresetStoreTest, DeletingActsOnlyOnTheOneEntryNamedInsideTheUserRoot)
{
    savePreset("Pads/Strings", "Soft");
    savePreset("Leads", "Mix 1");
    writeFile(userRoot().getChildFile("Leads/Mix: 1.vkp"), "x");
    writeFile(userRoot().getChildFile(":/Keep.vkp"), "x");
    writeFile(userRoot().getChildFile("Dup&2FA/Keep.vkp"), "x");
    writeFile(userRoot().getChildFile("Dup%2FA/Keep.vkp"), "x");
    writeFile(userRoot().getSiblingFile("Outside.vkp"), "x");
    writeFile(useInstallFolder().getChildFile("Presets/Installed/Factory.vkp"), "x");
    const auto before = digestAll();

    for (const char* category : {"Installed", "", ".", "..", "???", "Inst:alled", "Nothing", "Dup/A"})
    {
        EXPECT_FALSE(VkJucePresetFile::deletePresetCategory(&m_processor, category)) << category;
        EXPECT_FALSE(VkJucePresetFile::deletePreset(&m_processor, category, "Factory")) << category;
    }
    for (const char* name : {"../Outside", "..", "", "Soft.vkp"})
        EXPECT_FALSE(VkJucePresetFile::deletePreset(&m_processor, "Leads", name)) << name;
    EXPECT_FALSE(VkJucePresetFile::createPresetCategory(&m_processor, "Installed"));
    EXPECT_FALSE(VkJucePresetFile::createPresetCategory(&m_processor, ""));
    EXPECT_EQ(digestAll(), before);

    // Each name as listed reaches its own entry, also where its name on disk was written by an earlier
    // version ("Mix: 1" and ":" are listed as they were typed; "Mix 1" is another preset).
    ASSERT_TRUE(VkJucePresetFile::deletePreset(&m_processor, "Leads", "Mix: 1"));
    ASSERT_TRUE(VkJucePresetFile::deletePreset(&m_processor, "Leads", "Mix 1"));
    ASSERT_TRUE(VkJucePresetFile::deletePresetCategory(&m_processor, "Pads/Strings"));
    ASSERT_TRUE(VkJucePresetFile::deletePresetCategory(&m_processor, ":"));
    auto expected = before;
    for (const char* gone : {"Leads/Mix: 1.vkp", "Leads/Mix 1.vkp", "Pads&2FStrings",
                             "Pads&2FStrings/Soft.vkp", ":", ":/Keep.vkp"})
        expected.erase(relativeToTemporaryFolder(userRoot().getChildFile(gone)));
    EXPECT_EQ(digestAll(), expected);
}

TEST_F(PresetStoreTest, SteppingWrapsAndParametersStepInPresetFileMode)
{
    for (int i = 0; i < 3; ++i)
    {
        m_processor.setParameterInternal(4, 0.25f * float(i + 1), true, false, false);
        savePreset("Steps", "S" + juce::String(i));
    }
    const auto names = VkJucePresetFile::getPresetsInCategory(&m_processor, "Steps");
    const int n = names.size();
    for (int i = 0; i < n; ++i)
    {
        EXPECT_EQ(VkJucePresetFile::getNextPreset(&m_processor, "Steps", names[i]).getName(),
                  names[(i + 1) % n]);
        EXPECT_EQ(VkJucePresetFile::getPreviousPreset(&m_processor, "Steps", names[i]).getName(),
                  names[(i + n - 1) % n]);
    }
    EXPECT_EQ(VkJucePresetFile::getNextPreset(&m_processor, "Steps", "s0").getName(), names[0]);
    // An empty category gives the first preset of "Installed": none yet, then the installed one.
    EXPECT_FALSE(VkJucePresetFile::getNextPreset(&m_processor, "Empty", "A").load(&m_processor));
    writeFile(useInstallFolder().getChildFile("Presets/Installed/Factory.vkp"),
              "<VEKLAAudioPreset><Parameters/></VEKLAAudioPreset>");
    EXPECT_TRUE(VkJucePresetFile::getPreviousPreset(&m_processor, "Empty", "A").load(&m_processor));

    m_processor.setPresetFileMode(true);
    juce::String category, current;
    m_processor.getCurrentProgramInfo(category, current);
    for (int step : {1, 1, 1, 1, -1})
    {
        const int id =
            step > 0 ? m_processor.getPresetNextParameterId() : m_processor.getPresetPreviousParameterId();
        const auto expected = names[(names.indexOf(current) + step + n) % n];
        m_processor.setParameterInternal(id, 1.0f, true, false, false);
        m_processor.setParameterInternal(id, 0.0f, true, false, false);
        m_processor.getCurrentProgramInfo(category, current);
        EXPECT_EQ(current, expected);
        EXPECT_EQ(m_processor.getParameter(4), 0.25f * float(expected.getTrailingIntValue() + 1));
        EXPECT_EQ(m_processor.getProgramName(m_processor.getCurrentProgram()), expected);
    }
}
