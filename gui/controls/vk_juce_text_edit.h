#pragma once

#include "modal_text_editor.h"
#include "vk_juce_control_with_helpers.h"

namespace vk
{

/** A one-line text field (the preset name field) that opens the modal text editor on a single click; a
    greyed-out field opens read-only. Typed text is stored and announced with sendValueChanged, so listeners
    read it with getText.

    The text is drawn inside the field whatever its length (see setTextFitted); the text as set or typed is
    what getText gives and listeners receive. While it is edited, the modal editor covers exactly the field
    and scrolls a text too long for it.

    The text is swapped under renderDataLock and the renderer draws a copy taken under the same lock: a text
    is never replaced while it is drawn, and setText never waits for a frame.

    [message thread] setters, mouse, typed text. [render thread] render.
*/
class VkJuceTextEdit : public VkJuceControlWithHelpers, public ModalTextEditorUser
{
public:
    explicit VkJuceTextEdit(const juce::String& componentName);
    ~VkJuceTextEdit() override;

    void render(int elapsedMs) override;
    void mouseDown(const juce::MouseEvent& event) override;
    void textEntered(const juce::String& typed) override;

    void setText(const juce::String& newText);
    juce::String getText() const;
    void setBackgroundColour(juce::Colour c) noexcept { backgroundColour.set(c); }
    void setEditingBackgroundColour(juce::Colour c) noexcept { editingBackgroundColour = c; }
    using VkJuceOglFontUser::setTextColour;

private:
    int reserved = 0;
    AtomicColour backgroundColour{juce::Colour(50, 50, 50)};
    juce::Colour editingBackgroundColour{juce::Colour(80, 80, 80)};
    juce::String text; // only under renderDataLock
};

} // namespace vk
