#include "product_test_support.h"

#include "processor/vk_registry.h"

using namespace latiphonix;

namespace
{

using FactoryBankTest = ProductTest;

// The factory bank as published: name and "index=value" pairs; every other value is its default.
struct PublishedPreset
{
    const char* name;
    const char* pairs;
};
const PublishedPreset kPublished[] = {
    {"Tickle my beats", "5=.56 8=.615 10=0 14=.33383 15=.86733 16=.53244 17=1 18=.41012 19=1 20=.32635"},
    {"Percussion pusher", "5=.605 8=.77 10=0 14=.23175 15=.74695 16=.8 17=1 18=.4623 19=.89712 20=.63044"},
    {"EP Noodler",
     "5=.82 7=1 8=.535 10=0 12=.23437 14=.38229 16=.68904 18=.34116 19=.94511 20=.88904 23=.14 24=.935"},
    {"EP filler", "5=.665 7=1 8=.595 10=0 14=.29803 15=.88249 16=.95979 17=1 19=1 20=.60615 23=1 24=1"},
    {"Padster", "6=1 7=1 8=1 14=.1186 17=1 18=.3686 19=1 20=1"},
    {"Watch out!", "6=1 8=1 16=.61821 17=1 20=.41821 27=1"},
    {"Holllowed out", "4=.005 5=.45 7=1 8=0 10=0 11=0 16=.37147 20=.78392 26=.99 28=1"},
    {"Filler", "5=.615 7=1 8=.68 10=0 11=0 16=0 17=1 18=.29493 19=1 20=.3611 23=1 24=1 25=1"},
    {"Vox Space",
     "5=.52 8=.58 10=0 12=.07798 13=.92757 14=.31123 15=.7546 16=.6725 17=1 18=.27728 19=.81725 20=.88119"},
    {"Reign it all in", "5=.515 8=.295 10=0 11=0 14=.41069 16=.29225 17=1 18=.30405 19=.90356 20=.09225"},
    {"Pulsegrinder",
     "5=.47 6=1 7=1 8=.905 10=0 14=.09862 18=.34862 19=1 20=.89727 21=1 22=.002 23=1 24=1 25=1"},
    {"Shifty", "5=.5 8=.97 21=1 22=.003 23=.755 24=1"},
    {"Analyser", "5=.58 10=0 11=0 16=0 20=0"},
    {"Stereo in stereoer out", "4=.003 5=.405 8=1 10=0 11=0 16=0 20=0"},
    {"Swung left", "5=.505 7=1 10=0 16=.82974 17=1 19=.89042 20=1 31=.44444"},
    {"Exciter", "5=.595 7=1 8=.815 11=0 14=.38244 16=.94781 17=1 18=.63244 19=1 20=.74781"},
    {"Gentle", "4=.008 5=.52 10=0 12=.18653 13=.88105 14=.28543 15=.58728 16=.47603 20=.27603"},
    {"Oi oi!", "4=.006 7=1 8=.67 21=1 23=.9 24=.845 25=1 27=1 31=.51795"},
    {"Get out of my bass",
     "5=.625 7=1 10=0 13=.36487 15=.35449 16=.80349 17=1 18=0 19=.51806 20=.44742 32=1"},
    {"Bye bye", "5=.445 8=.255 12=.45771 13=.94398 15=.96938 16=.06701 19=.71938 20=0 27=1 28=1"},
    {"Ac Guit 1",
     "4=.006 5=.66 8=.605 10=0 11=0 12=.3161 14=.53622 16=.69843 17=1 18=.40182 19=.85713 20=.60588"},
    {"Ac Guit 2", "4=.006 5=.615 7=1 8=.735 10=0 11=0 12=.3161 13=.87566 14=.53622 16=.69843 17=1 18=.40182 "
                  "19=1 20=.9351"},
    {"Drum 1", "4=.005 5=.52 8=.5005 10=0 12=.05684 14=.88146 16=.67133 18=.22876 19=.75614 20=.2594"},
    {"Drum 2", "4=.006 5=.62 8=.5105 10=0 12=.31329 14=.57422 16=.70623 17=1 18=.4021 19=.74158 20=.38907"},
    {"El Guit 1", "4=.008 5=.72 7=1 8=.5005 10=0 11=0 13=.63874 14=.47165 15=.78673 16=.55691 17=1 18=0 "
                  "19=.5875 20=.16273"},
    {"El Guit 2", "4=.006 5=.72 7=1 8=.5005 10=0 12=.29176 13=.63874 14=.18867 15=.83869 16=.89528 18=0 "
                  "19=.5875 20=.16273"},
    {"Mastering 1", "4=.004 5=.12 8=.5005 10=0 12=.47209 13=.89254 14=.49756 15=.6447 16=.49614 18=.67558 "
                    "19=.92343 20=.21246"},
    {"Mastering 2",
     "4=.007 5=.12 8=.5005 10=0 12=.47209 13=.89254 14=.81794 16=.68826 18=.67558 19=.92343 20=.21246"},
    {"Mix 1", "4=.005 5=.18 8=.5005 10=0 12=.28416 13=.8643 14=.2878 15=.79234 16=.40712 17=1 18=.49022 19=1 "
              "20=.20519"},
    {"Mix 2",
     "4=.005 5=.18 8=.5455 10=0 12=.14438 13=.8643 14=.33095 15=.67518 16=.5093 18=.49022 19=1 20=0"},
    {"Mo to St Ac Guit 1", "5=.6 8=.5705 11=0 16=.46325 17=1 18=0 19=1 20=.25507"},
    {"Mo to St Ac Guit 2", "5=.745 8=.5705 14=.2417 16=.56403 17=1 18=.2417 19=1 20=.36106"},
    {"Mo to St El Guit 1", "4=.008 5=.52 8=.6205 10=0 12=.22413 13=.96709 14=.42907 15=.75727 16=.59487 "
                           "18=.2417 19=.75317 20=.17346"},
    {"Mo to St El Guit 2", "4=.008 5=.275 7=1 8=.5005 10=0 11=0 12=.22413 13=.84218 14=.42907 15=.75727 "
                           "16=.5991 17=1 18=.10884 19=1 20=.29924"},
    {"Mo to St El Guit 3", "4=.008 5=.605 7=1 8=.6455 10=0 11=0 12=.16795 13=.62599 14=.42907 15=.75727 "
                           "16=.5991 17=1 18=.10884 19=.46146 20=.77352"},
    {"Piano 1", "4=.003 5=.31 8=.5455 10=0 12=.37524 13=.83193 14=.50034 15=.84084 16=.83127 17=1 18=.36895 "
                "19=1 20=.37177"},
    {"Piano 2", "4=.006 5=.365 8=.5005 10=0 11=0 12=.1478 13=.83193 16=.31798 17=1 18=0 19=1 20=.72552"},
    {"Synth Pad 1", "4=.007 5=.5 7=1 8=.5905 10=0 12=.20002 13=.88151 14=.20806 15=.67218 16=.4158 17=1 "
                    "18=.5403 19=.85765 20=.75"},
    {"Synth Pad 2", "4=.002 5=.695 8=.5005 10=0 14=.24709 15=.64687 16=.78958 17=1 18=0 19=.86164 20=.90441"},
    {"Synth Pad 3", "4=.004 5=.815 8=.56605 12=.30843 13=.82981 14=.2671 15=.92209 16=.86763 17=1 18=.18912 "
                    "19=.83657 20=.85519 33=.48295 34=.49151"},
};

TEST_F(FactoryBankTest, EveryPresetHoldsItsPublishedValues)
{
    create();
    ASSERT_EQ(processor->getNumFilledPrograms(), 40);
    for (int slot = 0; slot < 40; ++slot)
    {
        const auto& published = kPublished[slot];
        EXPECT_EQ(processor->getProgramName(slot), published.name);
        std::vector<float> expected(kNumParameters);
        for (int i = 0; i < kNumParameters; ++i)
            expected[std::size_t(i)] = findMainParameter(i)->defaultValue;
        for (const auto& pair : juce::StringArray::fromTokens(published.pairs, " ", ""))
            expected[std::size_t(pair.upToFirstOccurrenceOf("=", false, false).getIntValue())] =
                pair.fromFirstOccurrenceOf("=", false, false).getFloatValue();
        const auto program = processor->getProgram(slot);
        for (int i = 0; i < kNumParameters; ++i)
            EXPECT_EQ(program.values[std::size_t(i)], expected[std::size_t(i)]) << published.name << " " << i;
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
