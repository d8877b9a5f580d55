#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>

namespace vk
{

/** A reader/writer lock whose critical section is held only for one test-and-set, never for the guarded work.

    Both the render thread and the message thread take it through ScopedReadWriteGuard; the render thread
    never waits on it (it makes one attempt and skips its frame), so a writer that spins can only be held up
   by readers that are already inside.

    [any thread] No allocation after construction.
*/
class NamedReadWriteLock
{
public:
    /** [any thread] Allocates the copy of the name. */
    explicit NamedReadWriteLock(const juce::String& lockName);
    ~NamedReadWriteLock() = default;

    NamedReadWriteLock(const NamedReadWriteLock&) = delete;
    NamedReadWriteLock& operator=(const NamedReadWriteLock&) = delete;

    /** [any thread] One attempt: 0 = shared, 1 = exclusive; any other mode fails. */
    bool tryAcquire(uint32_t mode);
    /** [any thread] Undoes a successful tryAcquire of the same mode. */
    void release(uint32_t mode);

    /** [any thread] Diagnostics and tests: snapshots of the counters. */
    int32_t getReaderCount() const;
    bool hasWriter() const;
    const juce::String& getName() const noexcept { return name; }

private:
    juce::String name;
    juce::CriticalSection section;
    int32_t readers = 0;
    uint8_t writer = 0;
};

/** Takes a NamedReadWriteLock for one scope; the caller does its guarded work only when isAcquired().

    [any thread] No allocation. Releases on every exit from the scope, exceptions included.
*/
class ScopedReadWriteGuard
{
public:
    enum Mode : uint32_t
    {
        shared = 0,
        exclusive = 1
    };
    enum Spin : uint32_t
    {
        oneAttempt = 0,
        spinUntilAcquired = 1
    };

    /** spin == 1 retries without sleeping or yielding; only the message thread's stop and teardown paths
        ask for that, and they wait for frames that are already running. */
    ScopedReadWriteGuard(NamedReadWriteLock& lockToUse, uint32_t mode, uint32_t spin, const char* callerName);
    ~ScopedReadWriteGuard();

    ScopedReadWriteGuard(const ScopedReadWriteGuard&) = delete;
    ScopedReadWriteGuard& operator=(const ScopedReadWriteGuard&) = delete;

    bool isAcquired() const noexcept { return acquired != 0; }

private:
    NamedReadWriteLock* lock;
    uint8_t acquired = 0;
    uint32_t mode;
    uint32_t spin;
    const char* caller; // kept for a debugger's eyes only
};

} // namespace vk
