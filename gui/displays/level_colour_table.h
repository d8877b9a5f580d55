#pragma once

#include "controls/atomic_colour.h"

#include <array>
#include <atomic>

namespace vk
{

/** Segment colours of a level meter by level: colour 0, then colour k + 1 for every threshold k the level
    lies above.

    [message thread] set; [render thread] colourFor. Entries are atomic; a change half-way through a frame
    only mixes two tables for that frame.
*/
class LevelColourTable
{
public:
    static constexpr int size = 20;

    LevelColourTable() noexcept
    {
        for (auto& t : thresholds)
            t.store(150.0f, std::memory_order_relaxed);
        for (auto& c : colours)
            c.set(juce::Colour((uint8_t)114, (uint8_t)114, (uint8_t)114));
    }

    /** Index outside 0..19 is ignored. */
    void set(int index, float threshold, juce::Colour colour) noexcept
    {
        if (index < 0 || index >= size)
            return;
        thresholds[(size_t)index].store(threshold, std::memory_order_relaxed);
        colours[(size_t)index].set(colour);
    }

    juce::Colour colourFor(float level) const noexcept
    {
        int k = 0;
        while (k < size - 1 && level - 0.00001f > thresholds[(size_t)k].load(std::memory_order_relaxed))
            ++k;
        return colours[(size_t)k].get();
    }

private:
    std::array<std::atomic<float>, size> thresholds;
    std::array<AtomicColour, size> colours;
};

} // namespace vk
