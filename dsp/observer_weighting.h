#pragma once

#include <cstdint>

/** Weighting curves applied to observed power spectra. */
enum class ObserverWeighting : int32_t
{
    None = 0,
    A = 1,
    B = 2,
    C = 3,
    D = 4,
    Slope1dB = 5,
    Slope2dB = 6,
    Slope3dB = 7,
    Slope4dB = 8,
    Slope5dB = 9,
    Slope6dB = 10
};

bool isValidObserverWeighting(int32_t type) noexcept;

/** Power weighting at frequency f (Hz). The slopes rise by 1 to 6 dB per octave and pass 1 kHz at unity. */
double observerWeightingAt(ObserverWeighting type, double f) noexcept;

/** curve[i] = weighting at i * binSpacing for i = 0 .. binCount - 1, with DC given the value of bin 1 so
    that the DC bin is not wiped out by curves that vanish at 0 Hz. No allocation. */
void buildObserverWeightingCurve(ObserverWeighting type, double binSpacing, float* curve,
                                 int binCount) noexcept;

/** Display factor by transform size, so that spectra of different sizes draw at comparable heights. */
float observerSizeNormalisation(int transformLength) noexcept;
