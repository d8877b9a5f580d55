#include "product_test_support.h"

#include "dsp/recursive_filter_band.h"

#include <algorithm>
#include <cmath>
#include <limits>

std::vector<float> makeNoise(int numSamples, float amplitude, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> uniform(-amplitude, amplitude);
    std::vector<float> x(static_cast<std::size_t>(numSamples));
    for (auto& v : x)
        v = uniform(random);
    return x;
}

std::atomic<juce::int64> manualNow{1000000};

juce::int64 manualClock()
{
    return manualNow.load();
}

StereoSignal makeMonoNoise(int numSamples, float amplitude, unsigned seed)
{
    StereoSignal s;
    s.left = makeNoise(numSamples, amplitude, seed);
    s.right = s.left;
    return s;
}

StereoSignal makeStereoNoise(int numSamples, unsigned seed, float amplitude)
{
    return {makeNoise(numSamples, amplitude, seed), makeNoise(numSamples, amplitude, seed + 7919u)};
}

bool allFinite(const StereoSignal& s)
{
    for (std::size_t i = 0; i < s.left.size(); ++i)
        if (!std::isfinite(s.left[i]) || !std::isfinite(s.right[i]))
            return false;
    return true;
}

float peakOf(const StereoSignal& s, int from)
{
    float peak = 0.0f;
    for (std::size_t i = std::size_t(from); i < s.left.size(); ++i)
    {
        // A NaN compares false everywhere: make it the largest peak instead.
        if (!std::isfinite(s.left[i]) || !std::isfinite(s.right[i]))
            return std::numeric_limits<float>::infinity();
        peak = std::max({peak, std::abs(s.left[i]), std::abs(s.right[i])});
    }
    return peak;
}

void expectSameSignal(const StereoSignal& out, const StereoSignal& in, float tolerance, int from)
{
    for (std::size_t i = std::size_t(from); i < in.left.size(); ++i)
    {
        ASSERT_NEAR(out.left[i], in.left[i], tolerance) << i;
        ASSERT_NEAR(out.right[i], in.right[i], tolerance) << i;
    }
}

void ProductTest::SetUp()
{
    folders = std::make_unique<ScopedDataFolders>();
}

void ProductTest::TearDown()
{
    processor.reset();
    folders.reset();
}

void ProductTest::create(int wrapperType)
{
    processor = std::make_unique<LatiphonixProcessor>(wrapperType);
}

void ProductTest::prepare(double sampleRate, int blockSize)
{
    if (processor == nullptr)
        create();
    processor->setRateAndBufferSizeDetails(sampleRate, blockSize);
    processor->prepareToPlay(sampleRate, blockSize);
    tick();
}

float ProductTest::get(int index)
{
    return processor->getParameterRecord(index).getValue();
}

void ProductTest::tick()
{
    processor->timerCallback();
}

void ProductTest::run(StereoSignal& signal, int blockSize)
{
    juce::MidiBuffer midi;
    for (int start = 0; start < signal.size(); start += blockSize)
    {
        const int n = std::min(blockSize, signal.size() - start);
        float* channels[] = {signal.left.data() + start, signal.right.data() + start};
        juce::AudioBuffer<float> buffer(channels, 2, n);
        processor->processBlock(buffer, midi);
    }
}

void ProductTest::settle(int numSamples, int blockSize)
{
    auto signal = makeMonoNoise(numSamples, 0.5f, noiseSeed++);
    run(signal, blockSize);
}

void ProductTest::allPathsOff()
{
    using namespace latiphonix;
    set(kIidEnabled, 0.0f, kItdEnabled, 0.0f, kItdFill, 0.0f, kLinearWidth, 0.5f, kPhaseShift, 0.0f,
        kPhaseInvert, 0.0f, kBalance, 0.5f, kSoloLeft, 0.0f, kSoloRight, 0.0f, kAutoLevel, 0.0f, kDynamics,
        0.0f, kBypass, 0.0f, kMono, 0.0f);
    tick();
}

void ProductTest::wholeRangeIid(float resolution)
{
    using namespace latiphonix;
    set(kResolution, resolution, kIidFocusLower, 0.0f, kIidFocusUpper, 1.0f, kIidLowBound, 0.0f,
        kIidHighBound, 1.0f);
}

double energy(const std::vector<float>& x, int skip)
{
    double sum = 0.0;
    for (std::size_t i = std::size_t(skip); i < x.size(); ++i)
        sum += double(x[i]) * double(x[i]);
    return sum;
}

double bandEnergy(const std::vector<float>& x, float centre, int skip)
{
    CRecursiveFilterBandPass<float> filter;
    filter.design(centre, 0.0005f);
    double sum = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i)
    {
        const double y = filter.processSample(x[i]);
        if (i >= std::size_t(skip))
            sum += y * y;
    }
    return sum;
}
