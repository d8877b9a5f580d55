#include "product_test_support.h"

using namespace latiphonix;

namespace
{

class ParameterTextTest : public ProductTest
{
protected:
    void SetUp() override
    {
        ProductTest::SetUp();
        create();
    }

    juce::String textAt(int index, float value)
    {
        processor->getParameterRecord(index).value.store(value);
        return processor->getParameterText(index);
    }
    void expectTexts(int index, std::initializer_list<std::pair<float, const char*>> cases)
    {
        for (const auto& [value, text] : cases)
            EXPECT_EQ(textAt(index, value), text) << index << " at " << value;
    }
};

TEST_F(ParameterTextTest, ReadoutsAtTheEndsAndBetweenTheSteps)
{
    // Band pairs one to ten: values between the steps round down, beyond the last they stay at ten.
    expectTexts(kResolution,
                {{0.0f, "1"}, {0.003f, "4"}, {0.0044f, "5"}, {0.009f, "10"}, {0.0095f, "10"}, {1.0f, "10"}});
    expectTexts(kDynamicsShape, {{0.0f, "Sine"}, {0.001f, "Tri"}, {0.002f, "Sqr"}, {0.003f, "RND1"}});
    expectTexts(kDynamicsShape, {{0.0035f, "RND2"}, {0.5f, "RND2"}});
    expectTexts(kBypass, {{0.0f, "Off"}, {0.01f, "On"}});
    expectTexts(kAnalysis, {{0.5f, "On"}});
    expectTexts(kBalance, {{0.5f, "<C>"}, {0.0f, "L100"}, {1.0f, "R100"}, {0.497f, "L1"}, {0.51f, "R2"}});
    // The logarithmic frequency scale, 20 Hz to 22 kHz.
    expectTexts(kIidLowBound, {{0.0f, "20 Hz"}});
    expectTexts(kItdLowBound, {{0.25f, "115 Hz"}});
    expectTexts(kItdHighBound, {{0.75f, "3.8 kHz"}});
    expectTexts(kIidHighBound, {{1.0f, "22.0 kHz"}});
    expectTexts(kIidFocusLower, {{0.5f, "663 Hz"}});
    EXPECT_NEAR(frequencyForValue(0.5f), 20.0f * std::sqrt(1100.0f), 0.01f);
    expectTexts(kLinearWidth, {{0.5f, "100%"}, {1.0f, "200%"}});
    expectTexts(kAcuity, {{1.0f, "100%"}, {0.8f, "80%"}});
    expectTexts(kDynamicsDepth, {{0.5f, "50%"}});
    expectTexts(kIidWidth, {{1.0f, "100%"}});
    expectTexts(kPhaseShift, {{0.99f, "99%"}});
    expectTexts(kAutoLevelAmount0, {{0.5f, "1.00"}});
    expectTexts(kAutoLevelAmount1, {{0.33333f, "0.67"}});
    expectTexts(kParamMapVersion, {{0.001f, "1"}});
    // The frame rate reads its own choice, repaired when out of range.
    expectTexts(kTimecodeFrameRate, {{0.006f, "30 fps"}, {0.0f, "23.976 fps"}, {0.5f, "30 fps"}});
}

TEST_F(ParameterTextTest, HostChoiceTextsUnknownIdsAndHostFlags)
{
    // A stereo processor always routes with the second 5.1 order.
    EXPECT_EQ(processor->getParameterText(kRouting), "ITU");
    EXPECT_EQ(processor->getParameterText(kPresetNext), "0.00");
    EXPECT_EQ(processor->getParameterText(kShowMenu), "On");
    EXPECT_EQ(processor->getParameterText(9107), "0.00");

    // Ids between the sets have no name, key or step count of their own.
    EXPECT_EQ(processor->getParameterName(9107), "");
    EXPECT_EQ(processor->getParameterKey(9107), "");
    EXPECT_EQ(processor->getParameterName(35), "");
    EXPECT_EQ(processor->getParameterNumSteps(500), 0x7fffffff);

    for (int id = 9000; id <= 9004; ++id)
        EXPECT_FALSE(processor->isParameterStoredInProgram(id)) << id;
    EXPECT_TRUE(processor->isParameterStoredInProgram(kDummyPersistent));
    EXPECT_TRUE(processor->isParameterStoredInProgram(kShowMenu));
    // Outside Pro Tools the no-parameter id is not automatable.
    EXPECT_FALSE(processor->isParameterAutomatable(9999));
    EXPECT_EQ(processor->getName(), "VEKLA Latiphonix3");
    EXPECT_TRUE(processor->hasEditor());
}

TEST_F(ParameterTextTest, CreateEditorMarksControlsForRedrawAndOpensTheProductEditor)
{
    processor->clearGuiDirtyFlags();
    processor->setRefreshAll(false);
    std::unique_ptr<juce::AudioProcessorEditor> editor(processor->createEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->getWidth(), 640);
    EXPECT_EQ(editor->getHeight(), 435);
    // The editor's first update has drawn every control; the refresh request stays for its first tick.
    EXPECT_TRUE(processor->isRefreshAllPending());
    EXPECT_FALSE(processor->getParameterRecord(kBalance).guiDirty.load());
    processor->editorBeingDeleted(editor.get());
}

} // namespace
