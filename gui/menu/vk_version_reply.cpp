#include "vk_version_reply.h"

#include <limits>

namespace vk
{

namespace
{
constexpr std::int64_t int64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t int64Min = std::numeric_limits<std::int64_t>::min();

std::int64_t saturatingMultiplyAdd(std::int64_t v, std::int64_t factor, std::int64_t add) noexcept
{
    std::int64_t product = 0;
    if (__builtin_mul_overflow(v, factor, &product))
        return (v < 0) != (factor < 0) ? int64Min : int64Max;
    std::int64_t sum = 0;
    if (__builtin_add_overflow(product, add, &sum))
        return add < 0 ? int64Min : int64Max;
    return sum;
}

// RFC 3629 UTF-8 only. JUCE's own check lets overlong forms through, and an overlong zero (C0 80)
// decodes to a character that ends the string early, so the reply read would not be the reply received.
bool isStrictUtf8(const unsigned char* s, std::size_t n) noexcept
{
    std::size_t i = 0;
    while (i < n)
    {
        const unsigned char c = s[i];
        if (c < 0x80)
        {
            ++i;
            continue;
        }
        std::size_t follow = 0;
        unsigned char lo = 0x80, hi = 0xbf; // allowed range of the first continuation byte
        if (c >= 0xc2 && c <= 0xdf)
            follow = 1;
        else if (c >= 0xe0 && c <= 0xef)
        {
            follow = 2;
            if (c == 0xe0)
                lo = 0xa0; // overlong
            else if (c == 0xed)
                hi = 0x9f; // surrogates
        }
        else if (c >= 0xf0 && c <= 0xf4)
        {
            follow = 3;
            if (c == 0xf0)
                lo = 0x90; // overlong
            else if (c == 0xf4)
                hi = 0x8f; // above U+10FFFF
        }
        else
            return false; // C0, C1 (overlong) and F5..FF never occur; a stray continuation byte neither
        if (n - i <= follow || s[i + 1] < lo || s[i + 1] > hi)
            return false;
        for (std::size_t k = 2; k <= follow; ++k)
            if (s[i + k] < 0x80 || s[i + k] > 0xbf)
                return false;
        i += follow + 1;
    }
    return true;
}

// Like strtoll on the token's characters, but saturating and without locale: JUCE's own getIntValue
// accumulates in a 32-bit int, which a long digit string overflows.
std::int64_t tokenValue(const juce::String& token) noexcept
{
    auto p = token.getCharPointer();
    while (!p.isEmpty() && juce::CharacterFunctions::isWhitespace(*p))
        ++p;
    bool negative = false;
    if (*p == '-' || *p == '+')
    {
        negative = *p == '-';
        ++p;
    }
    std::int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
    {
        const auto digit = (std::int64_t)(*p - '0');
        value = saturatingMultiplyAdd(value, 10, negative ? -digit : digit);
    }
    return value;
}
} // namespace

std::int64_t parseVersionNumber(const juce::String& text)
{
    juce::StringArray tokens;
    tokens.addTokens(text, ".", "\"");
    while (tokens.size() < 4)
        tokens.add("0");

    std::int64_t v = 0;
    for (int i = 0; i < 4; ++i)
        v = saturatingMultiplyAdd(v, 1000, tokenValue(tokens[i]));
    return v;
}

VersionCheckOutcome classifyVersionReply(const juce::String& reply, const juce::String& productKey,
                                         const juce::String& runningVersion)
{
    juce::StringArray tokens;
    tokens.addTokens(reply, ",", "\"");
    const int i = tokens.indexOf("VERSION_" + productKey, false);
    if (i < 0)
        return VersionCheckOutcome::noProductToken;

    // Past the end, operator[] gives the empty text, which parses as 0.
    const std::int64_t server = parseVersionNumber(tokens[i + 1]);
    const std::int64_t running = parseVersionNumber(runningVersion);
    if (server > running)
        return VersionCheckOutcome::newerAvailable;
    if (server < running)
        return VersionCheckOutcome::preRelease;
    return VersionCheckOutcome::current;
}

juce::String decodeVersionReply(const void* data, std::size_t size)
{
    if (data == nullptr || size == 0)
        return {};
    const auto* bytes = static_cast<const char*>(data);
    std::size_t length = 0;
    while (length < size && bytes[length] != 0)
        ++length;
    if (length == 0 || length > (std::size_t)std::numeric_limits<int>::max() ||
        !isStrictUtf8(reinterpret_cast<const unsigned char*>(bytes), length))
        return {};
    return juce::String::fromUTF8(bytes, (int)length);
}

} // namespace vk
