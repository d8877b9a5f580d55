#include "vst3_run_loop_host.h"

#include <algorithm>
#include <condition_variable>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace Steinberg;
using namespace Steinberg::Linux;
using Clock = std::chrono::steady_clock;

RunLoopHost::RunLoopHost(bool dispatchesUnderItsLock) : m_dispatchesUnderItsLock(dispatchesUnderItsLock)
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

std::unique_lock<std::recursive_mutex> RunLoopHost::dispatchLock()
{
    return m_dispatchesUnderItsLock ? std::unique_lock<std::recursive_mutex>(m_dispatchLock)
                                    : std::unique_lock<std::recursive_mutex>();
}

void RunLoopHost::afterRegistering()
{
    if (m_dispatchesUnderItsLock)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void RunLoopHost::wake()
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(m_wakePipe[1], &byte, 1);
}

void RunLoopHost::call(const std::function<void()>& task)
{
    if (std::this_thread::get_id() == threadId())
        return task();
    std::mutex doneLock;
    std::condition_variable doneSignal;
    bool done = false;
    post(
        [&]
        {
            task();
            std::lock_guard<std::mutex> g(doneLock);
            done = true;
            doneSignal.notify_all();
        });
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
    // Handlers are called without the lock, as a host calls plug-ins; one unregistered meanwhile is skipped.
    auto stillRegistered = [this](auto predicate)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return std::any_of(m_descriptors.begin(), m_descriptors.end(), predicate);
    };
    auto timerRegistered = [this](ITimerHandler* handler)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return std::any_of(m_timers.begin(), m_timers.end(),
                           [handler](const Timer& t) { return t.handler == handler; });
    };
    while (!m_stop.load())
    {
        m_passes.fetch_add(1);
        std::vector<pollfd> fds{{m_wakePipe[0], POLLIN, 0}};
        std::vector<IEventHandler*> handlers{nullptr};
        long long timeoutMs = 100;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            for (const auto& [fd, handler] : m_descriptors)
            {
                fds.push_back({fd, POLLIN, 0});
                handlers.push_back(handler);
            }
            for (const auto& t : m_timers)
                timeoutMs = std::clamp<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(t.due - Clock::now()).count(), 0,
                    timeoutMs);
        }
        ::poll(fds.data(), nfds_t(fds.size()), int(timeoutMs));

        char drain[64];
        while (fds[0].revents != 0 && ::read(m_wakePipe[0], drain, sizeof drain) > 0)
        {
        }
        std::vector<std::function<void()>> tasks;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            tasks.swap(m_tasks);
        }
        for (auto& task : tasks)
            task();

        for (std::size_t i = 1; i < fds.size(); ++i)
        {
            const auto dispatching = dispatchLock();
            if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0 &&
                stillRegistered([&](const auto& d)
                                { return d == std::make_pair(int(fds[i].fd), handlers[i]); }))
                handlers[i]->onFDIsSet(fds[i].fd);
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
            const auto dispatching = dispatchLock();
            if (timerRegistered(handler))
                handler->onTimer();
        }
    }
}

tresult PLUGIN_API RunLoopHost::registerEventHandler(IEventHandler* handler, FileDescriptor fd)
{
    if (handler == nullptr)
        return kInvalidArgument;
    {
        const auto registering = dispatchLock();
        std::lock_guard<std::mutex> guard(m_lock);
        m_descriptors.emplace_back(fd, handler);
    }
    wake();
    afterRegistering();
    return kResultOk;
}

tresult PLUGIN_API RunLoopHost::unregisterEventHandler(IEventHandler* handler)
{
    const auto registering = dispatchLock();
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
        const auto registering = dispatchLock();
        std::lock_guard<std::mutex> guard(m_lock);
        const auto interval = std::chrono::milliseconds(milliseconds);
        m_timers.push_back({handler, interval, Clock::now() + interval});
    }
    wake();
    afterRegistering();
    return kResultOk;
}

tresult PLUGIN_API RunLoopHost::unregisterTimer(ITimerHandler* handler)
{
    const auto registering = dispatchLock();
    std::lock_guard<std::mutex> guard(m_lock);
    m_timers.erase(std::remove_if(m_timers.begin(), m_timers.end(),
                                  [handler](const Timer& t) { return t.handler == handler; }),
                   m_timers.end());
    return kResultOk;
}

tresult PLUGIN_API RunLoopHost::queryInterface(const TUID iid, void** obj)
{
    const bool known =
        FUnknownPrivate::iidEqual(iid, IRunLoop::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid);
    *obj = known ? static_cast<IRunLoop*>(this) : nullptr;
    return known ? kResultOk : kNoInterface;
}
