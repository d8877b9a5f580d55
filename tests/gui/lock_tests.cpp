#include "named_read_write_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

using vk::NamedReadWriteLock;
using vk::ScopedReadWriteGuard;

namespace
{
constexpr uint32_t shared = ScopedReadWriteGuard::shared;
constexpr uint32_t exclusive = ScopedReadWriteGuard::exclusive;
constexpr uint32_t once = ScopedReadWriteGuard::oneAttempt;
constexpr uint32_t spin = ScopedReadWriteGuard::spinUntilAcquired;
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
            EXPECT_TRUE(guard.isAcquired());
            EXPECT_TRUE(lock.hasWriter());
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

TEST(NamedReadWriteLock, UnknownModesFailWithoutSpinningOrChangingAnything)
{
    NamedReadWriteLock lock("");
    {
        ScopedReadWriteGuard g(lock, 2, once, "mode 2");
        EXPECT_FALSE(g.isAcquired());
        // Spinning on a mode that can never succeed must not hang.
        ScopedReadWriteGuard s(lock, 7, spin, "mode 7 spinning");
        EXPECT_FALSE(s.isAcquired());
    }
    EXPECT_EQ(lock.getReaderCount(), 0);
    EXPECT_FALSE(lock.hasWriter());
    EXPECT_FALSE(lock.tryAcquire(3));
}

TEST(NamedReadWriteLock, ExceptionLeavingTheGuardedBlockReleasesTheLock)
{
    NamedReadWriteLock lock("");
    EXPECT_THROW(
        {
            ScopedReadWriteGuard g(lock, exclusive, once, "throws");
            ASSERT_TRUE(g.isAcquired());
            throw std::runtime_error("draw failed");
        },
        std::runtime_error);
    EXPECT_FALSE(lock.hasWriter());
    EXPECT_THROW(
        {
            ScopedReadWriteGuard g(lock, shared, once, "throws");
            throw std::runtime_error("draw failed");
        },
        std::runtime_error);
    EXPECT_EQ(lock.getReaderCount(), 0);
    ScopedReadWriteGuard w(lock, exclusive, once, "after");
    EXPECT_TRUE(w.isAcquired());
}

TEST(NamedReadWriteLock, ReadersAndASpinningWriterNeverOverlapUnderContention)
{
    NamedReadWriteLock lock("");
    std::atomic<int> inside{0};
    std::atomic<bool> overlap{false}, stop{false};
    std::atomic<int> readerPasses{0};
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
