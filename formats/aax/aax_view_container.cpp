#include "formats/aax/aax_view_container.h"

namespace vk::aax
{

AAX_VViewContainer::AAX_VViewContainer(IACFUnknown* viewContainer) noexcept
    : m_container(acfQuery<IHostViewContainer>(viewContainer, kIID_ViewContainer))
{
}

std::int32_t AAX_VViewContainer::GetType()
{
    return forwardOr(std::int32_t(0), m_container.get(), &IHostViewContainer::GetType);
}
void* AAX_VViewContainer::GetPtr()
{
    return forwardOr(static_cast<void*>(nullptr), m_container.get(), &IHostViewContainer::GetPtr);
}
Result AAX_VViewContainer::GetModifiers(std::uint32_t* modifiers)
{
    return forwardOr(kResultNotImplemented, m_container.get(), &IHostViewContainer::GetModifiers, modifiers);
}
Result AAX_VViewContainer::SetViewSize(const ViewSize& size)
{
    return forwardOr(kResultOk, m_container.get(), &IHostViewContainer::SetViewSize, size);
}
Result AAX_VViewContainer::HandleParameterMouseDown(const char* parameterId, std::uint32_t modifiers)
{
    return forwardOr(kResultNotImplemented, m_container.get(), &IHostViewContainer::HandleParameterMouseDown,
                     parameterId, modifiers);
}
Result AAX_VViewContainer::HandleParameterMouseDrag(const char* parameterId, std::uint32_t modifiers)
{
    return forwardOr(kResultNotImplemented, m_container.get(), &IHostViewContainer::HandleParameterMouseDrag,
                     parameterId, modifiers);
}
Result AAX_VViewContainer::HandleParameterMouseUp(const char* parameterId, std::uint32_t modifiers)
{
    return forwardOr(kResultNotImplemented, m_container.get(), &IHostViewContainer::HandleParameterMouseUp,
                     parameterId, modifiers);
}

} // namespace vk::aax
