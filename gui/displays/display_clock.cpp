#include "display_clock.h"

#include <chrono>

namespace vk
{

namespace
{
class SystemDisplayClock final : public DisplayClock
{
public:
    // Monotonic: the wall clock jumps when the user or the network sets it, and a jump back would
    // look like negative time to every animation.
    int64_t nowMs() const noexcept override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};
} // namespace

const DisplayClock& DisplayClock::system() noexcept
{
    static const SystemDisplayClock clock;
    return clock;
}

} // namespace vk
