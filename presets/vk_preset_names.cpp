#include "presets/vk_preset_names.h"

namespace vk::presets
{
namespace
{
constexpr const char* kAllowedCharacters =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ _-.&+%";
} // namespace

juce::String encodePresetName(const juce::String& name)
{
    return name.replace("/", "&2F").replace("\\", "&5C").retainCharacters(kAllowedCharacters);
}

juce::String decodePresetName(const juce::String& encoded)
{
    return encoded.replace("%2F", "/").replace("%5C", "\\").replace("&2F", "/").replace("&5C", "\\");
}

bool isUsableEncodedName(const juce::String& encoded)
{
    return encoded.isNotEmpty() && !encoded.startsWithChar('.');
}

bool isUsableName(const juce::String& name)
{
    return isUsableEncodedName(encodePresetName(name));
}

} // namespace vk::presets
