#include "vk_version_reply.h"

#include "processor/vk_untrusted_xml.h"

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
        !state::isStrictUtf8(bytes, length))
        return {};
    return juce::String::fromUTF8(bytes, (int)length);
}

} // namespace vk
