#pragma once

#include "fft/fft_instance.h"

#include <atomic>
#include <cstdint>

/** Instances lent out per size class, and the rows of the busy table (indexed by size class, so rows 0 .. 7
    exist but are never used). */
constexpr int kFftPoolSlots = 16;
constexpr int kFftBusyRows = kFftMaxSizeClass + 1;

/** Bookkeeping of the process-wide instance pool. Zero-initialised (all slots free, lock free) before any
    code runs, so it is valid even for callers that run during static initialisation. */
struct FftInstancePool
{
    /** 1 while [size class][slot] is lent to a call, 0 while free. Set only under `poolLock`; cleared by the
        borrower with a release store, without the lock. */
    std::atomic<uint8_t> busyFlags[kFftBusyRows][kFftPoolSlots];

    /** 0 = free, 1 = held; changed only by compare-and-swap. Guards the scan-and-set of `busyFlags`. */
    std::atomic<uint32_t> poolLock;
};

static_assert(std::atomic<uint8_t>::is_always_lock_free, "busy flags must be lock-free");
static_assert(std::atomic<uint32_t>::is_always_lock_free, "the pool lock must be lock-free");

extern FftInstancePool fftInstancePool;

/** Lends the lowest free slot of the size class (8 .. 17) and returns it, or returns -1 when all sixteen are
    lent. [any thread] No allocation; yields the processor only while the pool lock is contended. */
int fftAcquireInstance(int sizeClass);

/** Calls fftAcquireInstance until it returns a slot. [any thread] No allocation. */
int fftAcquireInstanceWaiting(int sizeClass);

/** Returns a slot obtained from fftAcquireInstance (release store; no lock). [any thread, slot owner] */
void fftReleaseInstance(int sizeClass, int slot);

/** The pooled instance [size class][slot]. Built before main (and before ordinary static constructors) and
    destroyed at exit. [any thread] Only the borrower of the slot may use the instance. */
FftSizeInstance& fftPoolInstance(int sizeClass, int slot);
