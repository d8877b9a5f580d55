#include "vk_juce_ogl_font_user.h"

#include "vk_ogl_component.h"

namespace vk
{

namespace
{
constexpr int defaultFontPixels = 14;
}

VkJuceOglFont* VkJuceOglFontUser::getEffectiveFont() const
{
    if (chosenFont != nullptr)
        return chosenFont;
    // Looked up at every draw rather than kept: the component owns its fonts and may rebuild them.
    return oglComponent != nullptr ? oglComponent->getFontForSize(defaultFontPixels) : nullptr;
}

void VkJuceOglFontUser::drawText(const juce::String& text, juce::Rectangle<int> rect,
                                 std::optional<juce::Colour> colour)
{
    const juce::ScopedLock sl(textLock);
    if (text.isEmpty() || oglComponent == nullptr)
        return;
    VkJuceOglFont* font = getEffectiveFont();
    if (font == nullptr)
        return;
    oglComponent->getStateCache().setColour(colour.value_or(textColour));
    font->drawText(rect, text.toRawUTF8(), justification, widthText.toRawUTF8());
}

void VkJuceOglFontUser::setTextColour(juce::Colour c)
{
    const juce::ScopedLock sl(textLock);
    textColour = c;
}

void VkJuceOglFontUser::setFont(VkJuceOglFont* font)
{
    const juce::ScopedLock sl(textLock);
    chosenFont = font;
}

void VkJuceOglFontUser::setJustification(uint32_t j)
{
    const juce::ScopedLock sl(textLock);
    justification = j;
}

void VkJuceOglFontUser::setWidthText(const juce::String& text)
{
    const juce::ScopedLock sl(textLock);
    widthText = text;
}

juce::Colour VkJuceOglFontUser::getTextColour() const
{
    const juce::ScopedLock sl(textLock);
    return textColour;
}

uint32_t VkJuceOglFontUser::getJustification() const
{
    const juce::ScopedLock sl(textLock);
    return justification;
}

} // namespace vk
