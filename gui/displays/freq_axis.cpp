#include "freq_axis.h"

#include <cmath>

namespace vk::FreqAxis
{

double frequencyAtPixel(double x, double width, double minHz, double maxHz) noexcept
{
    const double lnMin = std::log(minHz);
    return std::exp(lnMin + (std::log(maxHz) - lnMin) * x / width);
}

double pixelOfFrequency(double hz, double width, double minHz, double maxHz) noexcept
{
    const double lnMin = std::log(minHz);
    return (std::log(hz) - lnMin) / (std::log(maxHz) - lnMin) * width;
}

int noteNumber(double hz) noexcept
{
    if (!(hz > 0.0) || !std::isfinite(hz))
        return 0;
    const double n = std::log(hz / 440.0) / semitone + 49.5;
    // Beyond the keys any label is empty anyway; this keeps the conversion to int defined.
    return (int)juce::jlimit(-1000.0, 1000.0, n);
}

juce::String noteName(double hz)
{
    static constexpr const char* names[] = {"A", "A#", "B", "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#"};
    const int n = noteNumber(hz);
    if (n < 1 || n > 300)
        return {};
    return juce::String(names[(n - 1) % 12]) + juce::String((n - 4) / 12 + 1);
}

double snapToNote(double hz) noexcept
{
    return std::exp((noteNumber(hz) - 49) * semitone) * 440.0;
}

juce::String frequencyLabel(double hz, int bandTableRow)
{
    if (bandTableRow == 4)
        return noteName(hz);
    return juce::String::formatted("%.0fHz", std::isfinite(hz) ? hz : 0.0);
}

} // namespace vk::FreqAxis
