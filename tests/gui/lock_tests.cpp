// The named read/write lock and its scoped guard: counting readers, refusing, spinning, unknown modes,
// exceptions, and readers and a writer that never overlap under contention.
#include "named_read_write_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

using vk::NamedReadWriteLock;
using vk::ScopedReadWriteGuard;

namespace
{
constexpr uint32_t shared = ScopedReadWriteGuard::shared, exclusive = ScopedReadWriteGuard::exclusive;
constexpr uint32_t once = ScopedReadWriteGuard::oneAttempt, spin = ScopedReadWriteGuard::spinUntilAcquired;
} // namespace

TEST(NamedReadWriteLock, SharedGuardsCountAndAreRefusedWhileAWriterHoldsTheLock)
{
    NamedReadWriteLock lock("");
    {
        ScopedReadWriteGuard writer(lock, exclusive, once, "writer");
        ASSERT_TRUE(writer.isAcquired());
        ScopedReadWriteGuard reader(lock, shared, once, "reader");
        EXPECT_FALSE(reader.isAcquired());
        EXPECT_EQ(lock.getReaderCount(), 0);
    }
    ScopedReadWriteGuard r1(lock, shared, once, "r1"), r2(lock, shared, once, "r2"),
        r3(lock, shared, once, "r3");
    ASSERT_EQ(lock.getReaderCount(), 3);
    {
        ScopedReadWriteGuard r4(lock, shared, once, "r4");
        EXPECT_TRUE(r4.isAcquired());
        EXPECT_EQ(lock.getReaderCount(), 4);
    }
    EXPECT_EQ(lock.getReaderCount(), 3);
}

TEST(NamedReadWriteLock, ExclusiveGuardFailsOnceWithAReaderAndSpinsUntilTheReaderLeaves)
{
    NamedReadWriteLock lock("editor");
    auto reader = std::make_unique<ScopedReadWriteGuard>(lock, shared, once, "reader");
    {
        ScopedReadWriteGuard attempt(lock, exclusive, once, "attempt");
        EXPECT_FALSE(attempt.isAcquired());
        EXPECT_FALSE(lock.hasWriter());
    }
    EXPECT_EQ(lock.getReaderCount(), 1); // the failed guard released nothing

    std::atomic<bool> writerStarted{false}, readerReleased{false}, writerSawRelease{false};
    std::thread writer(
        [&]
        {
            writerStarted = true;
            ScopedReadWriteGuard guard(lock, exclusive, spin, "spinning writer");
            writerSawRelease = readerReleased.load();
            EXPECT_TRUE(guard.isAcquired() && lock.hasWriter());
        });
    while (!writerStarted)
        std::this_thread::yield();
    readerReleased = true;
    reader.reset();
    writer.join();
    EXPECT_TRUE(writerSawRelease);
    EXPECT_FALSE(lock.hasWriter());
    EXPECT_EQ(lock.getReaderCount(), 0);
}

TEST(NamedReadWriteLock, UnknownModesFailWithoutSpinningAndExceptionsReleaseTheLock)
{
    NamedReadWriteLock lock("");
    {
        ScopedReadWriteGuard g(lock, 2, once, "mode 2");
        EXPECT_FALSE(g.isAcquired());
        ScopedReadWriteGuard s(lock, 7, spin, "mode 7 spinning"); // a mode that can never succeed: no hang
        EXPECT_FALSE(s.isAcquired());
    }
    EXPECT_EQ(lock.getReaderCount(), 0);
    EXPECT_FALSE(lock.hasWriter());
    EXPECT_FALSE(lock.tryAcquire(3));

    for (uint32_t mode : {exclusive, shared})
    {
        EXPECT_THROW(
            {
                ScopedReadWriteGuard g(lock, mode, once, "throws");
                ASSERT_TRUE(g.isAcquired());
                throw std::runtime_error("draw failed");
            },
            std::runtime_error);
        EXPECT_FALSE(lock.hasWriter());
        EXPECT_EQ(lock.getReaderCount(), 0);
    }
    ScopedReadWriteGuard w(lock, exclusive, once, "after");
    EXPECT_TRUE(w.isAcquired());
}

TEST(NamedReadWriteLock, ReadersAndASpinningWriterNeverOverlapUnderContention)
{
    NamedReadWriteLock lock("");
    std::atomic<int> inside{0}, readerPasses{0};
    std::atomic<bool> overlap{false}, stop{false};
    auto readerLoop = [&]
    {
        while (!stop)
        {
            ScopedReadWriteGuard g(lock, shared, once, "reader");
            if (!g.isAcquired())
                continue;
            if (inside.load() < 0)
                overlap = true;
            inside.fetch_add(1);
            readerPasses.fetch_add(1);
            inside.fetch_sub(1);
        }
    };
    std::thread a(readerLoop), b(readerLoop);
    for (int i = 0; i < 2000; ++i)
    {
        ScopedReadWriteGuard w(lock, exclusive, spin, "writer");
        ASSERT_TRUE(w.isAcquired());
        if (inside.load() != 0)
            overlap = true;
        inside.store(-1000);
        inside.store(0);
    }
    stop = true;
    a.join();
    b.join();
    EXPECT_FALSE(overlap);
    EXPECT_EQ(lock.getReaderCount(), 0);
    EXPECT_FALSE(lock.hasWriter());
}
