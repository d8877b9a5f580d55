#include "presets/vk_preset_names.h"

#include <gtest/gtest.h>

using namespace vk::presets;

TEST(PresetNames, EncodeKeepsOnePathComponentAndDecodeShowsSeparators)
{
    EXPECT_EQ(encodePresetName("Drums/Bass"), "Drums&2FBass");
    EXPECT_EQ(encodePresetName("A\\B"), "A&5CB");
    EXPECT_EQ(decodePresetName("Drums&2FBass"), "Drums/Bass");
    EXPECT_EQ(decodePresetName("Drums%2FBass"), "Drums/Bass");
    EXPECT_EQ(decodePresetName("A&5CB%5C"), "A\\B\\");
}

TEST(PresetNames, EveryTypedNameIsListedBackAsTypedAndOldFileNamesAsBefore)
{
    // typed, stored: letters of any script as they are; what a file system refuses, a leading "." and the
    // start of a sequence escaped; "#" before anything but an escape, and "~", as they are.
    const std::pair<const char*, const char*> typed[] = {
        {"Caf\xc3\xa9 \xe6\x97\xa5", "Caf\xc3\xa9 \xe6\x97\xa5"},
        {"Mix: 1", "Mix#3A 1"},
        {"\"*?<>|\t", "#22#2A#3F#3C#3E#7C#09"},
        {"%2F", "#252F"},
        {"&5C/%5Cx", "#265C&2F#255Cx"},
        {"#3A #41", "#233A #41"},
        {".hidden", "#2Ehidden"},
        {"..", "#2E."},
        {"a.b.", "a.b."},
        {"~/x", "~&2Fx"},
        {"100% & more", "100% & more"}};
    for (const auto& [name, stored] : typed)
    {
        const auto text = juce::String(juce::CharPointer_UTF8(name));
        EXPECT_EQ(encodePresetName(text), juce::String(juce::CharPointer_UTF8(stored))) << name;
        EXPECT_EQ(decodePresetName(encodePresetName(text)), text) << name;
        EXPECT_TRUE(isUsableEncodedName(encodePresetName(text))) << name;
    }
    // Names of the earlier versions' characters keep their files; their files keep their names ("#" was
    // never written).
    for (const char* name : {"Drums/Bass", "A\\B", "Mix 1", "a-b_c.d+e&f%g", "100%2"})
        EXPECT_EQ(encodePresetName(name), juce::String(name).replace("/", "&2F").replace("\\", "&5C"))
            << name;
    for (const char* file : {"%2F", "A%5C&2F", "&2", "%", "Caf", "x%2f"})
        EXPECT_EQ(decodePresetName(file),
                  juce::String(file).replace("%2F", "/").replace("%5C", "\\").replace("&2F", "/"))
            << file;
}

TEST(PresetNames, OnlyTheEmptyNameIsRefused)
{
    EXPECT_FALSE(isUsableName(""));
    for (const char* name : {"Bass", ".", "..", ".hidden", "../x", ":::", "\xc3\xa9", "/etc", "~"})
        EXPECT_TRUE(isUsableName(juce::CharPointer_UTF8(name))) << name;
    for (const char* stored : {"", ".", "..", ".hidden"})
        EXPECT_FALSE(isUsableEncodedName(stored)) << stored;
}
