#include "formats/identity/vk_capabilities.h"

namespace vk::identity
{

CapabilityRecord& capabilityRecord()
{
    static CapabilityRecord record;
    return record;
}

bool getCapabilityDefault(int numInputs, int numOutputs)
{
    auto& record = capabilityRecord();
    if (auto* delegate = record.delegate.load())
        return delegate->getCapabilityDefault(numInputs, numOutputs);
    return record.capabilityDefault;
}

bool isChannelConfigSupported(int numInputs, int numOutputs)
{
    auto& record = capabilityRecord();
    if (auto* delegate = record.delegate.load())
        return delegate->isChannelConfigSupported(numInputs, numOutputs);
    return record.channelConfigDefault;
}

} // namespace vk::identity
