#pragma once

// Links to the maker's web site: building the hotlink address, handing it to the browser, and reading a
// page with bounded waiting. The site's base address is compiled in; tests may point it at a server on
// this machine through VK_WEB_BASE_FOR_TESTS, which is believed only for a loopback http address.
// [message thread] Reading blocks the caller for at most readTotalLimitMs. Allocates.

#include <juce_core/juce_core.h>

#include <optional>

namespace vk::weblink
{

/** Passed to the HTTP client as its connection timeout. It is rounded up to whole seconds and also used
    as the stall limit (the transfer gives up below 100 bytes per second for that long). */
constexpr int connectTimeoutMs = 4000;
/** The whole read, connection included, never takes longer than this. */
constexpr int readTotalLimitMs = 10000;
/** No further block of the reply is asked for once this much time has passed since the request began:
    a block may take up to one stall limit (plus the client's one-second poll) to arrive, which keeps the
    whole read within readTotalLimitMs. */
constexpr int lastReadStartMs = readTotalLimitMs - connectTimeoutMs - 1000;
/** Small blocks, so that a server trickling its reply cannot hold one read for long. */
constexpr int readBlockBytes = 256;
/** A version list is a few hundred bytes; a longer reply is not one. */
constexpr int maxReplyBytes = 64 * 1024;

/** The name of the environment variable that tests set. */
constexpr const char* testBaseVariable = "VK_WEB_BASE_FOR_TESTS";

/** The maker's site, or the test server when the variable names "http://127.0.0.1[:port]" or
    "http://localhost[:port]"; anything else in the variable is ignored. No trailing slash. */
juce::String getSiteBaseAddress();

/** base + "/hotlink.php?id=<key>&version=<version>&hotlink=<hotlinkKey>&format=WIN_<formatName>". */
juce::String buildHotlinkAddress(const juce::String& base, const juce::String& productKey,
                                 const juce::String& version, const juce::String& hotlinkKey,
                                 const juce::String& formatName);

/** Opens the address in the default browser through the desktop launcher; false when nothing started. */
bool launchInBrowser(const juce::String& address);

/** An HTTP GET of the address; the page's text, or empty when the server cannot be reached, answers
    with a status other than 2xx, stalls, takes longer than readTotalLimitMs, sends more than
    maxReplyBytes or sends bytes that are not UTF-8 text. Also empty when no HTTP client library is
    installed on this machine. */
juce::String readPage(const juce::String& address);

/** True when the HTTP client library (libcurl) can be loaded; the framework asks for it only when the
    first request is made, and would not survive its absence. */
bool isHttpClientAvailable();

/** Tests: answer readPage's question about the client library with this instead of asking the machine
    (std::nullopt asks the machine again). */
void setHttpClientAvailableOverride(std::optional<bool> available);

} // namespace vk::weblink
