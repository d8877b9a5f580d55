#include "artwork_theme.h"

namespace vk::artwork
{

namespace
{
Typefaces loaded;

juce::Typeface::Ptr loadFace(const juce::File& file)
{
    juce::MemoryBlock data;
    if (!file.loadFileAsData(data))
        return nullptr;
    return juce::Typeface::createSystemTypefaceFor(data.getData(), data.getSize());
}
} // namespace

const Typefaces& typefaces()
{
    return loaded;
}

bool loadTypefaces(const juce::File& regular, const juce::File& bold)
{
    loaded.regular = loadFace(regular);
    loaded.bold = loadFace(bold);
    return loaded.regular != nullptr && loaded.bold != nullptr;
}

juce::Font labelFont(float height, bool bold)
{
    return juce::Font(bold ? loaded.bold : loaded.regular).withHeight(height);
}

void drawInsetPanel(juce::Graphics& g, juce::Rectangle<float> r, float corner)
{
    g.setColour(juce::Colours::white.withAlpha(0.06f));
    g.fillRoundedRectangle(r.translated(0.0f, 1.0f), corner);
    g.setColour(Palette::groove);
    g.fillRoundedRectangle(r, corner);
    g.setGradientFill(juce::ColourGradient(Palette::panel.darker(0.3f), r.getX(), r.getY(), Palette::panel,
                                           r.getX(), r.getBottom(), false));
    g.fillRoundedRectangle(r.reduced(1.0f), juce::jmax(0.0f, corner - 1.0f));
}

void drawButtonFace(juce::Graphics& g, juce::Rectangle<float> r, bool lit, juce::Colour litColour)
{
    const float corner = juce::jmin(4.0f, r.getHeight() * 0.25f);
    g.setColour(Palette::groove);
    g.fillRoundedRectangle(r, corner);
    auto face = r.reduced(1.0f);
    if (lit)
    {
        g.setGradientFill(juce::ColourGradient(litColour.withMultipliedBrightness(0.55f), face.getX(),
                                               face.getY(), litColour.withMultipliedBrightness(0.3f),
                                               face.getX(), face.getBottom(), false));
    }
    else
    {
        g.setGradientFill(juce::ColourGradient(Palette::buttonOff, face.getX(), face.getY(),
                                               Palette::buttonOffBottom, face.getX(), face.getBottom(),
                                               false));
    }
    g.fillRoundedRectangle(face, juce::jmax(0.0f, corner - 1.0f));
    g.setColour(lit ? litColour.withAlpha(0.9f) : juce::Colours::white.withAlpha(0.08f));
    g.drawRoundedRectangle(face.reduced(0.5f), juce::jmax(0.0f, corner - 1.0f), 1.0f);
}

void drawLabel(juce::Graphics& g, const juce::String& text, juce::Rectangle<float> r, float height,
               juce::Colour colour, bool bold, juce::Justification j)
{
    g.setColour(colour);
    g.setFont(labelFont(height, bold));
    g.drawFittedText(text, r.toNearestInt(), j, 1, 0.7f);
}

} // namespace vk::artwork
