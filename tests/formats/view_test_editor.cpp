#include "view_test_editor.h"

namespace vk::test
{

std::atomic<ViewEditor*> ViewEditor::open{nullptr};

ViewEditor::ViewEditor(TestProcessor& p) : TestEditorBase(p, nullptr, 200, 120)
{
    button.setBounds(10, 10, 40, 30);
    button.setFillColour(juce::Colours::red, 0);
    button.setFillColour(juce::Colours::lime, 1);
    button.attachToParameter(5, this);
    addControl(&button, -1);

    juce::Image strip(juce::Image::ARGB, 40, 80, true);
    strip.clear({0, 0, 40, 40}, juce::Colours::blue);
    strip.clear({0, 40, 40, 40}, juce::Colours::yellow);
    knob.setStepCount(2);
    knob.setStateImage(strip, 0);
    knob.setBounds(100, 10, 40, 40);
    knob.attachToParameter(3, this);
    addControl(&knob, -1);
    getOglComponent().setRenderingEnabled(true);
    open.store(this);
}

void ViewEditor::onTimerTick()
{
    TestEditorBase::onTimerTick();
    const bool grown = getProcessorBase().getParameter(kSizeParameter) > 0.5f;
    setSize(grown ? 260 : 200, grown ? 150 : 120);
}

ViewEditor::~ViewEditor()
{
    getOglComponent().stopRenderThread();
    open.store(nullptr);
}

} // namespace vk::test
