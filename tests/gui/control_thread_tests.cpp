// The message thread changes controls and displays (texts, images, colours, values, children, bounds) while
// a render thread draws them. Run under ThreadSanitizer in CI: every field the renderer reads must be handed
// over without a race, and no image or string may be freed while a frame draws it.
#include "editor_test_support.h"
#include "message_pump.h"

#include "c_freq_graph.h"
#include "controls/vk_juce_drag_control.h"
#include "controls/vk_juce_scalable_button.h"
#include "controls/vk_juce_slider.h"
#include "controls/vk_juce_text_edit.h"
#include "vk_juce_control_points_controller.h"
#include "vk_juce_dynamic_display_level_meter.h"

#include <gtest/gtest.h>

#include <thread>

using namespace vk;
using namespace vk::test;

TEST(ControlThreads, MessageThreadChangesWhileTheRenderThreadDraws)
{
    EditorHarness h;
    auto& editor = *h.editor;
    const auto solid = [](int w, int hh, juce::Colour c)
    {
        juce::Image img(juce::Image::ARGB, w, hh, true);
        img.clear(img.getBounds(), c);
        return img;
    };

    VkJuceButton button("m_btn");
    VkJuceScalableButton scalable("m_scalable");
    VkJuceDragControl knob("m_knob");
    VkJuceTextEdit field("m_name");
    const std::pair<VkJuceControl*, juce::Rectangle<int>> placed[] = {{&button, {0, 0, 60, 20}},
                                                                      {&scalable, {0, 30, 60, 30}},
                                                                      {&knob, {70, 0, 40, 40}},
                                                                      {&field, {120, 0, 100, 16}}};
    for (auto [control, bounds] : placed)
    {
        control->setBounds(bounds);
        editor.addControl(control, -1);
    }
    button.attachToParameter(5, &editor);
    button.setFrameImage(solid(8, 8, juce::Colours::white), 1, 0, {1, 1}); // on: a frame instead of text
    knob.setFrameHighlight(true);
    knob.setStepCount(4);
    knob.attachToParameter(3, &editor);
    VkJuceSlider slider("m_slider");
    slider.setStateImage(solid(10, 10, juce::Colours::white), 0);
    slider.setTrackBounds({250, 10, 10, 100}, true);
    slider.setTrackColour(juce::Colours::grey);
    slider.setFillColour(juce::Colours::orange);
    editor.addControl(&slider, -1);

    const juce::Image images[2] = {solid(16, 64, juce::Colours::red), solid(16, 64, juce::Colours::blue)};
    const juce::String texts[3] = {"Wide", "A much longer preset name to draw", ""};

    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
    editor.getOglComponent().setRenderingEnabled(true);
    std::thread renderer(
        [&]
        {
            while (!stop.load())
            {
                editor.getOglComponent().renderOpenGL();
                h.gl.clearCalls();
                h.gl.uploads.clear();
                frames.fetch_add(1);
            }
        });

    for (int i = 0; i < 2000; ++i)
    {
        const int k = i % 3;
        button.setText(texts[k], VkJuceButton::allStates);
        button.setStateImage(images[i % 2], i % 4);
        button.setFillColour(juce::Colour((uint32_t)(0xff000000u | (uint32_t)i)), i % 2);
        button.setBlinking(i % 7 < 3, 0);
        button.setValue((float)(i % 2), true);
        scalable.setText(texts[k], VkJuceButton::allStates);
        scalable.setStateImage(images[(i + 1) % 2], 0);
        knob.setStateImage(images[i % 2], 0);
        knob.setValue((float)(i % 10) / 10.0f, true);
        knob.setBarMode(i % 5 == 0);
        knob.setControlColour(juce::Colours::green.withAlpha((float)(i % 4) / 4.0f));
        field.setText(texts[k]);
        field.setGreyedOut(i % 3 == 0);
        slider.setValue((float)(i % 20) / 20.0f, true);
        slider.setThumbOffset({i % 3, 0});
        // Frames take sizes from the render copy of the bounds, never from juce's fields rewritten here.
        for (auto [control, bounds] : placed)
            control->setBounds(bounds.expanded(i % 4, i % 3));
        slider.setTrackBounds({250 + i % 3, 10, 10, 100 + i % 9}, true);
        if (i % 50 == 0)
        {
            // A control that comes and goes while frames run.
            auto passing = std::make_unique<VkJuceButton>("m_passing");
            passing->setBounds(0, 100, 30, 30);
            passing->setText("x", VkJuceButton::allStates);
            editor.addControl(passing.get(), -1);
            passing->setValue(1.0f, false);
        }
        if (i % 100 == 0)
        {
            h.processor.setParameter(4, (float)(i % 7) / 7.0f);
            editor.timerCallback();
        }
    }

    // Bounded: the renderer must have drawn while the changes ran.
    pumpUntil([&] { return frames.load() >= 10; }, 20000);
    stop.store(true);
    renderer.join();
    EXPECT_GE(frames.load(), 10);
    EXPECT_EQ(field.getText(), texts[1999 % 3]);
}

namespace
{
class Handles : public VkJuceControlPointsController
{
public:
    using VkJuceControlPointsController::VkJuceControlPointsController;
    ~Handles() override { leaveRenderWalk(); }
    void updatePoints() override {}
};

struct SteadySource : VkJuceDisplaySource
{
    float getValue() const override { return -12.0f; }
};
} // namespace

TEST(ControlThreads, DisplaysResizedWhileTheRenderThreadDrawsThem)
{
    EditorHarness h;
    ManualDisplayClock clock;
    SteadySource level;
    VkJuceDynamicDisplayLevelMeter meter("m_meter", clock);
    meter.setDataSource(&level);
    Handles handles(clock);
    juce::Image dot(juce::Image::ARGB, 8, 8, true);
    dot.clear(dot.getBounds(), juce::Colours::red);
    handles.getTexture(0).setImage(dot);
    VkControlPoint point;
    point.x = point.y = 20.0f;
    point.size = 4.0f;
    point.texture = &handles.getTexture(0);
    point.keepInside = true;
    handles.setPoint(0, point);
    handles.setPointCount(1);
    CFreqGraph graph(clock);
    VkJuceControl* const all[] = {&meter, &handles, &graph};
    for (auto* c : all)
        h.editor->addControl(c, -1);

    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
    h.editor->getOglComponent().setRenderingEnabled(true);
    std::thread renderer(
        [&]
        {
            for (; !stop.load(); frames.fetch_add(1))
            {
                h.editor->getOglComponent().renderOpenGL();
                h.gl.clearCalls();
                h.gl.uploads.clear();
                clock.advance(16);
            }
        });
    for (int i = 0; i < 300; ++i)
    {
        for (int k = 0; k < 3; ++k)
            all[k]->setBounds(k * 60, i % 5, 20 + i % 17, 12 + i % 40);
        if (i % 30 == 0) // now and then the frames must have drawn the sizes in between
            pumpUntil([&, seen = frames.load()] { return frames.load() > seen; }, 2000);
    }
    pumpUntil([&] { return frames.load() >= 10; }, 20000);
    stop.store(true);
    renderer.join();
    EXPECT_GE(frames.load(), 10);
    for (auto* c : all)
        EXPECT_EQ(c->getRenderBounds(), c->getBounds()) << c->getName();
}
