#include "formats/aax/acf_unknown_object.h"

namespace vk::aax
{
namespace
{
std::atomic<std::int32_t> g_liveObjects{0};
}

CACFUnknown::CACFUnknown() noexcept : m_controlling(&m_private), m_private(*this)
{
    g_liveObjects.fetch_add(1, std::memory_order_acq_rel);
}

CACFUnknown::~CACFUnknown()
{
    g_liveObjects.fetch_sub(1, std::memory_order_acq_rel);
}

std::int32_t CACFUnknown::LiveObjectCount() noexcept
{
    return g_liveObjects.load(std::memory_order_acquire);
}

Result CACFUnknown::InternalQueryInterface(const Guid& iid, void** out)
{
    if (out == nullptr)
        return kResultNoSuchInterface;
    if (iid == kIID_IACFUnknown)
    {
        *out = &m_private;
        m_private.AddRef();
        return kResultOk;
    }
    *out = nullptr;
    return kResultNoSuchInterface;
}

std::uint32_t CACFUnknown::AddRef()
{
    return std::uint32_t(m_refCount.fetch_add(1, std::memory_order_acq_rel) + 1);
}

std::uint32_t CACFUnknown::Release()
{
    const std::int32_t count = m_refCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (count == 0)
    {
        FinalRelease();
        DestroySelf();
    }
    return std::uint32_t(count);
}

} // namespace vk::aax
