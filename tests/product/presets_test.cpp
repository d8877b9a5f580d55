#include "product_test_support.h"

#include "processor/vk_registry.h"

using namespace latiphonix;

namespace
{

using FactoryBankTest = ProductTest;

TEST_F(FactoryBankTest, ConstructionLeavesUserSlotsAndTheFirstPresetCurrent)
{
    create();
    ASSERT_EQ(processor->getNumFilledPrograms(), 40);
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

TEST_F(FactoryBankTest, TheFormatDecidesTheMenuAndIsKept)
{
    for (int wrapper : {vk::kWrapperAu, vk::kWrapperRtas, vk::kWrapperAax})
    {
        std::unique_ptr<VkJuceProcessorBase> created(createPluginFilter(wrapper));
        EXPECT_EQ(created->getWrapperType(), wrapper);
        EXPECT_EQ(created->getParameterRecord(kShowMenu).getValue(),
                  wrapper == vk::kWrapperAax ? 1.0f : 0.0f);
    }
}

} // namespace
