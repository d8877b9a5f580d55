// What the transforms compute, seen only through the public entry points: conventions (sign, layout,
// scaling), accuracy against an exact DFT, and the contract on sizes and arrays.

#include "fft/fft_instance.h"
#include "fft/fft_pool.h"
#include "fft/vk_fft.h"
#include "fft_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

using namespace fft_test;

// Largest forward error for inputs in [-1, 1], by size from 256 points up: the cosine table keeps it near
// rounding level up to 4096 points; the twiddle recurrence of the longer stages lets it grow with the steps.
double forwardErrorBound(int n)
{
    const double bounds[] = {1.5e-14, 3e-14, 4e-14, 8e-14, 1.5e-13, 3e-12, 5e-11, 1.2e-10, 3e-10, 1e-9};
    return bounds[sizeClassOf(n) - 8];
}

// Largest error of inverse(forward(x)) / n against x.
double roundTripErrorBound(int n)
{
    return n <= 4096 ? 2e-15 : 6e-12;
}

// Exact spectrum bin k (positive exponent) in long double, in the split half-spectrum's terms.
void exactBin(const std::vector<double>& x, const std::vector<long double>& cosines, int k, long double& re,
              long double& im)
{
    const size_t n = x.size();
    re = im = 0.0L;
    size_t phase = 0;
    for (size_t j = 0; j < n; ++j)
    {
        re += x[j] * cosines[phase];
        im += x[j] * cosines[(phase + 3 * n / 4) % n]; // sin(a) = cos(a - pi/2)
        phase = (phase + static_cast<size_t>(k)) % n;
    }
}

TEST(FftForward, MatchesExactTransformOfRandomSignal)
{
    for (int n : kSizes)
    {
        SCOPED_TRACE(n);
        const std::vector<double> x = randomSignal(n, 5 + uint64_t(n));
        std::vector<double> X(static_cast<size_t>(n));
        fftForward(n, X.data(), x.data());

        std::vector<long double> cosines(n);
        for (int i = 0; i < n; ++i)
            cosines[i] = std::cos(2.0L * kPi * i / n);

        // Every bin where the exact DFT is affordable, a spread of bins (both ends included) above.
        std::vector<int> bins;
        if (n <= 4096)
        {
            for (int k = 0; k <= n / 2; ++k)
                bins.push_back(k);
        }
        else
        {
            for (int k : {0, 1, 2, 3, n / 8 - 1, n / 4, n / 4 + 1, n / 2 - 2, n / 2 - 1, n / 2})
                bins.push_back(k);
            for (int i = 1; i <= 24; ++i)
                bins.push_back(static_cast<int>((static_cast<long long>(i) * 7919 * 131) % (n / 2)));
        }

        double worst = 0.0;
        for (int k : bins)
        {
            long double re, im;
            exactBin(x, cosines, k, re, im);
            worst = std::fmax(worst, static_cast<double>(std::fabs(X[k] - re)));
            if (k > 0 && k < n / 2)
                worst = std::fmax(worst, static_cast<double>(std::fabs(X[n / 2 + k] - im)));
        }
        EXPECT_LE(worst, forwardErrorBound(n));
        EXPECT_GT(worst, 0.0) << "a rounding-free transform of random data means the test compared nothing";
    }
}

// The inverse undoes the forward transform up to the factor n, which fftScale removes with the exact
// reciprocal; neither transform writes its input.
TEST(FftInverse, UndoesForwardTimesNAndLeavesInputsAlone)
{
    for (int n : kSizes)
    {
        SCOPED_TRACE(n);
        const std::vector<double> x = randomSignal(n, 17 + n);
        std::vector<double> in = x;
        std::vector<double> X(n);
        fftForward(n, X.data(), in.data());
        EXPECT_TRUE(sameBits(in, x));
        const std::vector<double> spectrum = X;
        std::vector<double> y(n);
        fftInverse(n, X.data(), y.data());
        EXPECT_TRUE(sameBits(X, spectrum));

        std::vector<double> nx(n);
        for (int j = 0; j < n; ++j)
            nx[j] = n * x[j];
        EXPECT_LE(maxAbsDifference(y, nx), n * roundTripErrorBound(n));

        const std::vector<double> unscaled = y;
        fftScale(n, y.data());
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(y[i], std::ldexp(unscaled[i], -sizeClassOf(n))) << i;
        EXPECT_LE(maxAbsDifference(y, x), roundTripErrorBound(n));
    }
}

// Each call restarts the twiddle recurrence of the long stages, so repeated calls give the same bits
// even on a pooled instance whose recurrence state was left anywhere.
TEST(FftForward, RepeatedCallsGiveTheSameBits)
{
    for (int n : {8192, 131072})
    {
        SCOPED_TRACE(n);
        const std::vector<double> in = randomSignal(n, 23);
        std::vector<double> first(n), second(n);
        fftForward(n, first.data(), in.data());
        for (int slot = 0; slot < kFftPoolSlots; ++slot)
            fftPoolInstance(sizeClassOf(n), slot).levels[0].currentCos = 5.0;
        fftForward(n, second.data(), in.data());
        EXPECT_TRUE(sameBits(first, second));
        fftInverse(n, in.data(), first.data());
        fftInverse(n, in.data(), second.data());
        EXPECT_TRUE(sameBits(first, second));
    }
}

TEST(FftContract, UnsupportedSizesTouchNothing)
{
    constexpr int kLargest = 262144;
    const std::vector<double> sentinel = randomSignal(kLargest, 9);
    for (int n : {0, -1, -256, 1, 4, 128, 1000, 4097, 262144})
    {
        SCOPED_TRACE(n);
        std::vector<double> in = sentinel, out = sentinel;
        fftForward(n, out.data(), in.data());
        EXPECT_TRUE(sameBits(out, sentinel));
        fftInverse(n, in.data(), out.data());
        EXPECT_TRUE(sameBits(out, sentinel));
        fftScale(n, out.data());
        EXPECT_TRUE(sameBits(out, sentinel));
        EXPECT_TRUE(sameBits(in, sentinel));

        // Nothing is read or written either: null arrays are never dereferenced.
        fftForward(n, nullptr, nullptr);
        fftInverse(n, nullptr, nullptr);
        fftScale(n, nullptr);

        for (const auto& row : fftInstancePool.busyFlags)
            for (const auto& flag : row)
                ASSERT_EQ(flag.load(), 0);
    }
}

} // namespace
