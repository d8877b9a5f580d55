#pragma once

// The fan both stereo-field layers share: its centre sits on the bottom edge of the fan rectangle, angles
// are measured from straight up (positive to the right), and a radius fraction of 0..1 maps onto the outer
// fanRadius pixels of the rectangle's height.
// [any thread] Pure arithmetic, no allocation.

#include <juce_graphics/juce_graphics.h>

namespace latiphonix
{

struct FanGeometry
{
    static constexpr float maxAngle = juce::MathConstants<float>::pi / 3.0f;

    juce::Rectangle<float> rect;
    float radius = 176.0f;

    juce::Point<float> centre() const noexcept
    {
        return {rect.getX() + rect.getWidth() * 0.5f, rect.getBottom()};
    }
    float radiusAt(float fraction) const noexcept { return radius * fraction + (rect.getHeight() - radius); }
    juce::Point<float> pointAt(float angle, float fraction) const noexcept
    {
        return pointAtRadius(angle, radiusAt(fraction));
    }
    juce::Point<float> pointAtRadius(float angle, float r) const noexcept
    {
        const auto c = centre();
        return {c.x + std::sin(angle) * r, c.y - std::cos(angle) * r};
    }

    // The IID handles lean left of the vertical and the ITD handles right; the tiny bias keeps a width of 0
    // from putting both handle pairs exactly on top of each other.
    static float iidAngle(float width) noexcept { return -(width * maxAngle + 0.001f); }
    static float itdAngle(float width) noexcept { return width * maxAngle + 0.001f; }

    // A pointer position as the drag reads it: a = the angle in units of maxAngle, clamped to -1..1 (0 below
    // the centre line), f = the radius fraction, clamped to 0..1.
    struct Polar
    {
        float a, f;
    };
    Polar polarAt(juce::Point<float> p) const noexcept
    {
        const auto c = centre();
        const float dx = p.x - c.x, dy = c.y - p.y;
        const float angle = dy > 0.0f ? std::atan(dx / dy) : 0.0f;
        const float distance = std::sqrt(dx * dx + dy * dy) - (rect.getHeight() - radius);
        return {juce::jlimit(-1.0f, 1.0f, angle / maxAngle), juce::jlimit(0.0f, 1.0f, distance / radius)};
    }
};

} // namespace latiphonix
