#include "formats/vst3/vst3_framework_lifetime.h"

#include "formats/vst3/vst3_message_thread.h"

#include <mutex>

namespace vk::vst3
{
namespace
{

struct Lifetime
{
    std::mutex lock;
    int count = 0;
};

Lifetime& lifetime()
{
    static Lifetime l;
    return l;
}

} // namespace

FrameworkLifetime::FrameworkLifetime()
{
    auto& l = lifetime();
    std::lock_guard<std::mutex> guard(l.lock);
    // Counted once started: a start that throws leaves the count as it was, so the next object starts again.
    if (l.count == 0)
        startMessageThread();
    ++l.count;
}

FrameworkLifetime::~FrameworkLifetime()
{
    auto& l = lifetime();
    std::lock_guard<std::mutex> guard(l.lock);
    if (--l.count == 0)
        stopMessageThread();
}

int liveFrameworkUsers()
{
    auto& l = lifetime();
    std::lock_guard<std::mutex> guard(l.lock);
    return l.count;
}

} // namespace vk::vst3
