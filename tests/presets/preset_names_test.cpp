#include "presets/vk_preset_names.h"

#include <gtest/gtest.h>

using namespace vk::presets;

TEST(PresetNames, EncodeKeepsOnePathComponentAndDecodeShowsSeparators)
{
    EXPECT_EQ(encodePresetName("Drums/Bass"), "Drums&2FBass");
    EXPECT_EQ(encodePresetName("A\\B"), "A&5CB");
    EXPECT_EQ(encodePresetName("Mix: 1"), "Mix 1");
    EXPECT_EQ(encodePresetName(juce::CharPointer_UTF8("Caf\xc3\xa9 \"*?<>|\t")), "Caf ");
    EXPECT_EQ(decodePresetName("Drums&2FBass"), "Drums/Bass");
    EXPECT_EQ(decodePresetName("Drums%2FBass"), "Drums/Bass");
    EXPECT_EQ(decodePresetName("A&5CB%5C"), "A\\B\\");
    for (const char* name : {"Drums/Bass", "A\\B", "100% & more", "&2F%2F"})
        EXPECT_EQ(encodePresetName(encodePresetName(name)), encodePresetName(name)) << name;
}

TEST(PresetNames, NamesThatCannotNameOneVisibleEntryAreRefused)
{
    for (const char* name : {"", ".", "..", ".hidden", "../x", ":::", "\xc3\xa9"})
        EXPECT_FALSE(isUsableName(juce::CharPointer_UTF8(name))) << name;
    for (const char* name : {"Bass", "a.b", "x..", "/etc"})
        EXPECT_TRUE(isUsableName(name)) << name;
}
