#include "product_test_support.h"

#include "processor/vk_registry.h"

using namespace latiphonix;

namespace
{

using FactoryBankTest = ProductTest;

TEST_F(FactoryBankTest, NamesAndListedValues)
{
    create();
    EXPECT_EQ(LatiphonixProcessor::getNumFactoryPresets(), 40);
    EXPECT_EQ(processor->getNumFilledPrograms(), 40);
    EXPECT_EQ(processor->getProgramName(0), "Tickle my beats");
    EXPECT_EQ(processor->getProgramName(6), "Holllowed out");
    EXPECT_EQ(processor->getProgramName(13), "Stereo in stereoer out");
    EXPECT_EQ(processor->getProgramName(39), "Synth Pad 3");

    const auto stereoer = processor->getProgram(13);
    EXPECT_EQ(stereoer.values[kResolution], 0.003f);
    EXPECT_EQ(stereoer.values[kIidEnabled], 0.0f);
    EXPECT_EQ(stereoer.values[kItdWidth], 0.0f);
    EXPECT_EQ(stereoer.values[kLinearWidth], 1.0f);
    EXPECT_EQ(processor->getProgram(5).values[kAcuity], 0.8f);
    EXPECT_EQ(processor->getProgram(5).values[kPhaseInvert], 1.0f);
    EXPECT_EQ(processor->getProgram(39).values[kAutoLevelAmount0], 0.48295f);
    EXPECT_EQ(processor->getProgram(39).values[kAutoLevelAmount1], 0.49151f);
    EXPECT_EQ(processor->getProgram(18).values[kAutoLevel], 1.0f);
    EXPECT_EQ(processor->getProgram(10).values[kDynamicsShape], 0.002f);
    EXPECT_EQ(processor->getProgram(14).values[kBalance], 0.44444f);
}

TEST_F(FactoryBankTest, UnlistedValuesAreTheDefaults)
{
    create();
    for (int slot = 0; slot < 40; ++slot)
    {
        const auto& preset = LatiphonixProcessor::getFactoryPreset(slot);
        const auto program = processor->getProgram(slot);
        EXPECT_EQ(processor->getProgramName(slot), preset.name);
        std::vector<bool> listed(kNumParameters, false);
        for (const auto* pair = preset.values; pair->index != -1; ++pair)
        {
            ASSERT_LT(pair->index, kNumParameters);
            listed[std::size_t(pair->index)] = true;
            EXPECT_EQ(program.values[std::size_t(pair->index)], pair->value) << slot << " " << pair->index;
        }
        for (int i = 0; i < kNumParameters; ++i)
        {
            if (!listed[std::size_t(i)])
            {
                EXPECT_EQ(program.values[std::size_t(i)], findMainParameter(i)->defaultValue)
                    << slot << " " << i;
            }
        }
    }
}

TEST_F(FactoryBankTest, ConstructionLeavesUserSlotsAndTheFirstPresetCurrent)
{
    create();
    for (int slot = 40; slot < 46; ++slot)
        EXPECT_EQ(processor->getProgramName(slot), "User0" + juce::String(slot - 39));
    // Nothing stored and no preset equal to the defaults: the first preset is loaded.
    EXPECT_EQ(processor->getCurrentProgram(), 0);
    const auto first = processor->getProgram(0);
    for (int i = 0; i < kNumParameters; ++i)
        EXPECT_EQ(get(i), first.values[std::size_t(i)]) << i;
    EXPECT_EQ(get(kAcuity), 0.56f);
    const auto b = processor->getProgramB();
    EXPECT_EQ(b.values[kAcuity], 0.56f);
    // The user slots were filled from the loaded preset.
    EXPECT_EQ(processor->getProgram(40).values[kAcuity], 0.56f);
    EXPECT_EQ(get(kShowMenu), 1.0f);
    int match = -1;
    EXPECT_TRUE(processor->findProgramMatchingValues(match));
    EXPECT_EQ(match, 0);
}

TEST_F(FactoryBankTest, ShowMenuStaysOffForTheAuAndRtasFormats)
{
    create(vk::kWrapperAu);
    EXPECT_EQ(get(kShowMenu), 0.0f);
    processor.reset();
    create(vk::kWrapperRtas);
    EXPECT_EQ(get(kShowMenu), 0.0f);
    processor.reset();
    create(vk::kWrapperAax);
    EXPECT_EQ(get(kShowMenu), 1.0f);
}

TEST_F(FactoryBankTest, StoredDefaultPresetKeepsTheFirstUserSlotCurrent)
{
    const float acuity = 0.123f;
    vk::registry::writeProductFloat("VJDEFAULT Acuity", &acuity);
    create();
    EXPECT_EQ(processor->getCurrentProgram(), 40);
    EXPECT_EQ(get(kAcuity), acuity);
    EXPECT_EQ(processor->getProgram(40).values[kAcuity], acuity);
    EXPECT_EQ(processor->getProgramName(40), "User01");
    int match = -1;
    EXPECT_FALSE(processor->findProgramMatchingValues(match));
}

TEST_F(FactoryBankTest, StoredDefaultEqualToAPresetSelectsThatPreset)
{
    // Storing every value of preset 7 makes the loaded values match it exactly.
    const auto& preset = LatiphonixProcessor::getFactoryPreset(7);
    std::vector<float> values(kNumParameters);
    for (int i = 0; i < kNumParameters; ++i)
        values[std::size_t(i)] = findMainParameter(i)->defaultValue;
    for (const auto* pair = preset.values; pair->index != -1; ++pair)
        values[std::size_t(pair->index)] = pair->value;
    for (int i = 3; i < kNumParameters; ++i)
        vk::registry::writeProductFloat("VJDEFAULT " + juce::String(findMainParameter(i)->name),
                                        &values[std::size_t(i)]);
    create();
    EXPECT_EQ(processor->getCurrentProgram(), 7);
    EXPECT_EQ(get(kDynamicsSpeed), 1.0f);
}

TEST_F(FactoryBankTest, CreationFunctionPassesTheFormat)
{
    std::unique_ptr<VkJuceProcessorBase> created(createPluginFilter(vk::kWrapperAax));
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->getWrapperType(), vk::kWrapperAax);
    EXPECT_EQ(created->getFormatName(), "AAX");
    EXPECT_EQ(created->getNumParameters(), 35);
}

} // namespace
