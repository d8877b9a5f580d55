#pragma once

#include "dsp/recursive_filter_band.h"

#include <cmath>

/** Biquad designs from f in Hz, Q, fs and a linear gain A, selected by the filter type:
    0 peaking, 1 low shelf, 2 high shelf, 3 low-pass, 4 high-pass, 5 band-pass (peak gain Q), 6 notch,
    7 resonator band-pass, 8 resonator band-reject.

    Threads: as CRecursiveFilter; design neither allocates nor locks.
*/
template <typename T>
class CRecursiveFilterBiquad : public CRecursiveFilter<T>
{
public:
    enum Type
    {
        kPeaking = 0,
        kLowShelf = 1,
        kHighShelf = 2,
        kLowPass = 3,
        kHighPass = 4,
        kBandPass = 5,
        kNotch = 6,
        kResonatorBandPass = 7,
        kResonatorBandReject = 8
    };

    explicit CRecursiveFilterBiquad(int type = kPeaking) noexcept : m_type(type) {}

    void setType(int type) noexcept { m_type = type; }
    int getType() const noexcept { return m_type; }

    /** Designs the current type. Returns false and changes nothing when the arguments cannot give a finite,
        stable design (fs or Q not above zero, f negative or at or above half of fs, a gain the formula
        cannot take, non-finite input) or the type is not one of the table; an unstable or NaN filter would
        otherwise poison the whole signal path. */
    bool design(T frequency, T q, T sampleRate, T gain) noexcept
    {
        const double f = frequency;
        const double fs = sampleRate;
        const double qd = q;
        const double a = gain;
        // At and above half the sampling rate sin(omega) turns negative and the formulas give poles outside
        // the unit circle: a filter that grows without bound while staying finite for a long time.
        if (!std::isfinite(f) || !std::isfinite(fs) || !std::isfinite(qd) || !std::isfinite(a) || fs <= 0.0 ||
            qd <= 0.0 || f < 0.0 || f >= 0.5 * fs)
            return false;
        if (m_type < kPeaking || m_type > kResonatorBandReject)
            return false;

        constexpr double kTwoPi = 6.283185307179586476925286766559;
        const double omega = kTwoPi * f / fs;
        const double c = std::cos(omega);
        const double alpha = std::sin(omega) / (2.0 * qd);

        double b0 = 0.0, b1 = 0.0, b2 = 0.0, a0 = 1.0, a1 = 0.0, a2 = 0.0;
        int formula = m_type;
        // A shelf at zero gain removes its band entirely: the low shelf becomes the high-pass and the high
        // shelf the low-pass.
        if (formula == kLowShelf && a == 0.0)
            formula = kHighPass;
        else if (formula == kHighShelf && a == 0.0)
            formula = kLowPass;

        switch (formula)
        {
        case kPeaking:
            if (!(a > 0.0))
                return false;
            b0 = 1.0 + alpha * a;
            b1 = -2.0 * c;
            b2 = 1.0 - alpha * a;
            a0 = 1.0 + alpha / a;
            a1 = -2.0 * c;
            a2 = 1.0 - alpha / a;
            break;
        case kLowShelf:
        case kHighShelf:
        {
            if (!(a > 0.0))
                return false;
            const double root = 2.0 * std::sqrt(a) * alpha;
            if (formula == kLowShelf)
            {
                b0 = a * ((a + 1.0) - (a - 1.0) * c + root);
                b1 = 2.0 * a * ((a - 1.0) - (a + 1.0) * c);
                b2 = a * ((a + 1.0) - (a - 1.0) * c - root);
                a0 = (a + 1.0) + (a - 1.0) * c + root;
                a1 = -2.0 * ((a - 1.0) + (a + 1.0) * c);
                a2 = (a + 1.0) + (a - 1.0) * c - root;
            }
            else
            {
                b0 = a * ((a + 1.0) + (a - 1.0) * c + root);
                b1 = -2.0 * a * ((a - 1.0) + (a + 1.0) * c);
                b2 = a * ((a + 1.0) + (a - 1.0) * c - root);
                a0 = (a + 1.0) - (a - 1.0) * c + root;
                a1 = 2.0 * ((a - 1.0) - (a + 1.0) * c);
                a2 = (a + 1.0) - (a - 1.0) * c - root;
            }
            break;
        }
        case kLowPass:
            b0 = (1.0 - c) / 2.0;
            b1 = 1.0 - c;
            b2 = (1.0 - c) / 2.0;
            a0 = 1.0 + alpha;
            a1 = -2.0 * c;
            a2 = 1.0 - alpha;
            break;
        case kHighPass:
            b0 = (1.0 + c) / 2.0;
            b1 = -(1.0 + c);
            b2 = (1.0 + c) / 2.0;
            a0 = 1.0 + alpha;
            a1 = -2.0 * c;
            a2 = 1.0 - alpha;
            break;
        case kBandPass:
            b0 = qd * alpha;
            b1 = 0.0;
            b2 = -qd * alpha;
            a0 = 1.0 + alpha;
            a1 = -2.0 * c;
            a2 = 1.0 - alpha;
            break;
        case kNotch:
            b0 = 1.0;
            b1 = -2.0 * c;
            b2 = 1.0;
            a0 = 1.0 + alpha;
            a1 = -2.0 * c;
            a2 = 1.0 - alpha;
            break;
        default:
        {
            const double centre = f / fs;
            const bool bandPass = formula == kResonatorBandPass;
            const double bw = bandPass ? centre / (10.1 * qd) : centre / (10.1 * qd + 0.1);
            ResonatorCoefficients k;
            if (!ResonatorCoefficients::design(bandPass, centre, bw, k))
                return false;
            storeParameters(frequency, q, sampleRate, gain, omega, c, alpha);
            this->setSecondOrder(k.a0, k.a1, k.a2, k.b1, k.b2);
            return true;
        }
        }

        const double n0 = b0 / a0, n1 = b1 / a0, n2 = b2 / a0, d1 = -a1 / a0, d2 = -a2 / a0;
        if (!std::isfinite(n0) || !std::isfinite(n1) || !std::isfinite(n2) || !std::isfinite(d1) ||
            !std::isfinite(d2))
            return false;
        storeParameters(frequency, q, sampleRate, gain, omega, c, alpha);
        this->setSecondOrder(n0, n1, n2, d1, d2);
        return true;
    }

    T getQ() const noexcept { return m_q; }
    T getOmega() const noexcept { return m_omega; }
    T getCosOmega() const noexcept { return m_cosOmega; }
    T getAlpha() const noexcept { return m_alpha; }
    T getGain() const noexcept { return m_gain; }
    T getFrequency() const noexcept { return m_frequency; }
    T getSampleRate() const noexcept { return m_sampleRate; }

private:
    void storeParameters(T f, T q, T fs, T gain, double omega, double c, double alpha) noexcept
    {
        m_frequency = f;
        m_sampleRate = fs;
        m_q = q;
        m_omega = static_cast<T>(omega);
        m_cosOmega = static_cast<T>(c);
        m_alpha = static_cast<T>(alpha);
        m_gain = gain;
    }

    T m_q = T(0);
    T m_omega = T(0);
    T m_cosOmega = T(0);
    T m_alpha = T(0);
    T m_gain = T(0);
    int m_type = kPeaking;
    T m_frequency = T(0);
    T m_sampleRate = T(0);
};

/** Biquad low-pass (type 3); band-limits the ITD signal from above. Threads: as CRecursiveFilter. */
template <typename T>
class CRecursiveFilterBiquadLowPass : public CRecursiveFilterBiquad<T>
{
public:
    CRecursiveFilterBiquadLowPass() noexcept : CRecursiveFilterBiquad<T>(CRecursiveFilterBiquad<T>::kLowPass)
    {
    }
};

/** Biquad high-pass (type 4); band-limits the ITD signal from below. Threads: as CRecursiveFilter. */
template <typename T>
class CRecursiveFilterBiquadHighPass : public CRecursiveFilterBiquad<T>
{
public:
    CRecursiveFilterBiquadHighPass() noexcept
        : CRecursiveFilterBiquad<T>(CRecursiveFilterBiquad<T>::kHighPass)
    {
    }
};
