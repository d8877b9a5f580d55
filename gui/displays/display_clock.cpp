#include "display_clock.h"

#include <juce_core/juce_core.h>

namespace vk
{

namespace
{
class SystemDisplayClock final : public DisplayClock
{
public:
    int64_t nowMs() const noexcept override { return juce::Time::currentTimeMillis(); }
};
} // namespace

const DisplayClock& DisplayClock::system() noexcept
{
    static const SystemDisplayClock clock;
    return clock;
}

} // namespace vk
