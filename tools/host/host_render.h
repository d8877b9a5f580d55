#pragma once

// Processing a signal through a loaded plug-in block by block, with parameter changes at block
// boundaries (the framework's hosting hands them to the plug-in through its parameter queue).
// [message thread] Messages are dispatched between blocks, so the host side of the plug-in keeps
// running as in a real host.

#include "host_options.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace vkhost
{

struct RenderResult
{
    juce::AudioBuffer<float> output;
    int blocks = 0;
    int zeroLengthBlocks = 0;
    int appliedChanges = 0;
};

// Runs the message queue for about `ms` milliseconds.
void runMessages(int ms);

// `input` has the plug-in's input channel count (missing channels are silent); the output has the
// plug-in's output channel count and the input's length.
std::optional<RenderResult> render(juce::AudioPluginInstance& plugin, const juce::AudioBuffer<float>& input,
                                   const HostOptions& options, juce::String& error);

} // namespace vkhost
