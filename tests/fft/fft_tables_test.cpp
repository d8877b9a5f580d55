// The tables every instance is built with, and the twiddle state a transform leaves in its instance.

#include "fft/fft_instance.h"
#include "fft/fft_kernels.h"
#include "fft/fft_pool.h"
#include "fft/vk_fft.h"
#include "fft_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace
{

using fft_test::kSizes;
using fft_test::randomSignal;
using fft_test::sameBits;
using fft_test::sizeClassOf;

TEST(FftTables, LengthsFollowTheSize)
{
    for (int n : kSizes)
    {
        SCOPED_TRACE(n);
        const FftSizeInstance instance(sizeClassOf(n));
        EXPECT_EQ(instance.workLength, static_cast<uint32_t>(n));
        EXPECT_EQ(instance.bitReverseLength, static_cast<uint32_t>(n / 4));
        EXPECT_EQ(instance.cosineLength, static_cast<uint32_t>(n <= 4096 ? n / 4 : 1024));
        EXPECT_EQ(instance.levelCount, n <= 4096 ? 1 : sizeClassOf(n) - 12);
        EXPECT_NE(instance.workBuffer, nullptr);
    }
}

TEST(FftTables, BitReversalIsAPermutationOfQuarterIndices)
{
    const FftSizeInstance small(8);
    const uint32_t expectedStart[] = {0, 32, 16, 48, 8, 40, 24, 56};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(small.bitReverseTable[i], expectedStart[i]) << i;

    for (int n : kSizes)
    {
        SCOPED_TRACE(n);
        const FftSizeInstance instance(sizeClassOf(n));
        std::vector<int> seen(n / 4, 0);
        for (uint32_t i = 0; i < instance.bitReverseLength; ++i)
        {
            ASSERT_LT(instance.bitReverseTable[i], static_cast<uint32_t>(n / 4));
            ++seen[instance.bitReverseTable[i]];
        }
        for (int count : seen)
            ASSERT_EQ(count, 1);
    }
}

TEST(FftTables, CosineTablesHoldQuarterPeriod)
{
    for (int n : {256, 512, 1024, 2048, 4096})
    {
        SCOPED_TRACE(n);
        const FftSizeInstance instance(sizeClassOf(n));
        EXPECT_EQ(instance.cosineTable[0], 1.0);
        for (uint32_t i = 0; i < instance.cosineLength; ++i)
            ASSERT_NEAR(instance.cosineTable[i], std::cos(2.0L * fft_test::kPi * i / n), 2e-16) << i;
    }

    // Every size above 4096 reuses the 4096-point table; its longer stages use the recurrence instead.
    const FftSizeInstance reference(12);
    for (int n : {8192, 16384, 32768, 65536, 131072})
    {
        SCOPED_TRACE(n);
        const FftSizeInstance instance(sizeClassOf(n));
        ASSERT_EQ(instance.cosineLength, reference.cosineLength);
        EXPECT_EQ(std::memcmp(instance.cosineTable, reference.cosineTable, 1024 * sizeof(double)), 0);
    }
}

TEST(FftTables, RotationsServeTheirBlockSizes)
{
    for (int n : kSizes)
    {
        SCOPED_TRACE(n);
        const FftSizeInstance instance(sizeClassOf(n));
        if (n <= 4096)
        {
            const FftTwiddleLevel& level = instance.levels[0];
            EXPECT_EQ(level.currentCos, 1.0);
            EXPECT_EQ(level.currentSin, 0.0);
            EXPECT_EQ(level.rotationCos, 1.0);
            EXPECT_EQ(level.rotationSin, 0.0);
            continue;
        }
        for (int j = 1; j <= instance.levelCount; ++j)
        {
            const FftTwiddleLevel& level = instance.levels[j - 1];
            const long double angle = 2.0L * fft_test::kPi / (4096.0L * (1 << j));
            EXPECT_EQ(level.currentCos, 1.0) << j;
            EXPECT_EQ(level.currentSin, 0.0) << j;
            EXPECT_NEAR(level.rotationCos, std::cos(angle), 1.2e-16) << j;
            EXPECT_NEAR(level.rotationSin, std::sin(angle), 1e-19) << j;
        }
    }

    // The 8192-point instance writes its single rotation out; the others derive theirs. Both must agree.
    const FftSizeInstance only8192(13);
    const FftSizeInstance with16384(14);
    EXPECT_EQ(std::memcmp(&only8192.levels[0], &with16384.levels[0], sizeof(FftTwiddleLevel)), 0);

    FftSizeInstance rederived(17);
    for (int j = 0; j < 5; ++j)
        rederived.levels[j] = FftTwiddleLevel{1.0, 0.0, 1.0, 0.0};
    fftInitRotationPairs(rederived, 5);
    const FftSizeInstance built(17);
    EXPECT_EQ(std::memcmp(rederived.levels, built.levels, sizeof(built.levels)), 0);
}

// After a call each level holds the twiddle of k = q - 1 of its block size; the next call restarts from (1,
// 0) and so repeats the first one exactly.
TEST(FftTables, RecurrenceEndsOnLastTwiddleAndRestartsEveryCall)
{
    for (int n : {8192, 16384, 131072})
    {
        SCOPED_TRACE(n);
        for (int direction = 0; direction < 2; ++direction)
        {
            FftSizeInstance instance(sizeClassOf(n));
            const std::vector<double> in = randomSignal(n, 23);
            std::vector<double> first(n);
            std::vector<double> second(n);
            if (direction == 0)
                fftForwardN(instance, first.data(), in.data());
            else
                fftInverseN(instance, in.data(), first.data());

            for (int j = 1; j <= instance.levelCount; ++j)
            {
                const long double m = 4096.0L * (1 << j);
                const long double angle = 2.0L * fft_test::kPi * (m / 4 - 1) / m;
                const double tolerance = 2e-12 * (1 << j);
                EXPECT_NEAR(instance.levels[j - 1].currentCos, std::cos(angle), tolerance) << j;
                EXPECT_NEAR(instance.levels[j - 1].currentSin, std::sin(angle), tolerance) << j;
            }

            FftTwiddleLevel afterFirst[kFftMaxTwiddleLevels];
            std::memcpy(afterFirst, instance.levels, sizeof(afterFirst));
            if (direction == 0)
                fftForwardN(instance, second.data(), in.data());
            else
                fftInverseN(instance, in.data(), second.data());
            EXPECT_TRUE(sameBits(first, second));
            EXPECT_EQ(std::memcmp(afterFirst, instance.levels, sizeof(afterFirst)), 0);
        }
    }
}

// The public call runs on the pool's lowest free instance: with the pool idle, that is slot 0.
TEST(FftTables, PublicCallAdvancesTheBorrowedInstance)
{
    FftSizeInstance& slot0 = fftPoolInstance(14, 0);
    slot0.levels[0].currentCos = 5.0;
    slot0.levels[1].currentCos = 5.0;
    const std::vector<double> in = randomSignal(16384, 1);
    std::vector<double> out(16384);
    fftForward(16384, out.data(), in.data());
    EXPECT_NEAR(slot0.levels[0].currentCos, std::cos(2.0 * M_PI * 2047 / 8192), 1e-11);
    EXPECT_NEAR(slot0.levels[0].currentSin, std::sin(2.0 * M_PI * 2047 / 8192), 1e-11);
    EXPECT_NEAR(slot0.levels[1].currentCos, std::cos(2.0 * M_PI * 4095 / 16384), 1e-11);
    EXPECT_NEAR(slot0.levels[1].currentSin, std::sin(2.0 * M_PI * 4095 / 16384), 1e-11);
}

} // namespace
