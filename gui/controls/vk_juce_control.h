#pragma once

#include "vk_ogl_child_component.h"

#include <atomic>
#include <vector>

namespace vk
{

class VkJuceEditorBase;

/** Every interactive element of the editor: an OpenGL-drawn component holding one value in 0..1, optionally
    bound to one processor parameter, that reports value changes and the start and end of user gestures.

    A user action always runs: offer the mouse event to the host (stop when taken), beginChangeGesture,
    setValue (value, true) any number of times, endChangeGesture. The owner editor turns that into one host
    gesture and one undo step.

    The value and the flags the renderer reads are atomics: the message thread writes them, the render thread
    only reads. Concrete controls call leaveRenderWalk() first in their destructors, so that no frame draws a
    control whose members are already gone.

    [message thread] everything but render and getAlpha ([render thread]). Adding a listener allocates.
*/
class VkJuceControl : public VkOglChildComponent
{
public:
    static constexpr int noParameter = 9999;

    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void controlValueChanged(VkJuceControl* control) { juce::ignoreUnused(control); }
        virtual void controlDragStarted(VkJuceControl* control) { juce::ignoreUnused(control); }
        virtual void controlDragEnded(VkJuceControl* control) { juce::ignoreUnused(control); }
    };

    explicit VkJuceControl(const juce::String& componentName);
    ~VkJuceControl() override;

    /** Drops non-finite values (they could never be shown or sent to a host); clamps to 0..1; does nothing
        at all when the value is unchanged. */
    virtual void setValue(float newValue, bool notify);
    virtual void beginChangeGesture();
    virtual void endChangeGesture();
    virtual void valueChanged(float newValue) { juce::ignoreUnused(newValue); }
    /** Greying out ends an open gesture first. */
    virtual void setGreyedOut(bool shouldBeGreyedOut);
    virtual void updateAppearance() {}
    virtual void sendValueChanged();
    virtual void sendDragStarted();
    virtual void sendDragEnded();
    /** With the host's reset modifier held: setValue (default, true); returns whether it reset. */
    virtual bool resetToDefaultOnClick(const juce::MouseEvent& event);
    /** 0.1 with the host's fine modifier held, else 1.0. */
    virtual float getDragSpeedFactor(const juce::MouseEvent& event);
    /** True when the host took the event; only bound controls with an owner editor offer. */
    virtual bool offerHostMouseDown(const juce::MouseEvent& event);
    virtual bool offerHostMouseDrag(const juce::MouseEvent& event);
    virtual bool offerHostMouseUp(const juce::MouseEvent& event);
    virtual void cancelChangeGesture();
    virtual void greyedOutChanged() {}
    /** [any thread] */
    virtual float getAlpha() const;

    /** Binds to a parameter (noParameter unbinds) of the editor's processor and makes the editor the owner,
        a listener and, for a bound control, a registered control that its timer updates. */
    void attachToParameter(int index, VkJuceEditorBase* editor);
    /** Null is ignored; a listener is listed once. */
    void addListener(Listener* listener);
    void removeListener(Listener* listener);
    int getNumListeners() const noexcept { return (int)listeners.size(); }

    void setOglOwner(VkOglEditorOwner* editor) override;
    /** The owner as editor base; null without one. */
    VkJuceEditorBase* getOwnerEditor() const;
    /** Pro Tools' modifier rules apply when the owner's processor runs in Pro Tools. */
    bool isHostProTools() const;

    int getParameterIndex() const noexcept { return parameterIndex.load(std::memory_order_relaxed); }
    float getValue() const noexcept { return value.load(std::memory_order_relaxed); }
    float getDefaultValue() const noexcept { return defaultValue; }
    void setDefaultValue(float v) noexcept { defaultValue = juce::jlimit(0.0f, 1.0f, v); }
    bool isGreyedOut() const noexcept { return greyedOut.load(std::memory_order_relaxed); }
    bool isInGesture() const noexcept { return inGesture.load(std::memory_order_relaxed); }
    bool isInverted() const noexcept { return inverted.load(std::memory_order_relaxed); }
    void setInverted(bool shouldInvert) noexcept { inverted.store(shouldInvert, std::memory_order_relaxed); }
    void setDimWhenGreyed(bool dim) noexcept { dimWhenGreyed.store(dim, std::memory_order_relaxed); }
    void setAlphas(float dim, float full) noexcept;
    void setShowValueOnHover(bool show) noexcept { showValueOnHover = show; }
    bool isShowValueOnHover() const noexcept { return showValueOnHover; }

    void setVisible(bool shouldBeVisible) override;
    void mouseEnter(const juce::MouseEvent& event) override;

protected:
    /** The start of every user action: offers the press to the host, then opens the gesture. False when the
        host took the event, the control is greyed out, or a listener deleted the control. */
    bool beginUserGesture(const juce::MouseEvent& event);

private:
    using Notify = void (Listener::*)(VkJuceControl*);
    void notifyListeners(Notify slot);

    std::vector<Listener*> listeners;
    std::atomic<int> parameterIndex{noParameter};
    std::atomic<float> value{0.0f};
    float defaultValue = 0.0f;
    std::atomic<float> dimAlpha{0.5f};
    std::atomic<float> fullAlpha{1.0f};
    std::atomic<bool> greyedOut{false};
    std::atomic<bool> inGesture{false};
    std::atomic<bool> dimWhenGreyed{true};
    std::atomic<bool> inverted{false};
    bool showValueOnHover = true;

    JUCE_DECLARE_NON_COPYABLE(VkJuceControl)
};

} // namespace vk
