#pragma once

// The product's parameter table: names, persistent keys, step counts, defaults, host exposure and the
// text rules that turn a normalised value into what the host and the editor show.
// [any thread] The table is constant; the text functions allocate their result strings.

#include <juce_core/juce_core.h>

namespace latiphonix
{

enum ParameterIndex : int
{
    kRouting = 0,
    kTimecodeFrameRate = 1,
    kParamMapVersion = 2,
    kBypass = 3,
    kResolution = 4,
    kAcuity = 5,
    kIidInvert = 6,
    kItdFill = 7,
    kLinearWidth = 8,
    kAnalysis = 9,
    kLink = 10,
    kIidEnabled = 11,
    kIidFocusLower = 12,
    kIidFocusUpper = 13,
    kIidLowBound = 14,
    kIidHighBound = 15,
    kIidWidth = 16,
    kItdEnabled = 17,
    kItdLowBound = 18,
    kItdHighBound = 19,
    kItdWidth = 20,
    kDynamics = 21,
    kDynamicsShape = 22,
    kDynamicsDepth = 23,
    kDynamicsSpeed = 24,
    kTempoSync = 25,
    kPhaseShift = 26,
    kPhaseInvert = 27,
    kMono = 28,
    kSoloLeft = 29,
    kSoloRight = 30,
    kBalance = 31,
    kAutoLevel = 32,
    kAutoLevelAmount0 = 33,
    kAutoLevelAmount1 = 34,
    kNumParameters = 35
};

// Framework parameter ids the product registers.
enum FrameworkParameterId : int
{
    kRoutingDefault = 9000,
    kRoutingDefault71 = 9001,
    kFrameRateDefault = 9002,
    kPersistentParamMapVersion = 9003,
    kExportSupport = 9004,
    kDummyPersistent = 9005,
    kShowMenu = 9100,
    kUndo = 9101,
    kRedo = 9102,
    kAB = 9103,
    kAToB = 9104,
    kPresetNext = 9105,
    kPresetPrevious = 9106,
    kProfiling = 9108,
    kResetToPreset = 9109,
    kDummyTransient = 9110,
};

inline constexpr int kNumPersistentParameters = 6;
inline constexpr int kNumTransientParameters = 11;
inline constexpr int kDefaultNumSteps = 0x7fffffff;
// The parameter-map version this build writes; a stored state with a higher one came from a newer build.
inline constexpr int kParamMapVersionNumber = 1;

enum class TextRule
{
    OnOff,      // "On" / "Off"
    Resolution, // band pairs 1..10
    Percent101, // trunc(v * 101), at most 100 %
    Percent201, // trunc(v * 201), at most 200 %
    Frequency,  // 20 Hz .. 22 kHz
    Percent100, // trunc(v * 100) %
    Shape,      // Dynamics shape name
    Balance,    // L100 .. <C> .. R100
    Gain,       // v * 2 with two decimals
    Routing,    // 5.1 channel order
    Routing71,  // 7.1 channel order
    FrameRate,  // timecode frame rate
    MapVersion, // parameter-map version
    Plain,      // v with two decimals
};

struct ParameterInfo
{
    const char* name;
    const char* key;
    TextRule text;
    int numSteps;
    float defaultValue;
    bool exposed;
    bool automatable;
    bool storedInProgram;
};

// The main parameter at `index`, or null outside 0..34.
const ParameterInfo* findMainParameter(int index) noexcept;
// The framework parameter `id` the product registers, or null.
const ParameterInfo* findFrameworkParameter(int id) noexcept;
// The framework parameters in registration order (persistent first), `count` entries.
const ParameterInfo* frameworkParameters(int& count) noexcept;
int frameworkParameterId(int position) noexcept;

// A small integer choice k stored as k / 1000, read back with rounding and capped at 1000.
int decodeChoice(float value) noexcept;
// 20 * 1100^v Hz.
float frequencyForValue(float value) noexcept;

// Texts by rule. The rules that depend on the processor's host choices take the choice index.
juce::String formatOnOff(float value);
juce::String formatResolution(float value);
juce::String formatPercent(float value, int scale, int maximum);
juce::String formatFrequencyValue(float value);
juce::String formatShape(float value);
juce::String formatBalance(float value);
juce::String formatTwoDecimals(float value);
juce::String routingName51(int choice);
juce::String routingName71(int choice);
juce::String frameRateName(int choice);
juce::String shapeName(int shape);

} // namespace latiphonix
