#pragma once

#include "vk_juce_preset_browser.h"

#include "controls/vk_juce_pop_up_trigger_button.h"

#include <memory>

namespace vk
{

/** The editor's button that opens and closes the preset browser over the editor.

    It creates its browser on first show and keeps it until the button goes; hiding only hides it. The
    browser settings are copied into the browser when it is created, so they should be set before the first
    show (a product may copy more on every show, see showPopUp).

    [message thread] everything but rendering.
*/
class VkJucePresetBrowserTriggerButton : public VkJucePopUpTriggerButton
{
public:
    explicit VkJucePresetBrowserTriggerButton(const juce::String& componentName);
    ~VkJucePresetBrowserTriggerButton() override;

    /** Creates the browser, when there is none, and hands it the settings. */
    virtual void createPopUp();
    /** Puts the browser over the pop-up area, on top, listened to, with its font, and tells it it opened. */
    void showPopUp() override;
    void hidePopUp() override;

    VkJucePresetBrowser* getBrowser() const noexcept { return browser.get(); }
    void setBrowserSettings(const PresetBrowserSettings& s) noexcept { browserSettings = s; }
    const PresetBrowserSettings& getBrowserSettings() const noexcept { return browserSettings; }
    /** Null: the browser uses the editor's 11-pixel font. */
    void setBrowserFont(VkJuceOglFont* font) noexcept { browserFont = font; }

protected:
    /** The browser class to create, the trigger its owner and the trigger's editor its editor: the preset
        file browser while the processor is in preset-file mode, else the preset browser. */
    virtual std::unique_ptr<VkJucePresetBrowser> makeBrowser();

private:
    PresetBrowserSettings browserSettings;
    VkJuceOglFont* browserFont = nullptr;
    std::unique_ptr<VkJucePresetBrowser> browser;
};

} // namespace vk
