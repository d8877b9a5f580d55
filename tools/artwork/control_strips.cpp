#include "control_strips.h"

#include "artwork_theme.h"

namespace vk::artwork
{

namespace
{
constexpr float pi = juce::MathConstants<float>::pi;

juce::Image newStrip(int width, int frameHeight, int frames)
{
    return juce::Image(juce::Image::ARGB, width, frameHeight * frames, true, juce::SoftwareImageType());
}

/** Arc angles of every knob: from 225 degrees left of top to 135 degrees right of it. */
constexpr float arcStart = -0.75f * pi;
constexpr float arcEnd = 0.75f * pi;

void drawArc(juce::Graphics& g, juce::Point<float> c, float radius, float from, float to, float thickness,
             juce::Colour colour)
{
    juce::Path p;
    p.addCentredArc(c.x, c.y, radius, radius, 0.0f, from, to, true);
    g.setColour(colour);
    g.strokePath(
        p, juce::PathStrokeType(thickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
}
} // namespace

juce::Image makeDrawnStrip(int width, int frameHeight, int frames,
                           const std::function<void(juce::Graphics&, juce::Rectangle<float>, int)>& drawFrame)
{
    auto img = newStrip(width, frameHeight, frames);
    juce::Graphics g(img);
    for (int f = 0; f < frames; ++f)
    {
        const juce::Graphics::ScopedSaveState save(g);
        const auto area = juce::Rectangle<int>(0, f * frameHeight, width, frameHeight);
        g.reduceClipRegion(area);
        drawFrame(g, area.toFloat(), f);
    }
    return img;
}

juce::Image makeButtonStrip(int width, int frameHeight, const juce::String& offLabel,
                            const juce::String& onLabel, juce::Colour litColour)
{
    return makeDrawnStrip(width, frameHeight, 2,
                          [&](juce::Graphics& g, juce::Rectangle<float> r, int f)
                          {
                              const bool on = f == 1;
                              drawButtonFace(g, r.reduced(1.0f), on, litColour);
                              const float textHeight = juce::jlimit(8.0f, 15.0f, r.getHeight() * 0.5f);
                              drawLabel(g, on ? onLabel : offLabel, r.reduced(3.0f, 1.0f), textHeight,
                                        on ? litColour.brighter(0.6f) : Palette::label);
                          });
}

juce::Image makeKnobStrip(int width, int frameHeight, int frames, bool stepped, const juce::String& caption)
{
    return makeDrawnStrip(
        width, frameHeight, frames,
        [&](juce::Graphics& g, juce::Rectangle<float> r, int f)
        {
            const float value = frames > 1 ? (float)f / (float)(frames - 1) : 0.0f;
            auto captionArea = r.removeFromBottom(16.0f);
            drawLabel(g, caption, captionArea, 10.0f, Palette::label);
            const float radius = juce::jmin(r.getWidth(), r.getHeight()) * 0.5f - 6.0f;
            const auto c = r.getCentre();
            // Scale ticks, the track, then the value arc.
            const int ticks = stepped ? frames : 11;
            for (int t = 0; t < ticks; ++t)
            {
                const float a = arcStart + (arcEnd - arcStart) * (float)t / (float)(ticks - 1);
                const auto p1 = c.getPointOnCircumference(radius + 2.0f, a);
                const auto p2 = c.getPointOnCircumference(radius + 5.0f, a);
                g.setColour(Palette::label.withAlpha(0.6f));
                g.drawLine({p1, p2}, 1.0f);
            }
            drawArc(g, c, radius - 2.0f, arcStart, arcEnd, 4.0f, Palette::groove);
            const float angle = arcStart + (arcEnd - arcStart) * value;
            if (value > 0.0f)
                drawArc(g, c, radius - 2.0f, arcStart, angle, 3.0f, Palette::accent);
            // The cap with a soft highlight from the top left.
            const float capR = radius - 8.0f;
            g.setGradientFill(juce::ColourGradient(juce::Colour(0xff3b4049), c.x - capR, c.y - capR,
                                                   juce::Colour(0xff181a1e), c.x + capR, c.y + capR, true));
            g.fillEllipse(c.x - capR, c.y - capR, capR * 2.0f, capR * 2.0f);
            g.setColour(juce::Colours::black.withAlpha(0.6f));
            g.drawEllipse(c.x - capR, c.y - capR, capR * 2.0f, capR * 2.0f, 1.0f);
            const auto tip = c.getPointOnCircumference(capR - 3.0f, angle);
            const auto base = c.getPointOnCircumference(capR * 0.35f, angle);
            g.setColour(Palette::accentBright);
            g.drawLine({base, tip}, 2.5f);
            if (stepped)
                drawLabel(g, juce::String(f + 1),
                          juce::Rectangle<float>(c.x - 12.0f, c.y + capR * 0.2f, 24.0f, 14.0f), 11.0f,
                          Palette::labelBright);
        });
}

juce::Image makeWidthGaugeStrip(int width, int frameHeight, int frames)
{
    return makeDrawnStrip(
        width, frameHeight, frames,
        [&](juce::Graphics& g, juce::Rectangle<float> r, int f)
        {
            const float value = (float)f / (float)(frames - 1);
            // The pivot sits high enough that the Analysis switch below the gauge covers none of it.
            const auto c = juce::Point<float>(r.getCentreX(), r.getBottom() - 26.0f);
            const float radius = r.getHeight() - 36.0f;
            const float from = -0.5f * pi, to = 0.5f * pi;
            drawArc(g, c, radius, from, to, 5.0f, Palette::groove);
            // 100 % sits straight up: the arc fills from there towards the value.
            const float angle = from + (to - from) * value;
            drawArc(g, c, radius, juce::jmin(0.0f, angle), juce::jmax(0.0f, angle), 4.0f,
                    value >= 0.5f ? Palette::accent : Palette::highlight);
            for (int t = 0; t <= 8; ++t)
            {
                const float a = from + (to - from) * (float)t / 8.0f;
                g.setColour(Palette::label.withAlpha(t % 4 == 0 ? 0.9f : 0.4f));
                g.drawLine({c.getPointOnCircumference(radius + 4.0f, a),
                            c.getPointOnCircumference(radius + 8.0f, a)},
                           1.0f);
            }
            g.setColour(Palette::labelBright);
            g.drawLine(
                {c.getPointOnCircumference(6.0f, angle), c.getPointOnCircumference(radius - 4.0f, angle)},
                2.0f);
            g.setColour(juce::Colour(0xff2b2f36));
            g.fillEllipse(c.x - 5.0f, c.y - 5.0f, 10.0f, 10.0f);
            // The value beside the pivot, on the side the needle is not.
            const int percent = juce::roundToInt(value * 200.0f);
            const float labelX = value >= 0.5f ? r.getX() + 4.0f : c.x + 10.0f;
            drawLabel(g, juce::String(percent) + " %",
                      juce::Rectangle<float>(labelX, c.y - 6.0f, c.x - 14.0f - r.getX(), 12.0f), 10.0f,
                      Palette::labelBright, false,
                      value >= 0.5f ? juce::Justification::centredRight : juce::Justification::centredLeft);
        });
}

juce::Image makeMiniBarStrip(int width, int frameHeight, int frames, const juce::String& caption)
{
    return makeDrawnStrip(width, frameHeight, frames,
                          [&](juce::Graphics& g, juce::Rectangle<float> r, int f)
                          {
                              const float value = (float)f / (float)(frames - 1);
                              drawInsetPanel(g, r.reduced(1.0f), 3.0f);
                              auto inner = r.reduced(4.0f, 3.0f);
                              drawLabel(g, caption, inner.removeFromTop(inner.getHeight() * 0.5f), 8.0f,
                                        Palette::label);
                              auto bar = inner.reduced(0.0f, 2.0f);
                              g.setColour(Palette::groove);
                              g.fillRect(bar);
                              g.setColour(Palette::accent);
                              g.fillRect(bar.withWidth(bar.getWidth() * value));
                          });
}

juce::Image makeShapeStrip(int width, int frameHeight)
{
    return makeDrawnStrip(
        width, frameHeight, 5,
        [&](juce::Graphics& g, juce::Rectangle<float> r, int f)
        {
            drawInsetPanel(g, r.reduced(1.0f), 3.0f);
            auto area = r.reduced(6.0f, 6.0f);
            juce::Path p;
            const int n = 48;
            juce::Random rnd(f == 3 ? 7 : 11); // fixed seeds keep the artwork reproducible
            float held = 0.0f;
            for (int i = 0; i <= n; ++i)
            {
                const float t = (float)i / (float)n;
                float y = 0.0f;
                switch (f)
                {
                case 0:
                    y = std::sin(t * 2.0f * pi);
                    break;
                case 1:
                    y = t < 0.25f ? t * 4.0f : (t < 0.75f ? 2.0f - t * 4.0f : t * 4.0f - 4.0f);
                    break;
                case 2:
                    y = t < 0.5f ? 1.0f : -1.0f;
                    break;
                case 3:
                    if (i % 8 == 0)
                        held = rnd.nextFloat() * 2.0f - 1.0f;
                    y = held;
                    break;
                default:
                    held += (rnd.nextFloat() - 0.5f) * 0.5f;
                    held = juce::jlimit(-1.0f, 1.0f, held);
                    y = held;
                    break;
                }
                const auto pt = juce::Point<float>(area.getX() + t * area.getWidth(),
                                                   area.getCentreY() - y * area.getHeight() * 0.5f);
                if (i == 0)
                    p.startNewSubPath(pt);
                else
                    p.lineTo(pt);
            }
            g.setColour(Palette::accentBright);
            g.strokePath(
                p, juce::PathStrokeType(1.4f, juce::PathStrokeType::mitered, juce::PathStrokeType::rounded));
        });
}

juce::Image makePhaseStrip(int width, int frameHeight, int frames)
{
    return makeDrawnStrip(width, frameHeight, frames,
                          [&](juce::Graphics& g, juce::Rectangle<float> r, int f)
                          {
                              drawInsetPanel(g, r.reduced(1.0f), 3.0f);
                              if (f == 0 || f == frames - 1)
                              {
                                  drawLabel(g, "INV", r, 11.0f, Palette::highlight);
                                  return;
                              }
                              if (f == 1)
                              {
                                  drawLabel(g, "OFF", r, 11.0f, Palette::label);
                                  return;
                              }
                              const float value = (float)(f - 1) / (float)(frames - 3);
                              auto bar = r.reduced(5.0f).removeFromBottom(3.0f);
                              g.setColour(Palette::groove);
                              g.fillRect(bar);
                              g.setColour(Palette::accent);
                              g.fillRect(bar.withWidth(bar.getWidth() * value));
                              drawLabel(g, juce::String(f - 1) + "%", r.reduced(2.0f).withTrimmedBottom(5.0f),
                                        10.0f, Palette::labelBright, false);
                          });
}

juce::Image makeAutoLevelStrip(int width, int frameHeight)
{
    return makeDrawnStrip(width, frameHeight, 5,
                          [&](juce::Graphics& g, juce::Rectangle<float> r, int f)
                          {
                              const bool lit = f != 0;
                              drawButtonFace(g, r.reduced(1.0f), lit,
                                             f >= 2 ? Palette::highlight : Palette::accent);
                              // Frames 4, 3, 2 count the three seconds of an analysis down.
                              const juce::String text = f < 2 ? juce::String("AUTO") : juce::String(f - 1);
                              drawLabel(g, text, r, 10.0f, lit ? Palette::labelBright : Palette::label);
                          });
}

juce::Image makeLedStrip(int size, int frames)
{
    return makeDrawnStrip(
        size, size, frames,
        [&](juce::Graphics& g, juce::Rectangle<float> r, int f)
        {
            const float level = (float)f / (float)(frames - 1);
            const juce::Colour hue =
                level < 0.7f ? juce::Colour(0xff39d36b)
                             : (level < 0.9f ? juce::Colour(0xffe8c547) : juce::Colour(0xffff4a3a));
            auto led = r.reduced(1.0f);
            g.setColour(Palette::groove);
            g.fillEllipse(led);
            const auto lit = hue.withMultipliedBrightness(0.25f + 0.75f * level);
            g.setGradientFill(juce::ColourGradient(lit.brighter(0.5f * level), led.getCentreX() - 1.5f,
                                                   led.getCentreY() - 1.5f, lit.darker(0.6f), led.getRight(),
                                                   led.getBottom(), true));
            g.fillEllipse(led.reduced(1.0f));
        });
}

} // namespace vk::artwork
