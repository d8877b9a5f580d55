#include "dsp/observer_weighting.h"

#include <cmath>

bool isValidObserverWeighting(int32_t type) noexcept
{
    return type >= static_cast<int32_t>(ObserverWeighting::None) &&
           type <= static_cast<int32_t>(ObserverWeighting::Slope6dB);
}

double observerWeightingAt(ObserverWeighting type, double f) noexcept
{
    switch (type)
    {
    case ObserverWeighting::None:
        return 1.0;
    case ObserverWeighting::A:
        return 7397049856.0 * f * f * f * f /
               ((f + 676.7) * (f + 129.4) * (f + 129.4) * (f + 4636.0) * (f + 76655.0) * (f + 76655.0));
    case ObserverWeighting::B:
        return 5991849984.0 * f * f * f /
               ((f + 995.9) * (f + 129.4) * (f + 129.4) * (f + 76655.0) * (f + 76655.0));
    case ObserverWeighting::C:
        return 5917969920.0 * f * f / ((f + 129.4) * (f + 129.4) * (f + 76655.0) * (f + 76655.0));
    case ObserverWeighting::D:
        return 91104.32 * f * (f * f + 6532.0 * f + 4.0975e7) /
               ((f + 1776.3) * (f + 7288.5) * (f * f + 21514.0 * f + 3.8836e8));
    default:
    {
        const double k = static_cast<double>(static_cast<int32_t>(type) - 4);
        return std::pow(f / 1000.0, k * std::log(10.0) / (10.0 * std::log(2.0)));
    }
    }
}

void buildObserverWeightingCurve(ObserverWeighting type, double binSpacing, float* curve,
                                 int binCount) noexcept
{
    if (curve == nullptr || binCount <= 0)
        return;
    for (int i = 0; i < binCount; ++i)
        curve[i] = static_cast<float>(observerWeightingAt(type, i * binSpacing));
    if (binCount > 1)
        curve[0] = curve[1];
}

float observerSizeNormalisation(int transformLength) noexcept
{
    float factor = 1.0f;
    switch (transformLength)
    {
    case 256:
        factor = 15.700062f;
        break;
    case 512:
        factor = 7.9788857f;
        break;
    case 1024:
        factor = 4.289406f;
        break;
    case 2048:
        factor = 1.9579611f;
        break;
    case 4096:
        factor = 1.0f;
        break;
    case 8192:
        factor = 0.545135f;
        break;
    case 16384:
        factor = 0.24315006f;
        break;
    case 32768:
        factor = 0.12157503f;
        break;
    case 65536:
        factor = 0.060787514f;
        break;
    case 131072:
        factor = 0.030393757f;
        break;
    default:
        break;
    }
    return factor * 0.44878614f;
}
