#pragma once

#include "vk_juce_ogl_font.h"
#include "vk_ogl_component_user.h"

#include <juce_graphics/juce_graphics.h>

#include <optional>

namespace vk
{

/** Mix-in through which a control draws its text with one of the OpenGL component's nine fonts.

    [message thread] setters; [render thread] drawText. The critical section keeps a control's text, colour
   and font from changing half-way through a draw. No allocation while drawing.
*/
class VkJuceOglFontUser : public virtual VkOglComponentUser
{
public:
    VkJuceOglFontUser() = default;

    /** [render thread] Draws with the chosen font, else the component's 14-pixel font; colour defaults to the
        text colour. The empty text draws nothing and sets no colour. */
    void drawText(const juce::String& text, juce::Rectangle<int> rect,
                  std::optional<juce::Colour> colour = std::nullopt);

    void setTextColour(juce::Colour c);
    void setFont(VkJuceOglFont* font);
    void setJustification(uint32_t j);
    void setWidthText(const juce::String& text);

    juce::Colour getTextColour() const;
    uint32_t getJustification() const;
    /** [any thread] The chosen font, else the component's 14-pixel font (null without a component). */
    VkJuceOglFont* getEffectiveFont() const;

private:
    juce::Colour textColour{juce::Colours::white};
    VkJuceOglFont* chosenFont = nullptr;
    juce::CriticalSection textLock;
    uint32_t justification = VkJuceOglFont::centred;
    juce::String widthText;
};

} // namespace vk
