// The editor's layout: every control's place, parameter, steps and flags. (The strips' sizes and frame
// counts are checked with the other embedded resources.)

#include "editor_test_support.h"

namespace latiphonix::test
{
namespace
{

struct Placement
{
    const char* name;
    int parameter;
    juce::Rectangle<int> bounds;
};

// Position and size of every control, as laid out in the product's design.
const Placement placements[] = {
    {"m_graphmask", 9999, {0, 0, 640, 349}},
    {"m_btnTitle", 9100, {400, 353, 200, 35}},
    {"m_btnBypass", 3, {19, 4, 50, 22}},
    {"m_btnUndo", 9101, {127, 4, 44, 22}},
    {"m_btnRedo", 9102, {178, 4, 44, 22}},
    {"m_btnAB", 9103, {526, 4, 44, 22}},
    {"m_btnAToB", 9104, {577, 4, 44, 22}},
    {"m_btnPresetPrevious", 9106, {232, 8, 13, 14}},
    {"m_btnPresetNext", 9105, {480, 8, 13, 14}},
    {"m_textEditPresetName", 9999, {255, 8, 220, 15}},
    {"m_dragResolution", 4, {20, 214, 112, 133}},
    {"m_dragAcuity", 5, {509, 216, 111, 131}},
    {"m_btnInvert", 6, {110, 262, 99, 84}},
    {"m_btnfill", 7, {431, 262, 99, 84}},
    {"m_dragLinearWidth", 8, {243, 272, 156, 81}},
    {"m_btnAnalysis", 9, {289, 332, 62, 16}},
    {"m_dragLevelIn", 9999, {530, 45, 12, 12}},
    {"m_dragLevelOut", 9999, {577, 45, 12, 12}},
    {"m_btnDynamics", 21, {20, 100, 43, 22}},
    {"m_dragDYNShape", 22, {20, 70, 43, 24}},
    {"m_dragDYNDepth", 23, {70, 70, 44, 24}},
    {"m_dragDYNSpeed", 24, {70, 38, 44, 25}},
    {"m_btnTempo", 25, {20, 40, 43, 22}},
    {"m_dragPhase", 9999, {578, 100, 43, 23}},
    {"m_btnMono", 28, {578, 70, 43, 22}},
    {"m_btnAutoLevel", 9999, {527, 70, 44, 22}},
    {"m_btnAutoInvisibleOverlay", 9999, {527, 70, 44, 22}},
    {"m_btnIID", 11, {244, 354, 32, 28}},
    {"m_btnITD", 17, {363, 353, 34, 30}},
    {"m_btnLink", 10, {289, 354, 62, 28}},
    {"m_btnSoloLeft", 29, {20, 405, 20, 24}},
    {"m_btnSoloRight", 30, {601, 405, 20, 24}},
    {"m_textBalanceReadout", 31, {294, 404, 50, 28}},
    {"m_textReadout", 9999, {24, 355, 220, 30}},
};

TEST_F(EditorTest, EveryControlSitsAtItsPlaceBoundToItsParameter)
{
    open();
    EXPECT_EQ(editor->getWidth(), 640);
    EXPECT_EQ(editor->getHeight(), 435);
    for (const auto& p : placements)
    {
        SCOPED_TRACE(p.name);
        auto& c = control(p.name);
        EXPECT_EQ(c.getBounds(), p.bounds);
        EXPECT_EQ(c.getParameterIndex(), p.parameter);
        EXPECT_TRUE(c.isVisible());
    }
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

    // Steps, flags and display-only drags.
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
