#include "processor/vk_untrusted_xml.h"

#include "processor/vk_state_chunk.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace vk::state
{
namespace
{
bool isXmlSpace(juce::juce_wchar c) noexcept
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A name as the framework's parser reads one: letters, digits and "_-:.". Returns its end (== p: none).
juce::CharPointer_UTF8 endOfName(juce::CharPointer_UTF8 p) noexcept
{
    while (juce::CharacterFunctions::isLetterOrDigit(*p) || *p == '_' || *p == '-' || *p == ':' || *p == '.')
        ++p;
    return p;
}

// Moves `p` past the first `terminator` at or after it; false (p unchanged) when the text ends first.
bool skipPast(juce::CharPointer_UTF8& p, const char* terminator) noexcept
{
    const int at = p.indexOf(juce::CharPointer_ASCII(terminator));
    if (at < 0)
        return false;
    p += at + int(std::strlen(terminator));
    return true;
}

// Reads the attributes and the end of a start tag whose name `p` has just passed. Sets `empty` for
// "/>"; false when the tag does not end properly (a cut text ends inside it).
bool readRestOfStartTag(juce::CharPointer_UTF8& p, bool& empty) noexcept
{
    for (;;)
    {
        const auto beforeSpace = p;
        while (isXmlSpace(*p))
            ++p;
        if (*p == '>' || (*p == '/' && p[1] == '>'))
        {
            empty = *p == '/';
            p += empty ? 2 : 1;
            return true;
        }
        // An attribute: after white space, a name, "=", and a value in matching quotes.
        const auto nameEnd = endOfName(p);
        if (p == beforeSpace || nameEnd == p)
            return false;
        p = nameEnd;
        while (isXmlSpace(*p))
            ++p;
        if (*p != '=')
            return false;
        ++p;
        while (isXmlSpace(*p))
            ++p;
        const auto quote = *p;
        if (quote != '"' && quote != '\'')
            return false;
        ++p;
        const int close = p.indexOf(quote);
        if (close < 0)
            return false;
        p += close + 1;
    }
}

// Whether the text is one whole element: every start tag ended, every element closed by an end tag of
// its own name, every quoted value, comment, CDATA section and processing instruction terminated, and
// nothing but white space, comments and processing instructions around the element. The framework's
// parser takes a text cut short as a document (an unclosed root ends where the text does, an end tag
// needs neither its name nor its ">"), so a cut chunk would load as part of a state.
bool isWholeDocument(const juce::String& document)
{
    std::vector<std::pair<const char*, std::size_t>> open; // the names of the open elements
    bool rootDone = false;
    auto p = document.getCharPointer();
    for (;;)
    {
        // Character data: any text inside the root (references are checked apart), only space outside.
        if (open.empty())
            while (isXmlSpace(*p))
                ++p;
        else
            while (!p.isEmpty() && *p != '<')
                ++p;
        if (p.isEmpty())
            return rootDone && open.empty();
        if (*p != '<')
            return false;
        ++p;

        if (p.compareUpTo(juce::CharPointer_ASCII("!--"), 3) == 0)
        {
            if (!skipPast(p, "-->"))
                return false;
        }
        else if (*p == '?')
        {
            if (!skipPast(p, "?>"))
                return false;
        }
        else if (p.compareUpTo(juce::CharPointer_ASCII("![CDATA["), 8) == 0)
        {
            if (open.empty() || !skipPast(p, "]]>"))
                return false;
        }
        else if (*p == '/')
        {
            ++p;
            const auto nameEnd = endOfName(p);
            const auto length = std::size_t(nameEnd.getAddress() - p.getAddress());
            if (open.empty() || length == 0 || length != open.back().second ||
                std::memcmp(p.getAddress(), open.back().first, length) != 0)
                return false;
            p = nameEnd;
            while (isXmlSpace(*p))
                ++p;
            if (*p != '>')
                return false;
            ++p;
            open.pop_back();
            rootDone = open.empty();
        }
        else
        {
            const auto nameEnd = endOfName(p);
            if (rootDone || nameEnd == p)
                return false;
            const auto name =
                std::make_pair(p.getAddress(), std::size_t(nameEnd.getAddress() - p.getAddress()));
            p = nameEnd;
            bool empty = false;
            if (!readRestOfStartTag(p, empty))
                return false;
            if (empty)
                rootDone = open.empty();
            else
                open.push_back(name);
        }
    }
}

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
// naming a character XML allows, or a control character other than NUL, as XML 1.1 allows them in
// references. The parser treats any other name up to the next ";" as text to parse again as XML, and
// steps past the end of the text after an unterminated hexadecimal reference; both have led it to read
// past its buffer. The control characters are read because our writer wrote them so ("&#1;"): states
// saved with such a character in a program name must still load.
bool hasBadReference(const juce::String& document)
{
    // One walk through the text: looking each "&" up by its index would walk it again for every one.
    for (auto at = document.getCharPointer(); !at.isEmpty(); ++at)
    {
        if (*at != '&')
            continue;
        auto p = at + 1;
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
        const bool allowed = (code >= 0x1 && code <= 0xd7ff) || (code >= 0xe000 && code <= 0xfffd) ||
                             (code >= 0x10000 && code <= 0x10ffff);
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
        hasBadReference(document) || !isWholeDocument(document))
        return nullptr;
    return juce::XmlDocument::parse(document);
}

} // namespace vk::state
