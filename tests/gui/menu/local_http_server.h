#pragma once

// A small HTTP server on 127.0.0.1 for the update check's tests: it answers every request with one canned
// reply, or holds the connection without answering, or trickles bytes for as long as the client listens.
// It runs on a thread of its own and keeps the request lines it received.

#include <juce_core/juce_core.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace vk::test
{

class LocalHttpServer
{
public:
    enum class Mode
    {
        reply,       // the status line and body below, then close
        neverAnswer, // read the request, then stay silent with the connection open
        trickle      // a 200 header, then 20 bytes every 100 ms for as long as the client reads
    };

    LocalHttpServer(Mode mode, int status = 200, juce::String body = {});
    ~LocalHttpServer();

    /** 0 when no port could be bound. */
    int getPort() const noexcept { return port; }
    juce::String getBaseAddress() const { return "http://127.0.0.1:" + juce::String(port); }
    /** The request lines ("GET /... HTTP/1.1") received so far. */
    juce::StringArray getRequestLines() const;

    /** A port on 127.0.0.1 on which nothing listens (bound a moment ago, then closed). */
    static int findClosedPort();

private:
    void run();
    void serve(juce::StreamingSocket& client);

    const Mode mode;
    const int status;
    const juce::String body;
    juce::StreamingSocket listener;
    int port = 0;
    std::atomic<bool> stopping{false};
    mutable std::mutex lock;
    juce::StringArray requestLines;
    std::thread thread;
};

} // namespace vk::test
