#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace vk
{

class VkOglComponent;

/** [render thread] A one-pixel frame along the inside of rect, as four rectangles. */
void drawRectOutline(VkOglComponent& target, juce::Rectangle<int> rect);

/** [render thread] Level meters without an image: a magenta box that pulses once a second.
    phaseSeed (0..255) gives each box its own phase. */
void drawPlaceholderBox(VkOglComponent& target, juce::Rectangle<int> rect, int phaseSeed);

/** [any thread] a at t <= 0, b at t >= 1, else each channel mixed and truncated. */
juce::Colour interpolateColour(juce::Colour a, juce::Colour b, float t);

/** [any thread] Frame `frame` of `count` frames stacked vertically; the whole image for count < 1. */
juce::Rectangle<int> getImageStripFrameBounds(const juce::Image& image, int frame, int count);
/** [any thread] Shares the strip's pixels; a null image for a null strip. */
juce::Image getImageStripFrame(const juce::Image& image, int frame, int count);

/** [any thread] The embedded image name + "_png", decoded; a null image for an unknown name. Allocates. */
juce::Image getImageFromResource(const juce::String& shortName);

/** [any thread] A component's bounds moved to (0, 0); for a drawn component (OpenGL child or component) the
    render thread's copy of them. */
juce::Rectangle<int> getLocalBoundsOf(const juce::Component& c);

} // namespace vk
