#pragma once

// The text of a ".vkp" preset file: a "VEKLAAudioPreset" root naming the product and version, and one
// "Parameters" element with an attribute per parameter key holding the value as "%.9g", so that every
// float reads back bit for bit. Preset files are shared between users and machines, so the reader takes
// any bytes: a file larger than any preset is refused, and the rest goes through the guarded parser for
// untrusted text (processor/vk_untrusted_xml.h).
// [any thread] Pure functions; they allocate.

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vk::presets
{

inline constexpr const char* kPresetRootTag = "VEKLAAudioPreset";
inline constexpr const char* kPresetParametersTag = "Parameters";
inline constexpr const char* kPresetExtension = ".vkp";

// Even 3,000 parameters with long keys stay far below this; anything larger is not one of our files.
inline constexpr std::int64_t kMaxPresetFileBytes = std::int64_t(1) << 20;

// What a preset is read against: the key and the default of every parameter, in index order.
struct PresetParameterList
{
    juce::StringArray keys;
    std::vector<float> defaults;
    int size() const noexcept { return int(defaults.size()); }
};

// "%.9g" whatever the host's locale: full stop, shortest exponent form, no padding.
juce::String formatPresetValue(float value);

// The whole document with its XML declaration, CRLF line ends as written to disk. Keys that cannot be an
// XML attribute name are left out; reading gives those parameters their defaults.
juce::String writePresetDocument(const juce::StringArray& keys, const float* values, int numValues);

// The parsed document, or null when the bytes are refused or not well-formed.
std::unique_ptr<juce::XmlElement> parsePresetDocument(const void* data, std::size_t size);

// Fills out[0 .. parameters.size() - 1] when the document is a preset (root and child as written);
// otherwise returns false and leaves out untouched. A missing value, or one that is not a finite number,
// reads as the parameter's default; every value is clamped to 0..1.
bool readPresetValues(const juce::XmlElement& document, const PresetParameterList& parameters, float* out);

} // namespace vk::presets
