// The version page's reply as the update check reads it: version numbers at their known values and under
// hostile text, and the reply's tokens.
#include "menu/vk_version_reply.h"

#include <gtest/gtest.h>

#include <limits>

using namespace vk;

namespace
{
constexpr std::int64_t int64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t int64Min = std::numeric_limits<std::int64_t>::min();

VersionCheckOutcome check(const char* reply)
{
    return classifyVersionReply(juce::String::fromUTF8(reply), "Latiphonix3", "3.2.9.3");
}
} // namespace

TEST(ParseVersionNumber, KnownValues)
{
    EXPECT_EQ(parseVersionNumber("3.2.9.3"), 3002009003LL);
    EXPECT_EQ(parseVersionNumber("3.2.10"), 3002010000LL);
    EXPECT_EQ(parseVersionNumber("4"), 4000000000LL);
    EXPECT_EQ(parseVersionNumber(""), 0);
    EXPECT_EQ(parseVersionNumber("3.2.9.3.7.1"), 3002009003LL); // further numbers are ignored
    EXPECT_EQ(parseVersionNumber(" 3. +2.\t9.3"), 3002009003LL);
    EXPECT_EQ(parseVersionNumber("3.2beta.9x.3"), 3002009003LL);
    EXPECT_EQ(parseVersionNumber("-1"), -1000000000LL);
    EXPECT_EQ(parseVersionNumber("0.0.0.-1"), -1);
    EXPECT_EQ(parseVersionNumber("a.b.c.d"), 0);
    // A quotation mark protects the dots: the whole quoted text is one token, and it is not a number.
    EXPECT_EQ(parseVersionNumber("\"3.2.9.4\""), 0);
    EXPECT_EQ(parseVersionNumber("3.\"2.9\".4"), 3000004000LL);
    EXPECT_EQ(parseVersionNumber("...."), 0);
}

TEST(ParseVersionNumber, HugeNumbersSaturateInsteadOfOverflowing)
{
    // Each of these overflows 32-bit and 64-bit arithmetic somewhere; the result must still order sensibly.
    EXPECT_EQ(parseVersionNumber("99999999999999999999999999"), int64Max);
    EXPECT_EQ(parseVersionNumber("-99999999999999999999999999"), int64Min);
    EXPECT_EQ(parseVersionNumber("9223372036854775807"), int64Max);
    EXPECT_EQ(parseVersionNumber("9223372036854775.0.0.0"), int64Max);
    EXPECT_EQ(parseVersionNumber("9223372036854.775.807.0"), int64Max);
    EXPECT_EQ(parseVersionNumber("9223372.036.854.775"), 9223372036854775LL);
    EXPECT_EQ(parseVersionNumber("0.0.0.9223372036854775807"), int64Max);
    EXPECT_EQ(parseVersionNumber("1.0.0.9223372036854775807"), int64Max);
    EXPECT_EQ(parseVersionNumber("-1.0.0.-9223372036854775807"), int64Min);
    EXPECT_EQ(parseVersionNumber("4294967296"), 4294967296000000000LL);
    EXPECT_EQ(parseVersionNumber("2147483648.1"), 2147483648001000000LL); // beyond 32 bits, within 64
    EXPECT_GT(parseVersionNumber(juce::String::repeatedString("9", 100000)), parseVersionNumber("3.2.9.3"));
}

TEST(VersionReply, ComparesTheProductsVersionWithTheRunningOne)
{
    EXPECT_EQ(check("VERSION_Other,9.9.9.9,VERSION_Latiphonix3,3.2.9.4,VERSION_Third,1.0"),
              VersionCheckOutcome::newerAvailable);
    EXPECT_EQ(check("VERSION_Latiphonix3,3.2.9.3"), VersionCheckOutcome::current);
    EXPECT_EQ(check("VERSION_Latiphonix3,3.2.9.2,"), VersionCheckOutcome::preRelease);
    EXPECT_EQ(check("VERSION_Latiphonix3,4"), VersionCheckOutcome::newerAvailable);
    EXPECT_EQ(check("VERSION_Latiphonix3,99999999999999999999999"), VersionCheckOutcome::newerAvailable);
    // The first of two tokens counts.
    EXPECT_EQ(check("VERSION_Latiphonix3,3.2.9.3,VERSION_Latiphonix3,9.0"), VersionCheckOutcome::current);
}

TEST(VersionReply, OnlyTheExactTokenMatches)
{
    for (const char* reply :
         {"", ",,,", "VERSION_latiphonix3,9.0", "VERSION_Latiphonix31,9.0", "VERSION_Latiphonix,9.0",
          " VERSION_Latiphonix3,9.0", "VERSION_Latiphonix3 ,9.0", "VERSION_Latiphonix3.9.0",
          "\"VERSION_Latiphonix3\",9.0", "<html>404 VERSION_Latiphonix3 not found</html>"})
        EXPECT_EQ(check(reply), VersionCheckOutcome::noProductToken) << reply;
}

TEST(VersionReply, ATokenLastOrAQuotedVersionReadsAsZero)
{
    EXPECT_EQ(check("VERSION_Other,1.0,VERSION_Latiphonix3"), VersionCheckOutcome::preRelease);
    EXPECT_EQ(check("VERSION_Latiphonix3,\"3.2.9.4\""), VersionCheckOutcome::preRelease);
    // An unclosed quotation mark keeps the rest of the reply in one token.
    EXPECT_EQ(check("VERSION_Latiphonix3,\"3.2.9.4,VERSION_Latiphonix3,4.0"),
              VersionCheckOutcome::preRelease);
    EXPECT_EQ(check("VERSION_Latiphonix3,,3.2.9.4"), VersionCheckOutcome::preRelease);
}

TEST(VersionReply, BytesThatAreNotTextGiveNoReply)
{
    EXPECT_EQ(decodeVersionReply(nullptr, 10), juce::String());
    EXPECT_EQ(decodeVersionReply("abc", 0), juce::String());
    EXPECT_EQ(decodeVersionReply("VERSION_Latiphonix3,4.0", 23), "VERSION_Latiphonix3,4.0");
    // Text ends at a zero byte.
    EXPECT_EQ(decodeVersionReply("a,b\0VERSION_Latiphonix3,4.0", 27), "a,b");
    const unsigned char invalid[] = {'V', 0xC3, 0x28, ',', '4'};
    EXPECT_EQ(decodeVersionReply(invalid, sizeof(invalid)), juce::String());
    const unsigned char truncated[] = {'V', ',', 0xE2, 0x82};
    EXPECT_EQ(decodeVersionReply(truncated, sizeof(truncated)), juce::String());
    const unsigned char accented[] = {'c', 0xC3, 0xA9, ',', '1'};
    EXPECT_EQ(decodeVersionReply(accented, sizeof(accented)), juce::String::fromUTF8("c\xc3\xa9,1"));
}
