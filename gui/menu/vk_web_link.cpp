#include "vk_web_link.h"

#include "vk_version_reply.h"

#include "formats/identity/vk_plugin_identity.h"
#include "platform/vk_launcher.h"

#include <cstdlib>

namespace vk::weblink
{

namespace
{
// [message thread] Like the requests themselves.
std::optional<bool> clientAvailableOverride;

bool isLoopbackHttpBase(const juce::String& base)
{
    for (const char* host : {"http://127.0.0.1", "http://localhost"})
    {
        if (!base.startsWith(host))
            continue;
        const juce::String rest = base.substring((int)std::strlen(host));
        if (rest.isEmpty())
            return true;
        // Only ":<port>": no path, no user part, nothing that could send the request elsewhere.
        return rest.startsWithChar(':') && rest.length() <= 6 &&
               rest.substring(1).containsOnly("0123456789") && rest.length() > 1;
    }
    return false;
}
} // namespace

juce::String getSiteBaseAddress()
{
    if (const char* value = std::getenv(testBaseVariable); value != nullptr)
    {
        const juce::String base = juce::String::fromUTF8(value).trimCharactersAtEnd("/");
        if (isLoopbackHttpBase(base))
            return base;
    }
    return identity::kMakerUrl;
}

juce::String buildHotlinkAddress(const juce::String& base, const juce::String& productKey,
                                 const juce::String& version, const juce::String& hotlinkKey,
                                 const juce::String& formatName)
{
    return base + "/hotlink.php" + "?id=" + productKey + "&version=" + version + "&hotlink=" + hotlinkKey +
           "&format=" + "WIN_" + formatName;
}

bool launchInBrowser(const juce::String& address)
{
    return platform::openWithDesktop(address.toStdString());
}

bool isHttpClientAvailable()
{
    // The same names, in the same order, as the framework's lazy loader tries.
    for (const char* name : {"libcurl.so", "libcurl.so.4", "libcurl.so.3"})
    {
        juce::DynamicLibrary library;
        if (library.open(name))
            return library.getFunction("curl_multi_init") != nullptr &&
                   library.getFunction("curl_easy_init") != nullptr;
    }
    return false;
}

void setHttpClientAvailableOverride(std::optional<bool> available)
{
    clientAvailableOverride = available;
}

juce::String readPage(const juce::String& address)
{
    static const bool clientInstalled = isHttpClientAvailable();
    if (!clientAvailableOverride.value_or(clientInstalled))
        return {};

    const auto lastReadStart = juce::Time::getMillisecondCounterHiRes() + lastReadStartMs;
    int status = 0;
    auto stream = juce::URL(address).createInputStream(
        juce::URL::InputStreamOptions(juce::URL::ParameterHandling::inAddress)
            .withConnectionTimeoutMs(connectTimeoutMs)
            .withNumRedirectsToFollow(3)
            .withStatusCode(&status));
    if (stream == nullptr || status < 200 || status > 299)
        return {};

    juce::MemoryBlock reply;
    char buffer[readBlockBytes];
    while (!stream->isExhausted())
    {
        // The client's read returns only once the block is full or the transfer has ended.
        if (juce::Time::getMillisecondCounterHiRes() > lastReadStart)
            return {};
        const int got = stream->read(buffer, (int)sizeof(buffer));
        if (got <= 0)
            break;
        if ((int)reply.getSize() + got > maxReplyBytes)
            return {};
        reply.append(buffer, (size_t)got);
    }
    // A transfer cut short by a stall or a dropped connection is not the whole list.
    if (auto* web = dynamic_cast<juce::WebInputStream*>(stream.get()); web != nullptr && web->isError())
        return {};
    return decodeVersionReply(reply.getData(), reply.getSize());
}

} // namespace vk::weblink
