// The slider's absolute positioning, fine movement, wheel and geometry at the documented figures.
#include "editor_test_support.h"

#include "controls/vk_juce_slider.h"

#include <gtest/gtest.h>

using namespace vk;
using namespace vk::test;

namespace
{
using M = juce::ModifierKeys;

struct SliderFixture : ::testing::Test, EditorHarness
{
    VkJuceSlider slider{"m_slider"};

    SliderFixture()
    {
        slider.setStateImage(juce::Image(juce::Image::ARGB, 20, 20, true), 0); // a 20-pixel thumb
        editor->addControl(&slider, -1);
    }
    float press(float x, float y, int mods = 0)
    {
        pressAndRelease(slider, withButton(mods), {x, y});
        return slider.getValue();
    }
    float wheel(float dx, float dy)
    {
        juce::MouseWheelDetails w{};
        w.deltaX = dx;
        w.deltaY = dy;
        slider.mouseWheelMove(mouseAt(slider, {1, 1}, M()), w);
        return slider.getValue();
    }
};
} // namespace

TEST_F(SliderFixture, AVerticalSliderFollowsThePressWithTopAtOneAndTheFineModifierScalesTheMovement)
{
    slider.setTrackBounds({50, 40, 20, 100}, true);
    EXPECT_EQ(slider.getOrientation(), VkJuceSlider::vertical);
    EXPECT_EQ(slider.getBounds(), juce::Rectangle<int>(50, 30, 20, 120));
    EXPECT_EQ(slider.getTrack(), juce::Rectangle<int>(50, 40, 20, 100));
    EXPECT_FLOAT_EQ(press(5, 10), 1.0f);
    EXPECT_FLOAT_EQ(press(5, 110), 0.0f);
    EXPECT_FLOAT_EQ(press(5, 60), 0.5f);

    float moved[2] = {};
    for (int fine = 0; fine < 2; ++fine)
    {
        const auto mods = withButton(fine ? M::shiftModifier : 0);
        slider.mouseDown(mouseAt(slider, {5, 60}, mods));
        slider.mouseDrag(mouseAt(slider, {5, 100}, mods, {5, 60}, true));
        moved[fine] = 0.5f - slider.getValue();
        slider.mouseUp(mouseAt(slider, {5, 100}));
    }
    EXPECT_NEAR(moved[1], moved[0] / 10.0f, 1e-6f);
}

TEST_F(SliderFixture, HorizontalGeometryWheelAndResetToDefault)
{
    slider.setTrackBounds({0, 0, 100, 10}, true);
    EXPECT_EQ(slider.getOrientation(), VkJuceSlider::horizontal);
    EXPECT_EQ(slider.getBounds(), juce::Rectangle<int>(-10, 0, 120, 10));
    slider.setValue(0.5f, false);
    EXPECT_NEAR(wheel(0.1f, 0.0f), 0.535f, 1e-6f);
    slider.setDefaultValue(0.2f);
    // Positions at 1.0, then the reset modifier restores the default.
    EXPECT_FLOAT_EQ(press(110, 5, M::ctrlModifier), 0.2f);
}

TEST_F(SliderFixture, AZeroLengthTrackStoresNoNonFiniteValue)
{
    slider.setStateImage({}, 0);
    slider.setSliderBounds({0, 0, 10, 0});
    slider.setValue(0.4f, false);
    EXPECT_FLOAT_EQ(press(5, 0), 0.4f);
    EXPECT_FLOAT_EQ(wheel(0.0f, 1.0f), 0.4f);
}

TEST(SliderFade, TheThumbStaysLitFor50MsThenFadesOver200Ms)
{
    for (auto [ms, fade] : {std::pair{0.0, 1.0f}, {50.0, 1.0f}, {150.0, 0.5f}, {250.0, 0.0f}, {1000.0, 0.0f}})
        EXPECT_FLOAT_EQ(VkJuceSlider::fadeAfterLeaving(ms), fade) << ms;
}
