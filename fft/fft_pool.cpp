#include "fft/fft_pool.h"

#include "fft/vk_fft.h"

#include <sched.h>

FftInstancePool fftInstancePool;

namespace
{

// A size class as a type, so that each pool row is a plain array built by the default constructor.
template <int SizeClass>
struct FftSizeInstanceOf : FftSizeInstance
{
    FftSizeInstanceOf() : FftSizeInstance(SizeClass) {}
};

// The rows are built ahead of ordinary static constructors (init_priority) so that code running during static
// initialisation elsewhere may already transform. Within this file they are built in the order written,
// slot 0 first, and destroyed in reverse at exit.
#define VK_FFT_POOL_ROW(SizeClass, name)                                                                     \
    __attribute__((init_priority(101))) FftSizeInstanceOf<SizeClass> name[kFftPoolSlots]

VK_FFT_POOL_ROW(8, gInstances256);
VK_FFT_POOL_ROW(9, gInstances512);
VK_FFT_POOL_ROW(10, gInstances1024);
VK_FFT_POOL_ROW(11, gInstances2048);
VK_FFT_POOL_ROW(12, gInstances4096);
VK_FFT_POOL_ROW(13, gInstances8192);
VK_FFT_POOL_ROW(14, gInstances16384);
VK_FFT_POOL_ROW(15, gInstances32768);
VK_FFT_POOL_ROW(16, gInstances65536);
VK_FFT_POOL_ROW(17, gInstances131072);

#undef VK_FFT_POOL_ROW

// Immediate compare-and-swap attempts before the lock starts yielding the processor between attempts.
constexpr int kSpinAttempts = 22;

bool tryLockPool()
{
    uint32_t expected = 0;
    return fftInstancePool.poolLock.compare_exchange_strong(expected, 1u, std::memory_order_seq_cst);
}

void lockPool()
{
    for (int attempt = 0; attempt < kSpinAttempts; ++attempt)
    {
        if (tryLockPool())
            return;
    }
    // The holder only scans sixteen bytes, so a long wait means it was preempted: give it the processor.
    for (;;)
    {
        sched_yield();
        if (tryLockPool())
            return;
    }
}

void unlockPool()
{
    uint32_t expected = 1;
    fftInstancePool.poolLock.compare_exchange_strong(expected, 0u, std::memory_order_seq_cst);
}

} // namespace

int fftAcquireInstance(int sizeClass)
{
    std::atomic<uint8_t>* row = fftInstancePool.busyFlags[sizeClass];
    lockPool();
    for (int slot = 0; slot < kFftPoolSlots; ++slot)
    {
        // Acquire pairs with the borrower's release store, so its last writes to the instance are visible.
        if (row[slot].load(std::memory_order_acquire) == 0)
        {
            row[slot].store(1, std::memory_order_relaxed);
            unlockPool();
            return slot;
        }
    }
    unlockPool();
    return -1;
}

int fftAcquireInstanceWaiting(int sizeClass)
{
    for (;;)
    {
        const int slot = fftAcquireInstance(sizeClass);
        if (slot >= 0)
            return slot;
    }
}

void fftReleaseInstance(int sizeClass, int slot)
{
    fftInstancePool.busyFlags[sizeClass][slot].store(0, std::memory_order_release);
}

FftSizeInstance& fftPoolInstance(int sizeClass, int slot)
{
    switch (sizeClass)
    {
    case 8:
        return gInstances256[slot];
    case 9:
        return gInstances512[slot];
    case 10:
        return gInstances1024[slot];
    case 11:
        return gInstances2048[slot];
    case 12:
        return gInstances4096[slot];
    case 13:
        return gInstances8192[slot];
    case 14:
        return gInstances16384[slot];
    case 15:
        return gInstances32768[slot];
    case 16:
        return gInstances65536[slot];
    default:
        return gInstances131072[slot];
    }
}

void fftResetPool()
{
    for (auto& row : fftInstancePool.busyFlags)
    {
        for (auto& flag : row)
            flag.store(0, std::memory_order_release);
    }
}
