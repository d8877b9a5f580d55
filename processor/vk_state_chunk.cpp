#include "processor/vk_state_chunk.h"

#include "processor/vk_untrusted_xml.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace vk::state
{
namespace
{
// Our documents nest two deep; this leaves room for products with richer state while keeping the
// framework's recursive parser far from the end of any thread's stack.
constexpr int kMaxNestingDepth = 64;
} // namespace

bool hasFrameHeader(const void* data, int size) noexcept
{
    return data != nullptr && size >= kHeaderSize && std::memcmp(data, kMagic, sizeof(kMagic)) == 0;
}

std::int32_t readDeclaredLength(const void* data) noexcept
{
    const auto* bytes = static_cast<const std::uint8_t*>(data) + 4;
    const std::uint32_t length = std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) |
                                 (std::uint32_t(bytes[2]) << 16) | (std::uint32_t(bytes[3]) << 24);
    return static_cast<std::int32_t>(length);
}

void frameText(const juce::String& text, juce::MemoryBlock& out)
{
    const auto numBytes = text.getNumBytesAsUTF8();
    out.setSize(std::size_t(kHeaderSize) + numBytes + 1, true);
    auto* bytes = static_cast<std::uint8_t*>(out.getData());
    std::memcpy(bytes, kMagic, sizeof(kMagic));
    const auto length = std::uint32_t(numBytes);
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = std::uint8_t(length >> (8 * i));
    std::memcpy(bytes + kHeaderSize, text.toRawUTF8(), numBytes);
}

int estimateNestingDepth(juce::CharPointer_UTF8 text) noexcept
{
    // Quoted attribute values are skipped exactly as a parser skips them, so markup hidden in them
    // cannot lower the count; comments and other markup are scanned as if they were elements, which
    // can only raise it.
    int depth = 0;
    int deepest = 0;
    auto p = text;
    while (!p.isEmpty())
    {
        if (*p != '<')
        {
            ++p;
            continue;
        }
        ++p;
        if (*p == '/')
        {
            depth = std::max(depth - 1, 0);
            continue;
        }
        deepest = std::max(deepest, ++depth);
        juce::juce_wchar quote = 0;
        juce::juce_wchar previous = 0;
        while (!p.isEmpty())
        {
            const auto c = p.getAndAdvance();
            if (quote != 0)
            {
                if (c == quote)
                    quote = 0;
            }
            else if (c == '"' || c == '\'')
                quote = c;
            else if (c == '>')
            {
                if (previous == '/')
                    depth = std::max(depth - 1, 0);
                break;
            }
            else if (c == '<')
            {
                // An unclosed tag; the parser will refuse it, and the new '<' is counted again.
                --p;
                break;
            }
            previous = c;
        }
    }
    return deepest;
}

std::unique_ptr<juce::XmlElement> parseFramedDocument(const void* data, int size)
{
    if (size <= kHeaderSize || !hasFrameHeader(data, size))
        return nullptr;
    const std::int32_t declared = readDeclaredLength(data);
    if (declared <= 0)
        return nullptr;

    const int available = size - kHeaderSize;
    const int numBytes = std::min(int(declared), available);
    // The text ends at its terminating zero byte, if the writer put one inside the declared length.
    const auto* text = static_cast<const char*>(data) + kHeaderSize;
    const auto* end = static_cast<const char*>(std::memchr(text, 0, std::size_t(numBytes)));
    const auto textBytes = end != nullptr ? std::size_t(end - text) : std::size_t(numBytes);
    return parseUntrustedXml(text, textBytes, kMaxNestingDepth);
}

std::optional<int> parseInt(const juce::String& text) noexcept
{
    const juce::String trimmed = text.trim();
    auto p = trimmed.getCharPointer();
    bool negative = false;
    if (*p == '-' || *p == '+')
        negative = p.getAndAdvance() == '-';
    if (!p.isDigit())
        return std::nullopt;

    std::int64_t value = 0;
    for (; !p.isEmpty(); ++p)
    {
        if (!p.isDigit())
            return std::nullopt;
        value = value * 10 + (*p - '0');
        if (value > std::int64_t(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

double parseLeadingNumber(const juce::String& text) noexcept
{
    const juce::String trimmed = text.trimStart();
    const char* begin = trimmed.toRawUTF8();
    const char* end = begin + std::strlen(begin);
    if (begin != end && *begin == '+')
        ++begin;
    double value = 0.0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec == std::errc::result_out_of_range)
        return *begin == '-' ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    return result.ec == std::errc() ? value : 0.0;
}

std::optional<juce::MemoryBlock> decodeMemoryBlock(const juce::String& text)
{
    const int dot = text.indexOfChar('.');
    if (dot <= 0)
        return std::nullopt;
    const auto count = parseInt(text.substring(0, dot));
    // Every character carries six bits, so a larger count can only come from damaged text, and the
    // framework's decoder would allocate that much before looking at the characters.
    const auto numChars = std::int64_t(text.length() - dot - 1);
    if (!count || *count < 0 || std::int64_t(*count) * 8 > numChars * 6 + 7)
        return std::nullopt;

    juce::MemoryBlock block;
    if (!block.fromBase64Encoding(text))
        return std::nullopt;
    return block;
}

} // namespace vk::state
