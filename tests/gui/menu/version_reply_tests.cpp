// The version page's reply as the update check reads it: version numbers at their known values and under
// hostile text, and the reply's tokens.
#include "menu/vk_version_reply.h"

#include <cstring>

#include <gtest/gtest.h>

#include <limits>

using namespace vk;
using Outcome = VersionCheckOutcome;

namespace
{
constexpr std::int64_t int64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t int64Min = std::numeric_limits<std::int64_t>::min();

Outcome check(const char* reply)
{
    return classifyVersionReply(juce::String::fromUTF8(reply), "Latiphonix3", "3.2.9.3");
}
} // namespace

TEST(ParseVersionNumber, KnownValuesAndOddText)
{
    const std::pair<const char*, std::int64_t> cases[] = {
        {"3.2.9.3", 3002009003LL},
        {"3.2.10", 3002010000LL},
        {"4", 4000000000LL},
        {"", 0},
        {"3.2.9.3.7", 3002009003LL},
        {" 3. +2.\t9.3", 3002009003LL},
        {"3.2b.9x.3", 3002009003LL},
        {"-1", -1000000000LL},
        {"a.b.c.d", 0},
        {"\"3.2.9.4\"", 0},
        {"3.\"2.9\".4", 3000004000LL},
        {"2147483648.1", 2147483648001000000LL}, // beyond 32 bits, within 64
        // Too large for 64 bits anywhere: saturated, never wrapped.
        {"99999999999999999999999999", int64Max},
        {"-99999999999999999999999999", int64Min},
        {"9223372036854.775.807.0", int64Max},
        {"9223372.036.854.775", 9223372036854775LL},
        {"1.0.0.9223372036854775807", int64Max},
        {"-1.0.0.-9223372036854775807", int64Min},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parseVersionNumber(text), expected) << text;
    EXPECT_EQ(parseVersionNumber(juce::String::repeatedString("9", 100000)), int64Max);
}

TEST(VersionReply, TokensDecideTheOutcome)
{
    EXPECT_EQ(check("VERSION_Other,9.9.9.9,VERSION_Latiphonix3,3.2.9.4,VERSION_Third,1.0"),
              Outcome::newerAvailable);
    EXPECT_EQ(check("VERSION_Latiphonix3,3.2.9.3,VERSION_Latiphonix3,9.0"),
              Outcome::current); // the first counts
    EXPECT_EQ(check("VERSION_Latiphonix3,3.2.9.2,"), Outcome::preRelease);
    // Last token, quoted version, an unclosed quotation mark, an empty token: the version reads as 0.
    for (const char* reply :
         {"VERSION_Other,1.0,VERSION_Latiphonix3", "VERSION_Latiphonix3,\"3.2.9.4\"",
          "VERSION_Latiphonix3,\"3.2.9.4,VERSION_Latiphonix3,4.0", "VERSION_Latiphonix3,,4"})
        EXPECT_EQ(check(reply), Outcome::preRelease) << reply;
    for (const char* reply :
         {"", ",,,", "VERSION_latiphonix3,9.0", "VERSION_Latiphonix31,9.0", " VERSION_Latiphonix3,9.0",
          "VERSION_Latiphonix3.9.0", "\"VERSION_Latiphonix3\",9.0"})
        EXPECT_EQ(check(reply), Outcome::noProductToken) << reply;
}

TEST(VersionReply, BytesThatAreNotTextGiveNoReply)
{
    EXPECT_EQ(decodeVersionReply(nullptr, 10), juce::String());
    EXPECT_EQ(decodeVersionReply("a,b\0VERSION_Latiphonix3,4.0", 27), "a,b"); // text ends at a zero byte
    const unsigned char invalid[] = {'V', 0xC3, 0x28, ',', '4'};
    const unsigned char truncated[] = {'V', ',', 0xE2, 0x82};
    const unsigned char accented[] = {'c', 0xC3, 0xA9, ',', '1'};
    EXPECT_EQ(decodeVersionReply(invalid, sizeof(invalid)), juce::String());
    EXPECT_EQ(decodeVersionReply(truncated, sizeof(truncated)), juce::String());
    EXPECT_EQ(decodeVersionReply(accented, sizeof(accented)), juce::String::fromUTF8("c\xc3\xa9,1"));

    // Overlong forms (an encoded zero would cut the text short), surrogates, code points past U+10FFFF.
    const char* const notStrict[] = {"\xc0\x80,VERSION_Latiphonix3,4.0", "VERSION_Latiphonix3\xc0\xac" "4.0",
                                     "\xe0\x80\xb6", "\xf0\x80\x80\xb6", "\xed\xa0\x80", "\xf4\x90\x80\x80",
                                     "\xf5\x80\x80\x80", "\x80"};
    for (const char* bytes : notStrict)
        EXPECT_EQ(decodeVersionReply(bytes, std::strlen(bytes)), juce::String()) << bytes;
    const char* const largest = "\xf4\x8f\xbf\xbf\xed\x9f\xbf\xe0\xa0\x80";
    EXPECT_EQ(decodeVersionReply(largest, std::strlen(largest)).length(), 3);
}
