#pragma once

// Parameter reports waiting for the message thread. The processor reports changes on whatever thread
// made them, the audio thread included; the host must hear of them through performEdit on its message
// thread. Each slot holds the latest value of one parameter id, so a burst of changes becomes one edit.
// push: [any thread] lock-free, no allocation. drain: [message thread, one drainer at a time].

#include <array>
#include <atomic>

namespace vk::vst3
{

class EditQueue
{
public:
    static constexpr int kCapacity = 256;

    // False when `id` has no slot (the report is dropped).
    bool push(int id, float value) noexcept;
    void requestRestart() noexcept { m_restart.store(true, std::memory_order_release); }

    bool hasPending() const noexcept { return m_any.load(std::memory_order_acquire); }

    // Calls edit(id, value) for every pending id in id order; true when a restart was requested.
    template <typename EditFn>
    bool drain(EditFn&& edit)
    {
        m_any.store(false, std::memory_order_release);
        for (int id = 0; id < kCapacity; ++id)
            if (m_pending[std::size_t(id)].exchange(false, std::memory_order_acq_rel))
                edit(id, m_values[std::size_t(id)].load(std::memory_order_acquire));
        return m_restart.exchange(false, std::memory_order_acq_rel);
    }

private:
    std::array<std::atomic<float>, kCapacity> m_values{};
    std::array<std::atomic<bool>, kCapacity> m_pending{};
    std::atomic<bool> m_any{false};
    std::atomic<bool> m_restart{false};
};

} // namespace vk::vst3
