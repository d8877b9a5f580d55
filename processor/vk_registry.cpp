#include "processor/vk_registry.h"

#include "formats/identity/vk_plugin_identity.h"
#include "platform/vk_settings_store.h"

#include <algorithm>
#include <cstring>

namespace vk::registry
{
namespace
{
std::string toStd(const juce::String& s)
{
    return s.toStdString();
}
} // namespace

juce::String getProductRegistryPath()
{
    return juce::String(identity::kMaker) + "\\" + identity::kProductKey;
}

std::optional<std::vector<std::uint8_t>> readRegistryValue(const juce::String& path, const juce::String& name)
{
    try
    {
        return platform::readSettingsValue(toStd(path), toStd(name));
    }
    catch (...)
    {
        return std::nullopt; // settings are optional: a failing store must never take the host down
    }
}

juce::String readRegistryString(const juce::String& path, const juce::String& name)
{
    auto bytes = readRegistryValue(path, name);
    if (!bytes || bytes->empty())
        return {};
    // The stored text normally ends in its zero byte; stop at the first one either way, and keep a zero
    // behind the data so a truncated multi-byte sequence can never be decoded past the end.
    const auto length =
        std::size_t(std::find(bytes->begin(), bytes->end(), std::uint8_t(0)) - bytes->begin());
    bytes->resize(length);
    bytes->push_back(0);
    const auto* text = reinterpret_cast<const char*>(bytes->data());
    if (juce::CharPointer_UTF8::isValidString(text, int(length)))
        return juce::String::fromUTF8(text, int(length));
    juce::String latin1;
    for (std::size_t i = 0; i < length; ++i)
        latin1 += juce::juce_wchar(bytes->at(i));
    return latin1;
}

std::optional<float> readRegistryFloat(const juce::String& path, const juce::String& name)
{
    const auto bytes = readRegistryValue(path, name);
    if (!bytes || bytes->size() != sizeof(float))
        return std::nullopt;
    float value = 0.0f;
    std::memcpy(&value, bytes->data(), sizeof(float));
    return value;
}

bool writeRegistryValue(const juce::String& path, const juce::String& name, const void* data, int size,
                        ValueType type)
{
    if (size < 0 || (data == nullptr && size != 0))
        return false;
    try
    {
        return platform::writeSettingsValue(toStd(path), toStd(name),
                                            type == ValueType::String ? platform::SettingsType::String
                                                                      : platform::SettingsType::Binary,
                                            static_cast<const std::uint8_t*>(data), std::size_t(size));
    }
    catch (...)
    {
        return false;
    }
}

bool writeRegistryString(const juce::String& path, const juce::String& name, const char* text)
{
    if (text == nullptr)
        text = "";
    return writeRegistryValue(path, name, text, int(std::strlen(text) + 1), ValueType::String);
}

bool writeRegistryFloat(const juce::String& path, const juce::String& name, const float* value)
{
    if (value == nullptr)
        return false;
    return writeRegistryValue(path, name, value, int(sizeof(float)), ValueType::Binary);
}

juce::String readProductString(const juce::String& name)
{
    return readRegistryString(getProductRegistryPath(), name);
}

std::optional<std::vector<std::uint8_t>> readProductValue(const juce::String& name)
{
    return readRegistryValue(getProductRegistryPath(), name);
}

std::optional<float> readProductFloat(const juce::String& name)
{
    return readRegistryFloat(getProductRegistryPath(), name);
}

bool writeProductString(const juce::String& name, const char* text)
{
    return writeRegistryString(getProductRegistryPath(), name, text);
}

bool writeProductFloat(const juce::String& name, const float* value)
{
    return writeRegistryFloat(getProductRegistryPath(), name, value);
}

juce::String getInstallFolder(const juce::String& relative)
{
    return readProductString("Install Folder") + juce::File::getSeparatorString() + relative;
}

juce::String getManualPath()
{
    return readProductString("Install Folder") + juce::File::getSeparatorString() + identity::kProductKey +
           " Manual.pdf";
}

} // namespace vk::registry
