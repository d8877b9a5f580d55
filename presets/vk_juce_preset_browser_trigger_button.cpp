#include "vk_juce_preset_browser_trigger_button.h"

#include "vk_juce_preset_file_browser.h"

#include "editor/vk_juce_editor_base.h"

namespace vk
{

VkJucePresetBrowserTriggerButton::VkJucePresetBrowserTriggerButton(const juce::String& componentName)
    : VkJucePopUpTriggerButton(componentName)
{
}

VkJucePresetBrowserTriggerButton::~VkJucePresetBrowserTriggerButton()
{
    leaveRenderWalk();
    // The browser refers to this button as its owner; it goes first.
    browser.reset();
}

std::unique_ptr<VkJucePresetBrowser> VkJucePresetBrowserTriggerButton::makeBrowser()
{
    auto* editor = getOwnerEditor();
    if (editor != nullptr && editor->getProcessorBase().isPresetFileMode())
        return std::make_unique<VkJucePresetFileBrowser>(this, editor, "VkJucePresetFileBrowser");
    return std::make_unique<VkJucePresetBrowser>(this, editor, "VkJucePresetBrowsers");
}

void VkJucePresetBrowserTriggerButton::createPopUp()
{
    if (browser != nullptr)
        return;
    browser = makeBrowser();
    if (browser != nullptr)
        browser->setSettings(browserSettings);
}

void VkJucePresetBrowserTriggerButton::showPopUp()
{
    createPopUp();
    auto* editor = getOwnerEditor();
    if (editor == nullptr || browser == nullptr)
        return;
    browser->addListener(this);
    browser->setBounds(getPopUpButton().getBounds());
    editor->addControl(browser.get(), -1);
    browser->setBrowserFont(browserFont != nullptr ? browserFont
                                                   : editor->getOglComponent().getFontForSize(11));
    browser->browserOpened();
}

void VkJucePresetBrowserTriggerButton::hidePopUp()
{
    if (browser == nullptr)
        return;
    browser->setVisible(false);
    browser->browserClosed();
}

} // namespace vk
