#include "named_read_write_lock.h"

namespace vk
{

NamedReadWriteLock::NamedReadWriteLock(const juce::String& lockName) : name(lockName) {}

bool NamedReadWriteLock::tryAcquire(uint32_t mode)
{
    const juce::ScopedLock sl(section);
    if (mode == ScopedReadWriteGuard::shared)
    {
        if (writer != 0)
            return false;
        ++readers;
        return true;
    }
    if (mode == ScopedReadWriteGuard::exclusive)
    {
        if (writer != 0 || readers > 0)
            return false;
        writer = 1;
        return true;
    }
    return false;
}

void NamedReadWriteLock::release(uint32_t mode)
{
    const juce::ScopedLock sl(section);
    if (mode == ScopedReadWriteGuard::shared)
        --readers;
    else if (mode == ScopedReadWriteGuard::exclusive)
        writer = 0;
}

int32_t NamedReadWriteLock::getReaderCount() const
{
    const juce::ScopedLock sl(section);
    return readers;
}

bool NamedReadWriteLock::hasWriter() const
{
    const juce::ScopedLock sl(section);
    return writer != 0;
}

ScopedReadWriteGuard::ScopedReadWriteGuard(NamedReadWriteLock& lockToUse, uint32_t modeToUse,
                                           uint32_t spinToUse, const char* callerName)
    : lock(&lockToUse), mode(modeToUse), spin(spinToUse), caller(callerName)
{
    juce::ignoreUnused(caller);
    bool ok = lock->tryAcquire(mode);
    // A mode the lock does not know can never succeed; spinning on it would hang the caller for good.
    const bool canEverSucceed = mode == shared || mode == exclusive;
    while (!ok && spin == spinUntilAcquired && canEverSucceed)
        ok = lock->tryAcquire(mode);
    acquired = ok ? 1 : 0;
}

ScopedReadWriteGuard::~ScopedReadWriteGuard()
{
    if (acquired != 0)
        lock->release(mode);
}

} // namespace vk
