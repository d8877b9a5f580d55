#pragma once

// How a preset or category name that a user typed becomes a file or folder name, and back. The encoded
// form holds only characters that every file system accepts and never a path separator, so one name is
// always exactly one path component. [any thread] Pure functions; they allocate.

#include <juce_core/juce_core.h>

namespace vk::presets
{

// "/" -> "&2F", "\" -> "&5C", then every character outside [0-9a-zA-Z _-.&+%] is dropped.
juce::String encodePresetName(const juce::String& name);

// "%2F" and "&2F" -> "/", "%5C" and "&5C" -> "\".
juce::String decodePresetName(const juce::String& encoded);

// Whether an encoded name may name a file or folder of the store: not empty, not "." or "..", and not
// starting with "." (a hidden entry that no listing would show again).
bool isUsableEncodedName(const juce::String& encoded);

// Whether typed text names something the store can act on: its encoding is usable.
bool isUsableName(const juce::String& name);

} // namespace vk::presets
