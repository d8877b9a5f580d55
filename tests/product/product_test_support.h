#pragma once

// Shared set-up for the product tests: a processor in fresh data folders, prepared at a sample rate, and
// helpers that drive it with real signals.

#include "product/latiphonix_parameters.h"
#include "product/latiphonix_processor.h"

#include "processor/vk_wrapper_type.h"
#include "tests/processor/test_processor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <random>
#include <string>
#include <vector>

struct StereoSignal
{
    std::vector<float> left, right;
    int size() const { return int(left.size()); }
};

// White noise in -amplitude..amplitude; the same seed gives the same signal.
std::vector<float> makeNoise(int numSamples, float amplitude, unsigned seed);
StereoSignal makeMonoNoise(int numSamples, float amplitude, unsigned seed);
// Independent noise on each channel.
StereoSignal makeStereoNoise(int numSamples, unsigned seed, float amplitude = 0.5f);
bool allFinite(const StereoSignal& s);
// The largest magnitude on either channel from sample `from` on; infinite if any sample is not finite.
float peakOf(const StereoSignal& s, int from = 0);
// Every sample of `out` within `tolerance` of `in`.
void expectSameSignal(const StereoSignal& out, const StereoSignal& in, float tolerance, int from = 0);

class ProductTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void create(int wrapperType = vk::kWrapperVst3);
    // Sets the sample rate, prepares and runs the pending bank recompute.
    void prepare(double sampleRate = 48000.0, int blockSize = 512);
    // Changes as the editor makes them, in order: set(index, value, index, value, ...).
    template <typename... More>
    void set(int index, float value, More... more)
    {
        processor->setParameterInternal(index, value, true, false, false);
        if constexpr (sizeof...(more) > 0)
            set(more...);
    }
    float get(int index);
    // Runs the processor timer's work once, as the 50 ms tick would.
    void tick();
    // Processes `signal` in place in blocks of `blockSize`.
    void run(StereoSignal& signal, int blockSize = 512);
    // Processes `numSamples` of fresh noise and throws the result away.
    void settle(int numSamples, int blockSize = 512);
    // Every processing path off: the output should be the input.
    void allPathsOff();
    // IID bands spread over the whole range, no focus or bound limits.
    void wholeRangeIid(float resolution);

    LatiphonixAlgo& algo() { return processor->getAlgorithm(); }

    std::unique_ptr<ScopedDataFolders> folders;
    std::unique_ptr<LatiphonixProcessor> processor;
    unsigned noiseSeed = 1;
};

// The auto-level analysis's clock in the tests (algo().setClock(&manualClock)), in milliseconds.
extern std::atomic<juce::int64> manualNow;
juce::int64 manualClock();

// Energy of `x` in a narrow band around `centre` (fraction of the sampling rate), after `skip` samples.
double bandEnergy(const std::vector<float>& x, float centre, int skip);
double energy(const std::vector<float>& x, int skip);
