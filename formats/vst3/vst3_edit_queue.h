#pragma once

// Parameter reports and gestures waiting for the message thread. The processor reports changes on
// whatever thread made them, the audio thread included; the host must hear of them through beginEdit,
// performEdit and endEdit on its message thread. Each slot notes that one parameter id has news, so a burst
// of changes becomes one edit, and the edit carries the value the processor holds when it goes out: a
// report that waited never sends the host a value older than the processor's (two rules between values
// that moved in one moment end as the processor ends them).
// A report made while the processor is being set up is only a confirmation of the values it holds: it is
// kept apart, so the drainer can hold it back until the host's own values have reached the processor,
// and a real change to the same id made in the meantime turns it back into an edit.
// A restored state drops every report still waiting: the host has just handed over values of its own.
// Gestures: a host reads beginEdit and endEdit as the user touching and letting go of a control, so a
// gesture's edits go out between one beginEdit and one endEdit, and only an edit made outside every
// gesture is bracketed on its own. The begin the host has not yet heard goes out before the first edit
// of its gesture, and the end after the last, whichever thread made them.
// Restarts: what the host has to read again (restartComponent flags, and kStateChanged) collects until a
// handler takes it.
// push, beginGesture, endGesture, requestRestart, dropReports: [any thread] lock-free, no allocation.
// drain, takeRestart: [one thread at a time].

#include <array>
#include <atomic>
#include <cstdint>

namespace vk::vst3
{

class EditQueue
{
public:
    static constexpr int kCapacity = 256;
    // Not a restart flag of the host's: the saved state changed in a way no parameter edit tells the host
    // (a program's name), so it is to mark its session modified.
    static constexpr std::int32_t kStateChanged = std::int32_t(1) << 24;

    enum class HostCall
    {
        Begin,
        Perform,
        End
    };

    // Notes news of `id`; false when it has no slot (the report is dropped). `confirmation`: a set-up
    // report (see above).
    bool push(int id, bool confirmation = false) noexcept;
    // The user takes hold of the control of `id` / lets go of it. A begin while held and an end while not
    // held change nothing (false then, and for an id without a slot).
    bool beginGesture(int id) noexcept;
    bool endGesture(int id) noexcept;
    void requestRestart(std::int32_t flags) noexcept { m_restart.fetch_or(flags, std::memory_order_acq_rel); }
    // The flags among `wanted` asked for since they were last taken; 0 when none. The others stay.
    std::int32_t takeRestart(std::int32_t wanted) noexcept
    {
        return m_restart.fetch_and(~wanted, std::memory_order_acq_rel) & wanted;
    }

    // Whether an edit, a gesture or a restart waits.
    bool hasPending() const noexcept
    {
        return m_any.load(std::memory_order_acquire) || m_restart.load(std::memory_order_acquire) != 0;
    }

    // Forgets every report still waiting, changes and confirmations: the host has just handed over values
    // of its own (a restored state), and any edit from before would undo them. Gestures stay.
    void dropReports() noexcept;

    // Calls call(HostCall, id, value) for what the host has to hear of each id, in id order;
    // confirmations stay pending unless `withConfirmations`. A report goes out as the value
    // current(id, value&) gives, read just before its edit, and not at all when current answers false
    // (no processor left to ask), so the host never hears a begin and end without an edit between.
    // `endAll`: the host is about to be let go of, so every gesture it holds ends in this pass, even one
    // the user still holds.
    template <typename CallFn, typename CurrentFn>
    void drain(CallFn&& call, CurrentFn&& current, bool withConfirmations = true, bool endAll = false)
    {
        m_any.store(false, std::memory_order_release);
        bool heldBack = false;
        for (int id = 0; id < kCapacity; ++id)
        {
            const auto slot = std::size_t(id);
            // Read before the news: an end seen here comes after every change made before it.
            const std::uint32_t before = m_gestures[slot].load(std::memory_order_acquire);
            auto& state = m_states[slot];
            std::uint8_t was = state.load(std::memory_order_acquire);
            while (was != kIdle && (withConfirmations || was == kChange) &&
                   !state.compare_exchange_weak(was, kIdle, std::memory_order_acq_rel))
            {
            }
            heldBack = heldBack || (was == kConfirmation && !withConfirmations);
            float value = 0.0f;
            const bool hasValue =
                (was == kChange || (was == kConfirmation && withConfirmations)) && current(id, value);
            // Read after the news: a begin made before the change is seen with it. A gesture that moved
            // in between counts as held: the next pass, which that move asked for, ends it.
            const std::uint32_t gesture = m_gestures[slot].load(std::memory_order_acquire);
            const std::uint32_t generation = gesture >> 1;
            const bool held = ((gesture & kHeld) != 0 || gesture != before) && !endAll;
            const bool began = generation != m_hostGeneration[slot];
            bool& open = m_hostOpen[slot];
            if (!hasValue && !began && !(open && !held))
                continue;
            m_hostGeneration[slot] = generation;

            // The host's gesture ended before the user's next one began.
            if (began && open)
            {
                call(HostCall::End, id, 0.0f);
                open = false;
            }
            if (began && (hasValue || held))
            {
                call(HostCall::Begin, id, 0.0f);
                open = true;
            }
            if (hasValue)
            {
                if (!open)
                    call(HostCall::Begin, id, 0.0f);
                call(HostCall::Perform, id, value);
                if (!open)
                    call(HostCall::End, id, 0.0f);
            }
            if (open && !held)
            {
                call(HostCall::End, id, 0.0f);
                open = false;
            }
        }
        if (heldBack)
            m_any.store(true, std::memory_order_release);
    }

private:
    // One state per slot, so that a change and a confirmation never pass each other half-way.
    static constexpr std::uint8_t kIdle = 0;
    static constexpr std::uint8_t kConfirmation = 1;
    static constexpr std::uint8_t kChange = 2;
    // A slot's gesture word: the number of gestures begun so far above this bit, set while one is held.
    static constexpr std::uint32_t kHeld = 1;

    std::array<std::atomic<std::uint8_t>, kCapacity> m_states{};
    std::array<std::atomic<std::uint32_t>, kCapacity> m_gestures{};
    std::atomic<bool> m_any{false};
    std::atomic<std::int32_t> m_restart{0};

    // The drainer's own record of what the host has heard: the last gesture it was told of, and whether
    // that gesture is still open there.
    std::array<std::uint32_t, kCapacity> m_hostGeneration{};
    std::array<bool, kCapacity> m_hostOpen{};
};

} // namespace vk::vst3
