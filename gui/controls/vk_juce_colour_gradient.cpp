#include "vk_juce_colour_gradient.h"

#include <algorithm>

namespace vk
{

void VkJuceColourGradient::sortStops()
{
    std::stable_sort(stops.begin(), stops.end(),
                     [](const Stop& a, const Stop& b) { return a.position < b.position; });
}

void VkJuceColourGradient::addStop(float position, juce::Colour colour)
{
    stops.push_back({position, colour});
    sortStops();
}

void VkJuceColourGradient::setStopPosition(float position, int index)
{
    if (index < 0 || index >= (int)stops.size())
        return;
    stops[(size_t)index].position = position;
    sortStops();
}

juce::Colour VkJuceColourGradient::getColourAt(float position) const
{
    if (stops.empty())
        return juce::Colours::white;
    if (stops.size() == 1 || position <= stops.front().position)
        return stops.front().colour;
    if (position >= stops.back().position)
        return stops.back().colour;
    for (size_t i = 1; i < stops.size(); ++i)
    {
        const Stop& hi = stops[i];
        if (hi.position == position)
            return hi.colour;
        if (hi.position > position)
        {
            const Stop& lo = stops[i - 1];
            const float span = hi.position - lo.position;
            const float lowerWeight = span > 0.0f ? (hi.position - position) / span : 1.0f;
            // interpolatedWith takes the share of its argument: the upper colour gets the rest.
            return lo.colour.interpolatedWith(hi.colour, 1.0f - lowerWeight);
        }
    }
    return stops.back().colour;
}

} // namespace vk
