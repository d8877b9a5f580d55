#pragma once

#include "display_clock.h"

#include <cstdint>

namespace vk
{

/** Peak-hold ballistics of a display: takes the largest value pushed, holds it for a while, then lets it
    fall at a fixed rate in decibels per second.

    The sign turns a peak meter (1.0, holds maxima and falls) into a floor meter (-1.0, holds minima and
    rises). A hold of -1.0 holds for ever.

    [render thread] one owner thread; no allocation, no locking.
*/
class VkJuceBallistics
{
public:
    static constexpr float holdForever = -1.0f;

    VkJuceBallistics(float holdSeconds, float fallSecondsFor20dB, float sign = 1.0f,
                     const DisplayClock& clock = DisplayClock::system()) noexcept;

    /** Time = now, released, value far outside any scale. */
    void reset() noexcept;
    /** Seconds to fall by 20 dB; 0 falls at once. Negative or non-finite times are refused. */
    void setFallTime(float seconds) noexcept;
    void setHold(float seconds) noexcept { hold = seconds; }
    void setClock(const DisplayClock& c) noexcept { clock = &c; }
    /** A value beyond the current one (in the sign's direction) becomes the held value; NaN and infinities
        are ignored. */
    void push(float v) noexcept;
    /** The value now: held, or fallen since the last call. Time the clock went back does not count. */
    float get() noexcept;
    /** The stored value without advancing the fall. */
    float getCurrentValue() const noexcept { return value; }
    float getFallRate() const noexcept { return fallRate; }
    bool isReleased() const noexcept { return released; }

private:
    float value = 0.0f;
    int64_t timeMs = 0;
    bool released = true;
    float fallRate = 0.0f;
    float sign = 1.0f;
    float hold = 0.0f;
    const DisplayClock* clock;
};

} // namespace vk
