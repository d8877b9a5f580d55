#include "dsp/observer_frequency_domain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
constexpr int kN = 1024;
constexpr int kBins = kN / 2 + 1;

using Bins = std::vector<std::complex<double>>;
using Reader = VkJuceObserverFrequencyDomain::Reader;

/** Pushes a spectrum with the given values at a few bins, zero elsewhere. */
bool push(VkJuceObserverFrequencyDomain& observer,
          std::initializer_list<std::pair<int, std::complex<double>>> values)
{
    Bins bins(kBins);
    for (const auto& [bin, value] : values)
        bins[static_cast<size_t>(bin)] = value;
    return observer.pushSpectrum(kN, bins.data());
}

std::vector<double> shown(const VkJuceObserverFrequencyDomain& observer)
{
    std::vector<double> out(kBins, -1.0);
    EXPECT_TRUE(observer.copyFront(out.data(), kBins));
    return out;
}
} // namespace

TEST(ObserverHandOver, PushWithoutReaderShowsTheMergedMaximaAtOnce)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    EXPECT_EQ(observer.getBinCount(), kBins);
    ASSERT_TRUE(push(observer, {{3, {2.0, 0.0}}, {7, {0.0, 1.0}}}));
    auto front = shown(observer);
    EXPECT_EQ(front[3], 4.0);
    EXPECT_EQ(front[7], 1.0);
    ASSERT_TRUE(push(observer, {{3, {1.0, 0.0}}, {5, {3.0, 4.0}}}));
    front = shown(observer);
    EXPECT_EQ(front[3], 4.0); // earlier peak kept
    EXPECT_EQ(front[5], 25.0);
    EXPECT_EQ(front[7], 1.0);
    EXPECT_EQ(front[0], 0.0);
    EXPECT_EQ(observer.getSwapCount(), 2);
    EXPECT_FALSE(observer.isSwapPending());
}

TEST(ObserverHandOver, PushDuringAReadIsDeferredToTheNextRead)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    push(observer, {{10, {1.0, 0.0}}});
    {
        Reader reader(observer);
        ASSERT_TRUE(reader.isValid());
        const int frontBefore = observer.getFrontIndex();
        EXPECT_EQ(observer.getReaderCount(), 1);
        push(observer, {{10, {3.0, 0.0}}, {11, {2.0, 0.0}}});
        EXPECT_TRUE(observer.isSwapPending());
        EXPECT_EQ(observer.getFrontIndex(), frontBefore);
        EXPECT_EQ(reader.data()[10], 1.0); // the buffer being read is untouched
        EXPECT_EQ(reader.data()[11], 0.0);
    }
    EXPECT_EQ(observer.getReaderCount(), 0);
    EXPECT_TRUE(observer.isSwapPending()); // leaving does not swap; the next read does
    const auto front = shown(observer);
    EXPECT_FALSE(observer.isSwapPending());
    EXPECT_EQ(front[10], 9.0);
    EXPECT_EQ(front[11], 4.0);
    EXPECT_EQ(observer.getSwapCount(), 2);

    // Later pushes during a read replace the pending spectrum rather than merge into it.
    {
        Reader reader(observer);
        push(observer, {{2, {5.0, 0.0}}});
        push(observer, {{4, {1.0, 0.0}}});
    }
    EXPECT_EQ(shown(observer)[2], 0.0);
    EXPECT_EQ(shown(observer)[4], 1.0);
}

TEST(ObserverHandOver, DeferredSwapWaitsForEveryReader)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    auto first = std::make_unique<Reader>(observer);
    push(observer, {{1, {1.0, 0.0}}});
    {
        Reader second(observer); // arrives while a swap is pending
        EXPECT_EQ(second.data(), first->data());
        EXPECT_EQ(observer.getReaderCount(), 2);
        first.reset();
        EXPECT_TRUE(observer.isSwapPending());
        EXPECT_EQ(second.data()[1], 0.0);
    }
    EXPECT_EQ(shown(observer)[1], 1.0);
}

TEST(ObserverClear, ClearTwiceThenPushAndClearDuringAReadAsksForAFreshStart)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    for (int i = 1; i <= 3; ++i) // both buffers hold data afterwards
        push(observer, {{i, {1.0, 0.0}}});
    EXPECT_FALSE(observer.isCleared());
    for (int round = 0; round < 2; ++round)
    {
        EXPECT_TRUE(observer.clear());
        EXPECT_TRUE(observer.isCleared());
        EXPECT_EQ(observer.getFrontIndex(), 0);
        for (double v : shown(observer))
            ASSERT_EQ(v, 0.0) << round;
    }
    push(observer, {{9, {2.0, 0.0}}});
    EXPECT_FALSE(observer.isCleared());
    EXPECT_EQ(shown(observer)[9], 4.0);
    EXPECT_EQ(shown(observer)[1], 0.0); // no maxima from before the clear
    EXPECT_TRUE(observer.clear());
    EXPECT_EQ(shown(observer)[9], 0.0);

    push(observer, {{6, {3.0, 0.0}}});
    {
        Reader reader(observer);
        EXPECT_FALSE(observer.clear());
        EXPECT_EQ(reader.data()[6], 9.0);
    }
    EXPECT_TRUE(observer.isNoMergeRequested());
    push(observer, {{8, {1.0, 0.0}}});
    EXPECT_EQ(shown(observer)[6], 0.0);
    EXPECT_EQ(shown(observer)[8], 1.0);
}

TEST(ObserverModes, NoMergeShowsExactlyTheLastPush)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    push(observer, {{3, {10.0, 0.0}}});
    observer.setNoMerge();
    push(observer, {{4, {1.0, 1.0}}});
    EXPECT_FALSE(observer.isNoMergeRequested()); // answered by that swap
    EXPECT_EQ(shown(observer)[3], 0.0);
    EXPECT_EQ(shown(observer)[4], 2.0);
    push(observer, {{5, {1.0, 0.0}}});
    EXPECT_EQ(shown(observer)[4], 2.0); // merging is back
    EXPECT_EQ(shown(observer)[5], 1.0);
}

TEST(ObserverModes, FrozenPushesShowTheLatestSpectrumUnmergedAndOtherSizesAreRefused)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    std::vector<std::complex<double>> big(2049, {1.0, 0.0});
    EXPECT_FALSE(observer.pushSpectrum(4096, big.data()));
    EXPECT_FALSE(observer.pushSpectrum(kN, nullptr));
    EXPECT_EQ(shown(observer)[0], 0.0);
    EXPECT_EQ(observer.getSwapCount(), 0);

    push(observer, {{3, {10.0, 0.0}}});
    const int swaps = observer.getSwapCount();
    observer.setFrozen(true);
    push(observer, {{4, {2.0, 0.0}}});
    EXPECT_EQ(shown(observer)[3], 0.0);
    EXPECT_EQ(shown(observer)[4], 4.0);
    {
        Reader reader(observer);
        push(observer, {{5, {1.0, 0.0}}});
        EXPECT_EQ(reader.data()[4], 4.0); // a reader is never written under
    }
    EXPECT_EQ(shown(observer)[5], 1.0);
    EXPECT_EQ(observer.getSwapCount(), swaps);
}

TEST(ObserverScaling, SizeNormalisationFallsWithTheTransformLength)
{
    // Larger transforms give larger raw powers for the same signal, so the factor falls with size; a
    // length that is not a power of two takes the factor of 4096.
    EXPECT_EQ(VkJuceObserverFrequencyDomain(1000, 22005.0f).getSizeNormalisation(),
              VkJuceObserverFrequencyDomain(4096, 22005.0f).getSizeNormalisation());
    for (int n = 512; n <= 131072; n *= 2)
        EXPECT_LT(observerSizeNormalisation(n), observerSizeNormalisation(n / 2)) << n;
}

TEST(ObserverScaling, WeightingsShapeAFlatSpectrum)
{
    // A span of 51200 Hz over 512 bins puts bin i at 100 i Hz.
    VkJuceObserverFrequencyDomain observer(kN, 51200.0f);
    const auto weighted = [&observer](ObserverWeighting type)
    {
        EXPECT_TRUE(observer.setWeighting(true, type));
        observer.setNoMerge();
        Bins flat(kBins, {1.0, 0.0});
        observer.pushSpectrum(kN, flat.data());
        return shown(observer);
    };
    auto front = weighted(ObserverWeighting::Slope3dB);
    EXPECT_NEAR(front[10], 1.0, 1e-6);                    // 1 kHz is the pivot
    EXPECT_NEAR(10.0 * std::log10(front[20]), 3.0, 1e-4); // one octave up: +3 dB
    EXPECT_NEAR(10.0 * std::log10(front[5]), -3.0, 1e-4); // one octave down
    EXPECT_NEAR(10.0 * std::log10(front[40] / front[10]), 6.0, 1e-4);
    EXPECT_EQ(front[0], front[1]); // DC borrows bin 1
    EXPECT_NEAR(10.0 * std::log10(weighted(ObserverWeighting::Slope6dB)[20]), 6.0, 1e-4);

    // The four standard curves all cut the lowest bins more than the mid band.
    for (auto type : {ObserverWeighting::A, ObserverWeighting::B, ObserverWeighting::C, ObserverWeighting::D})
    {
        front = weighted(type);
        EXPECT_LT(front[1], front[40]) << static_cast<int>(type);
    }
    EXPECT_FALSE(observer.setWeighting(true, static_cast<ObserverWeighting>(11)));
    EXPECT_EQ(observer.getWeighting(), ObserverWeighting::D);
    observer.setWeighting(false, ObserverWeighting::A);
    observer.setNoMerge();
    Bins flat(kBins, {1.0, 0.0});
    observer.pushSpectrum(kN, flat.data());
    EXPECT_EQ(shown(observer)[1], 1.0);
}

TEST(ObserverCopy, CopyTakesTheShownSpectrumAndWeighting)
{
    VkJuceObserverFrequencyDomain source(kN, 22005.0f);
    source.setWeighting(true, ObserverWeighting::C);
    push(source, {{100, {1.0, 0.0}}});
    VkJuceObserverFrequencyDomain copy(kN, 1000.0f);
    ASSERT_TRUE(copy.copyFrom(source));
    EXPECT_EQ(shown(copy), shown(source));
    EXPECT_TRUE(copy.isWeightingEnabled());
    EXPECT_EQ(copy.getWeighting(), ObserverWeighting::C);
    VkJuceObserverFrequencyDomain other(2 * kN, 22005.0f);
    EXPECT_FALSE(other.copyFrom(source));
    Reader reader(copy);
    EXPECT_FALSE(copy.copyFrom(source)); // would write under its own reader
}
