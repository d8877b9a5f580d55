#pragma once

#include "controls/vk_juce_button.h"

namespace vk
{

class VkJuceEditorBase;

/** What the overlay menu sits on: a layer that dims the whole editor and takes every click meant for the
    controls below it, and a dark panel in the middle that the menu's lines are laid out on.

    [message thread] everything; both parts are drawn by the render thread like any control.
*/
class VkJuceModalBackground
{
public:
    static constexpr int panelWidth = 420;
    static constexpr int maxPanelHeight = 550;

    VkJuceModalBackground();
    virtual ~VkJuceModalBackground();

    /** The layer covers the editor; the panel is 420 wide, centred, as high as the editor up to 550 and
        then centred vertically. In the editor's own coordinates, where its controls live. */
    void layout(const VkJuceEditorBase& editor);
    /** Adds the layer and then the panel on top of the editor's controls. */
    void show(VkJuceEditorBase& editor);
    void hide();

    bool isOpen() const noexcept { return open; }
    juce::Rectangle<int> getPanelBounds() const { return panel.getBounds(); }
    VkJuceButton& getDimmingLayer() noexcept { return layer; }
    VkJuceButton& getPanel() noexcept { return panel; }

private:
    bool open = false;
    VkJuceButton layer{"Modal Background 1"};
    VkJuceButton panel{"Model Background 2"};

    JUCE_DECLARE_NON_COPYABLE(VkJuceModalBackground)
};

} // namespace vk
