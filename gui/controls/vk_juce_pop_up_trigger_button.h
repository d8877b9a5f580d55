#pragma once

#include "vk_juce_button.h"

namespace vk
{

/** A momentary button whose press opens a pop-up over the whole editor: a dimmed background, the pop-up
    panel and a "Close" button, all three listening to the trigger. Subclasses fill the panel in showPopUp
    and empty it in hidePopUp.

    The press opens a gesture that closing the pop-up ends, so listeners always see a begin/end pair.

    [message thread] everything but rendering.
*/
class VkJucePopUpTriggerButton : public VkJuceButton, public VkJuceControl::Listener
{
public:
    explicit VkJucePopUpTriggerButton(const juce::String& componentName);
    ~VkJucePopUpTriggerButton() override;

    /** The background over the whole editor; the pop-up inside the editor less 30 pixels unless it has a
        size already. */
    void layoutPopUp();
    virtual void showPopUp() {}
    virtual void hidePopUp() {}
    virtual void prepareCloseButton(VkJuceButton& button);
    /** For subclasses' item buttons: colour, font, added to the editor, heard by the trigger and the editor.
     */
    virtual void prepareItemButton(VkJuceButton& button);

    void openPopUp();
    void closePopUp();
    bool isPopUpOpen() const noexcept { return popUpOpen; }

    void controlValueChanged(VkJuceControl* control) override;
    void mouseDown(const juce::MouseEvent& event) override;
    void mouseUp(const juce::MouseEvent& event) override;

    void setCloseOnPopUpClick(bool c) noexcept { closeOnPopUpClick = c; }
    void setCloseOnBackgroundClick(bool c) noexcept { closeOnBackgroundClick = c; }
    void setShowCloseButton(bool s) noexcept { showCloseButton = s; }
    void setTransparentBackground(bool t) noexcept { transparentBackground = t; }

    VkJuceButton& getBackgroundButton() noexcept { return background; }
    VkJuceButton& getPopUpButton() noexcept { return popUp; }
    VkJuceButton& getCloseButton() noexcept { return closeButton; }

private:
    bool closeOnPopUpClick = false;
    bool closeOnBackgroundClick = true;
    bool showCloseButton = true;
    bool transparentBackground = false;
    bool popUpOpen = false;
    VkJuceButton background;
    VkJuceButton popUp;
    VkJuceButton closeButton;
};

} // namespace vk
