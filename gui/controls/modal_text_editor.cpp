#include "modal_text_editor.h"

namespace vk
{

ModalTextEditor::ModalTextEditor() : juce::TextEditor("ModalTextEditor")
{
    setPopupMenuEnabled(false);
    setAlwaysOnTop(true);
    addListener(this);
    setColour(backgroundColourId, juce::Colour(80, 80, 80));
    setColour(outlineColourId, juce::Colours::transparentBlack);
    setColour(focusedOutlineColourId, juce::Colours::transparentBlack);
    setColour(shadowColourId, juce::Colours::transparentBlack);
    setColour(highlightColourId, juce::Colours::black);
    setColour(highlightedTextColourId, juce::Colours::white);
    // No frame is drawn (its colours are transparent), and the box is exactly as tall as the control it
    // covers: a border row above and below would only cut the line's descenders off.
    const auto border = getBorder();
    setBorder({0, border.getLeft(), 0, border.getRight()});
}

juce::Font ModalTextEditor::fontOfHeight(float height)
{
    static const bool hasArial = juce::Font::findAllTypefaceNames().contains("Arial", true);
    return {hasArial ? juce::String("Arial") : juce::Font::getDefaultSansSerifFontName(), height,
            juce::Font::plain};
}

ModalTextEditor::~ModalTextEditor()
{
    stopTimer();
    removeListener(this);
    if (isCurrentlyModal(false))
        exitModalState(0);
}

void ModalTextEditor::start(ModalTextEditorUser* newUser)
{
    if (user != nullptr && user != newUser)
        endEdit(false);
    user = newUser;
    shown = false;
    startingText = getText();
    startMs = juce::Time::getMillisecondCounterHiRes();
    startTimer(1);
    juce::TextEditor::focusGained(focusChangedDirectly);
}

void ModalTextEditor::checkWindow()
{
    if (user == nullptr)
        return;
    if (!shown)
    {
        addToDesktop(juce::ComponentPeer::windowIsTemporary);
        setVisible(true);
        shown = true;
        enterModalState(true);
        if (auto* peer = getPeer())
            peer->toFront(true);
        grabKeyboardFocus();
        repaint();
        return;
    }
    auto* peer = getPeer();
    if (peer != nullptr && !peer->isFocused())
        focusLost(focusChangedDirectly);
}

void ModalTextEditor::focusLost(FocusChangeType cause)
{
    // Committing hands the text to the user, and a listener of the user's control may delete that control,
    // and with it this editor: the base class's handling must then not run.
    juce::Component::SafePointer<juce::Component> self(this);
    if (user != nullptr)
    {
        if (juce::Time::getMillisecondCounterHiRes() - startMs >= settleTimeMs)
        {
            endEdit(false);
        }
        else if (shown)
        {
            // Too early to be the user's doing: keep the window usable and keep watching it.
            if (auto* peer = getPeer())
                peer->toFront(true);
        }
    }
    if (self != nullptr)
        juce::TextEditor::focusLost(cause);
}

void ModalTextEditor::inputAttemptWhenModal()
{
    endEdit(false);
}

void ModalTextEditor::endEdit(bool cancel)
{
    if (user == nullptr)
        return;
    // Taken first: leaving the modal state and the desktop moves the focus, which calls focusLost again.
    auto* finished = user;
    user = nullptr;
    if (cancel)
        setText(startingText, false);
    stopTimer();
    shown = false;
    if (isCurrentlyModal(false))
        exitModalState(0);
    if (isOnDesktop())
        removeFromDesktop();
    setVisible(false);
    finished->editing = false;
    // Last: the user may start a new edit or change this editor from its callback.
    finished->textEntered(getText());
}

void ModalTextEditorUser::showTextEditor(bool readOnly, const juce::String& text)
{
    editing = true;
    textEditor.setCaretVisible(true);
    textEditor.setText(text, false);
    textEditor.setReadOnly(readOnly);
    textEditor.setSelectAllWhenFocused(readOnly);
    textEditor.start(this);
}

} // namespace vk
