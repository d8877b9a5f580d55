#include "formats/vst3/vst3_message_thread.h"

#include "formats/vst3/vst3_edit_sink.h"

#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>
// The framework's hooks for plug-ins whose host runs the event loop: its registered descriptors, a
// listener for changes of that set, and the dispatch of one descriptor's callback.
#include <juce_events/native/juce_linux_EventLoopInternal.h>
#include <pluginterfaces/gui/iplugview.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace juce
{
// The framework's dispatcher of its Linux message queue and descriptors.
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
} // namespace juce

namespace vk::vst3
{
namespace
{

using Steinberg::FUnknown;
using Steinberg::kNoInterface;
using Steinberg::kResultOk;
using Steinberg::tresult;
using Steinberg::TUID;
using Steinberg::uint32;
using Steinberg::FUnknownPrivate::iidEqual;
using Steinberg::Linux::FileDescriptor;
using Steinberg::Linux::IEventHandler;
using Steinberg::Linux::IRunLoop;
using Steinberg::Linux::ITimerHandler;

// The host loop's timer: flushes edits, and delivers whatever a descriptor callback left behind.
constexpr Steinberg::Linux::TimerInterval kLoopTimerMs = 10;
// One pass delivers at most this many messages, so that the host's loop stays responsive.
constexpr int kMaxMessagesPerPass = 256;
// How long a descriptor callback waits for the role while another thread holds it (a host thread's
// set-up or state call): returning at once would leave the descriptor readable and the host's loop
// calling back without pause; waiting longer would hold the host's loop up.
constexpr std::chrono::milliseconds kBusyRoleWait{kLoopTimerMs};

// A module-wide object made on first use and not destroyed with the other statics: a thread of ours may
// still use it while they go. The unload guard frees it once no thread of ours is left, so that a host that
// unloads the module (as hosts of the AAX entry do) does not lose it.
template <typename T>
class ModuleObject
{
public:
    T& get()
    {
        static T* const made = [this]
        {
            auto* p = new T;
            instance.store(p);
            return p;
        }();
        return *made;
    }
    bool exists() const noexcept { return instance.load() != nullptr; }
    void release() noexcept { delete instance.exchange(nullptr); }

private:
    std::atomic<T*> instance{nullptr};
};

// How many levels of the role the calling thread holds.
thread_local int t_roleDepth = 0;

// The message-thread role: held by whichever thread dispatches messages, runs deferred tasks or works on
// the framework's windows. Recursive: a host may call back into the module from inside a call of ours on
// the same thread. The module's own thread lets go of every level while it calls the host (HostCallScope).
class RoleMutex
{
public:
    void lock()
    {
        std::unique_lock<std::mutex> guard(m_lock);
        m_freed.wait(guard, [this] { return mayTake(); });
        take();
    }
    bool try_lock()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!mayTake())
            return false;
        take();
        return true;
    }
    template <typename Duration>
    bool try_lock_for(Duration limit)
    {
        std::unique_lock<std::mutex> guard(m_lock);
        if (!m_freed.wait_for(guard, limit, [this] { return mayTake(); }))
            return false;
        take();
        return true;
    }
    void unlock()
    {
        bool freed = false;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            freed = --t_roleDepth == 0;
            if (freed)
                m_owner = std::thread::id();
        }
        if (freed)
            m_freed.notify_all();
    }
    // Lets go of every level the calling thread holds; answers how many.
    int releaseAll()
    {
        const int depth = t_roleDepth;
        for (int i = 0; i < depth; ++i)
            unlock();
        return depth;
    }
    void reacquire(int depth)
    {
        for (int i = 0; i < depth; ++i)
            lock();
    }

private:
    // [m_lock held]
    bool mayTake() const { return m_owner == std::thread::id() || m_owner == std::this_thread::get_id(); }
    void take()
    {
        m_owner = std::this_thread::get_id();
        ++t_roleDepth;
    }

    // A mutex and a condition rather than the library's timed mutex, whose timed lock the thread sanitizer
    // does not see (it reports each unlock after one as the unlock of an unlocked mutex).
    std::mutex m_lock;
    std::condition_variable m_freed;
    std::thread::id m_owner;
};

ModuleObject<RoleMutex> g_roleLock;

RoleMutex& roleLock()
{
    return g_roleLock.get();
}

// How many calls into the host threads that held the role are making with the role let go, and how deep
// the calling thread is in them.
std::atomic<int> g_threadsInHostCall{0};
thread_local int t_hostCallDepth = 0;

struct DeferredTasks
{
    std::mutex lock;
    std::vector<std::function<void()>> tasks;
};

ModuleObject<DeferredTasks> g_deferred;

DeferredTasks& deferred()
{
    return g_deferred.get();
}

// [message thread, role held]
void runDeferredTasks()
{
    std::vector<std::function<void()>> tasks;
    {
        std::lock_guard<std::mutex> guard(deferred().lock);
        tasks.swap(deferred().tasks);
    }
    for (auto& task : tasks)
        task();
}

// [message thread, role held] True when anything was delivered.
bool dispatchPending()
{
    int n = 0;
    while (n < kMaxMessagesPerPass && juce::dispatchNextMessageOnSystemQueue(true))
        ++n;
    runDeferredTasks();
    return n > 0;
}

// Notes that the framework's set of descriptors changed; the host loop's timer registers the new set.
class DescriptorListener : public juce::LinuxEventLoopInternal::Listener
{
public:
    void fdCallbacksChanged() override { changed.store(true); }
    std::atomic<bool> changed{false};
};

ModuleObject<DescriptorListener> g_descriptorListener;

DescriptorListener& descriptorListener()
{
    return g_descriptorListener.get();
}

// [the thread that initialises the framework, right after]
void initialiseFramework()
{
    juce::initialiseJuce_GUI();
    juce::LinuxEventLoopInternal::registerLinuxEventLoopListener(descriptorListener());
}

// [message thread, role held]
void shutDownFramework()
{
    runDeferredTasks();
    juce::LinuxEventLoopInternal::deregisterLinuxEventLoopListener(descriptorListener());
    juce::shutdownJuce_GUI();
}

// [role held] Makes the calling thread the framework's message thread.
void takeMessageThreadPart()
{
    if (auto* mm = juce::MessageManager::getInstanceWithoutCreating();
        mm != nullptr && !mm->isThisTheMessageThread())
        mm->setCurrentThreadAsMessageThread();
}

class OwnThread;
// The module's own message thread, seen from itself (null on every other thread).
thread_local OwnThread* t_ownThread = nullptr;

// The module's own message thread, for as long as no host run loop is on offer.
class OwnThread
{
public:
    enum State
    {
        kRunning,
        kLeaving, // asked to hand over to a host loop
        kLeft,    // has left its loop for the hand-over; calls nothing any more
        kStopping // asked to shut the framework down and end
    };

    // With `initialise`, the thread starts the framework and the constructor returns once it has (the
    // thread calls nothing of the host's meanwhile); otherwise it takes over a running framework.
    explicit OwnThread(bool initialise) : m_initialise(initialise)
    {
        m_thread = std::thread([this] { run(); });
        if (initialise)
        {
            std::unique_lock<std::mutex> lock(m_startLock);
            m_started.wait(lock, [this] { return m_running; });
        }
    }

    ~OwnThread()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    OwnThread(const OwnThread&) = delete;
    OwnThread& operator=(const OwnThread&) = delete;

    void leave()
    {
        int expected = kRunning;
        m_state.compare_exchange_strong(expected, kLeaving);
    }

    // Takes back a hand-over the thread has not yet carried out; false when it has left already.
    bool cancelLeave()
    {
        int expected = kLeaving;
        return m_state.compare_exchange_strong(expected, kRunning) || expected == kRunning;
    }

    bool hasLeft() const { return m_state.load() == kLeft; }

    enum class Stopped
    {
        ShutDown,   // the thread shut the framework down and ended
        HandedOver, // the thread had left for a hand-over and ended: the framework still runs
        Pending     // the thread is inside a call to the host: it shuts down and ends by itself
    };

    // [host main thread] Never waits while the thread may be calling the host.
    Stopped stop()
    {
        // The thread itself let go of the last use (work it had deferred): it ends after this pass.
        if (t_ownThread == this)
        {
            m_state.store(kStopping);
            return Stopped::Pending;
        }
        int state = m_state.load();
        while (state != kLeft && !m_state.compare_exchange_weak(state, kStopping))
        {
        }
        if (state == kLeft)
        {
            m_thread.join();
            return Stopped::HandedOver;
        }
        // Paired with the thread's check in run(): either it sees kStopping before calling the host, or
        // this sees it inside the call.
        if (m_inHostCall.load())
            return Stopped::Pending;
        m_thread.join();
        return Stopped::ShutDown;
    }

    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    // [this thread] Marks a call into the host; false (nothing marked) once a stop was asked for, when
    // the call must not be made. Paired with stop() as the flush pass is.
    bool enterHostCall()
    {
        m_inHostCall.store(true);
        if (m_state.load() != kStopping)
            return true;
        m_inHostCall.store(false);
        return false;
    }
    void leaveHostCall() { m_inHostCall.store(false); }

private:
    void run()
    {
        t_ownThread = this;
        if (m_initialise)
            initialiseFramework();
        {
            std::lock_guard<RoleMutex> role(roleLock());
            juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
        }
        {
            std::lock_guard<std::mutex> lock(m_startLock);
            m_running = true;
        }
        m_started.notify_all();

        for (;;)
        {
            int state = m_state.load();
            if (state == kLeaving && m_state.compare_exchange_strong(state, kLeft))
                return; // the host loop takes over: nothing of ours runs any more
            if (state == kStopping)
                break;

            bool delivered = false;
            {
                std::lock_guard<RoleMutex> role(roleLock());
                takeMessageThreadPart(); // a host thread may have had it for a view's call
                delivered = dispatchPending();
            }
            // Edits go to the host without the role: a host thread may wait for the role (a view call)
            // while the host makes this call wait for that thread. Marked only around a pass that may
            // call the host, so that a stop finds the thread idle (and waits for it) whenever it can.
            if (flushRequested())
            {
                m_inHostCall.store(true);
                if (m_state.load() == kRunning)
                    flushEditSinks();
                m_inHostCall.store(false);
            }
            if (!delivered)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::lock_guard<RoleMutex> role(roleLock());
        shutDownFramework();
    }

    const bool m_initialise;
    std::thread m_thread;
    std::mutex m_startLock;
    std::condition_variable m_started;
    bool m_running = false;
    std::atomic<int> m_state{kRunning};
    std::atomic<bool> m_inHostCall{false};
};

// The handlers registered with the host's loop; they live as long as the module.
// The SDK's interfaces have no virtual destructors by design: objects are freed through release().
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// One interface, no reference counting.
template <typename Interface>
class ModuleHandler : public Interface
{
public:
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (iidEqual(iid, Interface::iid) || iidEqual(iid, FUnknown::iid))
        {
            *obj = static_cast<Interface*>(this);
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }
};

class LoopEventHandler : public ModuleHandler<IEventHandler>
{
public:
    void PLUGIN_API onFDIsSet(FileDescriptor fd) override;
};

class LoopTimerHandler : public ModuleHandler<ITimerHandler>
{
public:
    void PLUGIN_API onTimer() override;
};
#pragma GCC diagnostic pop

// Module-wide state. `attachLock` serialises start, stop, offers and (re)registration with a host loop;
// the loop's callbacks never wait for it. `ownLock` guards the module's thread; nothing waits under it
// for a thread that may be calling the host.
struct Dispatcher
{
    std::mutex attachLock;
    bool running = false;
    std::vector<IRunLoop*> offers; // each holds one reference
    std::atomic<IRunLoop*> attached{nullptr};
    std::atomic<bool> adopted{false};

    std::mutex ownLock;
    std::unique_ptr<OwnThread> own;
    // A thread that was inside a call to the host when the framework stopped; it ends by itself and is
    // joined at the next start or when the module unloads.
    std::unique_ptr<OwnThread> ending;

    LoopEventHandler eventHandler;
    LoopTimerHandler timerHandler;
};

ModuleObject<Dispatcher> g_dispatcher;

Dispatcher& dispatcher()
{
    return g_dispatcher.get();
}

// [attachLock held]
void registerDescriptors(IRunLoop& loop)
{
    auto& d = dispatcher();
    descriptorListener().changed.store(false);
    loop.unregisterEventHandler(&d.eventHandler);
    for (const int fd : juce::LinuxEventLoopInternal::getRegisteredFds())
        loop.registerEventHandler(&d.eventHandler, fd);
}

// [attachLock held]
void attachTo(IRunLoop& loop)
{
    auto& d = dispatcher();
    d.adopted.store(false);
    d.attached.store(&loop);
    registerDescriptors(loop);
    loop.registerTimer(&d.timerHandler, kLoopTimerMs);
}

// [attachLock held]
void detach()
{
    auto& d = dispatcher();
    if (auto* loop = d.attached.exchange(nullptr))
    {
        loop->unregisterEventHandler(&d.eventHandler);
        loop->unregisterTimer(&d.timerHandler);
    }
    d.adopted.store(false);
}

// [attachLock held, framework running] Follows the first offer, or the module's own thread without one.
// The host is called without ownLock: its loop may be waiting for that lock in a callback (adoptLoopThread)
// while holding a lock of its own that the registration takes.
void followOffers()
{
    auto& d = dispatcher();
    IRunLoop* wanted = d.offers.empty() ? nullptr : d.offers.front();
    if (wanted == d.attached.load())
        return;
    detach();
    if (wanted != nullptr)
    {
        attachTo(*wanted);
        std::lock_guard<std::mutex> own(d.ownLock);
        if (d.own != nullptr)
            d.own->leave(); // the loop's first callback takes over once the thread has left
        return;
    }
    std::lock_guard<std::mutex> own(d.ownLock);
    if (d.own != nullptr)
    {
        if (d.own->cancelLeave())
            return;
        d.own->join(); // it has left and calls nothing any more
    }
    d.own = std::make_unique<OwnThread>(false);
}

// [loop thread, role held] Makes the loop's thread the message thread once the module's thread has left.
bool adoptLoopThread()
{
    auto& d = dispatcher();
    if (d.attached.load() == nullptr)
        return false;
    if (!d.adopted.load())
    {
        std::lock_guard<std::mutex> own(d.ownLock);
        if (d.own != nullptr)
        {
            if (!d.own->hasLeft())
            {
                d.own->leave();
                return false;
            }
            d.own.reset(); // joins a thread that has left its loop
        }
    }
    if (juce::MessageManager::getInstanceWithoutCreating() == nullptr)
        return false;
    takeMessageThreadPart();
    d.adopted.store(true);
    return true;
}

void PLUGIN_API LoopEventHandler::onFDIsSet(FileDescriptor fd)
{
    std::unique_lock<RoleMutex> role(roleLock(), std::defer_lock);
    if (!role.try_lock_for(kBusyRoleWait) || !adoptLoopThread())
        return;
    juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd(fd);
    runDeferredTasks();
}

void PLUGIN_API LoopTimerHandler::onTimer()
{
    std::unique_lock<RoleMutex> role(roleLock(), std::try_to_lock);
    if (!role.owns_lock() || !adoptLoopThread())
        return;
    dispatchPending();
    // Every call into the host from here goes out without the role, as from the module's own thread: a host
    // thread may wait for the role (a set-up, a state, a view call) while the host makes this call wait for
    // that thread.
    role.unlock();
    auto& d = dispatcher();
    if (descriptorListener().changed.load())
    {
        std::unique_lock<std::mutex> attach(d.attachLock, std::try_to_lock);
        if (attach.owns_lock())
            if (auto* loop = d.attached.load())
                registerDescriptors(*loop);
    }
    flushEditSinks();
}

// Joins a thread that ended by itself after the framework stopped. [attachLock held]
void joinEndedThread()
{
    auto& d = dispatcher();
    std::unique_ptr<OwnThread> ending;
    {
        std::lock_guard<std::mutex> own(d.ownLock);
        ending = std::move(d.ending);
    }
    ending.reset();
}

// Joins a thread still ending when the module unloads without ModuleExit.
struct UnloadGuard
{
    ~UnloadGuard()
    {
        finishMessageThread();
        if (g_dispatcher.exists())
        {
            auto& d = g_dispatcher.get();
            std::scoped_lock locks(d.attachLock, d.ownLock);
            if (d.running || !d.offers.empty() || d.own != nullptr || d.ending != nullptr)
                return; // still in use: leave everything rather than pull it from under a thread
        }
        g_dispatcher.release();
        g_descriptorListener.release();
        g_deferred.release();
        g_roleLock.release();
    }
} g_unloadGuard;

} // namespace

RunLoopOffer::RunLoopOffer(FUnknown* source)
{
    if (source == nullptr)
        return;
    void* loop = nullptr;
    if (source->queryInterface(IRunLoop::iid, &loop) != kResultOk || loop == nullptr)
        return;
    m_loop = static_cast<IRunLoop*>(loop); // the query's reference is the offer's
    auto& d = dispatcher();
    std::lock_guard<std::mutex> attach(d.attachLock);
    d.offers.push_back(m_loop);
    if (d.running)
        followOffers();
}

RunLoopOffer::~RunLoopOffer()
{
    reset();
}

RunLoopOffer::RunLoopOffer(RunLoopOffer&& other) noexcept : m_loop(std::exchange(other.m_loop, nullptr)) {}

RunLoopOffer& RunLoopOffer::operator=(RunLoopOffer&& other) noexcept
{
    if (this != &other)
    {
        reset();
        m_loop = std::exchange(other.m_loop, nullptr);
    }
    return *this;
}

void RunLoopOffer::reset()
{
    if (m_loop == nullptr)
        return;
    auto* loop = std::exchange(m_loop, nullptr);
    auto& d = dispatcher();
    {
        std::lock_guard<std::mutex> attach(d.attachLock);
        const auto it = std::find(d.offers.begin(), d.offers.end(), loop);
        if (it != d.offers.end())
            d.offers.erase(it);
        if (d.running)
            followOffers();
    }
    loop->release();
}

void startMessageThread()
{
    auto& d = dispatcher();
    std::lock_guard<std::mutex> attach(d.attachLock);
    joinEndedThread();
    if (!d.offers.empty())
    {
        // This thread is the message thread until the loop calls back on its own (the same, for a host
        // that follows the rule that these calls come on its UI thread).
        initialiseFramework();
        d.running = true;
        attachTo(*d.offers.front());
        return;
    }
    {
        std::lock_guard<std::mutex> own(d.ownLock);
        d.own = std::make_unique<OwnThread>(true);
    }
    d.running = true;
}

void stopMessageThread()
{
    auto& d = dispatcher();
    std::lock_guard<std::mutex> attach(d.attachLock);
    d.running = false;
    detach();
    std::unique_ptr<OwnThread> thread;
    {
        std::lock_guard<std::mutex> own(d.ownLock);
        thread = std::move(d.own);
    }
    if (thread != nullptr)
    {
        switch (thread->stop())
        {
        case OwnThread::Stopped::ShutDown:
            return;
        case OwnThread::Stopped::Pending:
        {
            std::lock_guard<std::mutex> own(d.ownLock);
            d.ending = std::move(thread);
            return;
        }
        case OwnThread::Stopped::HandedOver:
            break; // the host's loop had the part: shut down here
        }
    }
    std::lock_guard<RoleMutex> role(roleLock());
    if (auto* mm = juce::MessageManager::getInstanceWithoutCreating();
        mm != nullptr && !mm->isThisTheMessageThread())
        mm->setCurrentThreadAsMessageThread();
    shutDownFramework();
}

void finishMessageThread()
{
    // A module that never ran a message thread of ours (the AAX entry, say) has nothing to join, and
    // making the dispatcher now, while the module unloads, would only leak it.
    if (!g_dispatcher.exists())
        return;
    auto& d = dispatcher();
    std::lock_guard<std::mutex> attach(d.attachLock);
    joinEndedThread();
}

MessageThreadScope::MessageThreadScope()
{
    roleLock().lock();
    takeMessageThreadPart();
}

MessageThreadScope::~MessageThreadScope()
{
    roleLock().unlock();
}

MessageWorkPause::MessageWorkPause()
{
    roleLock().lock();
}

MessageWorkPause::~MessageWorkPause()
{
    roleLock().unlock();
}

HostCallScope::HostCallScope()
{
    if (t_roleDepth == 0)
        return; // a call already made without the role
    // The host may call back into the module, which may call the host again: the outermost call marks.
    auto* own = t_ownThread;
    if (own != nullptr && t_hostCallDepth == 0 && !own->enterHostCall())
    {
        m_allowed = false;
        return;
    }
    ++t_hostCallDepth;
    g_threadsInHostCall.fetch_add(1);
    m_released = roleLock().releaseAll();
}

HostCallScope::~HostCallScope()
{
    if (m_released == 0)
        return;
    roleLock().reacquire(m_released);
    // A host thread may have been the message thread meanwhile.
    takeMessageThreadPart();
    g_threadsInHostCall.fetch_sub(1);
    if (--t_hostCallDepth == 0 && t_ownThread != nullptr)
        t_ownThread->leaveHostCall();
}

bool messageThreadIsInHostCall()
{
    return g_threadsInHostCall.load() > 0;
}

bool hostRunLoopIsMessageThread()
{
    return dispatcher().adopted.load();
}

void runOnMessageThread(std::function<void()> task)
{
    // While the message thread waits in a call to the host, it may be inside what the task would delete:
    // the task waits until that call has unwound, behind whatever was deferred for the same reason.
    if (juce::MessageManager::existsAndIsCurrentThread() && !messageThreadIsInHostCall())
    {
        std::unique_lock<RoleMutex> role(roleLock(), std::try_to_lock);
        if (role.owns_lock())
        {
            task();
            return;
        }
    }
    std::lock_guard<std::mutex> guard(deferred().lock);
    deferred().tasks.push_back(std::move(task));
}

void postToMessageThread(std::function<void()> task)
{
    std::lock_guard<std::mutex> guard(deferred().lock);
    deferred().tasks.push_back(std::move(task));
}

} // namespace vk::vst3
