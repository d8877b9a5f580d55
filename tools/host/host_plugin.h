#pragma once

// Loading a VST3 bundle through the framework's own hosting, and reaching its parameters, programs and
// state. [message thread]

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

namespace vkhost
{

// Every class the bundle publishes, as the framework's VST3 scanner sees them.
juce::OwnedArray<juce::PluginDescription> scanBundle(const juce::String& bundle);

std::unique_ptr<juce::AudioPluginInstance> loadPlugin(const juce::PluginDescription& description,
                                                      double sampleRate, int blockSize, juce::String& error);

// A parameter by reference: "bypass" (the plug-in's bypass parameter), the id the plug-in publishes,
// or its name. Null when none matches.
juce::AudioProcessorParameter* findParameter(juce::AudioPluginInstance& plugin, const juce::String& ref);

juce::String parameterId(const juce::AudioProcessorParameter& parameter);

// Sets a parameter the way a host's automation does: gesture, value, end of gesture.
void setParameter(juce::AudioProcessorParameter& parameter, float value);

// Requests the same layout on the main input and output bus: "mono", "stereo", "5.1" or "7.1".
bool requestLayout(juce::AudioPluginInstance& plugin, const juce::String& layout);

void reportDescription(const juce::String& prefix, const juce::PluginDescription& description);
// Ids, names, values and texts of all parameters, the bypass parameter, and the programs.
void reportParameters(juce::AudioPluginInstance& plugin, bool withTexts);
void reportPrograms(juce::AudioPluginInstance& plugin);

bool saveState(juce::AudioPluginInstance& plugin, const juce::File& file, juce::String& error);
bool loadState(juce::AudioPluginInstance& plugin, const juce::File& file, juce::String& error);

} // namespace vkhost
