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
};

TEST_F(ParameterTextTest, ResolutionReadsBandPairsOneToTen)
{
    EXPECT_EQ(textAt(kResolution, 0.0f), "1");
    EXPECT_EQ(textAt(kResolution, 0.003f), "4");
    EXPECT_EQ(textAt(kResolution, 0.009f), "10");
    EXPECT_EQ(textAt(kResolution, 0.0095f), "10");
    EXPECT_EQ(textAt(kResolution, 1.0f), "10");
    EXPECT_EQ(textAt(kResolution, 0.0044f), "5");
}

TEST_F(ParameterTextTest, ShapesAndSwitches)
{
    EXPECT_EQ(textAt(kDynamicsShape, 0.0f), "Sine");
    EXPECT_EQ(textAt(kDynamicsShape, 0.001f), "Tri");
    EXPECT_EQ(textAt(kDynamicsShape, 0.002f), "Sqr");
    EXPECT_EQ(textAt(kDynamicsShape, 0.003f), "RND1");
    EXPECT_EQ(textAt(kDynamicsShape, 0.0035f), "RND2");
    EXPECT_EQ(textAt(kDynamicsShape, 0.5f), "RND2");
    EXPECT_EQ(textAt(kBypass, 0.0f), "Off");
    EXPECT_EQ(textAt(kBypass, 0.01f), "On");
    EXPECT_EQ(textAt(kAnalysis, 0.5f), "On");
}

TEST_F(ParameterTextTest, BalanceReadout)
{
    EXPECT_EQ(textAt(kBalance, 0.5f), "<C>");
    EXPECT_EQ(textAt(kBalance, 0.0f), "L100");
    EXPECT_EQ(textAt(kBalance, 1.0f), "R100");
    EXPECT_EQ(textAt(kBalance, 0.497f), "L1");
    EXPECT_EQ(textAt(kBalance, 0.51f), "R2");
}

TEST_F(ParameterTextTest, FrequenciesOnTheLogarithmicScale)
{
    EXPECT_EQ(textAt(kIidLowBound, 0.0f), "20 Hz");
    EXPECT_EQ(textAt(kItdLowBound, 0.25f), "115 Hz");
    EXPECT_EQ(textAt(kItdHighBound, 0.75f), "3.8 kHz");
    EXPECT_EQ(textAt(kIidHighBound, 1.0f), "22.0 kHz");
    EXPECT_EQ(textAt(kIidFocusLower, 0.5f), "663 Hz");
    EXPECT_NEAR(frequencyForValue(0.5f), 20.0f * std::sqrt(1100.0f), 0.01f);
}

TEST_F(ParameterTextTest, PercentagesAndGains)
{
    EXPECT_EQ(textAt(kLinearWidth, 0.5f), "100%");
    EXPECT_EQ(textAt(kLinearWidth, 1.0f), "200%");
    EXPECT_EQ(textAt(kAcuity, 1.0f), "100%");
    EXPECT_EQ(textAt(kAcuity, 0.8f), "80%");
    EXPECT_EQ(textAt(kDynamicsDepth, 0.5f), "50%");
    EXPECT_EQ(textAt(kIidWidth, 1.0f), "100%");
    EXPECT_EQ(textAt(kPhaseShift, 0.99f), "99%");
    EXPECT_EQ(textAt(kAutoLevelAmount0, 0.5f), "1.00");
    EXPECT_EQ(textAt(kAutoLevelAmount1, 0.33333f), "0.67");
    EXPECT_EQ(textAt(kParamMapVersion, 0.001f), "1");
}

TEST_F(ParameterTextTest, HostChoiceTexts)
{
    // A stereo processor always routes with the second 5.1 order; the frame rate reads its own choice.
    EXPECT_EQ(processor->getParameterText(kRouting), "ITU");
    EXPECT_EQ(textAt(kTimecodeFrameRate, 0.006f), "30 fps");
    EXPECT_EQ(textAt(kTimecodeFrameRate, 0.0f), "23.976 fps");
    EXPECT_EQ(textAt(kTimecodeFrameRate, 0.5f), "30 fps");
    EXPECT_EQ(processor->getParameterText(kPresetNext), "0.00");
    EXPECT_EQ(processor->getParameterText(kShowMenu), "On");
    EXPECT_EQ(processor->getParameterText(9107), "0.00");
}

TEST_F(ParameterTextTest, NamesKeysStepsAndFlags)
{
    EXPECT_EQ(processor->getNumParameters(), 35);
    EXPECT_EQ(processor->getNumPersistentParameters(), 6);
    EXPECT_EQ(processor->getNumTransientParameters(), 11);
    EXPECT_EQ(processor->getParameterName(kResolution), "IID Resolution");
    EXPECT_EQ(processor->getParameterKey(kResolution), "Resolution");
    EXPECT_EQ(processor->getParameterKey(kDynamicsShape), "DynType");
    EXPECT_EQ(processor->getParameterName(kShowMenu), "Show Menu");
    EXPECT_EQ(processor->getParameterKey(kShowMenu), "ShowBaseMenu");
    EXPECT_EQ(processor->getParameterRecord(kRoutingDefault71).key, "RoutingDefault_7_1");
    EXPECT_EQ(processor->getParameterName(9107), "");
    EXPECT_EQ(processor->getParameterKey(9107), "");
    EXPECT_EQ(processor->getParameterName(35), "");

    EXPECT_EQ(processor->getParameterNumSteps(kBypass), 2);
    EXPECT_EQ(processor->getParameterNumSteps(kIidFocusLower), 525);
    EXPECT_EQ(processor->getParameterNumSteps(kDynamicsShape), 5);
    EXPECT_EQ(processor->getParameterNumSteps(kPhaseShift), 100);
    EXPECT_EQ(processor->getParameterNumSteps(kResolution), 0x7fffffff);
    EXPECT_EQ(processor->getParameterNumSteps(500), 0x7fffffff);

    for (int i = 0; i < kNumParameters; ++i)
    {
        const bool framework = i <= 2;
        const bool hidden = framework || i >= 32;
        EXPECT_EQ(processor->isParameterExposedToHost(i), !hidden) << i;
        EXPECT_EQ(processor->isParameterAutomatable(i), !hidden && i != kDynamicsShape) << i;
        EXPECT_EQ(processor->isParameterStoredInProgram(i), !framework) << i;
        EXPECT_EQ(processor->getParameterRecord(i).defaultValue.load(), findMainParameter(i)->defaultValue)
            << i;
    }
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
