#pragma once

// What the console host did, as "key=value" lines on standard output, so that scripts and tests can
// read it line by line.

#include <juce_audio_basics/juce_audio_basics.h>

namespace vkhost
{

void report(const juce::String& key, const juce::String& value);
void reportError(const juce::String& message);

// Level per channel, whether all channels are identical, and the comparison with a reference signal:
// the first sample index at which any channel differs by more than `tolerance` (-1 when none) and the
// largest difference.
void reportSignal(const juce::String& prefix, const juce::AudioBuffer<float>& buffer, int startSample = 0);
void reportComparison(const juce::AudioBuffer<float>& output, const juce::AudioBuffer<float>& reference,
                      float tolerance);

} // namespace vkhost
