#pragma once

#include <array>
#include <atomic>
#include <memory>

/** Eight preallocated transform work buffers handed out one caller at a time.

    Threads: construction allocates [message thread]; acquire/release [any thread], lock-free, no
    allocation. A caller finding all eight busy retries, yielding the processor between full scans.
*/
class FftScratchPool
{
public:
    static constexpr int kBufferCount = 8;

    explicit FftScratchPool(int bufferLength = 1024);
    FftScratchPool(const FftScratchPool&) = delete;
    FftScratchPool& operator=(const FftScratchPool&) = delete;

    int getBufferLength() const noexcept { return m_bufferLength; }

    /** Returns the index of a buffer now owned by the caller (the lowest free one). */
    int acquire() noexcept;
    void release(int index) noexcept;
    double* buffer(int index) noexcept
    {
        return m_storage.get() + static_cast<size_t>(index) * m_bufferLength;
    }

    /** Holds one buffer for a scope. */
    class Lease
    {
    public:
        explicit Lease(FftScratchPool& pool) noexcept : m_pool(pool), m_index(pool.acquire()) {}
        ~Lease() { m_pool.release(m_index); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        double* data() noexcept { return m_pool.buffer(m_index); }

    private:
        FftScratchPool& m_pool;
        int m_index;
    };

private:
    int m_bufferLength;
    std::array<std::atomic<bool>, kBufferCount> m_busy{};
    std::unique_ptr<double[]> m_storage;
};

/** Base of the frequency-domain processors: the transform length and its scratch buffers.
    Threads: as FftScratchPool. */
class FreqDomainOperator
{
public:
    explicit FreqDomainOperator(int transformLength)
        : m_transformLength(transformLength), m_scratch(transformLength)
    {
    }

    int getTransformLength() const noexcept { return m_transformLength; }

protected:
    int m_transformLength;
    FftScratchPool m_scratch;
};
