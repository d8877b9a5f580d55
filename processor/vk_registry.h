#pragma once

// The product's settings, read and written by name. Values live under a key path such as
// "VEKLA Audio\\Latiphonix3" in the settings store of platform/: read from the user's store first and
// the machine-wide one second, written to both. Strings are stored with their terminating zero; numbers
// as exactly four bytes holding a float32, and a number is only believed when exactly four bytes come
// back. Every read uses its own buffer, so concurrent reads from several threads are safe.
// [any thread] File I/O and allocation: keep off the audio thread where a caller can.

#include <juce_core/juce_core.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace vk::registry
{

enum class ValueType
{
    String,
    Binary,
};

// "VEKLA Audio\\" + product key.
juce::String getProductRegistryPath();

// The raw bytes of a value; nothing when neither store holds it (or it is longer than 20480 bytes).
std::optional<std::vector<std::uint8_t>> readRegistryValue(const juce::String& path,
                                                           const juce::String& name);
// The value as text; empty when not found. Text that is not UTF-8 (an older installer) is read as Latin-1.
juce::String readRegistryString(const juce::String& path, const juce::String& name);
// A four-byte float value; nothing for any other size.
std::optional<float> readRegistryFloat(const juce::String& path, const juce::String& name);

// False when the user's store could not be written; the machine-wide store is written too, best effort.
bool writeRegistryValue(const juce::String& path, const juce::String& name, const void* data, int size,
                        ValueType type);
bool writeRegistryString(const juce::String& path, const juce::String& name, const char* text);
bool writeRegistryFloat(const juce::String& path, const juce::String& name, const float* value);

juce::String readProductString(const juce::String& name);
std::optional<std::vector<std::uint8_t>> readProductValue(const juce::String& name);
std::optional<float> readProductFloat(const juce::String& name);
bool writeProductString(const juce::String& name, const char* text);
bool writeProductFloat(const juce::String& name, const float* value);

// The installed file `relative` under the "Install Folder" the installer recorded.
juce::String getInstallFolder(const juce::String& relative);
// The product manual in the install folder.
juce::String getManualPath();

} // namespace vk::registry
