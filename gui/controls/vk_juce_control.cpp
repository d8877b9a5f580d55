#include "vk_juce_control.h"

#include "editor/vk_juce_editor_base.h"
#include "host_modifiers.h"
#include "vk_ogl_component.h"

#include "processor/vk_processor_base.h"

#include <algorithm>
#include <cmath>

namespace vk
{

VkJuceControl::VkJuceControl(const juce::String& componentName) : VkOglChildComponent(componentName)
{
    setWantsKeyboardFocus(false);
    setRepaintsOnMouseActivity(true);
}

VkJuceControl::~VkJuceControl()
{
    leaveRenderWalk();
    // A control that goes during a drag still ends the host gesture it opened.
    cancelChangeGesture();
    if (getParameterIndex() != noParameter)
        if (auto* editor = getOwnerEditor())
            attachToParameter(noParameter, editor);
    if (auto* editor = getOwnerEditor())
        editor->forgetControl(this);
}

void VkJuceControl::setValue(float newValue, bool notify)
{
    if (!std::isfinite(newValue))
        return;
    newValue = juce::jlimit(0.0f, 1.0f, newValue);
    if (newValue == getValue())
        return;
    value.store(newValue, std::memory_order_relaxed);
    // The hook may delete nothing, but a listener may delete this control: nothing is touched after it.
    juce::Component::SafePointer<juce::Component> self(this);
    valueChanged(newValue);
    if (self == nullptr)
        return;
    if (notify)
    {
        sendValueChanged();
        if (self == nullptr)
            return;
    }
    repaint();
}

void VkJuceControl::beginChangeGesture()
{
    inGesture.store(true, std::memory_order_relaxed);
    sendDragStarted();
}

void VkJuceControl::endChangeGesture()
{
    inGesture.store(false, std::memory_order_relaxed);
    sendDragEnded();
}

void VkJuceControl::setGreyedOut(bool shouldBeGreyedOut)
{
    if (shouldBeGreyedOut == isGreyedOut())
        return;
    juce::Component::SafePointer<juce::Component> self(this);
    cancelChangeGesture();
    if (self == nullptr)
        return;
    greyedOut.store(shouldBeGreyedOut, std::memory_order_relaxed);
    greyedOutChanged();
    repaint();
}

void VkJuceControl::notifyListeners(Notify slot)
{
    juce::Component::SafePointer<juce::Component> self(this);
    for (int i = (int)listeners.size() - 1; i >= 0; --i)
    {
        // A listener may delete this control, or shrink the list, while it is called.
        if (self == nullptr)
            return;
        i = std::min(i, (int)listeners.size() - 1);
        if (i < 0)
            return;
        (listeners[(size_t)i]->*slot)(this);
    }
}

void VkJuceControl::sendValueChanged()
{
    notifyListeners(&Listener::controlValueChanged);
}

void VkJuceControl::sendDragStarted()
{
    notifyListeners(&Listener::controlDragStarted);
}

void VkJuceControl::sendDragEnded()
{
    notifyListeners(&Listener::controlDragEnded);
}

bool VkJuceControl::isHostProTools() const
{
    auto* processor = getProcessor();
    return processor != nullptr && processor->isHostProTools();
}

bool VkJuceControl::resetToDefaultOnClick(const juce::MouseEvent& event)
{
    if (!HostModifiers::isResetHeld(event.mods, isHostProTools()))
        return false;
    setValue(defaultValue, true);
    return true;
}

float VkJuceControl::getDragSpeedFactor(const juce::MouseEvent& event)
{
    return HostModifiers::isFineHeld(event.mods, isHostProTools()) ? HostModifiers::fineFactor : 1.0f;
}

namespace
{
// The host hears only about product parameters it knows.
bool isHostParameter(VkJuceControl& control, VkJuceEditorBase*& editorOut)
{
    editorOut = control.getOwnerEditor();
    const int index = control.getParameterIndex();
    if (editorOut == nullptr || index == VkJuceControl::noParameter || index < 0)
        return false;
    auto* processor = control.getProcessor();
    return processor != nullptr && index < processor->getNumParameters();
}
} // namespace

bool VkJuceControl::offerHostMouseDown(const juce::MouseEvent& event)
{
    VkJuceEditorBase* editor = nullptr;
    return isHostParameter(*this, editor) && editor->handleParameterMouseDown(event, getParameterIndex());
}

bool VkJuceControl::offerHostMouseDrag(const juce::MouseEvent& event)
{
    VkJuceEditorBase* editor = nullptr;
    return isHostParameter(*this, editor) && editor->handleParameterMouseDrag(event, getParameterIndex());
}

bool VkJuceControl::offerHostMouseUp(const juce::MouseEvent& event)
{
    VkJuceEditorBase* editor = nullptr;
    return isHostParameter(*this, editor) && editor->handleParameterMouseUp(event, getParameterIndex());
}

bool VkJuceControl::beginUserGesture(const juce::MouseEvent& event)
{
    if (offerHostMouseDown(event) || isGreyedOut())
        return false;
    juce::Component::SafePointer<juce::Component> self(this);
    beginChangeGesture();
    return self != nullptr;
}

void VkJuceControl::cancelChangeGesture()
{
    if (isInGesture())
        endChangeGesture();
}

float VkJuceControl::getAlpha() const
{
    if (isGreyedOut() && dimWhenGreyed.load(std::memory_order_relaxed))
        return dimAlpha.load(std::memory_order_relaxed);
    return fullAlpha.load(std::memory_order_relaxed);
}

void VkJuceControl::setAlphas(float dim, float full) noexcept
{
    dimAlpha.store(dim, std::memory_order_relaxed);
    fullAlpha.store(full, std::memory_order_relaxed);
}

void VkJuceControl::attachToParameter(int index, VkJuceEditorBase* editor)
{
    parameterIndex.store(index, std::memory_order_relaxed);
    setOglOwner(editor);
    if (editor != nullptr)
    {
        addListener(editor);
        editor->registerControl(this);
    }

    auto* processor = getProcessor();
    if (index == noParameter || processor == nullptr)
        return;
    const auto& record = processor->getParameterRecord(index);
    const float recordValue = record.getValue();
    const float recordDefault = record.defaultValue.load();
    setValue(isInverted() ? 1.0f - recordValue : recordValue, false);
    setDefaultValue(isInverted() ? 1.0f - recordDefault : recordDefault);
}

void VkJuceControl::addListener(Listener* listener)
{
    if (listener != nullptr && std::find(listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back(listener);
}

void VkJuceControl::removeListener(Listener* listener)
{
    listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
}

void VkJuceControl::setOglOwner(VkOglEditorOwner* editor)
{
    // An editor that stops owning this control stops hearing from it.
    if (auto* previous = getOwnerEditor(); previous != nullptr && editor != getOglOwner())
        removeListener(previous);
    VkOglComponentUser::setOglOwner(editor);
}

VkJuceEditorBase* VkJuceControl::getOwnerEditor() const
{
    return dynamic_cast<VkJuceEditorBase*>(getOglOwner());
}

void VkJuceControl::setVisible(bool shouldBeVisible)
{
    if (shouldBeVisible == isVisible())
        return;
    // Frames read the copy of the flag that the change leaves for them, never juce's own field.
    juce::Component::setVisible(shouldBeVisible);
    updateAppearance();
}

void VkJuceControl::mouseEnter(const juce::MouseEvent& event)
{
    juce::ignoreUnused(event);
    if (!showValueOnHover)
        return;
    if (auto* editor = getOwnerEditor())
        editor->showParameterValue(getParameterIndex());
}

} // namespace vk
