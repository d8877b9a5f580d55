#include "product/latiphonix_parameters.h"

#include "processor/vk_log_ranges.h"
#include "processor/vk_processor_base.h"

#include <algorithm>
#include <cmath>

namespace latiphonix
{

namespace
{

constexpr int kCont = kDefaultNumSteps;

// Index order; every row's default is what a fresh instance and every unlisted preset value hold.
constexpr ParameterInfo kMainTable[kNumParameters] = {
    {"Channel Routing", "Routing", TextRule::Routing, kCont, 0.1f, false, false, false},
    {"Timecode Frame Rate", "TimecodeFramerate", TextRule::FrameRate, kCont, 0.006f, false, false, false},
    {"Mapped Param Version", "ParamMapVersion", TextRule::MapVersion, kCont, 0.001f, false, false, false},
    {"Bypass", "Bypass", TextRule::OnOff, 2, 0.0f, true, true, true},
    {"IID Resolution", "Resolution", TextRule::Resolution, kCont, 0.009f, true, true, true},
    {"Acuity", "Acuity", TextRule::Percent101, 101, 0.8f, true, true, true},
    {"IID Invert", "IIDInvert", TextRule::OnOff, 2, 0.0f, true, true, true},
    {"ITD Fill", "ITDFill", TextRule::OnOff, 2, 0.0f, true, true, true},
    {"Linear Width", "LinearWidth", TextRule::Percent201, 201, 0.5f, true, true, true},
    {"Analysis", "Analysis", TextRule::OnOff, 2, 0.5f, true, true, true},
    {"Link", "Link", TextRule::OnOff, 2, 1.0f, true, true, true},
    {"IID Algorithm", "IIDEnabled", TextRule::OnOff, 2, 1.0f, true, true, true},
    {"IID Focus Lower", "IIDFocusLower", TextRule::Frequency, 525, 0.0f, true, true, true},
    {"IID Focus Upper", "IIDFocusUpper", TextRule::Frequency, 525, 1.0f, true, true, true},
    {"IID Low Bound", "IIDLowBound", TextRule::Frequency, 525, 0.0f, true, true, true},
    {"IID High Bound", "IIDHighBound", TextRule::Frequency, 525, 1.0f, true, true, true},
    {"IID Width", "IIDWidth", TextRule::Percent100, 101, 1.0f, true, true, true},
    {"ITD Algorithm", "ITDEnabled", TextRule::OnOff, 2, 0.0f, true, true, true},
    {"ITD Low Bound", "ITDLowBound", TextRule::Frequency, 525, 0.25f, true, true, true},
    {"ITD High Bound", "ITDHighBound", TextRule::Frequency, 525, 0.75f, true, true, true},
    {"ITD Width", "ITDWidth", TextRule::Percent100, 101, 0.8f, true, true, true},
    {"Dynamics", "Dynamics", TextRule::OnOff, 2, 0.0f, true, true, true},
    {"Dynamics Shape", "DynType", TextRule::Shape, 5, 0.0f, true, false, true},
    {"Dynamics Depth", "DynDepth", TextRule::Percent101, 101, 0.5f, true, true, true},
    {"Dynamics Speed", "DynSpeed", TextRule::Percent101, 101, 0.5f, true, true, true},
    {"Tempo Sync", "DynTempo", TextRule::OnOff, 2, 0.0f, true, true, true},
    {"Phase Shift", "PhaseShift", TextRule::Percent100, 100, 0.0f, true, true, true},
    {"Phase Invert", "PhaseInvert", TextRule::OnOff, 2, 0.0f, true, true, true},
    {"Output To Mono", "Mono", TextRule::OnOff, 2, 0.0f, true, true, true},
    {"Solo Left", "SoloL", TextRule::OnOff, 2, 0.0f, true, true, true},
    {"Solo Right", "SoloR", TextRule::OnOff, 2, 0.0f, true, true, true},
    {"Output Balance", "Balance", TextRule::Balance, 201, 0.5f, true, true, true},
    {"Input Trim Auto", "AutoLevel", TextRule::OnOff, 2, 0.0f, false, false, true},
    {"Auto Level Amount 0", "AutoLevelAmount0", TextRule::Gain, kCont, 0.5f, false, false, true},
    {"Auto Level Amount 1", "AutoLevelAmount1", TextRule::Gain, kCont, 0.5f, false, false, true},
};

struct FrameworkRow
{
    int id;
    ParameterInfo info;
};

// Registration order matters: the persistent set comes first, and 9107 is left out on purpose.
constexpr FrameworkRow kFrameworkTable[] = {
    {kRoutingDefault,
     {"Default Channel Routing", "RoutingDefault", TextRule::Routing, kCont, 0.1f, true, true, false}},
    {kRoutingDefault71,
     {"Default Channel Routing 7.1", "RoutingDefault_7_1", TextRule::Routing71, kCont, 0.1f, true, true,
      false}},
    {kFrameRateDefault,
     {"Default Timecode Frame Rate", "TimecodeFramerateDefault", TextRule::FrameRate, kCont, 0.006f, true,
      true, false}},
    {kPersistentParamMapVersion,
     {"Mapped Persistent Param Version", "PersistentParamMapVersion", TextRule::MapVersion, kCont, 0.001f,
      true, true, false}},
    {kExportSupport, {"Export Support", "ExportSupport", TextRule::OnOff, kCont, 0.0f, true, true, false}},
    {kDummyPersistent,
     {"place-holder dummy param", "DummyPersistent", TextRule::Plain, kCont, 0.0f, true, true, true}},
    {kShowMenu, {"Show Menu", "ShowBaseMenu", TextRule::OnOff, kCont, 0.0f, true, true, true}},
    {kUndo, {"Undo", "Undo", TextRule::OnOff, kCont, 0.0f, true, true, true}},
    {kRedo, {"Redo", "Redo", TextRule::OnOff, kCont, 0.0f, true, true, true}},
    {kAB, {"A/B", "AB", TextRule::OnOff, kCont, 0.0f, true, true, true}},
    {kAToB, {"A to B", "AtoB", TextRule::OnOff, kCont, 0.0f, true, true, true}},
    {kPresetNext, {"Preset Next", "PresetNext", TextRule::Plain, kCont, 0.0f, true, true, true}},
    {kPresetPrevious, {"Preset Previous", "PresetPrev", TextRule::Plain, kCont, 0.0f, true, true, true}},
    {kProfiling, {"Profiling", "ShowProfiling", TextRule::OnOff, kCont, 0.0f, true, true, true}},
    {kResetToPreset, {"Reset To Preset", "ResetToPreset", TextRule::OnOff, kCont, 0.0f, true, true, true}},
    {kDummyTransient,
     {"place-holder dummy param", "DummyTransient", TextRule::Plain, kCont, 0.0f, true, true, true}},
};

constexpr int kNumFrameworkRows = int(sizeof(kFrameworkTable) / sizeof(kFrameworkTable[0]));

const char* const kShapeNames[] = {"Sine", "Tri", "Sqr", "RND1", "RND2"};
const char* const kOrders51[] = {"Film", "ITU", "DTS"};
const char* const kOrders71[] = {"DTS1", "DTS2", "Dolby1", "Dolby2", "SDDS1", "SDDS2"};
const char* const kFrameRates[] = {"23.976 fps", "24 fps",    "25 fps", "29.97 fps DF", "29.97 fps",
                                   "30 fps DF",  "30 fps",    "48 fps", "50 fps",       "59.94 fps DF",
                                   "59.94 fps",  "60 fps DF", "60 fps"};

template <std::size_t N>
juce::String nameAt(const char* const (&names)[N], int index)
{
    return (index >= 0 && index < int(N)) ? juce::String(names[index]) : juce::String();
}

} // namespace

const ParameterInfo* findMainParameter(int index) noexcept
{
    return (index >= 0 && index < kNumParameters) ? &kMainTable[index] : nullptr;
}

const ParameterInfo* findFrameworkParameter(int id) noexcept
{
    for (const auto& row : kFrameworkTable)
        if (row.id == id)
            return &row.info;
    return nullptr;
}

int frameworkParameterId(int position) noexcept
{
    return (position >= 0 && position < kNumFrameworkRows) ? kFrameworkTable[position].id : -1;
}

const ParameterInfo* frameworkParameters(int& count) noexcept
{
    count = kNumFrameworkRows;
    return &kFrameworkTable[0].info;
}

int decodeChoice(float value) noexcept
{
    const float scaled = value * 1000.0f + 0.5f;
    // NaN and negative values have no choice; they read as the first one.
    if (!(scaled > 0.0f))
        return 0;
    return scaled >= 1000.0f ? 1000 : int(scaled);
}

float frequencyForValue(float value) noexcept
{
    return std::exp(vk::ranges::kFrequencyLow + value * vk::ranges::kFrequencySpan);
}

juce::String formatOnOff(float value)
{
    return value != 0.0f ? "On" : "Off";
}

juce::String formatResolution(float value)
{
    int n = decodeChoice(value);
    if (n >= 10)
        n = 9;
    return juce::String(n + 1);
}

juce::String formatPercent(float value, int scale, int maximum)
{
    const float scaled = value * float(scale);
    int percent = std::isfinite(scaled) ? int(std::clamp(scaled, -1.0e6f, 1.0e6f)) : 0;
    if (maximum >= 0)
        percent = std::clamp(percent, 0, maximum);
    return juce::String(percent) + "%";
}

juce::String formatFrequencyValue(float value)
{
    return VkJuceProcessorBase::formatFrequency(frequencyForValue(value));
}

juce::String shapeName(int shape)
{
    return nameAt(kShapeNames, std::min(shape, 4));
}

juce::String formatShape(float value)
{
    return shapeName(decodeChoice(value));
}

juce::String formatBalance(float value)
{
    const float scaled = value * 201.0f;
    const int n = std::isfinite(scaled) ? std::clamp(int(std::clamp(scaled, -1.0f, 201.0f)), 0, 200) : 100;
    if (n < 100)
        return "L" + juce::String(100 - n);
    if (n == 100)
        return "<C>";
    return "R" + juce::String(n - 100);
}

juce::String formatTwoDecimals(float value)
{
    return juce::String(double(value), 2);
}

juce::String routingName51(int choice)
{
    return nameAt(kOrders51, choice);
}

juce::String routingName71(int choice)
{
    // The 7.1 choices follow the three 5.1 ones in the same number range.
    return nameAt(kOrders71, choice - 3);
}

juce::String frameRateName(int choice)
{
    return nameAt(kFrameRates, choice);
}

} // namespace latiphonix
