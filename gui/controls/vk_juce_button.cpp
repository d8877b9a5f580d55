#include "vk_juce_button.h"

#include "named_read_write_lock.h"
#include "vk_ogl_component.h"

#include "platform/vk_launcher.h"

#include <cmath>

namespace vk
{

VkJuceButton::VkJuceButton(const juce::String& componentName) : VkJuceControlWithHelpers(componentName)
{
    fillColours[0].set(juce::Colour(50, 50, 50));
    fillColours[1].set(juce::Colour(80, 80, 80));
    for (int i = 0; i < 2; ++i)
    {
        imageTints[(size_t)i].set(juce::Colours::white);
        textColours[(size_t)i].set(juce::Colours::white);
    }
    for (auto& tint : frameTints)
        tint.set(juce::Colours::white);
}

VkJuceButton::~VkJuceButton()
{
    leaveRenderWalk();
}

void VkJuceButton::setOglOwner(VkOglEditorOwner* editor)
{
    VkJuceControlWithHelpers::setOglOwner(editor);
    for (auto& t : frameTextures)
        t.setOglOwner(editor);
}

int VkJuceButton::choiceFromValue(float v) noexcept
{
    return std::min((int)(v * 1000.0f + 0.5f), 1000);
}

float VkJuceButton::valueFromChoice(int n) noexcept
{
    return (float)std::min(n, 1000) / 1000.0f;
}

bool VkJuceButton::isOn() const
{
    const float v = getValue();
    if (choice < 0)
        return v != 0.0f; // a NaN, which setValue never stores, would count as on as well
    return choiceFromValue(v) == choice;
}

void VkJuceButton::endChangeGesture()
{
    if (isMomentary())
    {
        juce::Component::SafePointer<juce::Component> self(this);
        setValue(0.0f, true);
        if (self == nullptr)
            return;
    }
    if (!isGreyedOut())
        VkJuceControlWithHelpers::endChangeGesture();
}

void VkJuceButton::valueChanged(float)
{
    updateAppearance();
}

void VkJuceButton::greyedOutChanged()
{
    updateAppearance();
}

void VkJuceButton::updateAppearance()
{
    const int i = isOn() ? 1 : 0;
    selectStateImage(i);
    selectOverlayImage(i);
}

void VkJuceButton::setImageTint(juce::Colour colour, int state)
{
    for (int s = 0; s < 4; ++s)
        if (s == state || state == allStates)
            imageTints[(size_t)s].set(colour);
    flags.fetch_or(customTintFlag);
    updateAppearance();
}

void VkJuceButton::setFillColour(juce::Colour colour, int state)
{
    for (int s = 0; s < 4; ++s)
        if (s == state || state == allStates)
            fillColours[(size_t)s].set(colour);
    flags.fetch_or(rectangleFlag);
    updateAppearance();
}

void VkJuceButton::setTextColour(juce::Colour colour, int state)
{
    for (int s = 0; s < 4; ++s)
        if (s == state || state == allStates)
            textColours[(size_t)s].set(colour);
    updateAppearance();
}

void VkJuceButton::setText(const juce::String& text, int state)
{
    {
        // The renderer copies a text under the same lock, so it never draws one that is being replaced.
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        if (stateImages[0].isNull())
            flags.fetch_or(rectangleFlag);
        else
            flags.fetch_and((uint8_t)~rectangleFlag);
        for (int s = 0; s < 4; ++s)
            if ((s == state || state == allStates) && texts[(size_t)s] != text)
                texts[(size_t)s] = text;
    }
    updateAppearance();
}

void VkJuceButton::setTextInRectangle(const juce::String& text, int state)
{
    setText(text, state);
    flags.fetch_or(rectangleFlag);
}

juce::String VkJuceButton::getText(int state) const
{
    if (!isStateIndex(state))
        return {};
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    return texts[(size_t)state];
}

void VkJuceButton::setFrameTint(juce::Colour colour, int state)
{
    for (int s = 0; s < 4; ++s)
        if (s == state || state == allStates)
            frameTints[(size_t)s].set(colour);
}

void VkJuceButton::setFrameImage(const juce::Image& image, int state, int alignment, juce::Point<int> offset)
{
    if (!isStateIndex(state))
        return;
    frameTextures[(size_t)state].setImage(image);
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    frameAlignments[(size_t)state] = alignment;
    frameOffsets[(size_t)state] = offset;
    frameInsteadOfText[(size_t)state] = image.isValid();
}

void VkJuceButton::setStateImagePosition(juce::Point<int> position, int state)
{
    if (!isStateIndex(state))
        return;
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    stateImagePositions[(size_t)state] = position;
}

void VkJuceButton::setMomentary(bool momentary)
{
    if (momentary)
        flags.fetch_or(momentaryFlag);
    else
        flags.fetch_and((uint8_t)~momentaryFlag);
}

void VkJuceButton::setBlinking(bool shouldBlink, int intervalMs)
{
    blinkIntervalMs.store(intervalMs);
    blinking.store(shouldBlink);
}

juce::Rectangle<int> VkJuceButton::getImageBounds() const
{
    for (int s = 0; s < 4; ++s)
        if (const auto image = getStateImage(s); image.isValid())
            return image.getBounds();
    return {};
}

void VkJuceButton::mouseDown(const juce::MouseEvent& event)
{
    if (!beginUserGesture(event))
        return;
    const float v = getValue();
    float next = 0.0f;
    if (choice < 0 || (deselectable && isOn()))
        next = v == 0.0f ? 1.0f : 0.0f;
    else
        next = valueFromChoice(choice);
    setValue(next, true);
}

void VkJuceButton::mouseUp(const juce::MouseEvent& event)
{
    if (offerHostMouseUp(event))
        return;
    const juce::String url = link;
    const bool clicked = event.mouseWasClicked();
    if (!isGreyedOut())
    {
        juce::Component::SafePointer<juce::Component> self(this);
        endChangeGesture();
        if (self == nullptr)
            return;
    }
    // The desktop's opener gets the address as one argument of its own; the framework's opener would hand
    // it to a shell, which runs "$(...)" in it, or runs the target itself when it names an executable file.
    if (url.isNotEmpty() && clicked)
        platform::openWithDesktop(url.toStdString());
}

void VkJuceButton::blinkIfDue()
{
    // Monotonic: a clock set back would stop the blinking until it caught up.
    const auto now = juce::int64(juce::Time::getMillisecondCounterHiRes());
    const bool on = blinking.load();
    if ((on && now - lastBlinkMs > blinkIntervalMs.load()) || (!on && blinkPhase))
    {
        juce::Image shown;
        {
            const juce::SpinLock::ScopedLockType sl(renderDataLock);
            std::swap(stateImages[0], stateImages[1]);
            std::swap(stateImages[2], stateImages[3]);
            const int i = isOn() ? 1 : 0;
            shown = stateImages[(size_t)i].isValid() ? stateImages[(size_t)i] : stateImages[0];
        }
        if (shown.isValid())
            stateTexture.setImage(shown);
        blinkPhase = !blinkPhase;
        lastBlinkMs = now;
    }
}

void VkJuceButton::render(int elapsedMs)
{
    juce::ignoreUnused(elapsedMs);
    auto* top = getOglComponent();
    if (top == nullptr)
        return;
    ScopedReadWriteGuard guard(top->getLock(), ScopedReadWriteGuard::shared, ScopedReadWriteGuard::oneAttempt,
                               "void __cdecl VkJuceButton::render(int)");
    const auto area = getRenderBounds().withZeroOrigin();
    if (!guard.isAcquired() || area.isEmpty())
        return;

    const int i = isOn() ? 1 : 0;
    blinkIfDue();

    auto& cache = top->getStateCache();
    GlApi& gl = top->getGlApi();
    const float alpha = getAlpha();
    if (isRectangleMode())
    {
        const juce::Colour fill = fillColours[(size_t)i].get();
        const juce::Colour c = fill.withAlpha(fill.getFloatAlpha() * alpha);
        cache.setTexturing(false);
        cache.setBlending(!c.isOpaque());
        cache.setColour(c);
        cache.apply();
        gl.recti(0, 0, area.getWidth(), area.getHeight());
    }
    else if (stateTexture.hasImage())
    {
        stateTexture.upload(*this);
        const juce::Colour tint =
            (flags.load() & customTintFlag) != 0 ? imageTints[(size_t)i].get() : juce::Colours::white;
        cache.setColour(tint.withAlpha(tint.getFloatAlpha() * alpha));
        cache.apply();
        updateStateRect();
    }

    renderFrameHighlight();

    if (stateTexture.hasImage())
        renderHoverOverlay(i == 0);

    juce::String text;
    bool frameInstead = false;
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        text = texts[(size_t)i];
        frameInstead = frameInsteadOfText[(size_t)i];
    }
    if (!frameInstead)
    {
        const juce::Colour tc = textColours[(size_t)i].get();
        cache.setColour(tc.withAlpha(tc.getFloatAlpha() * alpha));
        renderText(text, getJustification());
    }
    else
    {
        renderStateFrame();
    }
}

void VkJuceButton::updateStateRect()
{
    juce::Point<int> position;
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        position = stateImagePositions[isOn() ? 1 : 0];
    }
    stateTexture.draw(getRenderBounds().withPosition(position));
}

void VkJuceButton::renderStateFrame()
{
    auto* top = getOglComponent();
    if (top == nullptr)
        return;
    const int i = isOn() ? 1 : 0;
    auto& texture = frameTextures[(size_t)i];
    const juce::Image image = texture.getImage();
    if (image.isNull())
        return;
    int alignment = 0;
    juce::Point<int> offset;
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        alignment = frameAlignments[(size_t)i];
        offset = frameOffsets[(size_t)i];
    }
    const int w = image.getWidth(), h = image.getHeight();
    const auto area = getRenderBounds();
    const int horizontal = alignment & 3, vertical = alignment & 12;
    int x = horizontal == 0 ? (area.getWidth() - w) / 2 : (horizontal == 2 ? area.getWidth() - w : 0);
    int y = vertical == 0 ? (area.getHeight() - h) / 2 : (vertical == 8 ? area.getHeight() - h : 0);
    x += offset.x;
    y += offset.y;
    texture.upload(*this);
    top->getStateCache().setColour(frameTints[(size_t)i].get());
    top->getStateCache().apply();
    texture.draw(juce::Rectangle<int>(x, y, w, h));
}

} // namespace vk
