#include "test_processor.h"

#include "platform/vk_settings_store.h"
#include "processor/vk_registry.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vk::registry;

using RegistryTest = ProcessorTest;

TEST_F(RegistryTest, FloatsAreExactlyFourBytes)
{
    const float value = 0.375f;
    ASSERT_TRUE(writeProductFloat("RoutingDefault", &value));
    EXPECT_EQ(readProductFloat("RoutingDefault"), 0.375f);
    EXPECT_EQ(readProductValue("RoutingDefault")->size(), 4u);

    const std::uint8_t three[3] = {0, 0, 0x80};
    const std::uint8_t five[5] = {0, 0, 0x80, 0x3f, 0};
    ASSERT_TRUE(writeRegistryValue(getProductRegistryPath(), "Three", three, 3, ValueType::Binary));
    ASSERT_TRUE(writeRegistryValue(getProductRegistryPath(), "Five", five, 5, ValueType::Binary));
    EXPECT_FALSE(readProductFloat("Three").has_value());
    EXPECT_FALSE(readProductFloat("Five").has_value());
    EXPECT_FALSE(readProductFloat("Missing").has_value());
    EXPECT_FALSE(writeRegistryValue(getProductRegistryPath(), "Bad", nullptr, 4, ValueType::Binary));
    EXPECT_FALSE(writeProductFloat("Null", nullptr));
}

TEST_F(RegistryTest, StringsCarryTheirTerminatingZero)
{
    ASSERT_TRUE(writeProductString("VJDEFAULT_PRESET_FOLDER", "Presets/Größe"));
    const auto raw = readProductValue("VJDEFAULT_PRESET_FOLDER");
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->size(), std::strlen("Presets/Größe") + 1);
    EXPECT_EQ(raw->back(), 0);
    EXPECT_EQ(readProductString("VJDEFAULT_PRESET_FOLDER"), juce::String::fromUTF8("Presets/Größe"));
    EXPECT_EQ(readProductString("Missing"), "");
}

TEST_F(RegistryTest, InstallFolderComesFromTheMachineStoreAndOddTextSurvives)
{
    // What an installer leaves behind: machine-wide only, Latin-1 text without a terminating zero.
    const std::uint8_t latin1[] = {'/', 'o', 'p', 't', '/', 'V', 0xE9, 'K'};
    ASSERT_TRUE(vk::platform::writeSettingsValueIn(
        vk::platform::SettingsScope::Machine, getProductRegistryPath().toStdString(), "Install Folder",
        vk::platform::SettingsType::String, latin1, sizeof(latin1)));
    const juce::String folder = juce::String("/opt/V") + juce::juce_wchar(0xE9) + "K";
    EXPECT_EQ(readProductString("Install Folder"), folder);
    EXPECT_EQ(getInstallFolder("Presets"), folder + "/Presets");
    EXPECT_EQ(getManualPath(), folder + "/Latiphonix3 Manual.pdf");

    // A multi-byte sequence cut short at the end is not decoded past the data.
    const std::uint8_t cut[] = {'a', 0xE2, 0x82};
    ASSERT_TRUE(writeRegistryValue(getProductRegistryPath(), "Cut", cut, 3, ValueType::String));
    EXPECT_EQ(readProductString("Cut").length(), 3);
}
