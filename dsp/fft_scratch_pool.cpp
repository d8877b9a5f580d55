#include "dsp/fft_scratch_pool.h"

#include <thread>

FftScratchPool::FftScratchPool(int bufferLength)
    : m_bufferLength(bufferLength > 0 ? bufferLength : 0),
      m_storage(new double[static_cast<size_t>(kBufferCount) * static_cast<size_t>(m_bufferLength)]())
{
    for (auto& flag : m_busy)
        flag.store(false, std::memory_order_relaxed);
}

int FftScratchPool::acquire() noexcept
{
    for (;;)
    {
        for (int i = 0; i < kBufferCount; ++i)
        {
            auto& flag = m_busy[static_cast<size_t>(i)];
            if (!flag.load(std::memory_order_relaxed) && !flag.exchange(true, std::memory_order_acquire))
                return i;
        }
        // All eight are held by transforms in flight; each is short, so give their threads the processor.
        std::this_thread::yield();
    }
}

void FftScratchPool::release(int index) noexcept
{
    if (index >= 0 && index < kBufferCount)
        m_busy[static_cast<size_t>(index)].store(false, std::memory_order_release);
}
