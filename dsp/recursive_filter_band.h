#pragma once

#include "dsp/recursive_filter.h"

#include <cmath>

/** Coefficients of the single-pole-pair resonators, kept apart from the classes so that the biquad's
    resonator types share them. f and bw are fractions of the sampling rate. */
struct ResonatorCoefficients
{
    double a0 = 1.0, a1 = 0.0, a2 = 0.0, b1 = 0.0, b2 = 0.0;

    /** What a resonator becomes where no design applies: the band-reject a wire, the band-pass silence.
        The two are complements (they sum to the input), so a neutral pair leaves the signal as it is; a
        band-pass passing its input would add the whole signal to a band sum once more. */
    static ResonatorCoefficients neutral(bool bandPass) noexcept
    {
        ResonatorCoefficients k;
        k.a0 = bandPass ? 0.0 : 1.0;
        return k;
    }

    /** False when no stable design exists: a centre on DC (or a multiple of the sampling rate) makes the
        gain normaliser divide by zero, and a bandwidth outside (0, 2/3) puts the poles on or outside the
        unit circle. */
    static bool design(bool bandPass, double f, double bw, ResonatorCoefficients& out) noexcept
    {
        if (!std::isfinite(f) || !std::isfinite(bw) || bw <= 0.0 || bw >= 2.0 / 3.0)
            return false;
        constexpr double kTwoPi = 6.283185307179586476925286766559;
        const double c = std::cos(kTwoPi * f);
        const double denominator = 2.0 - 2.0 * c;
        if (!(denominator > 0.0))
            return false;
        const double r = 1.0 - 3.0 * bw;
        const double k = (1.0 - 2.0 * r * c + r * r) / denominator;
        if (!std::isfinite(k))
            return false;
        if (bandPass)
        {
            out.a0 = 1.0 - k;
            out.a1 = 2.0 * (k - r) * c;
            out.a2 = r * r - k;
        }
        else
        {
            out.a0 = k;
            out.a1 = -2.0 * k * c;
            out.a2 = k;
        }
        out.b1 = 2.0 * r * c;
        out.b2 = -r * r;
        return true;
    }
};

/** Narrow-band resonator base: remembers the centre and bandwidth it was designed for, so that the owner
    can tell whether a band already sits where it should.

    Threads: as CRecursiveFilter; designs neither allocate nor lock.
*/
template <typename T>
class CRecursiveFilterBand : public CRecursiveFilter<T>
{
public:
    /** Centre frequency and bandwidth as fractions of the sampling rate. */
    T getFrequency() const noexcept { return m_frequency; }
    T getBandwidth() const noexcept { return m_bandwidth; }

protected:
    /** Stores f and bw in any case; a design without a stable solution leaves the neutral filter
        (ResonatorCoefficients::neutral), the same state owners use for bands that are too low. Returns
        whether the design was stable. */
    bool designResonator(bool bandPass, T f, T bw) noexcept
    {
        m_frequency = f;
        m_bandwidth = bw;
        ResonatorCoefficients k;
        const bool stable = ResonatorCoefficients::design(bandPass, f, bw, k);
        if (!stable)
            k = ResonatorCoefficients::neutral(bandPass);
        this->setSecondOrder(k.a0, k.a1, k.a2, k.b1, k.b2);
        return stable;
    }

private:
    T m_frequency = T(0);
    T m_bandwidth = T(0);
};

/** Notch of width bw at f: unity gain away from the centre, zero at it. */
template <typename T>
class CRecursiveFilterBandReject : public CRecursiveFilterBand<T>
{
public:
    bool design(T f, T bw) noexcept { return this->designResonator(false, f, bw); }
};

/** Complement of the band-reject: unity gain at the centre, falling off away from it. */
template <typename T>
class CRecursiveFilterBandPass : public CRecursiveFilterBand<T>
{
public:
    bool design(T f, T bw) noexcept { return this->designResonator(true, f, bw); }
};
