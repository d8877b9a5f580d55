#include "presets/vk_preset_document.h"

#include "formats/identity/vk_plugin_identity.h"
#include "processor/vk_state_chunk.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

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
// Well-formed UTF-8 as RFC 3629 defines it, without zero bytes. The framework's own check lets overlong
// forms through ("\xc0\x8b"), and its string constructor then sizes the copy by the shorter re-encoded
// form and writes past the end of it.
bool isStrictUtf8(const unsigned char* p, std::size_t size) noexcept
{
    const auto* end = p + size;
    while (p < end)
    {
        const unsigned c = *p++;
        if (c == 0)
            return false;
        if (c < 0x80)
            continue;
        int more = 0;
        unsigned low = 0x80, high = 0xbf;
        if (c >= 0xc2 && c <= 0xdf)
            more = 1;
        else if (c >= 0xe0 && c <= 0xef)
        {
            more = 2;
            low = c == 0xe0 ? 0xa0 : 0x80;
            high = c == 0xed ? 0x9f : 0xbf;
        }
        else if (c >= 0xf0 && c <= 0xf4)
        {
            more = 3;
            low = c == 0xf0 ? 0x90 : 0x80;
            high = c == 0xf4 ? 0x8f : 0xbf;
        }
        else
            return false;
        if (end - p < more || *p < low || *p > high)
            return false;
        for (++p, --more; more > 0; --more, ++p)
            if ((*p & 0xc0) != 0x80)
                return false;
    }
    return true;
}

// The framework's parser loses its place when a processing instruction inside an element is followed by
// text, and then loops for ever. Our files hold only the XML declaration at the very start (after an
// optional byte-order mark and white space), so any other "<?" means the file is not ours.
bool hasProcessingInstructionAfterDeclaration(const juce::String& document)
{
    const int first = document.indexOf("<?");
    if (first < 0)
        return false;
    const auto before = document.substring(0, first).trimStart();
    if (!(before.isEmpty() || before == juce::String::charToString(0xfeff)) ||
        !document.substring(first).startsWith("<?xml"))
        return true;
    const int end = document.indexOf(first, "?>");
    return end < 0 || document.indexOf(end + 2, "<?") >= 0;
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
    // A zero-terminated copy: the text decoders read until the terminator, never past the data.
    juce::HeapBlock<char> copy(size + 1, true);
    std::memcpy(copy.get(), data, size);
    if (!isStrictUtf8(reinterpret_cast<const unsigned char*>(copy.get()), size))
        return nullptr;
    const juce::CharPointer_UTF8 text(copy.get());
    if (state::estimateNestingDepth(text) > kMaxPresetNesting)
        return nullptr;
    const juce::String document(text);
    // We never write a DTD; one in a file can only come from elsewhere and would make the parser expand
    // entities it declares, so such a document is refused whole rather than trusted to that code path.
    if (document.containsIgnoreCase("<!DOCTYPE"))
        return nullptr;
    if (hasProcessingInstructionAfterDeclaration(document))
        return nullptr;
    return juce::XmlDocument::parse(document);
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
