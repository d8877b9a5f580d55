#include "editor_images.h"

#include "artwork_theme.h"
#include "control_strips.h"

namespace vk::artwork
{

namespace
{
constexpr float pi = juce::MathConstants<float>::pi;

juce::Image newImage(int w, int h)
{
    return juce::Image(juce::Image::ARGB, w, h, true, juce::SoftwareImageType());
}

// The fan of the stereo-field graph, in editor coordinates.
const juce::Point<float> fanCentre{319.5f, 352.0f};
constexpr float fanInner = 122.0f;
constexpr float fanOuter = 298.0f;

void caption(juce::Graphics& g, const juce::String& text, float x, float y, float w, float size = 9.0f)
{
    drawLabel(g, text, {x, y, w, size + 3.0f}, size, Palette::label);
}
} // namespace

juce::Image makeBackground()
{
    auto img = newImage(640, 435);
    juce::Graphics g(img);
    g.setGradientFill(
        juce::ColourGradient(Palette::backgroundTop, 0, 0, Palette::backgroundBottom, 0, 435, false));
    g.fillAll();
    // A faint fine grain of horizontal lines gives the surface some texture without noise.
    for (int y = 0; y < 435; y += 2)
    {
        g.setColour(juce::Colours::white.withAlpha(0.012f));
        g.fillRect(0, y, 640, 1);
    }

    // Top bar: bypass, undo/redo, preset bar, A/B.
    drawInsetPanel(g, {14, 2, 214, 26}, 4.0f);
    drawInsetPanel(g, {229, 4, 286, 22}, 4.0f);
    drawInsetPanel(g, {522, 2, 104, 26}, 4.0f);
    drawInsetPanel(g, {254, 7, 222, 17}, 3.0f);

    // Graph frame.
    drawInsetPanel(g, {24, 26, 592, 331}, 6.0f);
    g.setColour(juce::Colour(0xff0b0c0f));
    g.fillRoundedRectangle(28, 27, 584, 326, 5.0f);

    // Left column: dynamics.
    drawInsetPanel(g, {15, 33, 104, 95}, 4.0f);
    caption(g, "DYNAMICS", 18, 124, 98, 8.0f);

    // Right column: meters, auto level, mono, phase.
    drawInsetPanel(g, {522, 33, 104, 95}, 4.0f);
    caption(g, "IN", 520, 58, 32, 8.0f);
    caption(g, "OUT", 567, 58, 32, 8.0f);
    caption(g, "PHASE", 578, 124, 43, 8.0f);

    // Bottom bar: readout, IID/LINK/ITD, title, balance.
    drawInsetPanel(g, {18, 352, 232, 36}, 4.0f);
    drawInsetPanel(g, {240, 350, 160, 38}, 4.0f);
    drawLabel(g, "VEKLA", {404, 352, 70, 36}, 15.0f, Palette::label, true, juce::Justification::centredRight);
    drawLabel(g, "Latiphonix3", {478, 352, 122, 36}, 17.0f, Palette::labelBright, false,
              juce::Justification::centredLeft);
    drawInsetPanel(g, {14, 390, 612, 42}, 5.0f);
    g.setColour(Palette::groove);
    g.fillRoundedRectangle(27, 396, 585, 4, 2.0f);
    caption(g, "BALANCE", 280, 391, 80, 7.0f);
    return img;
}

juce::Image makeGraphMask()
{
    auto img = newImage(640, 349);
    juce::Graphics g(img);
    // Darken outside the fan so the particles seem to float inside it.
    juce::Path fan;
    fan.addPieSegment(fanCentre.x - fanOuter, fanCentre.y - fanOuter, fanOuter * 2.0f, fanOuter * 2.0f,
                      -pi / 3.0f - 0.05f, pi / 3.0f + 0.05f, fanInner / fanOuter);
    juce::Path outside;
    outside.addRoundedRectangle(28, 27, 584, 326, 5.0f);
    outside.setUsingNonZeroWinding(false);
    outside.addPath(fan);
    g.setColour(juce::Colours::black.withAlpha(0.35f));
    g.fillPath(outside);

    // Guides: arcs every quarter of the radius and rays every 30 degrees.
    for (int i = 0; i <= 4; ++i)
    {
        const float r = fanInner + (fanOuter - fanInner) * (float)i / 4.0f;
        juce::Path arc;
        arc.addCentredArc(fanCentre.x, fanCentre.y, r, r, 0.0f, -pi / 3.0f, pi / 3.0f, true);
        g.setColour(juce::Colours::white.withAlpha(i == 0 || i == 4 ? 0.16f : 0.07f));
        g.strokePath(arc, juce::PathStrokeType(1.0f));
    }
    for (int i = -2; i <= 2; ++i)
    {
        const float a = (float)i * pi / 6.0f;
        g.setColour(juce::Colours::white.withAlpha(i == 0 ? 0.14f : 0.07f));
        g.drawLine(
            {fanCentre.getPointOnCircumference(fanInner, a), fanCentre.getPointOnCircumference(fanOuter, a)},
            1.0f);
    }
    // The channel ends of the fan, just outside its outer corners.
    drawLabel(g, "L", {38, 176, 20, 16}, 13.0f, Palette::label);
    drawLabel(g, "R", {582, 176, 20, 16}, 13.0f, Palette::label);
    // An inner edge shadow along the frame.
    for (int i = 0; i < 6; ++i)
    {
        g.setColour(juce::Colours::black.withAlpha(0.12f - 0.02f * (float)i));
        g.drawRoundedRectangle(28.5f + (float)i, 27.5f + (float)i, 583.0f - 2.0f * (float)i,
                               325.0f - 2.0f * (float)i, 5.0f, 1.0f);
    }
    return img;
}

juce::Image makeParticle()
{
    auto img = newImage(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
        {
            const float dx = ((float)x + 0.5f - 32.0f) / 32.0f, dy = ((float)y + 0.5f - 32.0f) / 32.0f;
            const float d2 = dx * dx + dy * dy;
            // Faint and soft: the particles are drawn additively, many on top of each other, and a bright
            // core would burn the busy middle of the fan to white.
            const float a = d2 >= 1.0f ? 0.0f : 0.3f * std::exp(-d2 * 7.0f) * (1.0f - d2);
            img.setPixelAt(x, y, juce::Colours::white.withAlpha(a));
        }
    return img;
}

juce::Image makeBandDot()
{
    auto img = newImage(24, 24);
    juce::Graphics g(img);
    g.setColour(Palette::accentBright.withAlpha(0.25f));
    g.fillEllipse(1, 1, 22, 22);
    g.setColour(juce::Colours::white);
    g.drawEllipse(5, 5, 14, 14, 2.0f);
    g.fillEllipse(9.5f, 9.5f, 5, 5);
    return img;
}

juce::Image makeWidthMark()
{
    auto img = newImage(24, 24);
    juce::Graphics g(img);
    juce::Path p;
    p.addTriangle(12, 3, 21, 18, 3, 18);
    g.setColour(Palette::highlight.withAlpha(0.3f));
    g.fillPath(p);
    g.setColour(juce::Colours::white);
    g.strokePath(p, juce::PathStrokeType(1.6f, juce::PathStrokeType::mitered));
    return img;
}

juce::Image makeArcEdge()
{
    auto img = newImage(16, 16);
    for (int y = 0; y < 16; ++y)
    {
        const float t = ((float)y + 0.5f) / 16.0f;
        const float a = std::pow(std::sin(t * pi), 2.0f);
        for (int x = 0; x < 16; ++x)
            img.setPixelAt(x, y, juce::Colours::white.withAlpha(a));
    }
    return img;
}

juce::Image makeLogo()
{
    auto img = newImage(48, 48);
    juce::Graphics g(img);
    g.setGradientFill(
        juce::ColourGradient(Palette::accentBright, 8, 4, Palette::accent.darker(0.5f), 40, 44, false));
    g.fillEllipse(2, 2, 44, 44);
    g.setColour(juce::Colour(0xff101215));
    g.fillEllipse(6, 6, 36, 36);
    juce::Path v;
    v.startNewSubPath(14, 14);
    v.lineTo(24, 35);
    v.lineTo(34, 14);
    g.setColour(juce::Colours::white);
    g.strokePath(v, juce::PathStrokeType(4.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::rounded));
    g.setColour(Palette::highlight);
    g.fillEllipse(21.5f, 9.0f, 5, 5);
    return img;
}

juce::Image makeSliderThumb()
{
    auto img = newImage(14, 12);
    juce::Graphics g(img);
    g.setGradientFill(
        juce::ColourGradient(juce::Colour(0xffe3e8ee), 0, 0, juce::Colour(0xff8c95a1), 0, 12, false));
    g.fillRoundedRectangle(1, 1, 12, 10, 2.5f);
    g.setColour(Palette::accent);
    g.fillRect(6.5f, 3.0f, 1.0f, 6.0f);
    return img;
}

juce::Image makeArrowStrip(bool pointsRight)
{
    return makeDrawnStrip(13, 14, 2,
                          [pointsRight](juce::Graphics& g, juce::Rectangle<float> r, int f)
                          {
                              juce::Path p;
                              const float cx = r.getCentreX(), cy = r.getCentreY();
                              if (pointsRight)
                                  p.addTriangle(cx - 3, cy - 5, cx + 4, cy, cx - 3, cy + 5);
                              else
                                  p.addTriangle(cx + 3, cy - 5, cx - 4, cy, cx + 3, cy + 5);
                              g.setColour(f == 1 ? Palette::accentBright : Palette::label);
                              g.fillPath(p);
                          });
}

juce::Image makeListIconStrip()
{
    return makeDrawnStrip(16, 16, 2,
                          [](juce::Graphics& g, juce::Rectangle<float> r, int f)
                          {
                              g.setColour(f == 1 ? Palette::accentBright : Palette::label);
                              for (int i = 0; i < 3; ++i)
                                  g.fillRoundedRectangle(r.getX() + 3, r.getY() + 4 + (float)i * 3.5f, 10,
                                                         1.8f, 0.9f);
                          });
}

} // namespace vk::artwork
