#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

namespace vk
{

/** Colour stops along 0..1, kept sorted by position, for the scalable button's per-state gradients.

    [message thread] No allocation except when a stop is added.
*/
class VkJuceColourGradient
{
public:
    struct Stop
    {
        float position;
        juce::Colour colour;
    };

    explicit VkJuceColourGradient(bool isHorizontal = true) : horizontal(isHorizontal) {}

    void addStop(float position, juce::Colour colour);
    /** Moves stop `index` (others are ignored) and sorts again. */
    void setStopPosition(float position, int index);
    /** White without stops; the end colours beyond the end stops; else the two surrounding stops mixed,
        weight (hi - position) / (hi - lo) on the lower one. */
    juce::Colour getColourAt(float position) const;
    /** x for a horizontal gradient, y otherwise. */
    juce::Colour getColourAt(float x, float y) const { return getColourAt(horizontal ? x : y); }

    int getNumStops() const noexcept { return (int)stops.size(); }
    const Stop& getStop(int index) const { return stops[(size_t)index]; }
    bool isHorizontal() const noexcept { return horizontal; }
    void setHorizontal(bool h) noexcept { horizontal = h; }

private:
    void sortStops();

    std::vector<Stop> stops;
    bool horizontal;
};

} // namespace vk
