// The kernels are optimised freely (vector lanes, hoisted twiddles, shared recurrence runs) but must give
// exactly the bits of the literal stage formulas, and leave the instance in the same state.

#include "fft/fft_kernels.h"
#include "fft/fft_pool.h"
#include "fft/vk_fft.h"
#include "fft_reference.h"
#include "fft_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{

using namespace fft_test;

bool sameInstanceState(const FftSizeInstance& a, const FftSizeInstance& b)
{
    return std::memcmp(a.workBuffer, b.workBuffer, a.workLength * sizeof(double)) == 0 &&
           std::memcmp(a.levels, b.levels, size_t(a.levelCount) * sizeof(FftTwiddleLevel)) == 0;
}

// Transforms `in` (forward, then inverse) with the reference and with the kernels of `isa`; outputs and
// instance states must agree bit for bit. Returns the kernels' forward output.
std::vector<double> bothWays(FftIsa isa, int n, FftSizeInstance& kernel, FftSizeInstance& reference,
                             const std::vector<double>& in)
{
    std::vector<double> expected(in.size()), actual(in.size()), forward;
    referenceForward(reference, expected.data(), in.data());
    fftForwardN(isa, kernel, actual.data(), in.data());
    EXPECT_TRUE(sameBits(expected, actual)) << "forward " << n;
    EXPECT_TRUE(sameInstanceState(reference, kernel)) << "forward " << n;
    forward = actual;
    referenceInverse(reference, in.data(), expected.data());
    fftInverseN(isa, kernel, in.data(), actual.data());
    EXPECT_TRUE(sameBits(expected, actual)) << "inverse " << n;
    EXPECT_TRUE(sameInstanceState(reference, kernel)) << "inverse " << n;
    return forward;
}

class FftBitExact : public ::testing::TestWithParam<FftIsa>
{
protected:
    void SetUp() override
    {
        if (!fftIsaSupported(GetParam()))
            GTEST_SKIP() << "instruction set not available on this machine";
    }
};

TEST_P(FftBitExact, ForwardAndInverseMatchReferenceAtEverySize)
{
    for (int n : kSizes)
    {
        FftSizeInstance kernel(sizeClassOf(n)), reference(sizeClassOf(n));
        for (uint64_t seed = 1; seed <= 2; ++seed)
            bothWays(GetParam(), n, kernel, reference, randomSignal(n, seed * 1000 + uint64_t(n)));
    }
}

// Signed zeros, huge and subnormal values travel through every lane position; a kernel that folded a special
// case into vector arithmetic (or reassociated a sum) would differ here even where random data agrees.
TEST_P(FftBitExact, SpecialValuesMatchReference)
{
    const double specials[] = {0.0, -0.0, 1e300, -1e300, 1e-310, -1e-310, 1.0, -1.0, 0.5};
    for (int n : {256, 1024, 8192})
    {
        std::vector<double> in = randomSignal(n, 77);
        for (int i = 0; i < n; ++i)
            in[size_t(i)] = i % 3 != 0 ? specials[(i * 7) % 9] : in[size_t(i)];
        FftSizeInstance kernel(sizeClassOf(n)), reference(sizeClassOf(n));
        bothWays(GetParam(), n, kernel, reference, in);
    }
}

// The long stages read twiddles computed ahead while the level's rotation is the one they were computed
// with. A level whose rotation was changed afterwards must still follow the recurrence, bit for bit.
TEST_P(FftBitExact, ChangedRotationIsFollowedByTheRecurrence)
{
    constexpr int n = 16384;
    FftSizeInstance kernel(sizeClassOf(n)), reference(sizeClassOf(n));
    for (FftSizeInstance* instance : {&kernel, &reference})
    {
        instance->levels[0].rotationCos = 0.9999995;
        instance->levels[0].rotationSin = 0.0009999;
    }
    const std::vector<double> in = randomSignal(n, 4242);
    const std::vector<double> changed = bothWays(GetParam(), n, kernel, reference, in);

    // The change really took effect: a fresh instance gives other bits.
    FftSizeInstance fresh(sizeClassOf(n));
    std::vector<double> usual(n);
    fftForwardN(GetParam(), fresh, usual.data(), in.data());
    EXPECT_FALSE(sameBits(usual, changed));
}

INSTANTIATE_TEST_SUITE_P(Isa, FftBitExact, ::testing::Values(FftIsa::Sse2, FftIsa::Avx),
                         [](const ::testing::TestParamInfo<FftIsa>& isa)
                         { return isa.param == FftIsa::Avx ? std::string("Avx") : std::string("Sse2"); });

// The public entry points run the same kernels on a pooled instance; unaligned arrays (offset by one double)
// take the same path as aligned ones.
TEST(FftBitExactEntryPoints, PublicCallsMatchReferenceWithUnalignedArrays)
{
    for (int n : kSizes)
    {
        FftSizeInstance reference(sizeClassOf(n));
        const std::vector<double> signal = randomSignal(n, 31 + uint64_t(n));
        std::vector<double> in(size_t(n) + 1), out(size_t(n) + 1), expected(static_cast<size_t>(n));
        std::memcpy(in.data() + 1, signal.data(), size_t(n) * sizeof(double));
        const auto unaligned = [&] { return std::vector<double>(out.begin() + 1, out.end()); };

        referenceForward(reference, expected.data(), signal.data());
        fftForward(n, out.data() + 1, in.data() + 1);
        EXPECT_TRUE(sameBits(expected, unaligned())) << n;
        referenceInverse(reference, signal.data(), expected.data());
        fftInverse(n, in.data() + 1, out.data() + 1);
        EXPECT_TRUE(sameBits(expected, unaligned())) << n;
    }
}

} // namespace
