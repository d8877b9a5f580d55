#pragma once

// A raw VST3 host's UI thread for tests: one thread that runs a poll loop over the descriptors plug-ins
// register (Steinberg::Linux::IRunLoop) and their timers, and runs the test's own host calls, so that
// everything a real Linux host does on its UI thread happens on this one thread. It is also the host
// context, answering IRunLoop. A host that `dispatchesUnderItsLock` holds a lock of its own while it calls
// the plug-in's handlers, and takes it to register and unregister them, as hosts that guard their loop's
// handler lists do; its registrations also take a moment, as they do in hosts that wake their loop.

#include <pluginterfaces/gui/iplugview.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class RunLoopHost : public Steinberg::Linux::IRunLoop
{
public:
    explicit RunLoopHost(bool dispatchesUnderItsLock = false);
    ~RunLoopHost();

    // Runs `task` on the loop thread and returns once it has run.
    void call(const std::function<void()>& task);
    // Runs `task` on the loop thread soon; does not wait.
    void post(std::function<void()> task);
    std::thread::id threadId() const { return m_thread.get_id(); }

    int registeredDescriptors();
    int registeredTimers();
    // How many times the loop has gone round.
    long long passes() const { return m_passes.load(); }
    Steinberg::FUnknown* context() { return this; }

    Steinberg::tresult PLUGIN_API registerEventHandler(Steinberg::Linux::IEventHandler* handler,
                                                       Steinberg::Linux::FileDescriptor fd) override;
    Steinberg::tresult PLUGIN_API unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override;
    Steinberg::tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                                Steinberg::Linux::TimerInterval milliseconds) override;
    Steinberg::tresult PLUGIN_API unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    struct Timer
    {
        Steinberg::Linux::ITimerHandler* handler;
        std::chrono::milliseconds interval;
        std::chrono::steady_clock::time_point due;
    };

    void run();
    void wake();
    // Held while handlers are called and registered, by a host that dispatches under its lock.
    std::unique_lock<std::recursive_mutex> dispatchLock();
    // A registration's moment, outside every lock.
    void afterRegistering();

    const bool m_dispatchesUnderItsLock;
    std::recursive_mutex m_dispatchLock;
    std::atomic<long long> m_passes{0};
    std::mutex m_lock;
    std::vector<std::pair<int, Steinberg::Linux::IEventHandler*>> m_descriptors;
    std::vector<Timer> m_timers;
    std::vector<std::function<void()>> m_tasks;
    int m_wakePipe[2] = {-1, -1};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
#pragma GCC diagnostic pop
