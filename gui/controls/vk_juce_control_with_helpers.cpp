#include "vk_juce_control_with_helpers.h"

#include "ogl_draw_helpers.h"
#include "text_fit.h"
#include "vk_ogl_component.h"

namespace vk
{

VkJuceControlWithHelpers::VkJuceControlWithHelpers(const juce::String& componentName)
    : VkJuceControl(componentName)
{
    stateTexture.setName(componentName + " state");
    overlayOffTexture.setName(componentName + " overlay off");
    overlayOnTexture.setName(componentName + " overlay on");
}

VkJuceControlWithHelpers::~VkJuceControlWithHelpers()
{
    leaveRenderWalk();
}

void VkJuceControlWithHelpers::setOglOwner(VkOglEditorOwner* editor)
{
    VkJuceControl::setOglOwner(editor);
    stateTexture.setOglOwner(editor);
    overlayOffTexture.setOglOwner(editor);
    overlayOnTexture.setOglOwner(editor);
}

void VkJuceControlWithHelpers::setStateImage(const juce::Image& image, int state)
{
    if (state < 0 || state > 3)
        return;
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        stateImages[(size_t)state] = image;
    }
    updateAppearance();
}

juce::Image VkJuceControlWithHelpers::getStateImage(int state) const
{
    if (state < 0 || state > 3)
        return {};
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    return stateImages[(size_t)state];
}

void VkJuceControlWithHelpers::setControlColour(const juce::Colour& colour)
{
    controlColour.set(colour);
}

void VkJuceControlWithHelpers::selectStateImage(int state)
{
    if (state < 0 || state > 3)
        return;
    juce::Image chosen = getStateImage(state);
    if (chosen.isNull())
        chosen = getStateImage(0);
    if (chosen.isValid())
        stateTexture.setImage(chosen);
}

void VkJuceControlWithHelpers::selectOverlayImage(int state)
{
    if (state < 0 || state > 3)
        return;
    if (getStateImage(state).isValid())
    {
        overlayOffTexture.setImage(getStateImage(2));
        overlayOnTexture.setImage(getStateImage(3));
    }
    else if (const auto off = getStateImage(0); off.isValid())
    {
        stateTexture.setImage(off);
    }
}

void VkJuceControlWithHelpers::setImageStrip(const juce::Image& image)
{
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        stateImages[0] = getImageStripFrame(image, 0, 2);
        stateImages[1] = getImageStripFrame(image, 1, 2);
    }
    updateAppearance();
}

void VkJuceControlWithHelpers::swapOnOffImages()
{
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        std::swap(stateImages[0], stateImages[1]);
    }
    updateAppearance();
}

void VkJuceControlWithHelpers::swapOverlayImages()
{
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        std::swap(stateImages[2], stateImages[3]);
    }
    updateAppearance();
}

void VkJuceControlWithHelpers::startOneShotFade(float inStep, float outStep)
{
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    savedFadeInStep = fadeInStep;
    savedFadeOutStep = fadeOutStep;
    fadeInStep = inStep;
    fadeOutStep = outStep;
    oneShot.store(true, std::memory_order_relaxed);
    hovering.store(true, std::memory_order_relaxed);
}

void VkJuceControlWithHelpers::setFadeSteps(float inStep, float outStep)
{
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    fadeInStep = savedFadeInStep = inStep;
    fadeOutStep = savedFadeOutStep = outStep;
}

void VkJuceControlWithHelpers::setOverlayRect(juce::Rectangle<int> r)
{
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    overlayRect = r;
}

void VkJuceControlWithHelpers::setTextInset(bool inset)
{
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    textInset = inset;
}

void VkJuceControlWithHelpers::setTextOffset(juce::Point<int> offset)
{
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    textOffset = offset;
}

float VkJuceControlWithHelpers::stepHoverFade(juce::Rectangle<int>& overlayRectOut)
{
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    if (hovering.load(std::memory_order_relaxed))
    {
        fadeLevel = std::min(1.0f, fadeLevel + fadeInStep);
        if (oneShot.load(std::memory_order_relaxed) && fadeLevel >= 1.0f)
        {
            hovering.store(false, std::memory_order_relaxed);
            fadeInStep = savedFadeInStep;
        }
    }
    else
    {
        fadeLevel = std::max(0.0f, fadeLevel - fadeOutStep);
        if (oneShot.load(std::memory_order_relaxed) && fadeLevel <= 0.0f)
        {
            oneShot.store(false, std::memory_order_relaxed);
            fadeOutStep = savedFadeOutStep;
        }
    }
    overlayRectOut = overlayRect;
    return fadeLevel;
}

void VkJuceControlWithHelpers::renderHoverOverlay(bool off)
{
    juce::Rectangle<int> rect;
    const float level = stepHoverFade(rect);

    auto* top = getOglComponent();
    VkOglComponentTexture& texture = off ? overlayOffTexture : overlayOnTexture;
    if (level <= 0.0f || top == nullptr || !texture.hasImage())
        return;
    texture.upload(*this);
    top->getStateCache().setColour(juce::Colours::white.withAlpha(level));
    top->getStateCache().apply();
    texture.draw(rect);
}

void VkJuceControlWithHelpers::renderFrameHighlight()
{
    auto* top = getOglComponent();
    if (!isFrameHighlightOn() || top == nullptr)
        return;
    auto& cache = top->getStateCache();
    cache.setTexturing(false);
    cache.setColour(highlightColour.get().withAlpha(getAlpha()));
    drawRectOutline(*top, getRenderBounds().withZeroOrigin());
}

void VkJuceControlWithHelpers::renderText(const juce::String& text, uint32_t justification)
{
    juce::Rectangle<int> rect = getRenderBounds().withZeroOrigin();
    juce::Point<int> offset;
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        if (textInset)
            rect = juce::Rectangle<int>(rect.getX() + 10, rect.getY() + 2, std::max(0, rect.getWidth() - 20),
                                        std::max(0, rect.getHeight() - 2));
        offset = textOffset;
    }
    auto* font = getFontForText(text, rect.getWidth());
    auto* top = getOglComponent();
    if (text.isEmpty() || font == nullptr || top == nullptr)
        return;
    const char* utf8 = text.toRawUTF8();
    char cut[256];
    if (isTextFitted())
        utf8 = fitNameToWidth(*font, utf8, rect.getWidth(), cut, sizeof(cut));
    top->getStateCache().apply();
    font->drawText(rect + offset, utf8, justification, "");
}

VkJuceOglFont* VkJuceControlWithHelpers::getFontForText(const juce::String& text, int width) const
{
    auto* font = getEffectiveFont();
    const auto* ogl = getOglComponent();
    if (!isTextFitted() || font == nullptr || ogl == nullptr)
        return font;
    // The component's fonts go from the smallest size up; only those with a glyph image draw anything.
    int i = VkOglComponent::numFonts - 1;
    while (i >= 0 && ogl->getFont(i) != font)
        --i;
    const char* utf8 = text.toRawUTF8();
    while (--i >= 0 && font->measureText(utf8) > width)
        if (auto* smaller = ogl->getFont(i); smaller != nullptr && smaller->getTexture().hasImage())
            font = smaller;
    return font;
}

void VkJuceControlWithHelpers::mouseEnter(const juce::MouseEvent& event)
{
    VkJuceControl::mouseEnter(event);
    if (!hoverDisabled && !isGreyedOut())
        hovering.store(true, std::memory_order_relaxed);
}

void VkJuceControlWithHelpers::mouseExit(const juce::MouseEvent& event)
{
    juce::ignoreUnused(event);
    hovering.store(false, std::memory_order_relaxed);
}

} // namespace vk
