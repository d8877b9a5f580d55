#include "vst3_run_loop_host.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace Steinberg;
using namespace Steinberg::Linux;

RunLoopHost::RunLoopHost()
{
    if (::pipe2(m_wakePipe, O_NONBLOCK | O_CLOEXEC) != 0)
        m_wakePipe[0] = m_wakePipe[1] = -1;
    m_thread = std::thread([this] { run(); });
}

RunLoopHost::~RunLoopHost()
{
    m_stop.store(true);
    wake();
    m_thread.join();
    ::close(m_wakePipe[0]);
    ::close(m_wakePipe[1]);
}

void RunLoopHost::wake()
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(m_wakePipe[1], &byte, 1);
}

void RunLoopHost::call(const std::function<void()>& task)
{
    if (std::this_thread::get_id() == threadId())
    {
        task();
        return;
    }
    std::mutex doneLock;
    std::condition_variable doneSignal;
    bool done = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_tasks.push_back(
            [&]
            {
                task();
                std::lock_guard<std::mutex> g(doneLock);
                done = true;
                doneSignal.notify_all();
            });
    }
    wake();
    std::unique_lock<std::mutex> g(doneLock);
    doneSignal.wait(g, [&] { return done; });
}

void RunLoopHost::post(std::function<void()> task)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_tasks.push_back(std::move(task));
    }
    wake();
}

int RunLoopHost::registeredDescriptors()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return int(m_descriptors.size());
}

int RunLoopHost::registeredTimers()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return int(m_timers.size());
}

void RunLoopHost::run()
{
    using Clock = std::chrono::steady_clock;
    while (!m_stop.load())
    {
        std::vector<pollfd> fds{{m_wakePipe[0], POLLIN, 0}};
        std::vector<IEventHandler*> handlers{nullptr};
        int timeoutMs = 100;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            for (const auto& [fd, handler] : m_descriptors)
            {
                fds.push_back({fd, POLLIN, 0});
                handlers.push_back(handler);
            }
            const auto now = Clock::now();
            for (const auto& t : m_timers)
                timeoutMs = std::min<int>(
                    timeoutMs,
                    int(std::max<long long>(
                        0, std::chrono::duration_cast<std::chrono::milliseconds>(t.due - now).count())));
        }
        ::poll(fds.data(), nfds_t(fds.size()), timeoutMs);

        if (fds[0].revents != 0)
        {
            char drain[64];
            while (::read(m_wakePipe[0], drain, sizeof drain) > 0)
            {
            }
        }
        std::vector<std::function<void()>> tasks;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            tasks.swap(m_tasks);
        }
        for (auto& task : tasks)
            task();

        // Handlers are called without the lock, as a host calls plug-ins; one unregistered meanwhile is
        // skipped.
        for (std::size_t i = 1; i < fds.size(); ++i)
        {
            if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0)
                continue;
            bool stillRegistered = false;
            {
                std::lock_guard<std::mutex> guard(m_lock);
                stillRegistered = std::find(m_descriptors.begin(), m_descriptors.end(),
                                            std::make_pair(fds[i].fd, handlers[i])) != m_descriptors.end();
            }
            if (stillRegistered)
            {
                ++m_eventCalls;
                handlers[i]->onFDIsSet(fds[i].fd);
            }
        }

        std::vector<ITimerHandler*> due;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            const auto now = Clock::now();
            for (auto& t : m_timers)
                if (t.due <= now)
                {
                    due.push_back(t.handler);
                    t.due = now + t.interval;
                }
        }
        for (auto* handler : due)
        {
            bool stillRegistered = false;
            {
                std::lock_guard<std::mutex> guard(m_lock);
                stillRegistered = std::any_of(m_timers.begin(), m_timers.end(),
                                              [handler](const Timer& t) { return t.handler == handler; });
            }
            if (stillRegistered)
            {
                ++m_timerCalls;
                handler->onTimer();
            }
        }
    }
}

tresult PLUGIN_API RunLoopHost::registerEventHandler(IEventHandler* handler, FileDescriptor fd)
{
    if (handler == nullptr)
        return kInvalidArgument;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_descriptors.emplace_back(fd, handler);
    }
    wake();
    return kResultOk;
}

tresult PLUGIN_API RunLoopHost::unregisterEventHandler(IEventHandler* handler)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_descriptors.erase(std::remove_if(m_descriptors.begin(), m_descriptors.end(),
                                       [handler](const auto& d) { return d.second == handler; }),
                        m_descriptors.end());
    return kResultOk;
}

tresult PLUGIN_API RunLoopHost::registerTimer(ITimerHandler* handler, TimerInterval milliseconds)
{
    if (handler == nullptr || milliseconds == 0)
        return kInvalidArgument;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        const auto interval = std::chrono::milliseconds(milliseconds);
        m_timers.push_back({handler, interval, std::chrono::steady_clock::now() + interval});
    }
    wake();
    return kResultOk;
}

tresult PLUGIN_API RunLoopHost::unregisterTimer(ITimerHandler* handler)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_timers.erase(std::remove_if(m_timers.begin(), m_timers.end(),
                                  [handler](const Timer& t) { return t.handler == handler; }),
                   m_timers.end());
    return kResultOk;
}

tresult PLUGIN_API RunLoopHost::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, IRunLoop::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid))
    {
        *obj = static_cast<IRunLoop*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

tresult PLUGIN_API RunLoopHost::Context::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, IRunLoop::iid))
    {
        *obj = static_cast<IRunLoop*>(&m_host);
        return kResultOk;
    }
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid))
    {
        *obj = this;
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}
