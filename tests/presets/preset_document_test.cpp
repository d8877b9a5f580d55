#include "presets/vk_preset_document.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace vk::presets;

namespace
{
std::vector<float> read(const std::string& text, bool& ok)
{
    PresetParameterList list;
    list.keys = {"Bypass", "Acuity", "Width"};
    list.defaults = {0.0f, 0.25f, 0.5f};
    std::vector<float> values(3, -7.0f);
    const auto document = parsePresetDocument(text.data(), text.size());
    ok = document != nullptr && readPresetValues(*document, list, values.data());
    return values;
}

std::string presetWith(const std::string& attributes)
{
    return "<?xml version=\"1.0\"?>\r\n<VEKLAAudioPreset>\r\n  <Parameters " + attributes +
           "/>\r\n</VEKLAAudioPreset>";
}
} // namespace

TEST(PresetDocument, ValuesAreWrittenAsNineDigitsAndReadBackBitForBit)
{
    EXPECT_EQ(formatPresetValue(0.5f), "0.5");
    EXPECT_EQ(formatPresetValue(0.1f), "0.100000001");
    EXPECT_EQ(formatPresetValue(1.0e-7f), "1.00000001e-07");

    PresetParameterList list;
    std::vector<float> written{0.0f, 1.0f, std::numeric_limits<float>::denorm_min(),
                               std::nextafter(1.0f, 0.0f)};
    std::mt19937 random(1234);
    while (written.size() < 2000)
        written.push_back(std::uniform_real_distribution<float>(0.0f, 1.0f)(random));
    for (std::size_t i = 0; i < written.size(); ++i)
    {
        list.keys.add("K" + juce::String(int(i)));
        list.defaults.push_back(0.5f);
    }
    const auto text = writePresetDocument(list.keys, written.data(), int(written.size())).toStdString();
    const auto document = parsePresetDocument(text.data(), text.size());
    std::vector<float> values(written.size());
    ASSERT_TRUE(document != nullptr && readPresetValues(*document, list, values.data()));
    EXPECT_EQ(std::memcmp(values.data(), written.data(), written.size() * sizeof(float)), 0);
}

TEST(PresetDocument, MissingOrNonFiniteValuesTakeDefaultsAndAllAreClamped)
{
    bool ok = false;
    // Keys are case-sensitive and unknown ones are ignored; the root's attributes are never checked.
    EXPECT_EQ(read(presetWith("Width=\"0.75\" Unknown=\"0.3\" bypass=\"1\""), ok),
              (std::vector<float>{0, 0.25f, 0.75f}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(read(presetWith("Bypass=\"nan\" Acuity=\"inf\" Width=\"0,5\""), ok),
              (std::vector<float>{0, 0.25f, 0.5f}));
    EXPECT_EQ(read(presetWith("Bypass=\"1e300\" Acuity=\"-5\" Width=\" +5e-1 \""), ok),
              (std::vector<float>{1, 0, 0.5f}));
    EXPECT_EQ(read(presetWith("Width=\"&#x30;.&#55;5\" Odd=\"&amp;&lt;&gt;&quot;&apos;\""), ok),
              (std::vector<float>{0, 0.25f, 0.75f}));
    EXPECT_TRUE(ok);
}

TEST(PresetDocument, HostileOrForeignDocumentsAreRefusedAndLeaveTheValuesAlone)
{
    std::string deep = "<VEKLAAudioPreset>";
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    std::string huge =
        presetWith("Bypass=\"0.5\"") + "<!--" + std::string(std::size_t(kMaxPresetFileBytes), ' ') + "-->";
    for (const std::string& text :
         {std::string("<OtherRoot><Parameters Bypass=\"1\"/></OtherRoot>"),
          std::string("<VEKLAAudioPreset><Wrapper><Parameters Bypass=\"1\"/></Wrapper></VEKLAAudioPreset>"),
          std::string("<VEKLAAudioPreset><Parameters Bypass=\"1\""), std::string(""),
          std::string("\xff\xfe<\0V\0", 6), presetWith("Bypass=\"\xc3\x28\""),
          presetWith("Bypass=\"\xc0\x8b\xed\xa0\x80\""), deep, huge,
          "<!DOCTYPE VEKLAAudioPreset [<!ENTITY a \"1\">]>" + presetWith("Bypass=\"&a;\""),
          presetWith("Bypass=\"&#x31;&#49;\"/><a>&#x"), presetWith("Bypass=\"&#0;\""),
          presetWith("Bypass=\"&#x110000;\""), presetWith("Bypass=\"&#xD800;\""),
          presetWith("Bypass=\"&nbsp;\""),
          std::string("<VEKLAAudioPreset>&<Parameters Bypass=\"&#x31;\"/></VEKLAAudioPreset>"),
          // The framework's parser never returns from this one.
          std::string("<VEKLAAudioPreset><Parameters Bypass=\"1\"/><?x?>text</VEKLAAudioPreset>")})
    {
        bool ok = true;
        EXPECT_EQ(read(text, ok), std::vector<float>(3, -7.0f)) << text.substr(0, 80);
        EXPECT_FALSE(ok) << text.substr(0, 80);
    }
}

TEST(PresetDocument, AFileBeginningWithAByteOrderMarkIsRead)
{
    const std::string mark = "\xEF\xBB\xBF"; // in front of every UTF-8 file some editors save
    bool ok = false;
    EXPECT_EQ(read(mark + presetWith("Acuity=\"0.75\""), ok), (std::vector<float>{0.0f, 0.75f, 0.5f}));
    EXPECT_TRUE(ok);
    for (const std::string& text : // only one mark, and only at the very start
         {mark + mark + presetWith(""), " " + mark + presetWith(""), mark, mark.substr(0, 2)})
    {
        read(text, ok);
        EXPECT_FALSE(ok) << text.size();
    }
}

// A file cut short (a copy or download that stopped) is refused wherever the cut falls; the framework's
// parser took one that ended in the root's end tag as the whole preset.
TEST(PresetDocument, AFileCutShortAnywhereIsRefused)
{
    const juce::StringArray keys = {"Bypass", "Acuity", "Width"};
    const float values[] = {1.0f, 0.125f, 0.625f};
    const auto text = writePresetDocument(keys, values, 3).trimEnd().toStdString();
    bool ok = false;
    EXPECT_EQ(read(text, ok), (std::vector<float>{1.0f, 0.125f, 0.625f}));
    EXPECT_TRUE(ok);
    for (std::size_t size = 0; size < text.size(); ++size)
    {
        read(text.substr(0, size), ok);
        EXPECT_FALSE(ok) << size << " of " << text.size() << " bytes";
    }
}
