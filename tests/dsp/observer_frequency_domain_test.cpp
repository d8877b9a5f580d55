#include "dsp/observer_frequency_domain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
constexpr int kN = 1024;
constexpr int kBins = kN / 2 + 1;

using Bins = std::vector<std::complex<double>>;

/** A spectrum with the given magnitudes at a few bins, zero elsewhere. */
Bins spectrum(std::initializer_list<std::pair<int, std::complex<double>>> values)
{
    Bins bins(kBins);
    for (const auto& [bin, value] : values)
        bins[static_cast<size_t>(bin)] = value;
    return bins;
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
    ASSERT_TRUE(observer.pushSpectrum(kN, spectrum({{3, {2.0, 0.0}}, {7, {0.0, 1.0}}}).data()));
    auto front = shown(observer);
    EXPECT_EQ(front[3], 4.0);
    EXPECT_EQ(front[7], 1.0);
    ASSERT_TRUE(observer.pushSpectrum(kN, spectrum({{3, {1.0, 0.0}}, {5, {3.0, 4.0}}}).data()));
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
    observer.pushSpectrum(kN, spectrum({{10, {1.0, 0.0}}}).data());
    {
        VkJuceObserverFrequencyDomain::Reader reader(observer);
        ASSERT_TRUE(reader.isValid());
        const int frontBefore = observer.getFrontIndex();
        EXPECT_EQ(observer.getReaderCount(), 1);
        observer.pushSpectrum(kN, spectrum({{10, {3.0, 0.0}}, {11, {2.0, 0.0}}}).data());
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
}

TEST(ObserverHandOver, DeferredSwapWaitsForEveryReader)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    auto first = std::make_unique<VkJuceObserverFrequencyDomain::Reader>(observer);
    observer.pushSpectrum(kN, spectrum({{1, {1.0, 0.0}}}).data());
    {
        VkJuceObserverFrequencyDomain::Reader second(observer); // arrives while a swap is pending
        EXPECT_EQ(second.data(), first->data());
        EXPECT_EQ(observer.getReaderCount(), 2);
        first.reset();
        EXPECT_TRUE(observer.isSwapPending());
        EXPECT_EQ(second.data()[1], 0.0);
    }
    EXPECT_EQ(shown(observer)[1], 1.0);
}

TEST(ObserverHandOver, LaterPushesReplaceAPendingSpectrum)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    {
        VkJuceObserverFrequencyDomain::Reader reader(observer);
        observer.pushSpectrum(kN, spectrum({{2, {5.0, 0.0}}}).data());
        observer.pushSpectrum(kN, spectrum({{4, {1.0, 0.0}}}).data());
    }
    const auto front = shown(observer);
    EXPECT_EQ(front[2], 0.0);
    EXPECT_EQ(front[4], 1.0);
}

TEST(ObserverClear, ClearTwiceThenPush)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    for (int i = 1; i <= 3; ++i) // both buffers hold data afterwards
        observer.pushSpectrum(kN, spectrum({{i, {1.0, 0.0}}}).data());
    EXPECT_FALSE(observer.isCleared());
    EXPECT_TRUE(observer.clear());
    EXPECT_TRUE(observer.isCleared());
    EXPECT_EQ(observer.getFrontIndex(), 0);
    for (double v : shown(observer))
        ASSERT_EQ(v, 0.0);
    EXPECT_TRUE(observer.clear());
    for (double v : shown(observer))
        ASSERT_EQ(v, 0.0);
    observer.pushSpectrum(kN, spectrum({{9, {2.0, 0.0}}}).data());
    EXPECT_FALSE(observer.isCleared());
    const auto front = shown(observer);
    EXPECT_EQ(front[9], 4.0);
    EXPECT_EQ(front[1], 0.0); // no maxima from before the clear
    EXPECT_TRUE(observer.clear());
    EXPECT_EQ(shown(observer)[9], 0.0);
}

TEST(ObserverClear, ClearDuringAReadAsksForAFreshStartInstead)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    observer.pushSpectrum(kN, spectrum({{6, {3.0, 0.0}}}).data());
    {
        VkJuceObserverFrequencyDomain::Reader reader(observer);
        EXPECT_FALSE(observer.clear());
        EXPECT_EQ(reader.data()[6], 9.0);
    }
    EXPECT_TRUE(observer.isNoMergeRequested());
    observer.pushSpectrum(kN, spectrum({{8, {1.0, 0.0}}}).data());
    const auto front = shown(observer);
    EXPECT_EQ(front[6], 0.0);
    EXPECT_EQ(front[8], 1.0);
}

TEST(ObserverModes, NoMergeShowsExactlyTheLastPush)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    observer.pushSpectrum(kN, spectrum({{3, {10.0, 0.0}}}).data());
    observer.setNoMerge();
    observer.pushSpectrum(kN, spectrum({{4, {1.0, 1.0}}}).data());
    EXPECT_FALSE(observer.isNoMergeRequested()); // answered by that swap
    auto front = shown(observer);
    EXPECT_EQ(front[3], 0.0);
    EXPECT_EQ(front[4], 2.0);
    observer.pushSpectrum(kN, spectrum({{5, {1.0, 0.0}}}).data());
    front = shown(observer);
    EXPECT_EQ(front[4], 2.0); // merging is back
    EXPECT_EQ(front[5], 1.0);
}

TEST(ObserverModes, FrozenPushesShowTheLatestSpectrumUnmerged)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    observer.pushSpectrum(kN, spectrum({{3, {10.0, 0.0}}}).data());
    const int swaps = observer.getSwapCount();
    observer.setFrozen(true);
    observer.pushSpectrum(kN, spectrum({{4, {2.0, 0.0}}}).data());
    EXPECT_EQ(shown(observer)[3], 0.0);
    EXPECT_EQ(shown(observer)[4], 4.0);
    {
        VkJuceObserverFrequencyDomain::Reader reader(observer);
        observer.pushSpectrum(kN, spectrum({{5, {1.0, 0.0}}}).data());
        EXPECT_EQ(reader.data()[4], 4.0); // a reader is never written under
    }
    EXPECT_EQ(shown(observer)[5], 1.0);
    EXPECT_EQ(observer.getSwapCount(), swaps);
}

TEST(ObserverModes, RefusesSpectraOfAnotherSize)
{
    VkJuceObserverFrequencyDomain observer(kN, 22005.0f);
    std::vector<std::complex<double>> big(2049, {1.0, 0.0});
    EXPECT_FALSE(observer.pushSpectrum(4096, big.data()));
    EXPECT_FALSE(observer.pushSpectrum(kN, nullptr));
    EXPECT_EQ(shown(observer)[0], 0.0);
    EXPECT_EQ(observer.getSwapCount(), 0);
}

TEST(ObserverScaling, SizeNormalisationFallsWithTheTransformLength)
{
    // Larger transforms give larger raw powers for the same signal, so the factor falls with size; a
    // length that is not a power of two takes the factor of 4096.
    EXPECT_EQ(VkJuceObserverFrequencyDomain(1000, 22005.0f).getSizeNormalisation(),
              VkJuceObserverFrequencyDomain(4096, 22005.0f).getSizeNormalisation());
    float previous = 1e9f;
    for (int n = 256; n <= 131072; n *= 2)
    {
        const float factor = observerSizeNormalisation(n);
        EXPECT_LT(factor, previous) << n;
        previous = factor;
    }
}

TEST(ObserverScaling, SlopesPivotAtOneKilohertz)
{
    // A span of 51200 Hz over 512 bins puts bin i at 100 i Hz.
    VkJuceObserverFrequencyDomain observer(kN, 51200.0f);
    ASSERT_TRUE(observer.setWeighting(true, ObserverWeighting::Slope3dB));
    Bins flat(kBins, {1.0, 0.0});
    observer.setNoMerge();
    observer.pushSpectrum(kN, flat.data());
    auto front = shown(observer);
    EXPECT_NEAR(front[10], 1.0, 1e-6);                    // 1 kHz
    EXPECT_NEAR(10.0 * std::log10(front[20]), 3.0, 1e-4); // one octave up: +3 dB
    EXPECT_NEAR(10.0 * std::log10(front[5]), -3.0, 1e-4); // one octave down
    EXPECT_NEAR(10.0 * std::log10(front[40] / front[10]), 6.0, 1e-4);
    EXPECT_EQ(front[0], front[1]); // DC borrows bin 1

    ASSERT_TRUE(observer.setWeighting(true, ObserverWeighting::Slope6dB));
    observer.setNoMerge();
    observer.pushSpectrum(kN, flat.data());
    front = shown(observer);
    EXPECT_NEAR(10.0 * std::log10(front[20]), 6.0, 1e-4); // the curve follows a type change
}

TEST(ObserverScaling, StandardWeightingsShapeAFlatSpectrum)
{
    VkJuceObserverFrequencyDomain observer(kN, 51200.0f);
    Bins flat(kBins, {1.0, 0.0});
    for (auto type : {ObserverWeighting::A, ObserverWeighting::B, ObserverWeighting::C, ObserverWeighting::D})
    {
        ASSERT_TRUE(observer.setWeighting(true, type));
        observer.setNoMerge();
        observer.pushSpectrum(kN, flat.data());
        const auto front = shown(observer);
        // All four cut the lowest bins more than the mid band.
        EXPECT_LT(front[1], front[40]) << static_cast<int>(type);
    }
    EXPECT_FALSE(observer.setWeighting(true, static_cast<ObserverWeighting>(11)));
    EXPECT_EQ(observer.getWeighting(), ObserverWeighting::D);
    observer.setWeighting(false, ObserverWeighting::A);
    observer.setNoMerge();
    observer.pushSpectrum(kN, flat.data());
    EXPECT_EQ(shown(observer)[1], 1.0);
}

TEST(ObserverCopy, CopyTakesTheShownSpectrumAndWeighting)
{
    VkJuceObserverFrequencyDomain source(kN, 22005.0f);
    source.setWeighting(true, ObserverWeighting::C);
    source.pushSpectrum(kN, spectrum({{100, {1.0, 0.0}}}).data());
    VkJuceObserverFrequencyDomain copy(kN, 1000.0f);
    ASSERT_TRUE(copy.copyFrom(source));
    EXPECT_EQ(shown(copy), shown(source));
    EXPECT_TRUE(copy.isWeightingEnabled());
    EXPECT_EQ(copy.getWeighting(), ObserverWeighting::C);
    VkJuceObserverFrequencyDomain other(2 * kN, 22005.0f);
    EXPECT_FALSE(other.copyFrom(source));
    {
        VkJuceObserverFrequencyDomain::Reader reader(copy);
        EXPECT_FALSE(copy.copyFrom(source)); // would write under its own reader
    }
}
