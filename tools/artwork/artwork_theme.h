#pragma once

#include <juce_graphics/juce_graphics.h>

namespace vk::artwork
{

/** The one dark theme every generated image shares. */
namespace Palette
{
const juce::Colour backgroundTop{0xff23262c};
const juce::Colour backgroundBottom{0xff16181c};
const juce::Colour panel{0xff1c1f24};
const juce::Colour panelEdge{0xff343943};
const juce::Colour groove{0xff0e1013};
const juce::Colour label{0xff8d96a3};
const juce::Colour labelBright{0xffd7dde5};
const juce::Colour accent{0xff3298c1}; // the readout blue
const juce::Colour accentBright{0xff6fd0f5};
const juce::Colour highlight{0xffff8040}; // the menu highlight orange
const juce::Colour buttonOff{0xff2b2f36};
const juce::Colour buttonOffBottom{0xff202329};
} // namespace Palette

/** Typefaces from the build's font files; the generator never asks the system for fonts, so the images do
    not depend on what a machine has installed. */
struct Typefaces
{
    juce::Typeface::Ptr regular;
    juce::Typeface::Ptr bold;
};

const Typefaces& typefaces();
bool loadTypefaces(const juce::File& regular, const juce::File& bold);

juce::Font labelFont(float height, bool bold = true);

/** A rounded panel with a one-pixel light edge on top and a dark one below, as if pressed into the surface.
 */
void drawInsetPanel(juce::Graphics& g, juce::Rectangle<float> r, float corner);
/** A push button face; lit draws the accent glow of the on state. */
void drawButtonFace(juce::Graphics& g, juce::Rectangle<float> r, bool lit, juce::Colour litColour);
/** Centred text fitted into r. */
void drawLabel(juce::Graphics& g, const juce::String& text, juce::Rectangle<float> r, float height,
               juce::Colour colour, bool bold = true, juce::Justification j = juce::Justification::centred);

} // namespace vk::artwork
