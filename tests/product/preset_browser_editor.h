#pragma once

// A product-sized editor (640 x 435) holding the product's preset browser trigger where the product editor
// places it, over the real product processor.
#include "product/editor/latiphonix_preset_browser.h"

#include "editor/vk_juce_editor_base.h"

namespace vk::test
{

class PresetBrowserEditor : public VkJuceEditorBase
{
public:
    explicit PresetBrowserEditor(VkJuceProcessorBase& p, GlApi* headlessApi = nullptr)
        : VkJuceEditorBase(p, headlessApi)
    {
        setSize(640, 435);
        trigger.attachToParameter(VkJuceControl::noParameter, this);
        addControl(&trigger, -1);
        trigger.addListener(this);
        trigger.setBounds(495, 7, 16, 16);
        trigger.setFillColour(juce::Colours::orange, VkJuceButton::allStates);
    }
    ~PresetBrowserEditor() override { getOglComponent().stopRenderThread(); }
    void loadBackground() override {}

    LatiphonixPresetBrowserTriggerButton trigger{"m_btnPresetBrowserTriggerButton"};
};

} // namespace vk::test
