#include "colour_constants.h"

namespace vk
{

const juce::Colour colourShade((uint8_t)0, (uint8_t)0, (uint8_t)0, (uint8_t)128);
const juce::Colour colourPanel((uint8_t)64, (uint8_t)64, (uint8_t)64, (uint8_t)240);
const juce::Colour colourMenuTitle((uint8_t)255, (uint8_t)255, (uint8_t)255, (uint8_t)255);
const juce::Colour colourMenuText((uint8_t)200, (uint8_t)200, (uint8_t)200, (uint8_t)255);
const juce::Colour colourItemHighlightBack((uint8_t)255, (uint8_t)128, (uint8_t)64, (uint8_t)100);
const juce::Colour colourItemHighlight((uint8_t)255, (uint8_t)128, (uint8_t)64, (uint8_t)255);

} // namespace vk
