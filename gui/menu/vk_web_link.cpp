#include "vk_web_link.h"

#include "vk_version_reply.h"

#include "formats/identity/vk_plugin_identity.h"
#include "platform/vk_launcher.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace vk::weblink
{

namespace
{
// [message thread] Like the requests themselves.
std::optional<bool> clientAvailableOverride;
std::optional<int> readLimitOverride;

/** Cancels a request at its deadline. The client follows redirects and waits for each answer inside its
    own calls, restarting its timeouts at every hop, so no check between calls can end the request in
    time: a thread of its own cancels the stream, which the client allows from another thread.
    Destroyed before the stream it watches. */
class RequestDeadline
{
public:
    RequestDeadline(juce::WebInputStream& stream, int limitMs)
        : deadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs)),
          thread([this, &stream] { watch(stream); })
    {
    }
    ~RequestDeadline()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            finished = true;
        }
        wake.notify_all();
        thread.join();
    }
    /** True once the request was cancelled: whatever it returned since is not the whole reply. */
    bool hasPassed() const
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return passed;
    }

private:
    void watch(juce::WebInputStream& stream)
    {
        {
            std::unique_lock<std::mutex> lock(mutex);
            if (wake.wait_until(lock, deadline, [this] { return finished; }))
                return;
            passed = true;
        }
        stream.cancel();
    }

    const std::chrono::steady_clock::time_point deadline;
    mutable std::mutex mutex;
    std::condition_variable wake;
    bool finished = false;
    bool passed = false;
    std::thread thread;
};

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

void setReadTotalLimitOverride(std::optional<int> limitMs)
{
    readLimitOverride = limitMs;
}

juce::String readPage(const juce::String& address)
{
    static const bool clientInstalled = isHttpClientAvailable();
    if (!clientAvailableOverride.value_or(clientInstalled))
        return {};

    juce::WebInputStream stream(juce::URL(address), false);
    stream.withConnectionTimeout(connectTimeoutMs).withNumRedirectsToFollow(3);
    juce::MemoryBlock reply;
    {
        const RequestDeadline deadline(stream, readLimitOverride.value_or(readTotalLimitMs) - clientPollMs);
        if (!stream.connect(nullptr) || deadline.hasPassed())
            return {};
        const int status = stream.getStatusCode();
        if (status < 200 || status > 299)
            return {};

        char buffer[readBlockBytes];
        while (!stream.isExhausted())
        {
            // The client's read returns once the block is full, the transfer has ended or the request
            // was cancelled.
            const int got = stream.read(buffer, (int)sizeof(buffer));
            if (got <= 0)
                break;
            if ((int)reply.getSize() + got > maxReplyBytes)
                return {};
            reply.append(buffer, (size_t)got);
        }
        // A transfer cut short by a stall, a dropped connection or the deadline is not the whole list.
        if (deadline.hasPassed() || stream.isError())
            return {};
    }
    return decodeVersionReply(reply.getData(), reply.getSize());
}

} // namespace vk::weblink
