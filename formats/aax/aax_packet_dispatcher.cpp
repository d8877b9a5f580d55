#include "formats/aax/aax_packet_dispatcher.h"

namespace vk::aax
{

void AAX_CPacketDispatcher::Initialize(AAX_IController* controller, const void* effectParameters)
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_controller = controller;
    m_effectParameters = effectParameters;
}

void AAX_CPacketDispatcher::SetDirty(const char* identifier)
{
    if (identifier == nullptr)
        return;
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    const auto found = m_dirtyByIdentifier.find(identifier);
    if (found != m_dirtyByIdentifier.end())
        found->second = true;
}

void AAX_CPacketDispatcher::Dispatch()
{
    const std::lock_guard<std::recursive_mutex> guard(m_lock);
    for (auto& [identifier, dirty] : m_dirtyByIdentifier)
        dirty = false;
}

} // namespace vk::aax
