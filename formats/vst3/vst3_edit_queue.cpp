#include "formats/vst3/vst3_edit_queue.h"

namespace vk::vst3
{

bool EditQueue::push(int id, float value) noexcept
{
    if (id < 0 || id >= kCapacity)
        return false;
    m_values[std::size_t(id)].store(value, std::memory_order_release);
    m_pending[std::size_t(id)].store(true, std::memory_order_release);
    m_any.store(true, std::memory_order_release);
    return true;
}

} // namespace vk::vst3
