#include "formats/vst3/vst3_framework_lifetime.h"

#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace juce
{
// The framework's own dispatcher of one message from its Linux message queue.
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
} // namespace juce

namespace vk::vst3
{
namespace
{

struct FlushRegistry
{
    std::recursive_mutex lock;
    std::vector<EditFlushTarget*> targets;
    std::atomic<bool> requested{false};
};

FlushRegistry& flushRegistry()
{
    static FlushRegistry r;
    return r;
}

void flushAll()
{
    auto& r = flushRegistry();
    if (!r.requested.exchange(false))
        return;
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    for (auto* target : r.targets)
        target->flushEdits();
}

// The module's message thread: initialises the framework, takes the message thread role, dispatches
// messages and flushes reports until told to stop, then shuts the framework down on the same thread.
class MessageThread
{
public:
    MessageThread()
    {
        m_thread = std::thread([this] { run(); });
        std::unique_lock<std::mutex> lock(m_startLock);
        m_started.wait(lock, [this] { return m_running; });
    }

    ~MessageThread()
    {
        m_stop.store(true);
        m_thread.join();
    }

private:
    void run()
    {
        juce::initialiseJuce_GUI();
        juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
        {
            std::lock_guard<std::mutex> lock(m_startLock);
            m_running = true;
        }
        m_started.notify_all();

        while (!m_stop.load())
        {
            bool dispatched = false;
            while (juce::dispatchNextMessageOnSystemQueue(true))
                dispatched = true;
            flushAll();
            if (!dispatched)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        // Messages still queued belong to objects that are gone; deliver what is safe and shut down.
        juce::shutdownJuce_GUI();
    }

    std::thread m_thread;
    std::mutex m_startLock;
    std::condition_variable m_started;
    bool m_running = false;
    std::atomic<bool> m_stop{false};
};

struct Lifetime
{
    std::mutex lock;
    int count = 0;
    std::unique_ptr<MessageThread> thread;
};

Lifetime& lifetime()
{
    static Lifetime l;
    return l;
}

} // namespace

FrameworkLifetime::FrameworkLifetime()
{
    auto& l = lifetime();
    std::lock_guard<std::mutex> guard(l.lock);
    if (l.count++ == 0)
        l.thread = std::make_unique<MessageThread>();
}

FrameworkLifetime::~FrameworkLifetime()
{
    auto& l = lifetime();
    std::lock_guard<std::mutex> guard(l.lock);
    if (--l.count == 0)
        l.thread.reset();
}

int liveFrameworkUsers()
{
    auto& l = lifetime();
    std::lock_guard<std::mutex> guard(l.lock);
    return l.count;
}

void registerFlushTarget(EditFlushTarget* target)
{
    auto& r = flushRegistry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    if (std::find(r.targets.begin(), r.targets.end(), target) == r.targets.end())
        r.targets.push_back(target);
}

void unregisterFlushTarget(EditFlushTarget* target)
{
    auto& r = flushRegistry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    r.targets.erase(std::remove(r.targets.begin(), r.targets.end(), target), r.targets.end());
}

void requestFlush() noexcept
{
    flushRegistry().requested.store(true);
}

FlushGuard::FlushGuard()
{
    flushRegistry().lock.lock();
}

FlushGuard::~FlushGuard()
{
    flushRegistry().lock.unlock();
}

} // namespace vk::vst3
