#pragma once

// The product editor's rules between its displays and the parameters, kept apart from the controls so that
// each rule is a plain function of its inputs.
// [any thread] Pure; only the text functions allocate their results.

#include <juce_core/juce_core.h>

namespace latiphonix::editor_rules
{

// The phase control has 102 frames: 0 and 101 both mean "invert", 1 means no shift and 2..100 a shift of
// 1..99 %.
constexpr int phaseFrames = 102;
int phaseFrame(float controlValue) noexcept;

struct PhaseParameters
{
    float invert;
    float shift;
};
PhaseParameters phaseParametersForFrame(int frame) noexcept;
// Where the phase control goes for the parameters: an inverted phase keeps the end it is nearer to.
float phaseControlValue(float currentControlValue, bool invertOn, float shift) noexcept;
// "Invert", "Off" or the shift in percent.
juce::String phaseText(int frame);

// The auto-level display: frame 0 idle, 1 the automatic trim is on, 4, 3, 2 the three seconds of a running
// analysis (startMs 0 = none running).
int autoLevelFrame(juce::int64 analysisStartMs, juce::int64 nowMs, bool autoTrimOn) noexcept;

// One tick of a 30-frame level indicator: jumps up to the meter at once, falls by one frame per tick.
int levelIndicatorFrame(float indicatorValue, float meter) noexcept;

// The balance readout for q in 0 (fully left) .. 200 (fully right): "L37%", "0", "R12%".
juce::String balanceReadoutText(int q);

} // namespace latiphonix::editor_rules
