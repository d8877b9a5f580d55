#include "presets/vk_preset_document.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using namespace vk::presets;

namespace
{
PresetParameterList threeParameters()
{
    PresetParameterList list;
    list.keys = {"Bypass", "Acuity", "Width"};
    list.defaults = {0.0f, 0.25f, 0.5f};
    return list;
}

std::unique_ptr<juce::XmlElement> parse(const std::string& text)
{
    return parsePresetDocument(text.data(), text.size());
}

std::vector<float> read(const std::string& text, bool& ok)
{
    std::vector<float> values(3, -7.0f);
    const auto document = parse(text);
    ok = document != nullptr && readPresetValues(*document, threeParameters(), values.data());
    return values;
}

std::string presetWith(const std::string& attributes)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<VEKLAAudioPreset>\r\n  <Parameters " +
           attributes + "/>\r\n</VEKLAAudioPreset>\r\n";
}
} // namespace

TEST(PresetDocument, ValuesAreWrittenAsNineSignificantDigitsWhateverTheLocale)
{
    EXPECT_EQ(formatPresetValue(0.5f), "0.5");
    EXPECT_EQ(formatPresetValue(0.1f), "0.100000001");
    EXPECT_EQ(formatPresetValue(0.0f), "0");
    EXPECT_EQ(formatPresetValue(1.0f), "1");
    EXPECT_EQ(formatPresetValue(1.0e-7f), "1.00000001e-07");
    // A host that switched the C locale to one with a decimal comma changes nothing.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr)
    {
        EXPECT_EQ(formatPresetValue(0.25f), "0.25");
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(PresetDocument, EveryFloatInRangeRoundTripsBitForBit)
{
    PresetParameterList list;
    std::vector<float> written;
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int i = 0; i < 2000; ++i)
    {
        list.keys.add("K" + juce::String(i));
        list.defaults.push_back(0.5f);
        written.push_back(i < 4 ? std::array<float, 4>{0.0f, 1.0f, std::numeric_limits<float>::denorm_min(),
                                                       std::nextafter(1.0f, 0.0f)}[std::size_t(i)]
                                : unit(random));
    }
    const auto text = writePresetDocument(list.keys, written.data(), int(written.size()));
    const auto bytes = text.toStdString();
    const auto document = parsePresetDocument(bytes.data(), bytes.size());
    ASSERT_NE(document, nullptr);
    std::vector<float> read(written.size());
    ASSERT_TRUE(readPresetValues(*document, list, read.data()));
    for (std::size_t i = 0; i < written.size(); ++i)
        ASSERT_EQ(std::memcmp(&read[i], &written[i], sizeof(float)), 0) << i << " " << written[i];
}

TEST(PresetDocument, MissingValuesTakeDefaultsAndUnknownOnesAreIgnored)
{
    bool ok = false;
    const auto values = read(presetWith("Width=\"0.75\" Unknown=\"0.3\" bypass=\"1\""), ok);
    ASSERT_TRUE(ok);
    // Keys are case-sensitive: "bypass" is not "Bypass".
    EXPECT_EQ(values, (std::vector<float>{0.0f, 0.25f, 0.75f}));
    // The root's attributes are not read: another product or version still loads.
    const auto other =
        read("<VEKLAAudioPreset RegistryPath=\"Other\" Version=\"9\"><Parameters Acuity=\"0.5\"/>"
             "<Parameters Acuity=\"0.9\"/></VEKLAAudioPreset>",
             ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(other[1], 0.5f); // the first "Parameters" counts
}

TEST(PresetDocument, ValuesOutsideTheRangeOrNotNumbersNeverReachTheProcessor)
{
    bool ok = false;
    EXPECT_EQ(read(presetWith("Bypass=\"nan\" Acuity=\"inf\" Width=\"-inf\""), ok),
              (std::vector<float>{0.0f, 0.25f, 0.5f}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(read(presetWith("Bypass=\"1e300\" Acuity=\"-5\" Width=\"1.0000001\""), ok),
              (std::vector<float>{1.0f, 0.0f, 1.0f}));
    EXPECT_EQ(read(presetWith("Bypass=\"\" Acuity=\"0,5\" Width=\"0.5abc\""), ok),
              (std::vector<float>{0.0f, 0.25f, 0.5f}));
    EXPECT_EQ(read(presetWith("Bypass=\" 0.125 \" Acuity=\"+0.5\" Width=\"5e-1\""), ok),
              (std::vector<float>{0.125f, 0.5f, 0.5f}));
}

TEST(PresetDocument, DocumentsThatAreNotPresetsLeaveTheValuesAlone)
{
    for (const std::string& text :
         {std::string("<OtherRoot><Parameters Bypass=\"1\"/></OtherRoot>"),
          std::string("<VEKLAAudioPreset><Other Bypass=\"1\"/></VEKLAAudioPreset>"),
          std::string("<VEKLAAudioPreset><Wrapper><Parameters Bypass=\"1\"/></Wrapper></VEKLAAudioPreset>"),
          std::string("<VEKLAAudioPreset><Parameters Bypass=\"1\"></VEKLAAudioPreset>"), std::string(""),
          std::string("not xml at all"), std::string("\xff\xfe<\0V\0", 6)})
    {
        bool ok = true;
        EXPECT_EQ(read(text, ok), (std::vector<float>(3, -7.0f))) << text;
        EXPECT_FALSE(ok) << text;
    }
}

TEST(PresetDocument, HostileFilesAreRefusedBeforeTheParserSeesThem)
{
    // Exponential entity expansion: the parser would expand it without limit.
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE VEKLAAudioPreset [<!ENTITY a \"ha\">";
    for (char c = 'b'; c <= 'z'; ++c)
        laughs += std::string("<!ENTITY ") + c + " \"&" + char(c - 1) + ";&" + char(c - 1) + ";\">";
    laughs += "]><VEKLAAudioPreset><Parameters Bypass=\"&z;\"/></VEKLAAudioPreset>";
    EXPECT_EQ(parse(laughs), nullptr);
    // A self-referencing entity would recurse until the stack ends.
    EXPECT_EQ(parse("<!doctype x [<!ENTITY a \"&a;\">]><VEKLAAudioPreset><Parameters Bypass=\"&a;\"/>"
                    "</VEKLAAudioPreset>"),
              nullptr);

    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    EXPECT_EQ(parse("<VEKLAAudioPreset>" + deep), nullptr);

    // Not UTF-8.
    EXPECT_EQ(parse(presetWith("Bypass=\"\xc3\x28\"")), nullptr);

    // Larger than any preset.
    std::string huge = presetWith("Bypass=\"0.5\"");
    huge += "<!--" + std::string(std::size_t(kMaxPresetFileBytes), ' ') + "-->";
    EXPECT_EQ(parse(huge), nullptr);
    EXPECT_EQ(parsePresetDocument(nullptr, 10), nullptr);
}
