#include "presets/vk_preset_names.h"

#include <cstring>
#include <string>

namespace vk::presets
{
namespace
{
// Characters some file system refuses in a name (the path separators have sequences of their own).
bool isRefused(unsigned char c)
{
    return c < 0x20 || c == 0x7F || std::strchr("\"*:<>?|", c) != nullptr;
}

// The characters a "#XX" sequence gives back: only these, so that a "#" before other hex digits stays.
bool isEscaped(unsigned char c)
{
    return isRefused(c) || c == '%' || c == '&' || c == '#' || c == '.';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The character of the sequence at text[i] ("%2F", "&5C", "#3A"), or -1 when none starts there.
int sequenceAt(const std::string& text, std::size_t i)
{
    if (i + 2 >= text.size())
        return -1;
    const char c = text[i];
    const std::string digits = text.substr(i + 1, 2);
    if (c == '%' || c == '&')
        return digits == "2F" ? '/' : digits == "5C" ? '\\' : -1;
    if (c != '#' || hexValue(digits[0]) < 0 || hexValue(digits[1]) < 0)
        return -1;
    const auto value = (unsigned char)(hexValue(digits[0]) * 16 + hexValue(digits[1]));
    return isEscaped(value) ? value : -1;
}
} // namespace

juce::String encodePresetName(const juce::String& name)
{
    // Byte by byte: every byte of a letter outside ASCII is 0x80 or above and passes unchanged.
    const std::string text = name.toStdString();
    std::string encoded;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const auto c = (unsigned char)text[i];
        if (c == '/')
            encoded += "&2F";
        else if (c == '\\')
            encoded += "&5C";
        else if (isRefused(c) || (i == 0 && c == '.') || sequenceAt(text, i) >= 0)
        {
            static constexpr char hex[] = "0123456789ABCDEF";
            encoded += '#';
            encoded += hex[c >> 4];
            encoded += hex[c & 15];
        }
        else
            encoded += (char)c;
    }
    return juce::String::fromUTF8(encoded.data(), (int)encoded.size());
}

juce::String decodePresetName(const juce::String& encoded)
{
    const std::string text = encoded.toStdString();
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const int c = sequenceAt(text, i);
        decoded += c >= 0 ? (char)c : text[i];
        i += c >= 0 ? 2 : 0;
    }
    return juce::String::fromUTF8(decoded.data(), (int)decoded.size());
}

bool isUsableEncodedName(const juce::String& encoded)
{
    return encoded.isNotEmpty() && !encoded.startsWithChar('.');
}

bool isUsableName(const juce::String& name)
{
    return isUsableEncodedName(encodePresetName(name));
}

bool fitsStoredNameLimit(const juce::String& typedName)
{
    return encodePresetName(typedName).getNumBytesAsUTF8() <= std::size_t(kMaxStoredNameBytes);
}

} // namespace vk::presets
