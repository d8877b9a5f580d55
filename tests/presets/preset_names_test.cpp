#include "presets/vk_preset_names.h"

#include <gtest/gtest.h>

using namespace vk::presets;

TEST(PresetNames, SeparatorsAreEscapedAndComeBack)
{
    EXPECT_EQ(encodePresetName("Drums/Bass"), "Drums&2FBass");
    EXPECT_EQ(decodePresetName("Drums&2FBass"), "Drums/Bass");
    EXPECT_EQ(encodePresetName("A\\B"), "A&5CB");
    EXPECT_EQ(decodePresetName("A&5CB"), "A\\B");
    // Files written by other tools may carry the percent form.
    EXPECT_EQ(decodePresetName("Drums%2FBass"), "Drums/Bass");
    EXPECT_EQ(decodePresetName("A%5CB"), "A\\B");
    EXPECT_EQ(decodePresetName("Plain + Simple_1-2.3"), "Plain + Simple_1-2.3");
}

TEST(PresetNames, CharactersOutsideTheSetAreDropped)
{
    EXPECT_EQ(encodePresetName("Mix: 1"), "Mix 1");
    EXPECT_EQ(encodePresetName("a*b?c\"d<e>f|g"), "abcdefg");
    EXPECT_EQ(encodePresetName(juce::String(juce::CharPointer_UTF8("Caf\xc3\xa9 \xe2\x80\x94 Br\xc3\xbc"
                                                                   "cke"))),
              "Caf  Brcke");
    EXPECT_EQ(encodePresetName(juce::String("tab\tnew\nline")), "tabnewline");
}

TEST(PresetNames, EncodingIsIdempotentSoRecordsMayBeBuiltFromEncodedNames)
{
    for (const char* name : {"Drums/Bass", "A\\B", "Mix: 1", "100% & more", "..//..", "&2F%2F"})
    {
        const auto once = encodePresetName(name);
        EXPECT_EQ(encodePresetName(once), once) << name;
        EXPECT_FALSE(once.containsAnyOf("/\\")) << name;
    }
}

TEST(PresetNames, NamesThatCannotNameOneVisibleEntryAreRefused)
{
    for (const char* name : {"", ".", "..", ".hidden", "...", ":::", "???", "\xc3\xa9"})
        EXPECT_FALSE(isUsableName(juce::String(juce::CharPointer_UTF8(name)))) << name;
    // A slash cannot climb out: "../x" becomes one name, "..&2Fx", which still starts with a dot.
    EXPECT_FALSE(isUsableName("../x"));
    EXPECT_TRUE(isUsableName("/etc"));
    EXPECT_EQ(encodePresetName("/etc"), "&2Fetc");
    for (const char* name : {"Bass", "a.b", "x..", "1", "User"})
        EXPECT_TRUE(isUsableName(name)) << name;
}
