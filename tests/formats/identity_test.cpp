#include "formats/identity/vk_capabilities.h"
#include "formats/identity/vk_plugin_identity.h"
#include "formats/identity/vk_vst3_class_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace vk::identity;

// The codes hosts store in their sessions (names and the version texts are checked through the built
// modules).
TEST(PluginIdentity, SessionCodes)
{
    EXPECT_STREQ(kProductKey, "Latiphonix3");
    EXPECT_EQ(kAaxPackageVersion, 0x03020903u);
    EXPECT_EQ(kMakerCode, 0x564B4C41u);      // 'V' 'K' 'L' 'A'
    EXPECT_EQ(kProductCode, 0x4C545058u);    // 'L' 'T' 'P' 'X'
    EXPECT_EQ(kAudioSuiteCode, 0x4C545053u); // 'L' 'T' 'P' 'S'
    EXPECT_EQ(aaxNativePluginId(2), kProductCode + 2);
    EXPECT_EQ(aaxAudioSuitePluginId(1), kAudioSuiteCode + 1);
    EXPECT_STREQ(kAaxPageTableFile, "VEKLA Latiphonix3_PageTable.xml");
}

TEST(PluginIdentity, Vst2UniqueIdDiffersOnlyInThirdCharacterPerChannelClass)
{
    const auto stereo = std::uint32_t(vst2UniqueId(2));
    const auto surround51 = std::uint32_t(vst2UniqueId(6));
    const auto surround71 = std::uint32_t(vst2UniqueId(8));
    EXPECT_EQ(stereo, kAudioSuiteCode);
    EXPECT_EQ(surround51, kAudioSuiteCode + (0x40u << 8));
    EXPECT_EQ(surround71, kAudioSuiteCode + (0x80u << 8));
    EXPECT_EQ(stereo & 0xffff00ffu, surround51 & 0xffff00ffu);
    EXPECT_EQ(stereo & 0xffff00ffu, surround71 & 0xffff00ffu);
    EXPECT_EQ(std::uint32_t(vst2UniqueId(1)), stereo);
}

TEST(PluginIdentity, Vst3ClassIdsUseComByteOrder)
{
    const Vst3ClassId processor{0x69, 0xB6, 0xDB, 0x0C, 0xD5, 0x85, 0xA9, 0x48,
                                'V',  'K',  'L',  'A',  'L',  'T',  'P',  'X'};
    const Vst3ClassId controller{0x6A, 0xB6, 0xDB, 0x0C, 0xD5, 0x85, 0xA9, 0x48,
                                 'V',  'K',  'L',  'A',  'L',  'T',  'P',  'X'};
    EXPECT_EQ(kProcessorClassId, processor);
    EXPECT_EQ(kControllerClassId, controller);

    // Round trip of an arbitrary pattern: every input byte lands in exactly one place.
    const auto id = vst3ClassId({0x01020304u, 0x05060708u, 0x090A0B0Cu, 0x0D0E0F10u});
    const Vst3ClassId expected{0x04, 0x03, 0x02, 0x01, 0x06, 0x05, 0x08, 0x07,
                               0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10};
    EXPECT_EQ(id, expected);
}

// What the console host's scan does not show (names, categories and versions it does).
TEST(PluginIdentity, Vst3FactoryAndClassRecords)
{
    EXPECT_EQ(makeVst3FactoryInfo().flags, 16); // Unicode
    const auto processor = makeVst3ProcessorClassRecord();
    EXPECT_EQ(processor.cid, kProcessorClassId);
    EXPECT_EQ(processor.cardinality, 0x7fffffff);
    EXPECT_STREQ(processor.vendor, ""); // hosts fall back to the factory's vendor
    EXPECT_STREQ(processor.sdkVersion, "VST 3.5.2");
    EXPECT_EQ(processor.classFlags, 0u);
    EXPECT_STREQ(processor.category, "Audio Module Class");
    const auto controller = makeVst3ControllerClassRecord();
    EXPECT_EQ(controller.cid, kControllerClassId);
    EXPECT_STREQ(controller.category, "Component Controller Class");
    EXPECT_STREQ(controller.subCategories, "");
    EXPECT_STREQ(controller.vendor, "");
}

TEST(PluginIdentity, CopyTruncatedAlwaysTerminates)
{
    char field[8];
    std::memset(field, 'x', sizeof(field));
    copyTruncated(field, "0123456789");
    EXPECT_STREQ(field, "0123456");
    copyTruncated(field, "ab");
    EXPECT_STREQ(field, "ab");
    EXPECT_EQ(field[7], '\0');
    copyTruncated(field, nullptr);
    EXPECT_STREQ(field, "");
}

namespace
{
struct MonoOnlyDelegate : CapabilityDelegate
{
    bool getCapabilityDefault(int numInputs, int) override { return numInputs == 1; }
    bool isChannelConfigSupported(int, int numOutputs) override { return numOutputs == 1; }
};
} // namespace

TEST(PluginIdentity, CapabilityRecordAsksDelegateWhenInstalled)
{
    EXPECT_TRUE(getCapabilityDefault(2, 2));
    EXPECT_TRUE(isChannelConfigSupported(6, 6));
    for (bool flag : capabilityRecord().descriptionFlags)
        EXPECT_FALSE(flag);

    MonoOnlyDelegate delegate;
    capabilityRecord().delegate = &delegate;
    EXPECT_FALSE(getCapabilityDefault(2, 2));
    EXPECT_TRUE(getCapabilityDefault(1, 2));
    EXPECT_FALSE(isChannelConfigSupported(1, 2));
    EXPECT_TRUE(isChannelConfigSupported(2, 1));
    capabilityRecord().delegate = nullptr;
    EXPECT_TRUE(getCapabilityDefault(2, 2));
}
