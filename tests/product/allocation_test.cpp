// Real-time safety of the audio thread: no allocation, no lock, no call into the runtime's shared random
// generator, and no settings-file write inside the undo lock or away from the message thread.
//
// This executable replaces the global operator new and wraps the pthread mutex calls, rand() and fsync()
// with counters (the real functions are found with dlsym), so it runs apart from the other tests.

#include "product_test_support.h"

#include "processor/vk_registry.h"

#include <dlfcn.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>
#include <thread>

namespace
{
std::atomic<bool> g_armed{false};
std::atomic<long> g_allocations{0};

// Per thread: counted only while the thread's own counting is on, so the test's helpers may lock.
thread_local bool t_counting = false;
thread_local long t_locks = 0;
thread_local long t_randomDraws = 0;
thread_local long t_fileSyncs = 0;
// Mutexes this thread holds right now, and the most it held during a file sync.
thread_local int t_held = 0;
thread_local int t_heldDuringSync = 0;

// The wrapped function of the next object in the search order, looked up on first use (wrapped calls
// happen during static initialisation too, before any global of this file could be set up).
template <typename Function>
Function real(std::atomic<Function>& cache, const char* name)
{
    Function f = cache.load(std::memory_order_relaxed);
    if (f == nullptr)
    {
        f = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
        cache.store(f, std::memory_order_relaxed);
    }
    return f;
}

using MutexCall = int (*)(pthread_mutex_t*);
std::atomic<MutexCall> g_lock{nullptr}, g_tryLock{nullptr}, g_unlock{nullptr};
std::atomic<int (*)()> g_rand{nullptr};
std::atomic<int (*)(int)> g_fsync{nullptr};
} // namespace

// The replacements pair malloc with free themselves; the compiler cannot see that through inlining.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size)
{
    if (g_armed.load(std::memory_order_relaxed) || t_counting)
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

#pragma GCC diagnostic pop

extern "C"
{
    int pthread_mutex_lock(pthread_mutex_t* mutex)
    {
        t_locks += t_counting;
        const int result = real(g_lock, "pthread_mutex_lock")(mutex);
        t_held += result == 0;
        return result;
    }

    int pthread_mutex_trylock(pthread_mutex_t* mutex)
    {
        t_locks += t_counting;
        const int result = real(g_tryLock, "pthread_mutex_trylock")(mutex);
        t_held += result == 0;
        return result;
    }

    int pthread_mutex_unlock(pthread_mutex_t* mutex)
    {
        const int result = real(g_unlock, "pthread_mutex_unlock")(mutex);
        t_held -= result == 0;
        return result;
    }

    int rand() noexcept
    {
        t_randomDraws += t_counting;
        return real(g_rand, "rand")();
    }

    int fsync(int fd)
    {
        ++t_fileSyncs;
        t_heldDuringSync = std::max(t_heldDuringSync, t_held);
        return real(g_fsync, "fsync")(fd);
    }
}

using namespace latiphonix;

namespace
{

using AllocationTest = ProductTest;

TEST_F(AllocationTest, ProcessDoesNotAllocate)
{
    prepare(48000.0, 512);
    set(kIidEnabled, 1.0f, kResolution, 0.009f, kItdEnabled, 1.0f, kItdFill, 1.0f, kDynamics, 1.0f,
        kDynamicsShape, 0.004f, kAnalysis, 1.0f, kPhaseShift, 0.2f, kBalance, 0.3f, kAutoLevel, 1.0f);
    tick();
    settle(8192);

    for (int blockSize : {64, 512, 4096})
    {
        auto signal = makeMonoNoise(200 * 1024, 0.5f, unsigned(blockSize));
        juce::MidiBuffer midi;
        g_allocations.store(0);
        g_armed.store(true);
        for (int start = 0; start + blockSize <= signal.size(); start += blockSize)
        {
            float* channels[] = {signal.left.data() + start, signal.right.data() + start};
            juce::AudioBuffer<float> buffer(channels, 2, blockSize);
            processor->processBlock(buffer, midi);
        }
        g_armed.store(false);
        EXPECT_EQ(g_allocations.load(), 0) << blockSize;
    }
    // The counter does see allocations: the check above is not vacuous.
    g_armed.store(true);
    auto* probe = new std::vector<float>(16);
    g_armed.store(false);
    delete probe;
    EXPECT_GT(g_allocations.load(), 0);
}

TEST_F(AllocationTest, BlockWhereTheAnalysisEndsAndAPersistentValueChangesNeitherLocksNorAllocates)
{
    // The hooks count: a lock, a draw and a sync on a counting thread are seen.
    long probeLocks = 0, probeDraws = 0;
    std::thread(
        [&]
        {
            t_counting = true;
            std::mutex probe;
            probe.lock();
            probe.unlock();
            (void)std::rand();
            t_counting = false;
            probeLocks = t_locks;
            probeDraws = t_randomDraws;
        })
        .join();
    EXPECT_EQ(probeLocks, 1);
    EXPECT_EQ(probeDraws, 1);

    prepare(48000.0, 512);
    algo().setClock(&manualClock);
    // Random Dynamics shapes draw at every wrap of the phase: a fast rate wraps within the measured block.
    set(kIidEnabled, 1.0f, kResolution, 0.009f, kDynamics, 1.0f, kDynamicsShape, 0.003f, kDynamicsDepth, 1.0f,
        kDynamicsSpeed, 1.0f, kAnalysis, 0.0f);
    tick();
    settle(60 * 1024);
    algo().markAnalysisStart();
    settle(8192);
    manualNow += 3000;

    // The host's audio thread: one block ends the analysis, and 24,000 samples wrap the phase.
    long allocations = -1, locks = -1, draws = -1;
    g_allocations.store(0);
    std::thread audio(
        [&]
        {
            auto signal = makeMonoNoise(24576, 0.5f, 3u);
            juce::MidiBuffer midi;
            t_counting = true;
            for (int start = 0; start < signal.size(); start += 512)
            {
                float* channels[] = {signal.left.data() + start, signal.right.data() + start};
                juce::AudioBuffer<float> buffer(channels, 2, 512);
                processor->processBlock(buffer, midi);
            }
            t_counting = false;
            allocations = g_allocations.exchange(0);
            locks = t_locks;
            draws = t_randomDraws;
        });
    audio.join();
    EXPECT_FALSE(algo().isAnalysisRunning());
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(locks, 0);
    EXPECT_EQ(draws, 0);

    // A persistent value changed on a host thread reaches the settings file from the message thread, with
    // no lock held, at the next timer tick, together with the analysis result.
    const float routing = processor->getParameterRecord(9000).getValue() == 0.002f ? 0.001f : 0.002f;
    long hostSyncs = -1;
    std::thread host(
        [&]
        {
            processor->setParameterInternal(9000, routing, true, false, true);
            hostSyncs = t_fileSyncs;
        });
    host.join();
    EXPECT_EQ(hostSyncs, 0);
    EXPECT_EQ(get(kAutoLevel), 0.0f);

    // The store holds its own writer lock while it syncs; a direct write shows how many that is.
    const float unrelated = 0.5f;
    t_heldDuringSync = 0;
    vk::registry::writeProductFloat("Unrelated", &unrelated);
    const int storeLocks = t_heldDuringSync;
    t_fileSyncs = 0;
    t_heldDuringSync = 0;
    tick();
    EXPECT_GE(t_fileSyncs, 1);
    EXPECT_EQ(t_heldDuringSync, storeLocks);
    EXPECT_EQ(vk::registry::readProductFloat("RoutingDefault"), routing);
    EXPECT_EQ(get(kAutoLevel), 1.0f);
}

} // namespace
