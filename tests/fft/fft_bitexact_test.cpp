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

using fft_test::kSizes;
using fft_test::randomSignal;
using fft_test::sameBits;
using fft_test::sizeClassOf;

bool sameInstanceState(const FftSizeInstance& a, const FftSizeInstance& b)
{
    if (std::memcmp(a.workBuffer, b.workBuffer, a.workLength * sizeof(double)) != 0)
        return false;
    for (int j = 0; j < a.levelCount; ++j)
    {
        if (std::memcmp(&a.levels[j], &b.levels[j], sizeof(FftTwiddleLevel)) != 0)
            return false;
    }
    return true;
}

// Transforms `in` with the reference and with the kernels of `isa`; outputs and instance states must agree
// bit for bit. Returns the kernels' output.
std::vector<double> forwardBoth(FftIsa isa, FftSizeInstance& kernel, FftSizeInstance& reference,
                                const std::vector<double>& in)
{
    std::vector<double> expected(in.size());
    std::vector<double> actual(in.size());
    referenceForward(reference, expected.data(), in.data());
    fftForwardN(isa, kernel, actual.data(), in.data());
    EXPECT_TRUE(sameBits(expected, actual));
    EXPECT_TRUE(sameInstanceState(reference, kernel));
    return actual;
}

std::vector<double> inverseBoth(FftIsa isa, FftSizeInstance& kernel, FftSizeInstance& reference,
                                const std::vector<double>& in)
{
    std::vector<double> expected(in.size());
    std::vector<double> actual(in.size());
    referenceInverse(reference, in.data(), expected.data());
    fftInverseN(isa, kernel, in.data(), actual.data());
    EXPECT_TRUE(sameBits(expected, actual));
    EXPECT_TRUE(sameInstanceState(reference, kernel));
    return actual;
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

TEST_P(FftBitExact, ForwardMatchesReferenceAtEverySize)
{
    for (int n : kSizes)
    {
        SCOPED_TRACE(n);
        FftSizeInstance kernelInstance(sizeClassOf(n));
        FftSizeInstance referenceInstance(sizeClassOf(n));
        for (uint64_t seed = 1; seed <= 2; ++seed)
            forwardBoth(GetParam(), kernelInstance, referenceInstance, randomSignal(n, seed * 1000 + n));
    }
}

TEST_P(FftBitExact, InverseMatchesReferenceAtEverySize)
{
    for (int n : kSizes)
    {
        SCOPED_TRACE(n);
        FftSizeInstance kernelInstance(sizeClassOf(n));
        FftSizeInstance referenceInstance(sizeClassOf(n));
        for (uint64_t seed = 1; seed <= 2; ++seed)
            inverseBoth(GetParam(), kernelInstance, referenceInstance, randomSignal(n, seed * 2000 + n));
    }
}

// Signed zeros, huge and subnormal values travel through every lane position; a kernel that folded a special
// case into vector arithmetic (or reassociated a sum) would differ here even where random data agrees.
TEST_P(FftBitExact, SpecialValuesMatchReference)
{
    const double specials[] = {0.0, -0.0, 1e300, -1e300, 1e-310, -1e-310, 1.0, -1.0, 0.5};
    for (int n : {256, 1024, 8192})
    {
        SCOPED_TRACE(n);
        std::vector<double> in = randomSignal(n, 77);
        for (int i = 0; i < n; ++i)
        {
            if (i % 3 != 0)
                in[i] = specials[(i * 7) % 9];
        }
        FftSizeInstance kernelInstance(sizeClassOf(n));
        FftSizeInstance referenceInstance(sizeClassOf(n));
        forwardBoth(GetParam(), kernelInstance, referenceInstance, in);
        inverseBoth(GetParam(), kernelInstance, referenceInstance, in);
    }
}

// The long stages read twiddles computed ahead while the level's rotation is the one they were computed
// with. A level whose rotation was changed afterwards must still follow the recurrence, bit for bit.
TEST_P(FftBitExact, ChangedRotationIsFollowedByTheRecurrence)
{
    constexpr int n = 16384;
    FftSizeInstance kernelInstance(sizeClassOf(n));
    FftSizeInstance referenceInstance(sizeClassOf(n));
    for (FftSizeInstance* instance : {&kernelInstance, &referenceInstance})
    {
        instance->levels[0].rotationCos = 0.9999995;
        instance->levels[0].rotationSin = 0.0009999;
    }
    const std::vector<double> in = randomSignal(n, 4242);
    const std::vector<double> changedForward = forwardBoth(GetParam(), kernelInstance, referenceInstance, in);
    inverseBoth(GetParam(), kernelInstance, referenceInstance, in);

    // The change really took effect: a fresh instance gives other bits.
    FftSizeInstance fresh(sizeClassOf(n));
    std::vector<double> usual(n);
    fftForwardN(GetParam(), fresh, usual.data(), in.data());
    EXPECT_FALSE(sameBits(usual, changedForward));
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
        SCOPED_TRACE(n);
        FftSizeInstance referenceInstance(sizeClassOf(n));
        const std::vector<double> signal = randomSignal(n, 31 + n);
        std::vector<double> in(n + 1);
        std::vector<double> out(n + 1);
        std::memcpy(in.data() + 1, signal.data(), n * sizeof(double));

        std::vector<double> expected(n);
        referenceForward(referenceInstance, expected.data(), signal.data());
        fftForward(n, out.data() + 1, in.data() + 1);
        EXPECT_TRUE(sameBits(expected, std::vector<double>(out.begin() + 1, out.end())));

        referenceInverse(referenceInstance, signal.data(), expected.data());
        fftInverse(n, in.data() + 1, out.data() + 1);
        EXPECT_TRUE(sameBits(expected, std::vector<double>(out.begin() + 1, out.end())));
    }
}

} // namespace
