// The GL state cache's order and minimal updates, and the small drawing helpers.
#include "gl_state_cache.h"
#include "ogl_draw_helpers.h"
#include "recording_gl_api.h"
#include "vk_component_fade_effect.h"

#include <gtest/gtest.h>

using namespace vk;
using vk::test::RecordingGlApi;
using Args = std::vector<double>;

TEST(GlStateCache, SendsOnlyWhatChangedInTheFixedOrder)
{
    RecordingGlApi gl;
    GlStateCache cache(gl);
    cache.resetAll();
    // A full reset sends every state with everything off, then the defaults where they differ.
    EXPECT_EQ(gl.count("color4f"), 2);
    EXPECT_EQ(gl.only("color4f").back().args, (Args{1, 1, 1, 1}));
    for (const char* state : {"blendFunc", "lineWidth", "pointSize"})
        EXPECT_EQ(gl.count(state), 1) << state;
    gl.clearCalls();

    cache.setColour(juce::Colours::red);
    cache.apply();
    cache.setColour(juce::Colours::red);
    cache.apply();
    cache.apply();
    EXPECT_EQ(gl.names(), (std::vector<std::string>{"color4f"}));
    EXPECT_EQ(gl.calls[0].args, (Args{1.0, 0.0, 0.0, 1.0}));

    gl.clearCalls();
    cache.setTexturing(true);
    cache.setScissor(true);
    cache.setBlendFunction(GlEnum::srcAlpha, GlEnum::one);
    cache.setLineWidth(2.0f);
    cache.setPointSize(3.0f);
    cache.setColour(juce::Colours::blue);
    cache.apply();
    EXPECT_EQ(gl.names(), (std::vector<std::string>{"color4f", "enable", "enable", "blendFunc", "lineWidth",
                                                    "pointSize"}));
    EXPECT_EQ(gl.calls[1].args[0], GlEnum::texture2D);
    EXPECT_EQ(gl.calls[2].args[0], GlEnum::scissorTest);
}

TEST(GlStateCache, ResetDefaultsTurnsEverythingOffThenRequestsTheDrawingDefaultsAndSavedStateComesBack)
{
    RecordingGlApi gl;
    GlStateCache cache(gl);
    cache.resetAll();
    cache.setTexturing(true);
    cache.setColour(juce::Colours::green);
    cache.apply();
    gl.clearCalls();
    cache.resetDefaults();
    // The all-off state went to GL: colour 0, texturing off.
    EXPECT_EQ(gl.only("color4f").at(0).args, (Args{0, 0, 0, 0}));
    EXPECT_EQ(gl.count("disable"), 2); // blend and texture
    const auto& requested = cache.getRequested();
    EXPECT_EQ(requested.colour, juce::Colours::white);
    EXPECT_TRUE(requested.blending && !requested.texturing);
    EXPECT_EQ(requested.blendDst, GlEnum::oneMinusSrcAlpha);
    // An opaque white request after a reset still reaches GL.
    gl.clearCalls();
    cache.resetAll();
    EXPECT_EQ(gl.only("color4f").back().args, (Args{1, 1, 1, 1}));

    // Text drawing saves and restores what was requested.
    cache.setColour(juce::Colours::orange);
    cache.setTexturing(false);
    cache.saveRequested();
    cache.setColour(juce::Colours::black);
    cache.setTexturing(true);
    cache.restoreRequested();
    EXPECT_EQ(cache.getRequested().colour, juce::Colours::orange);
    EXPECT_FALSE(cache.getRequested().texturing);
}

TEST(DrawingHelpers, StripFramesInterpolationAndFadeEffect)
{
    const juce::Image strip(juce::Image::ARGB, 40, 90, true);
    EXPECT_EQ(getImageStripFrameBounds(strip, 2, 3), juce::Rectangle<int>(0, 60, 40, 30));
    EXPECT_EQ(getImageStripFrameBounds(strip, 0, 0), juce::Rectangle<int>(0, 0, 40, 90));
    EXPECT_TRUE(getImageStripFrameBounds(juce::Image(), 0, 2).isEmpty());
    EXPECT_EQ(getImageStripFrame(strip, 1, 3).getBounds(), juce::Rectangle<int>(0, 0, 40, 30));
    EXPECT_TRUE(getImageStripFrame(juce::Image(), 0, 3).isNull());
    EXPECT_TRUE(getImageStripFrame(strip, 5, 3).isNull()); // past the strip's end

    EXPECT_EQ(interpolateColour(juce::Colours::black, juce::Colours::white, 0.5f),
              juce::Colour(127, 127, 127));
    EXPECT_EQ(interpolateColour(juce::Colours::red, juce::Colours::blue, -1.0f), juce::Colours::red);
    EXPECT_EQ(interpolateColour(juce::Colours::red, juce::Colours::blue, 2.0f), juce::Colours::blue);
    EXPECT_TRUE(getImageFromResource("logo_48x48").isValid());
    EXPECT_TRUE(getImageFromResource("no_such_image").isNull());

    VkComponentFadeEffect fade;
    EXPECT_FLOAT_EQ(fade.getAlpha(), 1.0f);
    fade.setFadeRange(0, 100, 0, 50);
    fade.updateFade(25, 100);
    EXPECT_EQ((std::vector<float>{fade.getFactorX(), fade.getFactorY(), fade.getAlpha()}),
              (std::vector<float>{0.25f, 1.0f, 0.25f}));
    fade.updateFade(-10, 10);
    EXPECT_EQ((std::vector<float>{fade.getFactorX(), fade.getAlpha()}), (std::vector<float>{0.0f, 0.0f}));
    fade.setFadeRange(10, 10, 0, 50); // empty on x: nothing changes
    fade.updateFade(5, 25);
    EXPECT_FLOAT_EQ(fade.getFactorX(), 0.0f);
    EXPECT_EQ(fade.getLastX(), -10);
}
