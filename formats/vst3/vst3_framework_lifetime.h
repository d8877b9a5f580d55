#pragma once

// The GUI framework's lifetime in the VST3 module, and its message thread. Linux hosts do not run the
// plug-in's message loop, so the first live VST3 object starts the framework on a message thread of the
// module's own (as the framework's own Linux plug-in wrappers do); the processor timer and every other
// framework timer run there. The last live object stops the thread and shuts the framework down.
//
// The same thread delivers the processor's queued reports to the host: controllers register as flush
// targets, and the thread calls flushEdits on each of them whenever reports are pending.

namespace vk::vst3
{

// Counts one live VST3 object in for its own life. [host main thread]
class FrameworkLifetime
{
public:
    FrameworkLifetime();
    ~FrameworkLifetime();
    FrameworkLifetime(const FrameworkLifetime&) = delete;
    FrameworkLifetime& operator=(const FrameworkLifetime&) = delete;
};

int liveFrameworkUsers();

class EditFlushTarget
{
public:
    virtual ~EditFlushTarget() = default;
    // [message thread] Called with the flush lock held.
    virtual void flushEdits() = 0;
};

// [any thread] A target is never flushed after its unregistration returns.
void registerFlushTarget(EditFlushTarget* target);
void unregisterFlushTarget(EditFlushTarget* target);
// Wakes the message thread's flush pass soon. [any thread] Lock-free.
void requestFlush() noexcept;

// Held while a target's host connection changes, so that no flush runs at the same time.
class FlushGuard
{
public:
    FlushGuard();
    ~FlushGuard();
    FlushGuard(const FlushGuard&) = delete;
    FlushGuard& operator=(const FlushGuard&) = delete;
};

} // namespace vk::vst3
