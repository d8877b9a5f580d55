#include "dsp/observer_frequency_domain.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace
{
constexpr int kN = 1024;
constexpr int kBins = kN / 2 + 1;
constexpr int kPushes = 20000;

/** Reads until the writer is done; every buffer seen must be whole (all bins equal) and never smaller than
    the one before (pushes rise and the front holds maxima), apart from a clear to 0 when `allowZero`. */
struct ReaderStats
{
    int valid = 0, torn = 0, backwards = 0;
};

ReaderStats readUntilDone(VkJuceObserverFrequencyDomain& observer, const std::atomic<bool>& done,
                          bool requestFreshStarts, bool allowZero)
{
    ReaderStats stats;
    double last = 0.0;
    // At least one read even when the writer finished before this thread was scheduled.
    for (int reads = 1;; ++reads)
    {
        {
            VkJuceObserverFrequencyDomain::Reader reader(observer);
            if (reader.isValid())
            {
                ++stats.valid;
                const double first = reader.data()[0];
                for (int i = 1; i < reader.size(); ++i)
                    if (reader.data()[i] != first)
                    {
                        ++stats.torn;
                        break;
                    }
                stats.backwards += first < last && !(allowZero && first == 0.0);
                last = first != 0.0 ? first : last;
            }
        }
        if (requestFreshStarts && reads % 7 == 0)
            observer.setNoMerge();
        if (done.load())
            return stats;
    }
}
} // namespace

// One writer (push k = 1 .. kPushes, every bin k) and two readers, one of them asking for fresh starts;
// then the same with a third thread clearing as fast as it can.
TEST(ObserverThreads, WritersReadersAndClearsNeverTearABufferOrGoBackwards)
{
    for (bool clearing : {false, true})
    {
        VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
        std::atomic<bool> done{false};
        ReaderStats first, second;
        std::thread readerA([&] { first = readUntilDone(observer, done, false, clearing); });
        std::thread readerB([&] { second = readUntilDone(observer, done, !clearing, clearing); });
        std::thread clearer(
            [&]
            {
                while (clearing && !done.load())
                {
                    observer.clear();
                    std::this_thread::yield();
                }
            });
        std::thread writer(
            [&]
            {
                std::vector<std::complex<double>> bins(kBins);
                for (int k = 1; k <= kPushes; ++k)
                {
                    std::fill(bins.begin(), bins.end(), std::complex<double>(double(k), 0.0));
                    observer.pushSpectrum(kN, bins.data());
                }
                done.store(true);
            });
        for (auto* t : {&writer, &clearer, &readerA, &readerB})
            t->join();

        EXPECT_EQ(first.torn + second.torn, 0) << clearing;
        EXPECT_EQ(first.backwards + second.backwards, 0) << clearing;
        EXPECT_GT(first.valid + second.valid, 0) << clearing;
        EXPECT_EQ(observer.getReaderCount(), 0) << clearing;
        if (!clearing)
        {
            // Whatever was left pending is shown by the next read: the last push, squared.
            std::vector<double> last(kBins);
            ASSERT_TRUE(observer.copyFront(last.data(), kBins));
            EXPECT_EQ(last[0], double(kPushes) * kPushes);
            EXPECT_EQ(last[kBins - 1], double(kPushes) * kPushes);
        }
    }
}
