#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace fft_test
{

inline constexpr int kSizes[] = {256, 512, 1024, 2048, 4096, 8192, 16384, 32768, 65536, 131072};

inline constexpr long double kPi = 3.141592653589793238462643383279502884L;

inline int sizeClassOf(int n)
{
    int l = 0;
    while ((1 << l) < n)
        ++l;
    return l;
}

/** Deterministic samples uniform in [-1, 1), independent of the standard library's distributions. */
inline std::vector<double> randomSignal(int n, uint64_t seed)
{
    std::vector<double> x(static_cast<size_t>(n));
    uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    for (double& v : x)
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        v = static_cast<double>(state >> 11) * 0x1.0p-52 - 1.0;
    }
    return x;
}

inline bool sameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

inline double maxAbsDifference(const std::vector<double>& a, const std::vector<double>& b)
{
    double worst = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        worst = std::fmax(worst, std::fabs(a[i] - b[i]));
    return worst;
}

} // namespace fft_test
