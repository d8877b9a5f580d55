#include "dsp/observer_frequency_domain.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace
{
constexpr int kN = 1024;
constexpr int kBins = kN / 2 + 1;

/** Reads until the writer is done; every buffer seen must be whole (all bins equal) and never smaller than
    the one before, since pushes rise and the front holds maxima. */
struct ReaderStats
{
    int reads = 0;
    int valid = 0;
    int torn = 0;
    int backwards = 0;
};

ReaderStats readUntilDone(const VkJuceObserverFrequencyDomain& observer, const std::atomic<bool>& done,
                          bool requestFreshStarts, bool allowZero,
                          VkJuceObserverFrequencyDomain* mutableObserver)
{
    ReaderStats stats;
    double last = 0.0;
    // At least one read even when the writer finished before this thread was scheduled.
    do
    {
        ++stats.reads;
        VkJuceObserverFrequencyDomain::Reader reader(observer);
        if (!reader.isValid())
            continue;
        ++stats.valid;
        const double first = reader.data()[0];
        for (int i = 1; i < reader.size(); ++i)
        {
            if (reader.data()[i] != first)
            {
                ++stats.torn;
                break;
            }
        }
        if (first < last && !(allowZero && first == 0.0))
            ++stats.backwards;
        if (first != 0.0)
            last = first;
        if (requestFreshStarts && mutableObserver != nullptr && (stats.reads % 7) == 0)
            mutableObserver->setNoMerge();
    } while (!done.load());
    return stats;
}
// The audio thread's part: push k = 1 .. count, every bin k (power k squared), then say it is done.
void pushRisingSpectra(VkJuceObserverFrequencyDomain& observer, int count, std::atomic<bool>& done)
{
    std::vector<std::complex<double>> bins(kBins);
    for (int k = 1; k <= count; ++k)
    {
        std::fill(bins.begin(), bins.end(), std::complex<double>(static_cast<double>(k), 0.0));
        observer.pushSpectrum(kN, bins.data());
    }
    done.store(true);
}
} // namespace

TEST(ObserverThreads, OneWriterTwoReadersSeeWholeRisingSpectra)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    std::atomic<bool> done{false};
    constexpr int kPushes = 20000;

    ReaderStats first, second;
    std::thread readerA([&] { first = readUntilDone(observer, done, false, false, nullptr); });
    std::thread readerB([&] { second = readUntilDone(observer, done, true, false, &observer); });
    std::thread writer([&] { pushRisingSpectra(observer, kPushes, done); });
    writer.join();
    readerA.join();
    readerB.join();

    EXPECT_EQ(first.torn, 0);
    EXPECT_EQ(second.torn, 0);
    EXPECT_EQ(first.backwards, 0);
    EXPECT_EQ(second.backwards, 0);
    EXPECT_GT(first.valid + second.valid, 0);
    // Whatever was left pending is shown by the next read: the last push, squared.
    std::vector<double> last(kBins);
    ASSERT_TRUE(observer.copyFront(last.data(), kBins));
    EXPECT_EQ(last[0], static_cast<double>(kPushes) * kPushes);
    EXPECT_EQ(last[kBins - 1], static_cast<double>(kPushes) * kPushes);
    EXPECT_EQ(observer.getReaderCount(), 0);
}

TEST(ObserverThreads, ClearsRacingPushesAndReadsNeverTearABuffer)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    std::atomic<bool> done{false};
    std::atomic<int> clears{0};
    constexpr int kPushes = 20000;

    ReaderStats first, second;
    std::thread readerA([&] { first = readUntilDone(observer, done, false, true, nullptr); });
    std::thread readerB([&] { second = readUntilDone(observer, done, false, true, nullptr); });
    std::thread clearer(
        [&]
        {
            while (!done.load())
            {
                if (observer.clear())
                    clears.fetch_add(1);
                std::this_thread::yield();
            }
        });
    std::thread writer([&] { pushRisingSpectra(observer, kPushes, done); });
    writer.join();
    clearer.join();
    readerA.join();
    readerB.join();

    EXPECT_EQ(first.torn, 0);
    EXPECT_EQ(second.torn, 0);
    EXPECT_EQ(first.backwards, 0); // rising pushes and clears to 0 only: no value ever goes down otherwise
    EXPECT_EQ(second.backwards, 0);
    EXPECT_EQ(observer.getReaderCount(), 0);
}
