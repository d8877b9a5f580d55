#include "dsp/fft_window.h"

#include <algorithm>
#include <cmath>

namespace
{
// Single-precision coefficients widened to double, so that tables match those of earlier releases.
constexpr double kHammingA = static_cast<double>(0.53836f);
constexpr double kHammingB = static_cast<double>(0.46164f);
constexpr double kBlackmanA0 = static_cast<double>(0.42f);
constexpr double kBlackmanA1 = static_cast<double>(0.5f);
constexpr double kBlackmanA2 = static_cast<double>(0.08f);
constexpr double kHarrisA0 = static_cast<double>(0.35875f);
constexpr double kHarrisA1 = static_cast<double>(0.48829f);
constexpr double kHarrisA2 = static_cast<double>(0.14128f);
constexpr double kHarrisA3 = static_cast<double>(0.01168f);
constexpr double kTwoPi = 6.283185307179586476925286766559;
} // namespace

FftWindowTable::FftWindowTable(int capacity)
    : m_capacity(std::max(0, capacity)), m_table(new double[static_cast<size_t>(m_capacity)]())
{
}

bool FftWindowTable::compute(int type, int n) noexcept
{
    if (type < kRectangular || type > kBlackmanHarris || n < 1 || n >= m_capacity)
        return false;
    if (type == m_type && n == m_length)
        return true;
    for (int i = 0; i <= n; ++i)
    {
        const double x = kTwoPi * i / n;
        double w = 1.0;
        switch (type)
        {
        case kHamming:
            w = kHammingA - kHammingB * std::cos(x);
            break;
        case kHann:
            w = 0.5 - 0.5 * std::cos(x);
            break;
        case kBlackman:
            w = kBlackmanA0 - kBlackmanA1 * std::cos(x) + kBlackmanA2 * std::cos(2.0 * x);
            break;
        case kBlackmanHarris:
            w = kHarrisA0 - kHarrisA1 * std::cos(x) + kHarrisA2 * std::cos(2.0 * x) -
                kHarrisA3 * std::cos(3.0 * x);
            break;
        default:
            break;
        }
        m_table[static_cast<size_t>(i)] = w;
    }
    m_type = type;
    m_length = n;
    return true;
}

void FftWindowTable::apply(double* frame) const noexcept
{
    for (int i = 0; i <= m_length; ++i)
        frame[i] *= m_table[static_cast<size_t>(i)];
}
