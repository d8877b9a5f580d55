#include "vk_juce_modal_background.h"

#include "editor/vk_juce_editor_base.h"

namespace vk
{

VkJuceModalBackground::VkJuceModalBackground()
{
    layer.setFillColour(juce::Colour((uint8_t)0, (uint8_t)0, (uint8_t)0, (uint8_t)128),
                        VkJuceButton::allStates);
    panel.setFillColour(juce::Colour((uint8_t)64, (uint8_t)64, (uint8_t)64, (uint8_t)240),
                        VkJuceButton::allStates);
}

VkJuceModalBackground::~VkJuceModalBackground() = default;

void VkJuceModalBackground::layout(const VkJuceEditorBase& editor)
{
    const int w = editor.getWidth(), h = editor.getHeight();
    layer.setBounds(0, 0, w, h);
    if (h > maxPanelHeight)
        panel.setBounds(w / 2 - panelWidth / 2, (h - maxPanelHeight) / 2, panelWidth, maxPanelHeight);
    else
        panel.setBounds(w / 2 - panelWidth / 2, 0, panelWidth, h);
}

void VkJuceModalBackground::show(VkJuceEditorBase& editor)
{
    editor.addControl(&layer, -1);
    editor.addControl(&panel, -1);
    open = true;
}

void VkJuceModalBackground::hide()
{
    layer.setVisible(false);
    panel.setVisible(false);
    open = false;
}

} // namespace vk
