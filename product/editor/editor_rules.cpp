#include "editor_rules.h"

#include <algorithm>
#include <cmath>

namespace latiphonix::editor_rules
{

namespace
{
int choiceOf(float value) noexcept
{
    return std::min((int)(value * 1000.0f + 0.5f), 1000);
}
} // namespace

int phaseFrame(float controlValue) noexcept
{
    return (int)(controlValue * 101.0f + 0.5f);
}

PhaseParameters phaseParametersForFrame(int frame) noexcept
{
    if (frame <= 0 || frame >= 101)
        return {1.0f, 0.0f};
    return {0.0f, std::min((float)(frame - 1) * 0.01f, 0.99f)};
}

float phaseControlValue(float currentControlValue, bool invertOn, float shift) noexcept
{
    if (invertOn)
        return currentControlValue >= 0.5f ? 1.0f : 0.0f;
    // Frame 101 means invert: a shift of 0.995 or more would otherwise read "Invert" while Invert is off.
    return (float)std::min((int)(shift * 100.0f + 1.0f + 0.5f), 100) / 101.0f;
}

juce::String phaseText(int frame)
{
    if (frame <= 0 || frame >= 101)
        return "Invert";
    if (frame == 1)
        return "Off";
    return juce::String(frame - 1) + "%";
}

int autoLevelFrame(juce::int64 analysisStartMs, juce::int64 nowMs, bool autoTrimOn) noexcept
{
    if (analysisStartMs == 0)
        return autoTrimOn ? 1 : 0;
    // A clock that stepped back counts as the start of the analysis.
    const auto seconds = (int)std::clamp<juce::int64>((nowMs - analysisStartMs) / 1000, 0, 3);
    return std::clamp(3 - seconds, 1, 3) + 1;
}

int levelIndicatorFrame(float indicatorValue, float meter) noexcept
{
    const int previous = choiceOf(indicatorValue);
    const float level = std::max(std::isfinite(meter) ? meter : 0.0f, (float)previous / 30.0f - 0.005f);
    return std::min((int)(level * 30.0f), 1000);
}

juce::String balanceReadoutText(int q)
{
    if (q < 100)
        return "L" + juce::String(100 - q) + "%";
    if (q == 100)
        return "0";
    return "R" + juce::String(q - 100) + "%";
}

} // namespace latiphonix::editor_rules
