// The instance pool: lowest-free-slot lending, and many threads sharing sixteen instances (a seventeenth
// caller must wait for a free one rather than share one in use).

#include "fft/fft_kernels.h"
#include "fft/fft_pool.h"
#include "fft/vk_fft.h"
#include "fft_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace
{

using namespace fft_test;

int busyCount(int sizeClass)
{
    int count = 0;
    for (const auto& flag : fftInstancePool.busyFlags[sizeClass])
        count += flag.load();
    return count;
}

int busyCountAllRows()
{
    int count = 0;
    for (int row = 0; row < kFftBusyRows; ++row)
        count += busyCount(row);
    return count;
}

// Every test leaves the pool idle, whatever it asserted on the way.
class FftPool : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(busyCountAllRows(), 0); }
    void TearDown() override { fftResetPool(); }
};

// Lending takes the lowest free slot of the size's own row; a call runs on the instance it was lent
// (with slots 0 .. 4 held, on slot 5 and no other) and gives it back.
TEST_F(FftPool, LendsLowestFreeSlotOfItsOwnRowAndCallsGiveItBack)
{
    for (int slot = 0; slot < kFftPoolSlots; ++slot)
        ASSERT_EQ(fftAcquireInstance(8), slot);
    EXPECT_EQ(fftAcquireInstance(8), -1);
    EXPECT_EQ(busyCountAllRows(), 16) << "lending 256-point instances must not mark any other row";
    fftReleaseInstance(8, 11);
    fftReleaseInstance(8, 4);
    EXPECT_EQ(fftAcquireInstance(8), 4);
    EXPECT_EQ(fftAcquireInstance(8), 11);
    fftResetPool();

    constexpr int kClass = 13;
    for (int slot = 0; slot < kFftPoolSlots; ++slot)
        fftPoolInstance(kClass, slot).levels[0].currentCos = 7.0;
    for (int slot = 0; slot < 5; ++slot)
        ASSERT_EQ(fftAcquireInstance(kClass), slot);
    const std::vector<double> in = randomSignal(8192, 4);
    std::vector<double> out(8192);
    fftForward(8192, out.data(), in.data());
    for (int slot = 0; slot < kFftPoolSlots; ++slot)
    {
        const bool advanced = fftPoolInstance(kClass, slot).levels[0].currentCos != 7.0;
        EXPECT_EQ(advanced, slot == 5) << slot;
        EXPECT_EQ(fftInstancePool.busyFlags[kClass][slot].load(), slot < 5 ? 1 : 0) << slot;
    }
    fftResetPool();

    for (int n : kSizes)
    {
        const std::vector<double> signal = randomSignal(n, 2);
        std::vector<double> spectrum(n);
        fftForward(n, spectrum.data(), signal.data());
        fftInverse(n, signal.data(), spectrum.data());
        fftScale(n, spectrum.data());
    }
    EXPECT_EQ(busyCountAllRows(), 0);
}

// Seventeen threads share the sixteen 8192-point instances while others contend for the lock with small
// transforms. An instance lent twice would mix two transforms in its work buffer and corrupt both results;
// the busy flags, sampled throughout, must never show an instance lent from a row no caller uses.
TEST_F(FftPool, ManyThreadsShareSixteenInstances)
{
    constexpr int kLargeThreads = 17;
    constexpr int kSmallThreads = 4;
    constexpr int kRounds = 12;

    struct Job
    {
        int n;
        std::vector<double> in, expected;
    };
    std::vector<Job> jobs;
    for (int t = 0; t < kLargeThreads + kSmallThreads; ++t)
    {
        const int n = t < kLargeThreads ? 8192 : 256;
        Job job{n, randomSignal(n, 100 + t), std::vector<double>(n)};
        FftSizeInstance own(sizeClassOf(n));
        fftForwardN(own, job.expected.data(), job.in.data());
        jobs.push_back(std::move(job));
    }

    std::atomic<bool> go{false};
    std::atomic<int> running{0}, mismatches{0};
    std::vector<std::thread> threads;
    for (Job& job : jobs)
    {
        threads.emplace_back(
            [&]
            {
                std::vector<double> out(job.n);
                ++running;
                while (!go.load())
                    std::this_thread::yield();
                const int rounds = job.n == 8192 ? kRounds : 20 * kRounds;
                for (int round = 0; round < rounds; ++round)
                {
                    fftForward(job.n, out.data(), job.in.data());
                    if (!sameBits(out, job.expected))
                        ++mismatches;
                }
                --running;
            });
    }
    while (running.load() < static_cast<int>(jobs.size()))
        std::this_thread::yield();
    go = true;

    int lentElsewhere = 0;
    while (running.load() > 0)
    {
        for (int row = 0; row < kFftBusyRows; ++row)
            if (row != 8 && row != 13)
                lentElsewhere = std::max(lentElsewhere, busyCount(row));
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(lentElsewhere, 0);
    EXPECT_EQ(busyCountAllRows(), 0);
}

} // namespace
