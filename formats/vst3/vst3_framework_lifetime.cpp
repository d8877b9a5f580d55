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
    if (l.count++ == 0)
        startMessageThread();
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
