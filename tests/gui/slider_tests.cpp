// The slider's absolute positioning, fine movement, wheel and geometry at the documented figures.
#include "editor_test_support.h"

#include "controls/vk_juce_slider.h"

#include <gtest/gtest.h>

using namespace vk;
using namespace vk::test;

namespace
{
using M = juce::ModifierKeys;

struct SliderFixture : ::testing::Test
{
    ScopedDataFolders folders;
    TestProcessor processor;
    RecordingGlApi gl;
    TestEditorBase editor{processor, &gl};
    VkJuceSlider slider{"m_slider"};

    SliderFixture()
    {
        slider.setStateImage(juce::Image(juce::Image::ARGB, 20, 20, true), 0); // a 20-pixel thumb
        editor.addControl(&slider, -1);
    }
    void press(float x, float y, int mods = 0)
    {
        slider.mouseDown(mouseAt(slider, {x, y}, withButton(mods)));
        slider.mouseUp(mouseAt(slider, {x, y}, withButton(mods), {x, y}));
    }
};
} // namespace

TEST_F(SliderFixture, AVerticalSliderFollowsThePressWithTopAtOne)
{
    slider.setTrackBounds({50, 40, 20, 100}, true);
    EXPECT_EQ(slider.getOrientation(), VkJuceSlider::vertical);
    EXPECT_EQ(slider.getBounds(), juce::Rectangle<int>(50, 30, 20, 120));
    EXPECT_EQ(slider.getTrack(), juce::Rectangle<int>(50, 40, 20, 100));
    press(5, 10);
    EXPECT_FLOAT_EQ(slider.getValue(), 1.0f);
    press(5, 110);
    EXPECT_FLOAT_EQ(slider.getValue(), 0.0f);
    press(5, 60);
    EXPECT_FLOAT_EQ(slider.getValue(), 0.5f);
}

TEST_F(SliderFixture, TheFineModifierScalesTheMovementFromThePress)
{
    slider.setTrackBounds({0, 0, 20, 100}, true);
    slider.mouseDown(mouseAt(slider, {5, 60}));
    slider.mouseDrag(mouseAt(slider, {5, 100}, withButton(0), {5, 60}, true));
    const float coarse = 0.5f - slider.getValue();
    slider.mouseUp(mouseAt(slider, {5, 100}));

    slider.mouseDown(mouseAt(slider, {5, 60}, withButton(M::shiftModifier)));
    slider.mouseDrag(mouseAt(slider, {5, 100}, withButton(M::shiftModifier), {5, 60}, true));
    EXPECT_NEAR(0.5f - slider.getValue(), coarse / 10.0f, 1e-6f);
}

TEST_F(SliderFixture, HorizontalGeometryWheelAndResetToDefault)
{
    slider.setTrackBounds({0, 0, 100, 10}, true);
    EXPECT_EQ(slider.getOrientation(), VkJuceSlider::horizontal);
    EXPECT_EQ(slider.getBounds(), juce::Rectangle<int>(-10, 0, 120, 10));
    slider.setValue(0.5f, false);
    juce::MouseWheelDetails w{};
    w.deltaX = 0.1f;
    slider.mouseWheelMove(mouseAt(slider, {1, 1}, M()), w);
    EXPECT_NEAR(slider.getValue(), 0.535f, 1e-6f);

    slider.setDefaultValue(0.2f);
    press(110, 5, M::ctrlModifier); // positions at 1.0, then the reset modifier restores the default
    EXPECT_FLOAT_EQ(slider.getValue(), 0.2f);
}

TEST_F(SliderFixture, AZeroLengthTrackStoresNoNonFiniteValue)
{
    slider.setStateImage({}, 0);
    slider.setSliderBounds({0, 0, 10, 0});
    slider.setValue(0.4f, false);
    press(5, 0);
    EXPECT_FLOAT_EQ(slider.getValue(), 0.4f);
    juce::MouseWheelDetails w{};
    w.deltaY = 1.0f;
    slider.mouseWheelMove(mouseAt(slider, {1, 1}, M()), w);
    EXPECT_FLOAT_EQ(slider.getValue(), 0.4f);
}

TEST(SliderFade, TheThumbStaysLitFor50MsThenFadesOver200Ms)
{
    EXPECT_FLOAT_EQ(VkJuceSlider::fadeAfterLeaving(0.0), 1.0f);
    EXPECT_FLOAT_EQ(VkJuceSlider::fadeAfterLeaving(50.0), 1.0f);
    EXPECT_FLOAT_EQ(VkJuceSlider::fadeAfterLeaving(150.0), 0.5f);
    EXPECT_FLOAT_EQ(VkJuceSlider::fadeAfterLeaving(250.0), 0.0f);
    EXPECT_FLOAT_EQ(VkJuceSlider::fadeAfterLeaving(1000.0), 0.0f);
}
