#pragma once

// Parameter reports waiting for the message thread. The processor reports changes on whatever thread
// made them, the audio thread included; the host must hear of them through performEdit on its message
// thread. Each slot holds the latest value of one parameter id, so a burst of changes becomes one edit.
// A report made while the processor is being set up is only a confirmation of the values it holds: it is
// kept apart, so the drainer can hold it back until the host's own values have reached the processor,
// and a real change to the same id made in the meantime turns it back into an edit.
// push: [any thread] lock-free, no allocation. drain, dropConfirmations: [message or host main thread,
// one at a time].

#include <array>
#include <atomic>
#include <cstdint>

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

    // Forgets the confirmations still waiting: the host has just handed over values of its own (a
    // restored state), and confirming the ones before would be edits it never made. Changes stay.
    void dropConfirmations() noexcept;

    // Calls edit(id, value, confirmation) for every pending id in id order; confirmations stay pending
    // unless `withConfirmations`. True when a restart was requested.
    template <typename EditFn>
    bool drain(EditFn&& edit, bool withConfirmations = true)
    {
        m_any.store(false, std::memory_order_release);
        bool heldBack = false;
        for (int id = 0; id < kCapacity; ++id)
        {
            auto& state = m_states[std::size_t(id)];
            std::uint8_t was = state.load(std::memory_order_acquire);
            while (was != kIdle && (withConfirmations || was == kChange) &&
                   !state.compare_exchange_weak(was, kIdle, std::memory_order_acq_rel))
            {
            }
            if (was == kIdle)
                continue;
            if (was == kConfirmation && !withConfirmations)
            {
                heldBack = true;
                continue;
            }
            edit(id, m_values[std::size_t(id)].load(std::memory_order_acquire), was == kConfirmation);
        }
        if (heldBack)
            m_any.store(true, std::memory_order_release);
        return m_restart.exchange(false, std::memory_order_acq_rel);
    }

private:
    // One state per slot, so that a change and a confirmation never pass each other half-way.
    static constexpr std::uint8_t kIdle = 0;
    static constexpr std::uint8_t kConfirmation = 1;
    static constexpr std::uint8_t kChange = 2;

    std::array<std::atomic<float>, kCapacity> m_values{};
    std::array<std::atomic<std::uint8_t>, kCapacity> m_states{};
    std::atomic<bool> m_any{false};
    std::atomic<bool> m_restart{false};
};

} // namespace vk::vst3
