// The editor's layout rules beyond the placement table itself: the slider's track, which layer takes
// clicks, continuous and stepped drags, greyed display-only controls and momentary command buttons.

#include "editor_test_support.h"

namespace latiphonix::test
{
namespace
{

TEST_F(EditorTest, LayoutRulesBetweenTheControls)
{
    // Hosts may ask for the size before the editor exists.
    EXPECT_EQ(processor->getInitialEditorBounds(), juce::Rectangle<int>(640, 435));
    open();
    EXPECT_EQ(editor->getLocalBounds(), processor->getInitialEditorBounds());
    // The slider's track grows by half a thumb at both ends.
    auto& slider = dynamic_cast<vk::VkJuceSlider&>(control("m_sldBalance"));
    EXPECT_EQ(slider.getTrack(), juce::Rectangle<int>(27, 393, 585, 10));
    EXPECT_EQ(slider.getOrientation(), vk::VkJuceSlider::horizontal);
    EXPECT_EQ(slider.getParameterIndex(), kBalance);

    EXPECT_EQ(editor->getGraph()->getBounds(), juce::Rectangle<int>(28, 27, 527, 298));
    bool clicks = true, childClicks = true;
    editor->getGraph()->getInterceptsMouseClicks(clicks, childClicks);
    EXPECT_FALSE(clicks); // the fan takes no clicks; the overlay above it does
    EXPECT_EQ(editor->getBalanceGraph()->getBounds(), juce::Rectangle<int>(43, 405, 552, 24));
    EXPECT_EQ(editor->getOverlay().getBounds(), juce::Rectangle<int>(28, 27, 577, 338));

    auto& resolution = dynamic_cast<vk::VkJuceDragControl&>(control("m_dragResolution"));
    EXPECT_EQ(resolution.getStepCount(), 10);
    EXPECT_FALSE(resolution.isContinuous());
    auto& phase = dynamic_cast<vk::VkJuceDragControl&>(control("m_dragPhase"));
    EXPECT_EQ(phase.getStepCount(), 102);
    EXPECT_TRUE(phase.isContinuous());
    for (const char* name : {"m_dragLevelIn", "m_dragLevelOut", "m_btnAutoLevel"})
    {
        EXPECT_TRUE(control(name).isGreyedOut()) << name;
        EXPECT_FLOAT_EQ(control(name).getAlpha(), 1.0f) << name; // greyed, not dimmed
    }
    for (const char* name : {"m_btnUndo", "m_btnRedo", "m_btnAToB", "m_btnPresetNext", "m_btnPresetPrevious"})
        EXPECT_TRUE(dynamic_cast<vk::VkJuceButton&>(control(name)).isMomentary()) << name;
    EXPECT_FALSE(dynamic_cast<vk::VkJuceButton&>(control("m_btnBypass")).isMomentary());
}

} // namespace
} // namespace latiphonix::test
