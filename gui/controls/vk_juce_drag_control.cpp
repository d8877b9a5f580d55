#include "vk_juce_drag_control.h"

#include "host_modifiers.h"
#include "ogl_draw_helpers.h"
#include "vk_juce_ogl_font.h"
#include "vk_ogl_component.h"

#include "processor/vk_processor_base.h"

#include <cmath>

namespace vk
{

VkJuceDragControl::VkJuceDragControl(const juce::String& componentName)
    : VkJuceControlWithHelpers(componentName)
{
}

VkJuceDragControl::~VkJuceDragControl()
{
    leaveRenderWalk();
}

void VkJuceDragControl::setStepCount(int steps)
{
    stepCount.store(std::max(1, steps));
    updateAppearance();
}

void VkJuceDragControl::setContinuous(bool isContinuous)
{
    if (continuous.exchange(isContinuous) != isContinuous)
        updateAppearance();
}

void VkJuceDragControl::setText(const juce::String& newText)
{
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    text = newText;
}

juce::String VkJuceDragControl::getText() const
{
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    return text;
}

void VkJuceDragControl::setCustomTint(bool on, juce::Colour tint)
{
    customTint.set(tint);
    customTintOn.store(on);
}

void VkJuceDragControl::setLimits(bool on, float lower, float upper)
{
    limitsOn = on;
    lowerLimit = lower;
    upperLimit = upper;
}

void VkJuceDragControl::setSensitivity(float factor)
{
    if (std::isfinite(factor))
        sensitivity = factor * 0.005f;
}

void VkJuceDragControl::setConvertFunction(ConvertFunction function)
{
    m_fnpConvertStringToParam = function;
}

float VkJuceDragControl::getMaxValue() const
{
    if (isContinuous())
        return 1.0f;
    return (float)std::min(getStepCount() - 1, 1000) / 1000.0f;
}

bool VkJuceDragControl::isActive() const
{
    return isInGesture() && getStateImage(1).isValid();
}

void VkJuceDragControl::setValue(float v, bool notify)
{
    // Checked before the wrap, which would turn an infinity into a valid-looking 0.
    if (!std::isfinite(v))
        return;
    const float maxValue = getMaxValue();
    if (limitsOn && notify)
        v = std::max(std::min(v, upperLimit), lowerLimit);
    if (v > maxValue)
        v = wrap ? 0.0f : maxValue;
    if (wrap && v < 0.0f)
        v = maxValue;
    VkJuceControlWithHelpers::setValue(v, notify);
}

void VkJuceDragControl::beginChangeGesture()
{
    juce::Component::SafePointer<juce::Component> self(this);
    VkJuceControlWithHelpers::beginChangeGesture();
    if (self != nullptr)
        updateAppearance();
}

void VkJuceDragControl::endChangeGesture()
{
    juce::Component::SafePointer<juce::Component> self(this);
    VkJuceControlWithHelpers::endChangeGesture();
    if (self != nullptr)
        updateAppearance();
}

void VkJuceDragControl::valueChanged(float)
{
    updateAppearance();
}

void VkJuceDragControl::updateAppearance()
{
    selectStateImage(isActive() ? 1 : 0);
}

void VkJuceDragControl::selectStateImage(int state)
{
    if (state < 0 || state > 3)
        return;
    juce::Image image = getStateImage(state);
    if (image.isNull())
        image = getStateImage(0);
    if (image.isNull())
        return;
    const int steps = getStepCount();
    const float v = getValue();
    int frame = isContinuous() ? (int)((float)steps * v) : std::min((int)(v * 1000.0f + 0.5f), 1000);
    frame = juce::jlimit(0, steps - 1, frame);
    stateTexture.setImage(getImageStripFrame(image, frame, steps));
}

bool VkJuceDragControl::canDrag(const juce::MouseEvent& event)
{
    return !isGreyedOut() && dragEnabled && !HostModifiers::isResetHeld(event.mods, isHostProTools());
}

void VkJuceDragControl::mouseDown(const juce::MouseEvent& event)
{
    if (!beginUserGesture(event))
        return;
    juce::Component::SafePointer<juce::Component> self(this);
    resetToDefaultOnClick(event);
    if (self == nullptr)
        return;
    dragStartValue = getValue();
    lastMousePosition = event.getPosition();
    if (dragEnabled)
        setMouseCursor(juce::MouseCursor::UpDownResizeCursor);
}

void VkJuceDragControl::mouseDrag(const juce::MouseEvent& event)
{
    if (offerHostMouseDrag(event) || !canDrag(event))
        return;
    const auto d = event.getPosition() - lastMousePosition;
    // Up and right increase the value; the larger movement wins, a tie goes to the horizontal one.
    const float delta = std::abs(d.y) > std::abs(d.x) ? (float)-d.y : (float)d.x;
    const float next = getDragSpeedFactor(event) * (delta * sensitivity) * getStepFactor() + dragStartValue;
    juce::Component::SafePointer<juce::Component> self(this);
    setValue(next, true);
    if (self == nullptr)
        return;
    dragStartValue = getValue();
    lastMousePosition = event.getPosition();
}

void VkJuceDragControl::mouseUp(const juce::MouseEvent& event)
{
    if (offerHostMouseUp(event) || isGreyedOut())
        return;
    setMouseCursor(juce::MouseCursor::NormalCursor);
    endChangeGesture();
}

void VkJuceDragControl::mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel)
{
    if (offerHostMouseDown(event) || !canDrag(event))
        return;
    juce::Component::SafePointer<juce::Component> self(this);
    beginChangeGesture();
    if (self == nullptr)
        return;
    const float next = getDragSpeedFactor(event) * ((wheel.deltaX + wheel.deltaY) * sensitivity) *
                           (getStepFactor() * 30.0f) +
                       getValue();
    setValue(next, true);
    if (self == nullptr)
        return;
    endChangeGesture();
}

void VkJuceDragControl::mouseDoubleClick(const juce::MouseEvent& event)
{
    if (offerHostMouseDown(event) || isGreyedOut() || textEntryLocked)
        return;
    if (m_fnpConvertStringToParam == nullptr)
    {
        juce::Logger::writeToLog(
            "VkJuceDragControl::mouseDoubleClick warning: ignored as m_fnpConvertStringToParam not set for " +
            getName());
        return;
    }
    auto* font = getEffectiveFont();
    const float height = font != nullptr ? (float)font->getLineHeight() + 2.0f : 11.0f;
    auto& editor = getTextEditor();
    auto bounds = getScreenBounds();
    if (isFrameHighlightOn())
        bounds = bounds.reduced(1);
    editor.setBounds(bounds);
    editor.setColour(juce::TextEditor::textColourId, getTextColour());
    editor.setColour(juce::TextEditor::backgroundColourId, textBackgroundColour);
    editor.setFont(ModalTextEditor::fontOfHeight(height));
    showTextEditor(false, getText());
}

void VkJuceDragControl::textEntered(const juce::String& typed)
{
    if (m_fnpConvertStringToParam == nullptr || typed.isEmpty())
        return;
    // No gesture is opened: the editor sends a change without one as its own begin/end pair.
    setValue(m_fnpConvertStringToParam(typed), true);
}

void VkJuceDragControl::render(int elapsedMs)
{
    juce::ignoreUnused(elapsedMs);
    auto* top = getOglComponent();
    if (top == nullptr)
        return;
    auto& cache = top->getStateCache();
    GlApi& gl = top->getGlApi();
    const float alpha = getAlpha();
    const auto area = getRenderBounds().withZeroOrigin();

    if (barMode.load())
    {
        cache.setTexturing(false);
        cache.setBlending(true);
        cache.setColour(getControlColour());
        cache.apply();
        gl.recti(0, 0, area.getWidth(), area.getHeight());
        const int index = getParameterIndex();
        if (auto* processor = getProcessor(); processor != nullptr && index != noParameter)
        {
            cache.setColour(getTextColour());
            renderText(processor->getParameterText(index), getJustification());
        }
        cache.setTexturing(false);
        cache.setColour(juce::Colours::black.withAlpha(1.0f - alpha));
        cache.apply();
        gl.recti(0, 0, area.getWidth(), area.getHeight());
        return;
    }

    if (!stateTexture.hasImage())
        return;
    stateTexture.upload(*this);
    const juce::Colour tint = customTintOn.load() ? customTint.get() : juce::Colours::white;
    cache.setColour(tint.withAlpha(tint.getFloatAlpha() * alpha));
    stateTexture.draw(area);
    renderHoverOverlay(!isActive());
    renderFrameHighlight();
}

} // namespace vk
