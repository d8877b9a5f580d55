#pragma once

#include <juce_graphics/juce_graphics.h>

#include <functional>

namespace vk::artwork
{

/** Every strip stacks its frames vertically, frame 0 on top, all frames of one height. */

/** Two frames: off (frame 0) and on (frame 1) with the label lit in litColour. */
juce::Image makeButtonStrip(int width, int frameHeight, const juce::String& offLabel,
                            const juce::String& onLabel, juce::Colour litColour);
/** Two frames drawn by a function that gets the frame's area and whether it is the on frame. */
juce::Image
makeDrawnStrip(int width, int frameHeight, int frames,
               const std::function<void(juce::Graphics&, juce::Rectangle<float>, int)>& drawFrame);

/** A rotary knob with an arc that fills with the value; stepped knobs show the step number. */
juce::Image makeKnobStrip(int width, int frameHeight, int frames, bool stepped, const juce::String& caption);
/** The linear width gauge: a half-circle scale from 0 to 200 % with a needle. */
juce::Image makeWidthGaugeStrip(int width, int frameHeight, int frames);
/** A small horizontal value bar for the dynamics depth and speed. */
juce::Image makeMiniBarStrip(int width, int frameHeight, int frames, const juce::String& caption);
/** The five dynamics shapes: sine, triangle, square and two random curves. */
juce::Image makeShapeStrip(int width, int frameHeight);
/** Phase: frames 0 and last read "INV", frame 1 "OFF", the rest a dial of the shift. */
juce::Image makePhaseStrip(int width, int frameHeight, int frames);
/** Auto level: off, on, then the countdown 1, 2, 3 of a running analysis. */
juce::Image makeAutoLevelStrip(int width, int frameHeight);
/** A level LED from dark through green and yellow to red. */
juce::Image makeLedStrip(int size, int frames);

} // namespace vk::artwork
