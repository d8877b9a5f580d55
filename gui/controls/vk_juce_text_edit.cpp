#include "vk_juce_text_edit.h"

#include "vk_juce_ogl_font.h"
#include "vk_ogl_component.h"

namespace vk
{

VkJuceTextEdit::VkJuceTextEdit(const juce::String& componentName) : VkJuceControlWithHelpers(componentName)
{
    juce::ignoreUnused(reserved);
    // One line in a box of its own: a long name must never run over the controls beside the field.
    setTextFitted(true);
}

VkJuceTextEdit::~VkJuceTextEdit()
{
    leaveRenderWalk();
}

void VkJuceTextEdit::setText(const juce::String& newText)
{
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    if (text != newText)
        text = newText;
}

juce::String VkJuceTextEdit::getText() const
{
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    return text;
}

void VkJuceTextEdit::mouseDown(const juce::MouseEvent& event)
{
    if (offerHostMouseDown(event))
        return;
    auto& editor = getTextEditor();
    editor.setBounds(getScreenBounds());
    editor.setIndents(1, 1);
    editor.setColour(juce::TextEditor::textColourId, getTextColour());
    editor.setColour(juce::TextEditor::backgroundColourId, editingBackgroundColour);
    auto* font = getEffectiveFont();
    const auto typed = ModalTextEditor::fontOfHeight(font != nullptr ? (float)font->getLineHeight() : 14.0f);
    editor.setFont(typed);
    editor.applyFontToAllText(typed);
    showTextEditor(isGreyedOut(), getText());
}

void VkJuceTextEdit::textEntered(const juce::String& typed)
{
    setText(typed);
    sendValueChanged();
}

void VkJuceTextEdit::render(int elapsedMs)
{
    juce::ignoreUnused(elapsedMs);
    auto* top = getOglComponent();
    if (top == nullptr)
        return;
    auto& cache = top->getStateCache();
    cache.setTexturing(false);
    cache.setBlending(true);
    cache.setColour(backgroundColour.get());
    cache.apply();
    const auto area = getRenderBounds();
    top->getGlApi().recti(0, 0, area.getWidth(), area.getHeight());
    cache.setColour(getTextColour());
    renderText(getText(), getJustification());
    renderFrameHighlight();
}

} // namespace vk
