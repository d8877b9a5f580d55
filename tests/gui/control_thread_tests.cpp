// The message thread changes controls (texts, images, colours, values, children) while a render thread draws
// them. Run under ThreadSanitizer in CI: every field the renderer reads must be handed over without a race,
// and no image or string may be freed while a frame draws it.
#include "editor_test_support.h"

#include "controls/vk_juce_drag_control.h"
#include "controls/vk_juce_scalable_button.h"
#include "controls/vk_juce_slider.h"
#include "controls/vk_juce_text_edit.h"

#include <gtest/gtest.h>

#include <thread>

using namespace vk;
using namespace vk::test;

namespace
{
juce::Image solid(int w, int h, juce::Colour c)
{
    juce::Image img(juce::Image::ARGB, w, h, true);
    img.clear(img.getBounds(), c);
    return img;
}
} // namespace

TEST(ControlThreads, MessageThreadChangesWhileTheRenderThreadDraws)
{
    ScopedDataFolders folders;
    TestProcessor processor;
    RecordingGlApi gl;
    TestEditorBase editor(processor, &gl, 300, 200);

    VkJuceButton button("m_btn");
    button.setBounds(0, 0, 60, 20);
    button.attachToParameter(5, &editor);
    editor.addControl(&button, -1);
    VkJuceScalableButton scalable("m_scalable");
    scalable.setBounds(0, 30, 60, 30);
    editor.addControl(&scalable, -1);
    VkJuceDragControl knob("m_knob");
    knob.setBounds(70, 0, 40, 40);
    knob.setStepCount(4);
    knob.attachToParameter(3, &editor);
    editor.addControl(&knob, -1);
    VkJuceTextEdit field("m_name");
    field.setBounds(120, 0, 100, 16);
    editor.addControl(&field, -1);
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
                gl.clearCalls();
                gl.uploads.clear();
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
            processor.setParameter(4, (float)(i % 7) / 7.0f);
            editor.timerCallback();
        }
    }

    // Bounded: the renderer must have drawn while the changes ran.
    const auto deadline = juce::Time::getMillisecondCounter() + 20000;
    while (frames.load() < 10 && juce::Time::getMillisecondCounter() < deadline)
        std::this_thread::yield();
    stop.store(true);
    renderer.join();
    EXPECT_GE(frames.load(), 10);
    EXPECT_EQ(field.getText(), texts[1999 % 3]);
}
