#pragma once

#include <atomic>
#include <cstdint>

namespace vk
{

/** The millisecond clock the displays animate by: peak holds and falls, handle fades, clip blinking and the
    time between spectrum reads. Tests put a manual clock in its place.

    [any thread] No allocation.
*/
class DisplayClock
{
public:
    virtual ~DisplayClock() = default;
    virtual int64_t nowMs() const noexcept = 0;

    /** A monotonic clock (never set back, unlike the wall clock), shared by every display that was given no
        other clock. */
    static const DisplayClock& system() noexcept;
};

/** A clock that moves only when told to. [any thread] */
class ManualDisplayClock : public DisplayClock
{
public:
    explicit ManualDisplayClock(int64_t startMs = 1000000) : now(startMs) {}
    int64_t nowMs() const noexcept override { return now.load(std::memory_order_relaxed); }
    void advance(int64_t ms) noexcept { now.fetch_add(ms, std::memory_order_relaxed); }
    void set(int64_t ms) noexcept { now.store(ms, std::memory_order_relaxed); }

private:
    std::atomic<int64_t> now;
};

} // namespace vk
