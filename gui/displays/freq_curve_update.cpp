#include "freq_curve_update.h"

#include "freq_band_tables.h"

#include <algorithm>
#include <cmath>

namespace vk
{

namespace
{
// Bin positions are computed in double and clamped before any conversion to int: a range far above the
// source's Nyquist frequency (a 22 kHz display of a 22.05 kHz stream, a 1 Hz sample rate without a
// processor) would otherwise index past the buffer or overflow the conversion.
int clampedIndex(double position, int lowest, int highest) noexcept
{
    if (!(position > (double)lowest))
        return lowest;
    if (position >= (double)highest)
        return highest;
    return (int)position;
}

double largestPower(const double* power, int from, int toExclusive) noexcept
{
    double m = power[from];
    for (int i = from + 1; i < toExclusive; ++i)
        m = std::max(m, power[i]);
    return m;
}

double amplitude(double power, double gain) noexcept
{
    const double v = std::sqrt(std::max(power, 0.0)) * gain;
    return std::isfinite(v) ? v : 0.0;
}
} // namespace

float CurveSmoothingRule::apply(float oldValue, double v) const noexcept
{
    if (!std::isfinite(v))
        v = 0.0;
    const double o = oldValue;
    double x = v;
    switch (kind)
    {
    case Kind::average:
        x = (1.0 - averageCoefficient) * v + averageCoefficient * o;
        break;
    case Kind::ballistic:
        x = v <= o ? std::max(o * fall + 1e-10, v) : std::min((o + 1e-10) * rise, v);
        break;
    case Kind::smoothed:
    {
        const double a = v > o ? attack : release;
        x = (1.0 - a) * v + a * o;
        break;
    }
    }
    if (std::fabs(x) < 1e-10 || !std::isfinite(x))
        return 0.0f;
    return (float)x;
}

CurveSmoothingRule CurveSmoothingRule::ballistic(bool on, double elapsedSeconds, double riseRate,
                                                 double fallRate)
{
    CurveSmoothingRule r;
    r.kind = Kind::ballistic;
    if (!on)
        return r;
    const double riseExponent = elapsedSeconds * riseRate / 20.0;
    r.rise = riseExponent > 200.0 ? 1.0e10 : std::pow(10.0, riseExponent);
    r.fall = std::pow(10.0, -elapsedSeconds * fallRate / 20.0);
    return r;
}

double updateCurvePerPixel(const SpectrumView& spectrum, const CurveUpdateGeometry& g,
                           const CurveSmoothingRule& rule, float* values)
{
    const int n = spectrum.halfSize;
    const int pixels = g.pixels;
    if (spectrum.power == nullptr || values == nullptr || n < 2 || pixels <= 0 || !(g.minHz > 0.0) ||
        !(g.maxHz > g.minHz))
        return 0.0;
    const double* data = spectrum.power;
    const double b = g.binsPerHz;
    const double q = std::exp(std::log(g.maxHz / g.minHz) / pixels);
    double pos = q * b * g.minHz;
    int start = std::max(clampedIndex(b * g.minHz - 1.0, 1, n), 1);
    double prev = amplitude(data[start], g.gain);
    float lastWritten = 0.0f;
    double peak = 0.0;

    for (int i = 0; i < pixels; ++i)
    {
        const int hi = clampedIndex(pos + 1.0, 0, n);
        if (hi >= n - 1)
        {
            values[i] = g.holdEnd ? lastWritten : 0.0f;
            continue;
        }
        double power = 0.0;
        double frac = 0.0;
        if (hi - start < 1)
        {
            power = data[hi];
            frac = pos + 1.0 - start;
        }
        else
        {
            power = largestPower(data, start, hi);
        }
        pos *= q;
        double v = amplitude(power, g.gain);
        peak = std::max(peak, v);
        if (frac > 0.0)
        {
            const double p = std::max(prev, g.previousFloor);
            v = std::exp(frac * std::log(std::max(v, 1e-300)) + (1.0 - frac) * std::log(p));
        }
        else
        {
            prev = v;
        }
        lastWritten = values[i] = rule.apply(values[i], v);
        start = hi;
    }
    return peak;
}

double updateCurveBands(const SpectrumView& spectrum, const CurveUpdateGeometry& g, float bandRatio,
                        int bandTableRow, const CurveSmoothingRule& rule, float* values, int& firstBandWidth)
{
    const int n = spectrum.halfSize;
    const int pixels = g.pixels;
    if (spectrum.power == nullptr || values == nullptr || n < 2 || pixels <= 0 || !(g.minHz > 0.0) ||
        !(g.maxHz > g.minHz))
        return 0.0;
    const bool fromTable = bandRatio == -1.0f;
    if (!fromTable && !(bandRatio > 1.001f))
        return 0.0;

    int edgeCount = 0;
    const float* edges = fromTable ? FreqBandTables::getRow(bandTableRow, edgeCount) : nullptr;
    const double r = bandRatio;
    double f = 0.0;
    if (fromTable)
    {
        if (edgeCount < 2)
        {
            std::fill(values, values + pixels, 0.0f);
            return 0.0;
        }
        f = edges[0];
    }
    else
    {
        f = FreqBandTables::getReferenceFrequency(bandTableRow) / 64.0 / std::sqrt(r);
        while (f <= g.minHz)
            f *= r;
        f /= r;
    }

    const double* data = spectrum.power;
    const double b = g.binsPerHz;
    const double lnMin = std::log(g.minHz);
    const double lnSpan = std::log(g.maxHz) - lnMin;
    auto pixelOf = [&](double hz)
    { return clampedIndex((std::log(hz) - lnMin) / lnSpan * pixels, -1, pixels - 1); };

    int firstPixel = std::max(pixelOf(f), 0);
    std::fill(values, values + firstPixel, 0.0f);
    bool firstRecorded = false;
    double peak = 0.0;
    int edge = 0;
    // Bounded by the table, or by a ratio above 1.001 climbing to the top of the range.
    for (int guard = 0; f <= g.maxHz && guard < 100000; ++guard)
    {
        double next = 0.0;
        if (fromTable)
        {
            if (edge + 1 >= edgeCount)
                break;
            next = edges[++edge];
        }
        else
        {
            next = f * r;
        }
        const int lo = clampedIndex(f * b, 0, n - 1);
        const int hiExclusive = std::max(clampedIndex(next * b, 0, n), lo + 1);
        const double v = amplitude(largestPower(data, lo, hiExclusive), g.gain);
        peak = std::max(peak, v);
        const int x = pixelOf(next);
        if (x > 0 && !firstRecorded)
        {
            firstBandWidth = x - firstPixel;
            firstRecorded = true;
        }
        if (x >= firstPixel)
        {
            const float value = rule.apply(values[firstPixel], v);
            std::fill(values + firstPixel, values + x + 1, value);
            firstPixel = x + 1;
        }
        f = next;
    }
    return peak;
}

} // namespace vk
