#pragma once

#include "modal_text_editor.h"
#include "vk_juce_control_with_helpers.h"

namespace vk
{

/** The editor's knob: one frame of an image strip (or a coloured bar with the parameter's text) whose value
    follows drags in any direction and the mouse wheel, continuously or in steps of 0.001, and into which a
    value can be typed after a double click when text entry is unlocked and a conversion function is set.

    With the initial sensitivity a continuous control crosses its range in 200 pixels (2,000 with the fine
    modifier); a stepped control moves one step per 50 pixels. Non-finite results of the arithmetic or of a
    conversion are dropped, never stored.

    [message thread] mouse, setters, typed text. [render thread] render.
*/
class VkJuceDragControl : public VkJuceControlWithHelpers, public ModalTextEditorUser
{
public:
    using ConvertFunction = float (*)(const juce::String&);

    explicit VkJuceDragControl(const juce::String& componentName);
    ~VkJuceDragControl() override;

    void render(int elapsedMs) override;
    /** Limits (notifying calls only), then the maximum and wrap, then the base. */
    void setValue(float newValue, bool notify) override;
    void beginChangeGesture() override;
    void endChangeGesture() override;
    void valueChanged(float newValue) override;
    void updateAppearance() override;
    void selectStateImage(int state) override;
    virtual void setSensitivity(float factor);
    virtual bool isActive() const;
    virtual juce::String getText() const;
    virtual void setConvertFunction(ConvertFunction function);
    virtual float getMaxValue() const;

    void textEntered(const juce::String& text) override;

    void setStepCount(int steps);
    int getStepCount() const noexcept { return stepCount.load(); }
    /** Chooses the frame again: the same value shows another frame once it is read as a step. */
    void setContinuous(bool isContinuous);
    bool isContinuous() const noexcept { return continuous.load(); }
    void setWrap(bool shouldWrap) noexcept { wrap = shouldWrap; }
    void setBarMode(bool bar) noexcept { barMode.store(bar); }
    void setTextEntryLocked(bool locked) noexcept { textEntryLocked = locked; }
    void setDragEnabled(bool enabled) noexcept { dragEnabled = enabled; }
    void setTextBackgroundColour(juce::Colour c) noexcept { textBackgroundColour = c; }
    void setText(const juce::String& newText);
    void setCustomTint(bool on, juce::Colour tint);
    void setLimits(bool on, float lower, float upper);
    float getSensitivity() const noexcept { return sensitivity; }

    void mouseDown(const juce::MouseEvent& event) override;
    void mouseDrag(const juce::MouseEvent& event) override;
    void mouseUp(const juce::MouseEvent& event) override;
    void mouseDoubleClick(const juce::MouseEvent& event) override;
    void mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;

private:
    float getStepFactor() const noexcept { return isContinuous() ? 1.0f : 0.004f; }
    bool canDrag(const juce::MouseEvent& event);

    std::atomic<int> stepCount{1};
    std::atomic<bool> continuous{true};
    bool wrap = false;
    float dragStartValue = 0.0f;
    juce::Point<int> lastMousePosition;
    float sensitivity = 0.005f;
    std::atomic<bool> barMode{false};
    bool textEntryLocked = true;
    bool dragEnabled = true;
    juce::Colour textBackgroundColour{juce::Colour(20, 20, 20)};
    juce::String text; // only under renderDataLock
    ConvertFunction m_fnpConvertStringToParam = nullptr;
    std::atomic<bool> customTintOn{false};
    AtomicColour customTint{juce::Colours::transparentBlack};
    float upperLimit = 100.0f;
    float lowerLimit = -100.0f;
    bool limitsOn = false;
};

} // namespace vk
