#pragma once

// Coefficient packets for the host's real-time side, keyed by parameter identifier: a change marks the
// packets of its parameter dirty, GenerateCoefficients posts the dirty ones. This effect registers no
// packet (its processor takes values directly), so the table stays empty; the lock still serialises a
// host that marks and posts from different threads. The lock may be taken again by its owner.
// [the host's threads]

#include "formats/aax/aax_controller.h"

#include <map>
#include <mutex>
#include <string>

namespace vk::aax
{

class AAX_CPacketDispatcher
{
public:
    void Initialize(AAX_IController* controller, const void* effectParameters);
    void SetDirty(const char* identifier);
    void Dispatch();

private:
    std::recursive_mutex m_lock;
    std::map<std::string, bool> m_dirtyByIdentifier;
    AAX_IController* m_controller = nullptr;
    const void* m_effectParameters = nullptr;
};

} // namespace vk::aax
