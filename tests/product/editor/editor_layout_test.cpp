// The editor's layout rules beyond the placement table itself: the slider's track, which layer takes
// clicks, continuous and stepped drags, greyed display-only controls and momentary command buttons; the
// frame every knob shows when the editor opens.

#include "editor_test_support.h"

#include "ogl_draw_helpers.h"

#include <limits>

namespace latiphonix::test
{
namespace
{

// The frame of the strip a texture upload holds: the one whose colours lie nearest to the uploaded bytes.
// The distance goes back with it.
std::pair<int, long> nearestFrame(const vk::test::RecordingGlApi::Upload& upload, const juce::Image& strip,
                                  int frames)
{
    const int bytesPerPixel = upload.format == vk::GlEnum::bgra ? 4 : 3;
    const int rowBytes =
        (upload.width * bytesPerPixel + upload.alignment - 1) / upload.alignment * upload.alignment;
    std::pair<int, long> best{-1, std::numeric_limits<long>::max()};
    for (int k = 0; k < frames; ++k)
    {
        const auto frame = vk::getImageStripFrame(strip, k, frames);
        if (frame.getWidth() != upload.width || frame.getHeight() != upload.height)
            continue;
        const juce::Image::BitmapData bits(frame, juce::Image::BitmapData::readOnly);
        long distance = 0;
        for (int y = 0; y < upload.height && distance < best.second; ++y)
            for (int x = 0; x < upload.width; ++x)
            {
                const auto c = bits.getPixelColour(x, y);
                const uint8_t* p = upload.pixels.data() + (size_t)(y * rowBytes + x * bytesPerPixel);
                distance += std::abs(p[0] - c.getBlue()) + std::abs(p[1] - c.getGreen()) +
                            std::abs(p[2] - c.getRed()) +
                            (bytesPerPixel == 4 ? std::abs(p[3] - c.getAlpha()) : 0);
            }
        if (distance < best.second)
            best = {k, distance};
    }
    return best;
}

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

TEST_F(EditorTest, EveryKnobShowsTheFrameOfItsValueWhenTheEditorOpens)
{
    const std::pair<const char*, const char*> knobs[] = {{"m_dragResolution", "drag_resolution"},
                                                         {"m_dragDYNShape", "drag_dyn_shape"},
                                                         {"m_btnAutoLevel", "auto_level"},
                                                         {"m_dragAcuity", "drag_acuity"}};
    // Factory presets with 10 and 4 IID band pairs, one with a Dynamics Shape of its own, one with the
    // automatic trim on; on top, values a user set before opening the editor again (-1: none).
    struct Setting
    {
        int program;
        float resolution, shape;
    };
    for (const Setting& s : {Setting{0, -1.0f, -1.0f}, Setting{10, -1.0f, -1.0f}, Setting{13, -1.0f, 0.004f},
                             Setting{18, 0.007f, 0.001f}})
    {
        SCOPED_TRACE(s.program);
        processor->setCurrentProgram(s.program);
        if (s.resolution >= 0.0f)
            set(kResolution, s.resolution);
        if (s.shape >= 0.0f)
            set(kDynamicsShape, s.shape);
        gl.uploads.clear();
        open();
        frame();
        for (const auto& [member, strip] : knobs)
        {
            const auto& drag = dynamic_cast<vk::VkJuceDragControl&>(control(member));
            const float v = drag.getValue();
            const int steps = drag.getStepCount();
            const int expected = std::min(
                drag.isContinuous() ? (int)((float)steps * v) : (int)(v * 1000.0f + 0.5f), steps - 1);
            // The upload of the control's size that is nearest to one of its strip's frames is its own.
            const auto image = vk::getImageFromResource(strip);
            std::pair<int, long> shown{-1, std::numeric_limits<long>::max()};
            for (const auto& upload : gl.uploads)
                if (upload.width == drag.getWidth() && upload.height == drag.getHeight())
                    shown = std::min(shown, nearestFrame(upload, image, steps),
                                     [](auto& x, auto& y) { return x.second < y.second; });
            EXPECT_EQ(shown.first, expected) << member << " at " << v;
        }
        EXPECT_EQ(control("m_dragResolution").getValue(), get(kResolution));
        processor->editorBeingDeleted(editor.get());
        editor.reset();
    }
}

} // namespace
} // namespace latiphonix::test
