#include "local_http_server.h"

#include <sys/socket.h>

namespace vk::test
{

LocalHttpServer::LocalHttpServer(Mode serverMode, int statusCode, juce::String replyBody)
    : mode(serverMode), status(statusCode), body(std::move(replyBody))
{
    if (listener.createListener(0, "127.0.0.1"))
        port = listener.getBoundPort();
    thread = std::thread([this] { run(); });
}

LocalHttpServer::~LocalHttpServer()
{
    stopping.store(true);
    thread.join();
    listener.close();
}

juce::StringArray LocalHttpServer::getRequestLines() const
{
    std::lock_guard<std::mutex> guard(lock);
    return requestLines;
}

int LocalHttpServer::findClosedPort()
{
    juce::StreamingSocket probe;
    if (!probe.createListener(0, "127.0.0.1"))
        return 0;
    const int free = probe.getBoundPort();
    probe.close();
    return free;
}

void LocalHttpServer::run()
{
    while (!stopping.load() && port != 0)
    {
        // Short waits, so that the destructor is never kept waiting for a client that does not come.
        if (listener.waitUntilReady(true, 50) != 1)
            continue;
        std::unique_ptr<juce::StreamingSocket> client(listener.waitForNextConnection());
        if (client != nullptr)
            serve(*client);
    }
}

void LocalHttpServer::serve(juce::StreamingSocket& client)
{
    juce::MemoryBlock request;
    char buffer[1024];
    while (!stopping.load() && !request.toString().contains("\r\n\r\n"))
    {
        if (client.waitUntilReady(true, 50) != 1)
            continue;
        const int got = client.read(buffer, (int)sizeof(buffer), false);
        if (got <= 0)
            return;
        request.append(buffer, (size_t)got);
    }
    {
        std::lock_guard<std::mutex> guard(lock);
        requestLines.add(request.toString().upToFirstOccurrenceOf("\r\n", false, false));
    }

    // Not StreamingSocket::write: a client that hangs up would raise SIGPIPE and end the whole test run.
    const auto send = [&client](const juce::String& text)
    {
        return ::send(client.getRawSocketHandle(), text.toRawUTF8(), text.getNumBytesAsUTF8(),
                      MSG_NOSIGNAL) >= 0;
    };

    switch (mode)
    {
    case Mode::reply:
        send("HTTP/1.1 " + juce::String(status) + (status == 200 ? " OK" : " Not Found") +
             "\r\nContent-Type: text/plain\r\nContent-Length: " +
             juce::String((int)body.getNumBytesAsUTF8()) + "\r\nConnection: close\r\n\r\n" + body);
        break;
    case Mode::neverAnswer:
        while (!stopping.load() && client.isConnected())
            juce::Thread::sleep(20);
        break;
    case Mode::trickle:
        if (!send("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n"))
            return;
        // 200 bytes per second: fast enough that the client's stall limit never fires.
        while (!stopping.load() && send("VERSION_Other,1.0.0.0,"))
            juce::Thread::sleep(100);
        break;
    }
}

} // namespace vk::test
