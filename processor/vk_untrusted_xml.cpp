#include "processor/vk_untrusted_xml.h"

#include "processor/vk_state_chunk.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace vk::state
{
namespace
{
// Only the XML declaration, at the very start (after an optional byte-order mark and white space).
bool hasOtherProcessingInstruction(const juce::String& document)
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

// Every "&" must begin one of the five predefined entities or a complete numeric character reference
// naming a character XML allows. The parser treats any other name up to the next ";" as text to parse
// again as XML, and steps past the end of the text after an unterminated hexadecimal reference; both
// have led it to read past its buffer.
bool hasBadReference(const juce::String& document)
{
    for (int at = document.indexOfChar('&'); at >= 0; at = document.indexOfChar(at + 1, '&'))
    {
        auto p = document.getCharPointer() + (at + 1);
        if (*p != '#')
        {
            bool known = false;
            for (const char* name : {"amp;", "lt;", "gt;", "quot;", "apos;"})
                known = known || p.compareUpTo(juce::CharPointer_ASCII(name), int(std::strlen(name))) == 0;
            if (!known)
                return true;
            continue;
        }
        ++p;
        const bool hex = *p == 'x' || *p == 'X';
        if (hex)
            ++p;
        std::int64_t code = 0;
        int digits = 0;
        for (; digits <= 8; ++digits, ++p)
        {
            const int value =
                hex ? juce::CharacterFunctions::getHexDigitValue(*p) : (p.isDigit() ? *p - '0' : -1);
            if (value < 0)
                break;
            code = code * (hex ? 16 : 10) + value;
        }
        const bool allowed = code == 0x9 || code == 0xa || code == 0xd || (code >= 0x20 && code <= 0xd7ff) ||
                             (code >= 0xe000 && code <= 0xfffd) || (code >= 0x10000 && code <= 0x10ffff);
        if (digits == 0 || digits > 8 || *p != ';' || !allowed)
            return true;
    }
    return false;
}
} // namespace

bool isStrictUtf8(const void* data, std::size_t size) noexcept
{
    const auto* p = static_cast<const unsigned char*>(data);
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
        // The second byte has the tightest range; the others are plain continuation bytes.
        if (end - p < more || *p < low || *p > high)
            return false;
        for (++p, --more; more > 0; --more, ++p)
            if ((*p & 0xc0) != 0x80)
                return false;
    }
    return true;
}

std::unique_ptr<juce::XmlElement> parseUntrustedXml(const void* data, std::size_t size, int maxNestingDepth)
{
    if (data == nullptr || size == 0 || size > std::size_t(std::numeric_limits<int>::max()) ||
        !isStrictUtf8(data, size))
        return nullptr;
    // A zero-terminated copy: the text decoders read until the terminator, never past the data.
    juce::HeapBlock<char> copy(size + 1, true);
    std::memcpy(copy.get(), data, size);
    const juce::CharPointer_UTF8 text(copy.get());
    if (estimateNestingDepth(text) > maxNestingDepth)
        return nullptr;
    const juce::String document(text);
    if (document.contains("<!DOCTYPE") || hasOtherProcessingInstruction(document) ||
        hasBadReference(document))
        return nullptr;
    return juce::XmlDocument::parse(document);
}

} // namespace vk::state
