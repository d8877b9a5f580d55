#pragma once

// Test signals and WAV files for the console host.

#include "host_options.h"

#include <juce_audio_basics/juce_audio_basics.h>

namespace vkhost
{

// The input signal the options ask for, `numSamples` long, with `numChannels` channels. A WAV file is
// read whole (its own length and channel count win over the options); nothing on failure.
std::optional<juce::AudioBuffer<float>> makeSignal(const HostOptions& options, int numChannels,
                                                   juce::int64 numSamples, juce::String& error);

std::optional<juce::AudioBuffer<float>> readWav(const juce::File& file, juce::String& error);
bool writeWav(const juce::File& file, const juce::AudioBuffer<float>& buffer, double sampleRate,
              juce::String& error);

} // namespace vkhost
