#pragma once

// Which thread is the GUI framework's message thread in the VST3 module. A Linux VST3 host offers its UI
// thread as a run loop (Steinberg::Linux::IRunLoop): on the plug frame of an attached view, and in some
// hosts on the host context (the factory's or the one given to initialize). While a run loop is on offer,
// the host's thread is the message thread: the host's loop watches every file descriptor of the
// framework's Linux event loop (its message socket, through which posted messages and timer callbacks
// arrive, and its X connection), and a run-loop timer flushes the edits for the host. Only while none is
// on offer does a thread of the module's own play that part.
//
// Hand-over: messages, timers and edits wait in the framework's queues and in the edit queues, and are
// delivered once by whichever thread holds the message-thread part next. The module's thread gives the
// part up between two passes, and while it calls the host; the host's loop takes it in its next callback,
// and gives it up, too, while it calls the host. A host thread never waits for the part while the thread
// that holds it may be calling the host. While a host thread holds the part, the loop's descriptor
// callbacks wait a little for it rather than return at once, so the host's loop does not spin.

#include <pluginterfaces/base/funknown.h>

#include <functional>
#include <memory>
#include <mutex>

namespace Steinberg::Linux
{
class IRunLoop;
} // namespace Steinberg::Linux

namespace vk::vst3
{

// One offer of a host run loop, for the offer's own life. This is the entry point an editor view needs,
// one call each way:
//     m_runLoopOffer = vk::vst3::RunLoopOffer(plugFrame);  // when the host gives the view its frame
//     m_runLoopOffer = {};                                 // when the view is removed
// `source` is anything the host hands over (plug frame, host context); without an IRunLoop, or null, it
// offers nothing. The offer holds a reference to the run loop until it ends. [host UI thread]
class RunLoopOffer
{
public:
    RunLoopOffer() = default;
    explicit RunLoopOffer(Steinberg::FUnknown* source);
    ~RunLoopOffer();
    RunLoopOffer(RunLoopOffer&& other) noexcept;
    RunLoopOffer& operator=(RunLoopOffer&& other) noexcept;
    RunLoopOffer(const RunLoopOffer&) = delete;
    RunLoopOffer& operator=(const RunLoopOffer&) = delete;

    bool offersRunLoop() const noexcept { return m_loop != nullptr; }

private:
    void reset();
    Steinberg::Linux::IRunLoop* m_loop = nullptr;
};

// Makes the calling host thread the message thread for the scope's life, for work on the framework's
// windows (an editor view's calls). Waits for a pass the module's own thread may be in; that thread holds
// the part only while it runs the framework's own work, never while it calls the host, so the wait never
// depends on the host. The module's thread takes the part back at its next pass. Nestable.
// [host UI thread]
class MessageThreadScope
{
public:
    MessageThreadScope();
    ~MessageThreadScope();
    MessageThreadScope(const MessageThreadScope&) = delete;
    MessageThreadScope& operator=(const MessageThreadScope&) = delete;
};

// Holds the message thread's work (its messages, timers and deferred tasks) off for the scope's life,
// without making the calling thread the message thread: for a host call on a thread of the host's that
// changes what that work reads (a processor's preparation, its state, an offline pass that runs the
// processor's timer work itself). Waits, as MessageThreadScope does, only for a pass the module's own thread
// may be in, never for the host; a host run loop skips its callbacks meanwhile. Nestable.
// [host thread, never the audio thread]
class MessageWorkPause
{
public:
    MessageWorkPause();
    ~MessageWorkPause();
    MessageWorkPause(const MessageWorkPause&) = delete;
    MessageWorkPause& operator=(const MessageWorkPause&) = delete;
};

// Put right around a call into the host made on the message thread (a view size, a parameter mouse event).
// The calling thread lets go of the message-thread part for the call, whichever thread it is (the module's
// own, the host's run loop, a host thread in a view call), so that a host thread that waits for the part
// (a set-up, a state, a view call) while the host makes this call wait for that thread cannot deadlock;
// the part is taken back afterwards. A host thread may thus run framework work meanwhile, as if the host
// had called back from inside the call: whatever that work would delete under the caller waits for
// messageThreadIsInHostCall() to clear (postToMessageThread). When the framework is stopping, allowed()
// is false on the module's own thread and the call must not be made. Without the part it does nothing.
// [message thread]
class HostCallScope
{
public:
    HostCallScope();
    ~HostCallScope();
    HostCallScope(const HostCallScope&) = delete;
    HostCallScope& operator=(const HostCallScope&) = delete;

    bool allowed() const noexcept { return m_allowed; }

private:
    int m_released = 0;
    bool m_allowed = true;
};

// True while a thread that held the message-thread part is inside a call into the host that it made from
// framework work (HostCallScope). [any thread]
bool messageThreadIsInHostCall();

// Starts the framework on the offered run loop's thread (the caller's, until the loop calls back), or on
// the module's own thread when none is offered; stops it again. Called by FrameworkLifetime for the first
// and the last live object. [host main thread]
void startMessageThread();
void stopMessageThread();

// Waits for a message thread that the last stop left to end by itself (it was inside a call to the host
// then). For ModuleExit: the host unloads the module next. [host main thread]
void finishMessageThread();

// True while the host's run loop is the message thread (it has called back since it was offered).
bool hostRunLoopIsMessageThread();

// Runs `task` on the message thread: at once when the caller is the message thread (and the module's own
// thread is not waiting in a call to the host), else at the message thread's next pass (at the latest
// before the framework shuts down). Never waits. [any thread but audio]
void runOnMessageThread(std::function<void()> task);

// Queues `task` for the message thread's next pass, even when the caller is the message thread: for work
// that must wait until the call under way has unwound. Never waits. [any thread but audio]
void postToMessageThread(std::function<void()> task);

// Deletes `object` by runOnMessageThread, and then `after`, which `object` may call into until it is gone.
// Called from destructors, so it never throws: when there is no memory left to queue it, both are left
// alive, since deleting them here could pull them away from under the message thread.
template <typename T, typename After = T>
void deleteOnMessageThread(std::unique_ptr<T> object, std::unique_ptr<After> after = nullptr) noexcept
{
    T* raw = object.release();
    After* rawAfter = after.release();
    if (raw == nullptr && rawAfter == nullptr)
        return;
    try
    {
        runOnMessageThread(
            [raw, rawAfter]
            {
                delete raw;
                delete rawAfter;
            });
    }
    catch (...)
    {
    }
}

} // namespace vk::vst3
