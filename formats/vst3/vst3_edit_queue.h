#pragma once

// Parameter reports waiting for the message thread. The processor reports changes on whatever thread
// made them, the audio thread included; the host must hear of them through performEdit on its message
// thread. Each slot holds the latest value of one parameter id, so a burst of changes becomes one edit.
// A report made while the processor is being set up is only a confirmation of the values it holds: it is
// kept apart, so the drainer can hold it back until the host's own values have reached the processor,
// and a real change to the same id made in the meantime turns it back into an edit.
// push: [any thread] lock-free, no allocation. drain: [message thread, one drainer at a time].

#include <array>
#include <atomic>

namespace vk::vst3
{

class EditQueue
{
public:
    static constexpr int kCapacity = 256;

    // False when `id` has no slot (the report is dropped). `confirmation`: a set-up report (see above).
    bool push(int id, float value, bool confirmation = false) noexcept;
    void requestRestart() noexcept { m_restart.store(true, std::memory_order_release); }

    bool hasPending() const noexcept { return m_any.load(std::memory_order_acquire); }

    // Calls edit(id, value, confirmation) for every pending id in id order; confirmations stay pending
    // unless `withConfirmations`. True when a restart was requested.
    template <typename EditFn>
    bool drain(EditFn&& edit, bool withConfirmations = true)
    {
        m_any.store(false, std::memory_order_release);
        bool heldBack = false;
        for (int id = 0; id < kCapacity; ++id)
        {
            const auto slot = std::size_t(id);
            if (!withConfirmations && m_confirmation[slot].load(std::memory_order_acquire))
            {
                heldBack = heldBack || m_pending[slot].load(std::memory_order_acquire);
                continue;
            }
            if (m_pending[slot].exchange(false, std::memory_order_acq_rel))
                edit(id, m_values[slot].load(std::memory_order_acquire),
                     m_confirmation[slot].exchange(false, std::memory_order_acq_rel));
        }
        if (heldBack)
            m_any.store(true, std::memory_order_release);
        return m_restart.exchange(false, std::memory_order_acq_rel);
    }

private:
    std::array<std::atomic<float>, kCapacity> m_values{};
    std::array<std::atomic<bool>, kCapacity> m_pending{};
    std::array<std::atomic<bool>, kCapacity> m_confirmation{};
    std::atomic<bool> m_any{false};
    std::atomic<bool> m_restart{false};
};

} // namespace vk::vst3
