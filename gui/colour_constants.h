#pragma once

#include <juce_graphics/juce_graphics.h>

namespace vk
{

/** Module-wide colours of the menu and the pop-up buttons. [any thread] Immutable. */
extern const juce::Colour colourShade;
extern const juce::Colour colourPanel;
extern const juce::Colour colourMenuTitle;
extern const juce::Colour colourMenuText;
extern const juce::Colour colourItemHighlightBack;
extern const juce::Colour colourItemHighlight;

} // namespace vk
