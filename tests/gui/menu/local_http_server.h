#pragma once

// An HTTP server on 127.0.0.1 for the update check's tests, on a thread of its own: it answers every
// request with one canned reply, or reads the request and never answers, or trickles bytes for as long
// as the client listens, or leads the client through three slow redirects to the canned reply. It counts
// the requests it received.

#include <juce_core/juce_core.h>

#include <sys/socket.h>

#include <atomic>
#include <thread>

namespace vk::test
{

class LocalHttpServer
{
public:
    enum class Mode
    {
        reply,
        neverAnswer,
        trickle,      // 22 bytes every 100 ms: too fast for the client's stall limit to end it
        slowRedirects // "/hop1" .. "/hop3", then the reply; every answer after hopDelayMs
    };

    explicit LocalHttpServer(Mode m, int statusCode = 200, juce::String replyBody = {}, int hopDelay = 0)
        : mode(m), status(statusCode), body(std::move(replyBody)), hopDelayMs(hopDelay)
    {
        if (listener.createListener(0, "127.0.0.1"))
            port = listener.getBoundPort();
        thread = std::thread([this] { run(); });
    }
    ~LocalHttpServer()
    {
        stopping.store(true);
        thread.join();
    }

    juce::String getBaseAddress() const { return "http://127.0.0.1:" + juce::String(port); }
    int getNumRequests() const { return requests.load(); }

private:
    void run()
    {
        // Short waits, so that the destructor is never kept waiting.
        while (!stopping.load() && port != 0)
            if (listener.waitUntilReady(true, 50) == 1)
                if (std::unique_ptr<juce::StreamingSocket> client{listener.waitForNextConnection()})
                    serve(*client);
    }
    // Not StreamingSocket::write: a client that hangs up would raise SIGPIPE and end the test run.
    static bool send(juce::StreamingSocket& s, const juce::String& text)
    {
        return ::send(s.getRawSocketHandle(), text.toRawUTF8(), text.getNumBytesAsUTF8(), MSG_NOSIGNAL) >= 0;
    }
    void serve(juce::StreamingSocket& client)
    {
        juce::String request;
        char buffer[1024];
        while (!stopping.load() && !request.contains("\r\n\r\n"))
            if (client.waitUntilReady(true, 50) == 1)
            {
                const int got = client.read(buffer, (int)sizeof(buffer), false);
                if (got <= 0)
                    return;
                request += juce::String::fromUTF8(buffer, got);
            }
        ++requests;
        if (mode == Mode::slowRedirects)
        {
            for (const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)hopDelayMs;
                 !stopping.load() && juce::Time::getMillisecondCounter() < end;)
                juce::Thread::sleep(10);
            // "GET /hop2 HTTP/1.1": the hop after the one asked for, the first after any other path.
            const int hop = request.fromFirstOccurrenceOf("/hop", false, false).getIntValue() + 1;
            if (hop <= 3)
            {
                send(client, "HTTP/1.1 302 Found\r\nLocation: " + getBaseAddress() + "/hop" +
                                 juce::String(hop) + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                return;
            }
        }
        if (mode == Mode::reply || mode == Mode::slowRedirects)
            send(client, "HTTP/1.1 " + juce::String(status) +
                             " X\r\nContent-Length: " + juce::String((int)body.getNumBytesAsUTF8()) +
                             "\r\nConnection: close\r\n\r\n" + body);
        else if (mode == Mode::trickle && send(client, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"))
            while (!stopping.load() && send(client, "VERSION_Other,1.0.0.0,"))
                juce::Thread::sleep(100);
        else
            while (!stopping.load())
                juce::Thread::sleep(20);
    }

    const Mode mode;
    const int status;
    const juce::String body;
    const int hopDelayMs;
    juce::StreamingSocket listener;
    int port = 0;
    std::atomic<bool> stopping{false};
    std::atomic<int> requests{0};
    std::thread thread;
};

} // namespace vk::test
