#include "presets/vk_preset_document.h"

#include "formats/identity/vk_plugin_identity.h"
#include "processor/vk_untrusted_xml.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

namespace vk::presets
{
namespace
{
// A preset nests two deep; the margin only keeps the recursive parser far from any stack's end.
constexpr int kMaxPresetNesting = 8;

std::optional<double> parseNumber(const juce::String& text)
{
    const juce::String trimmed = text.trim();
    const char* begin = trimmed.toRawUTF8();
    const char* end = begin + std::strlen(begin);
    if (begin != end && *begin == '+')
        ++begin;
    double value = 0.0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return value;
}
} // namespace

juce::String formatPresetValue(float value)
{
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof(text), double(value), std::chars_format::general, 9);
    return juce::String(text, std::size_t(result.ptr - text));
}

juce::String writePresetDocument(const juce::StringArray& keys, const float* values, int numValues)
{
    juce::XmlElement root(kPresetRootTag);
    auto* parameters = new juce::XmlElement(kPresetParametersTag);
    for (int i = 0; i < std::min(numValues, keys.size()); ++i)
        if (juce::XmlElement::isValidXmlName(keys[i]))
            parameters->setAttribute(juce::Identifier(keys[i]), formatPresetValue(values[i]));
    root.addChildElement(parameters);
    root.setAttribute("RegistryPath", identity::kProductKey);
    root.setAttribute("Version", identity::kVersionText);

    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    format.lineWrapLength = 60;
    format.newLineChars = "\r\n";
    return root.toString(format);
}

std::unique_ptr<juce::XmlElement> parsePresetDocument(const void* data, std::size_t size)
{
    if (data == nullptr || size == 0 || size > std::size_t(kMaxPresetFileBytes))
        return nullptr;
    // Editors on some systems begin every UTF-8 file they save with a byte-order mark; we never write one.
    static constexpr unsigned char byteOrderMark[] = {0xEF, 0xBB, 0xBF};
    if (size > sizeof(byteOrderMark) && std::memcmp(data, byteOrderMark, sizeof(byteOrderMark)) == 0)
    {
        data = static_cast<const char*>(data) + sizeof(byteOrderMark);
        size -= sizeof(byteOrderMark);
    }
    return state::parseUntrustedXml(data, size, kMaxPresetNesting);
}

bool readPresetValues(const juce::XmlElement& document, const PresetParameterList& parameters, float* out)
{
    if (!document.hasTagName(kPresetRootTag))
        return false;
    const auto* values = document.getChildByName(kPresetParametersTag);
    if (values == nullptr)
        return false;

    for (int i = 0; i < parameters.size(); ++i)
    {
        const float fallback = std::clamp(parameters.defaults[std::size_t(i)], 0.0f, 1.0f);
        const auto& key = parameters.keys[i];
        std::optional<double> value;
        if (key.isNotEmpty() && values->hasAttribute(key))
            value = parseNumber(values->getStringAttribute(key));
        // Clamped while still a double: narrowing a double beyond the float range is undefined.
        out[i] = (value && std::isfinite(*value)) ? float(std::clamp(*value, 0.0, 1.0)) : fallback;
    }
    return true;
}

} // namespace vk::presets
