#pragma once

// The command line of the console host: which bundle, what to list, which parameters to set or automate,
// which signal to process at which rate and block size, and which files to read and write.

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

namespace vkhost
{

// One parameter change. `ref` is "bypass", a parameter id as the plug-in publishes it, or a parameter
// name; `atSeconds` is negative for a change made before processing starts.
struct ParameterChange
{
    juce::String ref;
    float value = 0.0f;
    double atSeconds = -1.0;
};

enum class SignalKind
{
    Noise,
    Sine,
    Silence,
    WavFile
};

struct HostOptions
{
    juce::String bundle;
    bool scanOnly = false;
    bool list = false;
    int pluginIndex = 0;

    SignalKind signal = SignalKind::Noise;
    juce::File inputFile;
    double sineHz = 1000.0;
    float level = 0.25f;
    juce::int64 seed = 1;
    int inputChannels = 2;
    // Empty: the plug-in's default layout; otherwise "mono", "stereo", "5.1" or "7.1" for input and output.
    juce::String layout;

    double sampleRate = 48000.0;
    int blockSize = 512;
    double seconds = 1.0;
    // Signal statistics and the comparison start here, so that a change's ramp can be left out.
    double measureFromSeconds = 0.0;
    bool zeroLengthBlocks = false;
    bool realtime = false;
    int settleMs = 0;

    int program = -1;
    std::vector<ParameterChange> changes;

    juce::File outputFile;
    juce::File referenceFile;
    juce::File loadStateFile;
    juce::File saveStateFile;

    // The editor, opened through the plug-in's VST3 view in a window of ours: this many times (0: not
    // at all), each kept open for editorMs; the last one's picture goes to the screenshot file (PNG).
    int editorCycles = 0;
    int editorMs = 500;
    juce::File screenshotFile;
};

// Parses argv; on failure returns nothing and puts the reason in `error`.
std::optional<HostOptions> parseOptions(const juce::StringArray& args, juce::String& error);

juce::String usageText();

} // namespace vkhost
