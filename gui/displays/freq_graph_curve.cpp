#include "freq_graph_curve.h"

#include <algorithm>
#include <cmath>

namespace vk
{

FreqGraphCurve::FreqGraphCurve()
{
    setLength(1);
}

void FreqGraphCurve::setLength(int n)
{
    length = std::clamp(n, 1, maxLength);
    const auto size = (size_t)length;
    for (auto& s : sources)
    {
        // Fresh vectors rather than resize: the old memory goes and every entry starts at zero.
        s.values = std::vector<float>(size, 0.0f);
        s.held = std::vector<float>(size, 0.0f);
        s.holdTimes = std::vector<int64_t>(size, 0);
        s.extraA = std::vector<double>(size, 0.0);
        s.extraB = std::vector<double>(size, 0.0);
    }
}

void FreqGraphCurve::setSource(int k, VkJuceObserverFrequencyDomain* source) noexcept
{
    if (k >= 0 && k < numSources)
        sources[(size_t)k].source = source;
}

VkJuceObserverFrequencyDomain* FreqGraphCurve::getSource(int k) const noexcept
{
    return k >= 0 && k < numSources ? sources[(size_t)k].source : nullptr;
}

void FreqGraphCurve::setSourceGain(int k, float gain) noexcept
{
    if (k >= 0 && k < numSources && std::isfinite(gain) && gain >= 0.0f)
        sources[(size_t)k].gain = gain;
}

float FreqGraphCurve::getSourceGain(int k) const noexcept
{
    return k >= 0 && k < numSources ? sources[(size_t)k].gain : 1.0f;
}

float* FreqGraphCurve::getValues(int k) noexcept
{
    return k >= 0 && k < numSources ? sources[(size_t)k].values.data() : nullptr;
}

float* FreqGraphCurve::getHeldValues(int k) noexcept
{
    return k >= 0 && k < numSources ? sources[(size_t)k].held.data() : nullptr;
}

int64_t* FreqGraphCurve::getHoldTimes(int k) noexcept
{
    return k >= 0 && k < numSources ? sources[(size_t)k].holdTimes.data() : nullptr;
}

double* FreqGraphCurve::getExtraA(int k) noexcept
{
    return k >= 0 && k < numSources ? sources[(size_t)k].extraA.data() : nullptr;
}

double* FreqGraphCurve::getExtraB(int k) noexcept
{
    return k >= 0 && k < numSources ? sources[(size_t)k].extraB.data() : nullptr;
}

void FreqGraphCurve::clearData() noexcept
{
    for (auto& s : sources)
    {
        std::fill(s.values.begin(), s.values.end(), 0.0f);
        std::fill(s.held.begin(), s.held.end(), 0.0f);
        std::fill(s.holdTimes.begin(), s.holdTimes.end(), 0);
    }
    restartAverage();
}

void FreqGraphCurve::clearHeld(int k) noexcept
{
    if (k < 0 || k >= numSources)
        return;
    auto& s = sources[(size_t)k];
    std::fill(s.held.begin(), s.held.end(), 0.0f);
    std::fill(s.holdTimes.begin(), s.holdTimes.end(), 0);
}

VkJuceObserverFrequencyDomain* FreqGraphCurve::getObserver(int k) const noexcept
{
    return k == 0 || k == 1 ? observers[(size_t)k].get() : nullptr;
}

void FreqGraphCurve::setObserver(int k, std::unique_ptr<VkJuceObserverFrequencyDomain> observer)
{
    if (k == 0 || k == 1)
        observers[(size_t)k] = std::move(observer);
}

} // namespace vk
