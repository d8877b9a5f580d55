#pragma once

#include <juce_core/juce_core.h>

namespace vk
{

/** The frequency graph's axis arithmetic and labels. [any thread] Pure; labels allocate their string. */
namespace FreqAxis
{
/** ln 2 / 12: one semitone in the natural log domain. */
constexpr double semitone = 0.057762276;

/** Frequency at pixel x of a plot `width` pixels wide on a log axis from minHz to maxHz. */
double frequencyAtPixel(double x, double width, double minHz, double maxHz) noexcept;
/** The pixel of hz on that axis (fractional, may lie outside the plot). */
double pixelOfFrequency(double hz, double width, double minHz, double maxHz) noexcept;
/** The nearest piano key, A4 = 49; 0 for frequencies that are not positive and finite. */
int noteNumber(double hz) noexcept;
/** "A4", "C#3"...; empty outside keys 1..300. */
juce::String noteName(double hz);
/** The frequency of the nearest key. */
double snapToNote(double hz) noexcept;
/** "%.0fHz", or the note name for band table row 4. */
juce::String frequencyLabel(double hz, int bandTableRow);
} // namespace FreqAxis

} // namespace vk
