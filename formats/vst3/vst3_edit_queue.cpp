#include "formats/vst3/vst3_edit_queue.h"

namespace vk::vst3
{

bool EditQueue::push(int id, float value, bool confirmation) noexcept
{
    if (id < 0 || id >= kCapacity)
        return false;
    const auto slot = std::size_t(id);
    m_values[slot].store(value, std::memory_order_release);
    if (confirmation)
    {
        // A confirmation never downgrades a change that is still waiting to be sent.
        if (!m_pending[slot].exchange(true, std::memory_order_acq_rel))
            m_confirmation[slot].store(true, std::memory_order_release);
    }
    else
    {
        m_confirmation[slot].store(false, std::memory_order_release);
        m_pending[slot].store(true, std::memory_order_release);
    }
    m_any.store(true, std::memory_order_release);
    return true;
}

} // namespace vk::vst3
