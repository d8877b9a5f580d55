#include "formats/vst3/vst3_edit_queue.h"

namespace vk::vst3
{

bool EditQueue::push(int id, bool confirmation) noexcept
{
    if (id < 0 || id >= kCapacity)
        return false;
    const auto slot = std::size_t(id);
    if (confirmation)
    {
        // A confirmation never downgrades a change that is still waiting to be sent.
        std::uint8_t idle = kIdle;
        m_states[slot].compare_exchange_strong(idle, kConfirmation, std::memory_order_acq_rel);
    }
    else
    {
        m_states[slot].store(kChange, std::memory_order_release);
    }
    m_any.store(true, std::memory_order_release);
    return true;
}

bool EditQueue::beginGesture(int id) noexcept
{
    if (id < 0 || id >= kCapacity)
        return false;
    auto& gesture = m_gestures[std::size_t(id)];
    std::uint32_t was = gesture.load(std::memory_order_relaxed);
    do
    {
        if ((was & kHeld) != 0)
            return false;
    } while (!gesture.compare_exchange_weak(was, (((was >> 1) + 1) << 1) | kHeld, std::memory_order_acq_rel));
    m_any.store(true, std::memory_order_release);
    return true;
}

bool EditQueue::endGesture(int id) noexcept
{
    if (id < 0 || id >= kCapacity)
        return false;
    auto& gesture = m_gestures[std::size_t(id)];
    std::uint32_t was = gesture.load(std::memory_order_relaxed);
    do
    {
        if ((was & kHeld) == 0)
            return false;
    } while (!gesture.compare_exchange_weak(was, was & ~kHeld, std::memory_order_acq_rel));
    m_any.store(true, std::memory_order_release);
    return true;
}

void EditQueue::dropReports() noexcept
{
    for (auto& state : m_states)
        state.store(kIdle, std::memory_order_release);
}

} // namespace vk::vst3
