#include "test_processor.h"

#include "processor/vk_registry.h"

#include <gtest/gtest.h>

namespace
{
class ProgramsTest : public ProcessorTest
{
protected:
    static void storeDefault(int index, float value)
    {
        ASSERT_TRUE(vk::registry::writeProductFloat("VJDEFAULT Param " + juce::String(index), &value));
    }
};
} // namespace

TEST_F(ProgramsTest, BankIsSetUpWithFactoryAndUserSlotsAndIndexesOutsideItMeanSlotZero)
{
    TestProcessor processor;
    EXPECT_EQ(processor.getNumPrograms(), 46);
    EXPECT_EQ(processor.getNumFilledPrograms(), 2);
    EXPECT_EQ(processor.getProgramName(0), "Unchanged");
    EXPECT_EQ(processor.getProgramName(1), "Wide");
    EXPECT_EQ(processor.getProgramName(2), "User01");
    EXPECT_EQ(processor.getProgramName(45), "User44");

    const auto wide = processor.getProgram(1);
    EXPECT_EQ(wide.values[3], 1.0f);
    EXPECT_EQ(wide.values[4], 0.0f);
    EXPECT_EQ(wide.values[5], 0.75f); // not in the preset: the value when it was added
    EXPECT_EQ(wide.categoryMask, -1);

    // The current slot is also B at start.
    const auto b = processor.getProgramB();
    EXPECT_EQ(b.values, processor.getProgram(0).values);
    EXPECT_EQ(b.name, "Unchanged");

    for (int index : {46, -1, 1000})
    {
        processor.setCurrentProgram(1);
        processor.setRefreshAll(false);
        processor.setCurrentProgram(index);
        EXPECT_EQ(processor.getCurrentProgram(), 0) << index;
        EXPECT_EQ(processor.getParameter(3), 0.25f) << index;
        EXPECT_TRUE(processor.isRefreshAllPending());
    }
    processor.changeProgramName(99, "Renamed");
    EXPECT_EQ(processor.getProgramName(0), "Renamed");
    EXPECT_EQ(processor.getProgramName(-5), "Renamed");
}

TEST_F(ProgramsTest, ProgramLoadIsOneUndoStepReportedPerParameter)
{
    TestProcessor processor;
    processor.log().clear();
    processor.setCurrentProgram(1);
    EXPECT_EQ(processor.log().eventsStartingWith("change"),
              (std::vector<std::string>{changeEvent(3, 1.0f), changeEvent(4, 0.0f)}));
    EXPECT_TRUE(processor.isProgramMarkedModified());
    EXPECT_EQ(processor.getResetSnapshot().values[3], 1.0f);

    processor.editorSet(9101, 1.0f);
    EXPECT_EQ(processor.getParameter(3), 0.25f);
    EXPECT_EQ(processor.getParameter(4), 0.5f);
}

TEST_F(ProgramsTest, AbSwapTwiceRestoresBothAndKeepsTheMaskOfB)
{
    TestProcessor processor;
    processor.setCurrentProgram(1);
    processor.copyCurrentProgramToB();
    auto b = processor.getProgramB();
    b.name = "B side";
    b.values[5] = 0.05f;
    b.categoryMask = 0x10;
    // B is only reachable through A-to-B, so build it in a scratch slot and copy it over.
    processor.setProgram(30, b);
    processor.setCurrentProgram(30);
    processor.copyCurrentProgramToB();
    processor.setCurrentProgram(1);
    processor.editorSet(6, 0.6f);

    const auto aBefore = processor.getProgram(1);
    const auto bBefore = processor.getProgramB();
    ASSERT_EQ(bBefore.name, "B side");

    processor.swapAB();
    EXPECT_EQ(processor.getProgram(1).name, "B side");
    EXPECT_EQ(processor.getParameter(5), 0.05f);
    EXPECT_EQ(processor.getProgramB().values[6], 0.6f);

    processor.swapAB();
    EXPECT_EQ(processor.getProgram(1).values, aBefore.values);
    EXPECT_EQ(processor.getProgram(1).name, aBefore.name);
    EXPECT_EQ(processor.getProgramB().values, bBefore.values);
    EXPECT_EQ(processor.getProgramB().name, bBefore.name);
    EXPECT_EQ(processor.getProgramB().categoryMask, bBefore.categoryMask);
    EXPECT_EQ(processor.getParameter(6), 0.6f);
}

TEST_F(ProgramsTest, FactoryPresetDescriptors)
{
    TestProcessor processor;
    processor.editorSet(7, 0.42f);
    processor.addFactoryPreset({"Copy", nullptr});
    const FactoryPresetValue hostile[] = {{3000, 1.0f}, {-5, 1.0f}, {6, 0.125f}, {-1, 0.0f}};
    processor.addFactoryPreset({"Hostile", hostile});

    EXPECT_EQ(processor.getNumFilledPrograms(), 4);
    const auto copy = processor.getProgram(2);
    EXPECT_EQ(copy.name, "Copy");
    EXPECT_EQ(copy.values[7], 0.42f);
    const auto hostileSlot = processor.getProgram(3);
    EXPECT_EQ(hostileSlot.values[6], 0.125f);
    EXPECT_EQ(hostileSlot.values[7], 0.42f);

    for (int i = 0; i < 60; ++i)
        processor.addFactoryPreset({"More", nullptr});
    EXPECT_EQ(processor.getNumFilledPrograms(), 46);
}

TEST_F(ProgramsTest, DefaultPresetSkipsMarkerAndClampsWhenApplied)
{
    storeDefault(3, 2.0f);
    storeDefault(4, VkJuceProcessorBase::kDefaultPresetSkipValue);
    storeDefault(5, 0.125f);
    const std::uint8_t three[3] = {0, 0, 0};
    ASSERT_TRUE(vk::registry::writeRegistryValue(vk::registry::getProductRegistryPath(), "VJDEFAULT Param 6",
                                                 three, 3, vk::registry::ValueType::Binary));

    TestProcessor processor;
    EXPECT_EQ(processor.getParameter(3), 1.0f);
    EXPECT_EQ(processor.getParameter(4), 0.5f);
    EXPECT_EQ(processor.getParameter(5), 0.125f);
    EXPECT_EQ(processor.getParameter(6), 0.1f);
    EXPECT_TRUE(processor.loadDefaultPreset());
    // User slots are named after the default preset is in, and carry it.
    EXPECT_EQ(processor.getProgram(2).values[5], 0.125f);
}

TEST_F(ProgramsTest, DefaultPresetRoundTripsThroughTheStore)
{
    {
        TestProcessor processor;
        EXPECT_FALSE(processor.loadDefaultPreset());
        processor.editorSet(3, 0.3f);
        processor.editorSet(7, 0.7f);
        processor.saveCurrentAsDefault();
        EXPECT_FALSE(vk::registry::readProductValue("VJDEFAULT_PRESET_FILE").has_value());
    }
    TestProcessor processor;
    EXPECT_FLOAT_EQ(processor.getParameter(3), 0.3f);
    EXPECT_FLOAT_EQ(processor.getParameter(7), 0.7f);
    EXPECT_FLOAT_EQ(processor.getParameter(4), 0.5f);
}

TEST_F(ProgramsTest, PresetFileModeKeepsTheDefaultPresetFile)
{
    TestProcessor processor;
    processor.setPresetFileMode(true);
    processor.setCurrentProgramInfo("/presets/Factory", "Broad.vkp");
    processor.saveCurrentAsDefault();
    EXPECT_EQ(vk::registry::readProductString("VJDEFAULT_PRESET_FILE"), "Broad.vkp");

    processor.setCurrentProgramInfo("", "");
    processor.loadDefaultPreset();
    juce::String folder, file;
    processor.getCurrentProgramInfo(folder, file);
    EXPECT_EQ(folder, "/presets/Factory");
    EXPECT_EQ(file, "Broad.vkp");
    EXPECT_EQ(processor.getProgramName(processor.getCurrentProgram()), "Broad.vkp");
    EXPECT_EQ(processor.getNumFilledPrograms(), 1);
}

TEST_F(ProgramsTest, ProgramModifiedUsesATolerance)
{
    TestProcessor processor;
    processor.setCurrentProgram(1);
    processor.setCurrentProgramInfo("folder", "file");
    EXPECT_FALSE(processor.isProgramModified());

    processor.editorSet(5, 0.75f + 0.0000005f);
    EXPECT_NE(processor.getParameter(5), 0.75f);
    EXPECT_FALSE(processor.isProgramModified());

    processor.editorSet(5, 0.7f);
    EXPECT_TRUE(processor.isProgramModified());
    processor.editorSet(5, 0.75f);
    EXPECT_FALSE(processor.isProgramModified());
}

TEST_F(ProgramsTest, StoredProgramLoadHonoursTheExclusionHook)
{
    TestProcessor processor;
    processor.setCurrentProgram(1);
    processor.log().clear();
    // Slot 45 of the stored bank holds no factory preset.
    processor.loadStoredProgram(45, 0, 100); // the base excludes every parameter
    EXPECT_TRUE(processor.log().eventsStartingWith("change").empty());
    EXPECT_EQ(processor.getProgramName(1), "");

    processor.m_excludeStored = false;
    processor.loadStoredProgram(45, -4, 100); // an empty stored entry holds zeros
    EXPECT_EQ(processor.getParameter(3), 0.0f);
    EXPECT_EQ(processor.getParameter(7), 0.0f);
}
