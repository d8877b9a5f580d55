#pragma once

namespace vk
{

/** How a pixel's new amplitude meets the value already shown. [any thread] Pure. */
struct CurveSmoothingRule
{
    enum class Kind
    {
        average,   // x = (1 - a) v + a o
        ballistic, // rise and fall at most by the given factors per update
        smoothed   // attack towards larger values, release towards smaller ones
    };
    Kind kind = Kind::smoothed;
    double averageCoefficient = 0.0;
    double rise = 1000.0, fall = 0.001;
    double attack = 0.0, release = 0.0;

    /** The new value; values below 1e-10 in size become 0, non-finite amplitudes count as 0. */
    float apply(float old, double v) const noexcept;

    /** Rise and fall factors for `elapsedSeconds` at the rates in dB per second; without ballistics the
        curve follows at once (1000 and 0.001). */
    static CurveSmoothingRule ballistic(bool on, double elapsedSeconds, double riseRate, double fallRate);
};

/** One spectrum as the graph reads it: halfSize + 1 power values (DC to Nyquist). */
struct SpectrumView
{
    const double* power = nullptr;
    int halfSize = 0;
};

/** Where a curve update puts the spectrum. */
struct CurveUpdateGeometry
{
    double binsPerHz = 0.0; // 2 N / sample rate
    double minHz = 20.0, maxHz = 22000.0;
    int pixels = 0;
    double gain = 1.0;
    /** Lower limit of the previous value in the log-domain interpolation of narrow pixels. */
    double previousFloor = 1e-8;
    /** Pixels past the last bin keep the last value written instead of 0. */
    bool holdEnd = false;
};

/** Per-pixel update: each pixel takes the largest power of the bins it covers; a pixel narrower than one
    bin is interpolated in the log domain between the previous pixel's amplitude and its bin's. Every bin
    index stays inside 0..halfSize, whatever the range and sample rate. Returns the largest new amplitude.
    [any thread] No allocation. */
double updateCurvePerPixel(const SpectrumView& spectrum, const CurveUpdateGeometry& g,
                           const CurveSmoothingRule& rule, float* values);

/** Band update: geometric bands of bandRatio (> 1), or the edges of band table row `bandTableRow` for
    bandRatio -1. Each band takes the largest power of its bins and fills its pixels with one value; pixels
    below the first band become 0. firstBandWidth receives the width of the first band that ends past pixel
    0. Ratios that are neither -1 nor above 1.001 change nothing. Returns the largest new amplitude.
    [any thread] No allocation. */
double updateCurveBands(const SpectrumView& spectrum, const CurveUpdateGeometry& g, float bandRatio,
                        int bandTableRow, const CurveSmoothingRule& rule, float* values, int& firstBandWidth);

} // namespace vk
