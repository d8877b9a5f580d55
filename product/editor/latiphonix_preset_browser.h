#pragma once

// The product's preset browser and the trigger button that opens it.
//
// How the product editor uses them (it owns the trigger as the member "m_btnPresetBrowserTriggerButton"):
//
//     vk::LatiphonixPresetBrowserTriggerButton
//     m_btnPresetBrowserTriggerButton{"m_btnPresetBrowserTriggerButton"};
//     ...
//     m_btnPresetBrowserTriggerButton.attachToParameter(9999, this);   // unbound; the editor becomes its
//     owner m_btnPresetBrowserTriggerButton.setImageStrip(stripImage);       // the 16 x 32 two-frame strip
//     addControl(&m_btnPresetBrowserTriggerButton, -1);
//     m_btnPresetBrowserTriggerButton.addListener(this);
//     m_btnPresetBrowserTriggerButton.setBounds(495, 7, 16, 16);      // momentary already
//
// Optional before the first press: setBrowserSettings (close on choose, "Set current as default", the
// parameter range a factory preset loads, category mask, numbers) and setBrowserFont. Pressing the button
// opens the pop-up and, the first time, creates a LatiphonixPresetBrowser named "LatiphonixPresetBrowsers";
// the trigger owns it and deletes it in its destructor, so the editor need not do anything more. The
// editor's destructor stops the render thread before its members go, as it does for every control. Should
// the processor be in preset-file mode when the button is first pressed, it opens the preset file browser
// ("VkJucePresetFileBrowser") instead.

#include "presets/vk_juce_preset_browser_trigger_button.h"

namespace vk
{

/** The browser with the product's own grid: every entry on one page, as many columns as the entries need,
    sharing the panel's width, "Close" and "Set current as default" at fixed places along the bottom, no page
    buttons.

    [message thread] as the preset browser; layoutGrid on either thread under the grid lock.
*/
class LatiphonixPresetBrowser : public VkJucePresetBrowser
{
public:
    LatiphonixPresetBrowser(VkJucePresetBrowserTriggerButton* owner, VkJuceEditorBase* editor,
                            const juce::String& componentName);
    ~LatiphonixPresetBrowser() override;

    void layoutGrid(PresetBrowserGrid& grid, const PresetBrowserEntries& entries,
                    VkJuceOglFont* font) const override;
};

/** Creates a LatiphonixPresetBrowser and, on every show rather than only at creation, copies the settings
    that shape the grid and the choosing into it; the category mask only at creation. Its pop-up's "Close"
    goes inside the panel, above the grid. */
class LatiphonixPresetBrowserTriggerButton : public VkJucePresetBrowserTriggerButton
{
public:
    explicit LatiphonixPresetBrowserTriggerButton(const juce::String& componentName);
    ~LatiphonixPresetBrowserTriggerButton() override;

    void showPopUp() override;

protected:
    std::unique_ptr<VkJucePresetBrowser> makeBrowser() override;

private:
    void placeCloseButton();
};

} // namespace vk
