#pragma once

// The update check's view of the maker's version page. The reply comes from the network and is untrusted:
// any length, any bytes, tokens missing, repeated or quoted, numbers of any size. Everything here is a
// pure function of its input, so the fuzzer drives exactly what the menu runs.
// [any thread] Allocates.

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>

namespace vk
{

/** "3.2.9.3" -> 3002009003: up to four dot-separated numbers, 1000 per step, missing ones count as 0 and
    further ones are ignored. Each number is read like a C integer (leading white space, an optional sign,
    the digits that follow; 0 when there are none). Values too large for 64 bits saturate at the int64
    limits instead of overflowing, so a huge version still compares as newer (or, negative, as older). */
std::int64_t parseVersionNumber(const juce::String& text);

/** What the version page says about the running version. */
enum class VersionCheckOutcome
{
    noProductToken, // no reply, or none of its tokens names this product
    newerAvailable,
    current,
    preRelease // the running version is newer than the released one (or the server's is unreadable)
};

/** Splits the reply at commas (double quotes protect a comma and stay in the token), finds the first token
    exactly equal to "VERSION_" + productKey and compares the token after it with runningVersion. */
VersionCheckOutcome classifyVersionReply(const juce::String& reply, const juce::String& productKey,
                                         const juce::String& runningVersion);

/** The reply's bytes as text: empty for bytes that are not UTF-8 (the page speaks ASCII, so such a reply
    is not the version list); text ends at the first zero byte. */
juce::String decodeVersionReply(const void* data, std::size_t size);

} // namespace vk
