#pragma once

// Links to the maker's web site: building the hotlink address, handing it to the browser, and reading a
// page with bounded waiting. The site's base address is compiled in; tests may point it at a server on
// this machine through VK_WEB_BASE_FOR_TESTS, which is believed only for a loopback http address.
// [message thread] Reading blocks the caller for at most readTotalLimitMs while a server is connected (see
// readPage). Allocates; a read starts one short-lived thread of its own.

#include <juce_core/juce_core.h>

#include <optional>

namespace vk::weblink
{

/** Passed to the HTTP client as its connection timeout. It is rounded up to whole seconds and also used
    as the stall limit (the transfer gives up below 100 bytes per second for that long). The client
    applies both to each redirect anew, so neither bounds the whole read. */
constexpr int connectTimeoutMs = 4000;
/** The whole read, every redirect and the reply included, ends by this time. */
constexpr int readTotalLimitMs = 10000;
/** While connected, the client looks up from its wait on the connection at least this often, and only
    then sees that the request was cancelled: the request is cancelled this long before the limit. */
constexpr int clientPollMs = 1000;
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

/** An HTTP GET of the address, following up to three redirects; the page's text, or empty when the
    server cannot be reached, answers with a status other than 2xx, stalls, takes longer than
    readTotalLimitMs, sends more than maxReplyBytes or sends bytes that are not UTF-8 text. Also empty when
    no HTTP client library is installed on this machine. A thread of its own cancels the request
    clientPollMs before the limit, and the caller returns when the client next looks up from its wait:
    by the limit while a server is connected. (While a connection is still being made the client waits
    up to its connection timeout, which it also applies to a redirect to another server.) */
juce::String readPage(const juce::String& address);

/** True when the HTTP client library (libcurl) can be loaded; the framework asks for it only when the
    first request is made, and would not survive its absence. */
bool isHttpClientAvailable();

/** Tests: answer readPage's question about the client library with this instead of asking the machine
    (std::nullopt asks the machine again). */
void setHttpClientAvailableOverride(std::optional<bool> available);

/** Tests: a shorter limit for the whole read than readTotalLimitMs (std::nullopt restores it). */
void setReadTotalLimitOverride(std::optional<int> limitMs);

} // namespace vk::weblink
