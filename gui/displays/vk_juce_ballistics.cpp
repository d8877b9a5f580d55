#include "vk_juce_ballistics.h"

#include <cmath>

namespace vk
{

VkJuceBallistics::VkJuceBallistics(float holdSeconds, float fallSecondsFor20dB, float signValue,
                                   const DisplayClock& c) noexcept
    : sign(signValue), hold(holdSeconds), clock(&c)
{
    setFallTime(fallSecondsFor20dB);
    reset();
}

void VkJuceBallistics::reset() noexcept
{
    timeMs = clock->nowMs();
    released = true;
    value = sign == 1.0f ? -1000.0f : 1000.0f;
}

void VkJuceBallistics::setFallTime(float seconds) noexcept
{
    if (!std::isfinite(seconds) || seconds < 0.0f)
        return;
    fallRate = seconds == 0.0f ? 1000000.0f : 20.0f / seconds;
}

void VkJuceBallistics::push(float v) noexcept
{
    // NaN compares false and is dropped here; an infinite value would be held for good, as nothing falls
    // from infinity.
    if (std::isfinite(v) && sign * v > sign * value)
    {
        value = v;
        timeMs = clock->nowMs();
        released = false;
    }
}

float VkJuceBallistics::get() noexcept
{
    const int64_t now = clock->nowMs();
    // A clock that went back counts as no time passed: a negative time would raise a fallen value.
    if (now < timeMs)
        timeMs = now;
    double elapsed = (double)(now - timeMs);
    if (!released)
    {
        const double holdMs = (double)hold * 1000.0;
        if (hold != holdForever && elapsed >= holdMs)
        {
            released = true;
            elapsed -= holdMs;
        }
        if (!released)
            return value;
    }
    value = (float)((double)value - elapsed * (double)sign * (double)fallRate / 1000.0);
    timeMs = now;
    return value;
}

} // namespace vk
