#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace vk
{

class ModalTextEditorUser;

/** A frameless, always-on-top, modal one-line editor that floats over a control on the desktop.

    Idle (no user) -> started (timer running, not yet shown) -> shown (a temporary desktop window in JUCE's
    modal state, the timer watching the window's focus) -> idle after the edit ends. Every edit ends, and
    leaves the modal state: Return, a click outside and a focus loss commit the text, Escape delivers the
    starting text. A focus loss in the first 500 ms is not taken as the end (X11 often reports one while the
    window maps): the window takes the focus back and the timer keeps watching.

    [message thread] everything. The object lives as long as its user and is reused for every edit.
*/
class ModalTextEditor : public juce::TextEditor, private juce::TextEditor::Listener, private juce::Timer
{
public:
    static constexpr int settleTimeMs = 500;

    ModalTextEditor();
    ~ModalTextEditor() override;

    /** Shows the editor for the user; an edit still open for another user is committed first. */
    void start(ModalTextEditorUser* user);
    /** Ends the edit: the user receives the editor's text, or the starting text when cancelled. The user
        may delete itself, and with it this editor, while it receives the text; nothing here touches this
        object afterwards. */
    void endEdit(bool cancel);

    /** Arial at that height (ascent plus descent), or the platform's sans-serif where Arial is not
        installed: a face that is not there has no metrics of its own, so its baseline sits at the bottom of
        the line and the glyphs it borrows hang below the box. */
    static juce::Font fontOfHeight(float height);

    bool isEditing() const noexcept { return user != nullptr; }
    bool isShown() const noexcept { return shown; }
    const juce::String& getStartingText() const noexcept { return startingText; }

    void focusLost(FocusChangeType cause) override;
    void inputAttemptWhenModal() override;

    /** The timer's work, callable by tests that drive the editor without waiting. */
    void checkWindow();

private:
    void timerCallback() override { checkWindow(); }
    void textEditorReturnKeyPressed(juce::TextEditor&) override { endEdit(false); }
    void textEditorEscapeKeyPressed(juce::TextEditor&) override { endEdit(true); }

    double startMs = 0.0; // monotonic: a clock set back must not keep the editor open
    ModalTextEditorUser* user = nullptr;
    bool shown = false;
    juce::String startingText;

    JUCE_DECLARE_NON_COPYABLE(ModalTextEditor)
};

/** What a control that accepts typed text holds: the editor and whether an edit is open. */
class ModalTextEditorUser
{
public:
    virtual ~ModalTextEditorUser() = default;

    /** Opens the editor with the text; a read-only editor selects all when focused. */
    virtual void showTextEditor(bool readOnly, const juce::String& text);
    /** [message thread] The edit ended with this text. */
    virtual void textEntered(const juce::String& text) = 0;

    ModalTextEditor& getTextEditor() noexcept { return textEditor; }
    bool isEditing() const noexcept { return editing; }

private:
    friend class ModalTextEditor;
    ModalTextEditor textEditor;
    bool editing = false;
};

} // namespace vk
