#pragma once

// Persistent values waiting for their write to the settings store.
//
// A persistent parameter may change on any thread, inside the undo lock, while the store's write rewrites
// a file and syncs it to disk. So the change only posts the value here, and the message thread writes the
// posted values later, holding no lock.
//
// Threads: post [any thread], lock-free, no allocation; flush [message thread].

#include <array>
#include <atomic>

class VkPersistentWrites
{
public:
    static constexpr int kCapacity = 100;

    // Remembers `value` as the next write of `slot` (0..kCapacity - 1); a later post replaces it.
    void post(int slot, float value) noexcept
    {
        if (slot < 0 || slot >= kCapacity)
            return;
        m_values[std::size_t(slot)].store(value, std::memory_order_relaxed);
        m_pending[std::size_t(slot)].store(true, std::memory_order_release);
        m_any.store(true, std::memory_order_release);
    }

    // Calls write(slot, value) once for every slot posted since the last flush, with its latest value.
    template <typename Write>
    void flush(Write&& write)
    {
        if (!m_any.exchange(false, std::memory_order_acq_rel))
            return;
        for (int slot = 0; slot < kCapacity; ++slot)
            if (m_pending[std::size_t(slot)].exchange(false, std::memory_order_acquire))
                write(slot, m_values[std::size_t(slot)].load(std::memory_order_relaxed));
    }

private:
    std::array<std::atomic<float>, kCapacity> m_values{};
    std::array<std::atomic<bool>, kCapacity> m_pending{};
    std::atomic<bool> m_any{false};
};
