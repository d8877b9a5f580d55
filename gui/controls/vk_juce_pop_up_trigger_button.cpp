#include "vk_juce_pop_up_trigger_button.h"

#include "editor/vk_juce_editor_base.h"

namespace vk
{

VkJucePopUpTriggerButton::VkJucePopUpTriggerButton(const juce::String& componentName)
    : VkJuceButton(componentName), background(componentName + ".m_btnPopUpBackground"),
      popUp(componentName + ".m_btnPopUp"), closeButton(componentName + ".m_btnClose")
{
    setMomentary(true);
}

VkJucePopUpTriggerButton::~VkJucePopUpTriggerButton()
{
    leaveRenderWalk();
}

void VkJucePopUpTriggerButton::layoutPopUp()
{
    auto* editor = getOwnerEditor();
    if (editor == nullptr)
        return;
    background.setBounds(editor->getLocalBounds());
    if (popUp.getBounds().isEmpty())
        popUp.setBounds(editor->getLocalBounds().reduced(30));
}

void VkJucePopUpTriggerButton::prepareCloseButton(VkJuceButton& button)
{
    auto& ogl = getOwnerEditor()->getOglComponent();
    button.setFillColour(juce::Colours::transparentBlack, allStates);
    button.setTextColour(juce::Colours::white, allStates);
    button.setFont(ogl.getFontForSize(12));
    button.setFont(ogl.getFontForSize(14));
    button.setFillColour(juce::Colour((uint8_t)255, (uint8_t)128, (uint8_t)64, (uint8_t)100), allStates);
}

void VkJucePopUpTriggerButton::prepareItemButton(VkJuceButton& button)
{
    auto* editor = getOwnerEditor();
    if (editor == nullptr)
        return;
    button.setControlColour(juce::Colour((uint8_t)150, (uint8_t)150, (uint8_t)150, (uint8_t)100));
    button.setFont(editor->getOglComponent().getFontForSize(14));
    button.setTextColour(juce::Colours::white, allStates);
    editor->addControl(&button, -1);
    button.addListener(this);
    button.addListener(editor);
}

void VkJucePopUpTriggerButton::openPopUp()
{
    auto* editor = getOwnerEditor();
    if (editor == nullptr || popUpOpen)
        return;
    popUpOpen = true;

    background.setBounds(editor->getLocalBounds());
    background.addListener(this);
    background.setFillColour(transparentBackground
                                 ? juce::Colours::transparentBlack
                                 : juce::Colour((uint8_t)0, (uint8_t)0, (uint8_t)0, (uint8_t)128),
                             allStates);
    editor->addControl(&background, -1);

    if (popUp.getBounds().isEmpty())
        popUp.setBounds(editor->getLocalBounds().reduced(30));
    popUp.setFillColour(juce::Colour((uint8_t)64, (uint8_t)64, (uint8_t)64, (uint8_t)240), allStates);
    popUp.addListener(this);
    editor->addControl(&popUp, -1);

    if (showCloseButton)
    {
        // On top of the pop-up in the editor rather than inside the trigger: a child outside its parent's
        // bounds could never be clicked.
        closeButton.addListener(this);
        closeButton.setBounds(popUp.getRight() - 74, getBottom() - 28, 52, 16);
        closeButton.setText("Close", allStates);
        closeButton.setMomentary(true);
        editor->addControl(&closeButton, -1);
        prepareCloseButton(closeButton);
    }
    showPopUp();
}

void VkJucePopUpTriggerButton::closePopUp()
{
    if (!popUpOpen)
        return;
    popUpOpen = false;
    background.setVisible(false);
    popUp.setVisible(false);
    closeButton.setVisible(false);
    hidePopUp();
    endChangeGesture();
}

void VkJucePopUpTriggerButton::controlValueChanged(VkJuceControl* control)
{
    if (control == &closeButton || (control == &background && closeOnBackgroundClick) ||
        (control == &popUp && closeOnPopUpClick))
        closePopUp();
}

void VkJucePopUpTriggerButton::mouseDown(const juce::MouseEvent& event)
{
    if (offerHostMouseDown(event) || isGreyedOut() || popUpOpen)
        return;
    juce::Component::SafePointer<juce::Component> self(this);
    beginChangeGesture();
    if (self != nullptr)
        openPopUp();
}

void VkJucePopUpTriggerButton::mouseUp(const juce::MouseEvent& event)
{
    // The gesture stays open until the pop-up closes.
    offerHostMouseUp(event);
}

} // namespace vk
