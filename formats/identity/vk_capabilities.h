#pragma once

// What the plug-in says it can do when a host description is built (AAX reads it per input/output count).
// A product may install a delegate to decide per channel configuration; without one the defaults answer.
// Module-wide, read while descriptions are built. [any thread] No allocation.

#include <array>
#include <atomic>

namespace vk::identity
{

class CapabilityDelegate
{
public:
    virtual ~CapabilityDelegate() = default;
    virtual bool getCapabilityDefault(int numInputs, int numOutputs) = 0;
    virtual bool isChannelConfigSupported(int numInputs, int numOutputs) = 0;
};

struct CapabilityRecord
{
    std::atomic<CapabilityDelegate*> delegate{nullptr};
    bool capabilityDefault = true;
    bool channelConfigDefault = true;
    // Three further switches read by the AAX description; none of them is on in this product.
    std::array<bool, 3> descriptionFlags{};
};

// The one record of the module.
CapabilityRecord& capabilityRecord();

bool getCapabilityDefault(int numInputs, int numOutputs);
bool isChannelConfigSupported(int numInputs, int numOutputs);

} // namespace vk::identity
