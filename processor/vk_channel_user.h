#pragma once

// Marks the classes that work on the processor's channel layout (processor, algorithm, editor, controls)
// so that channel helpers can be shared between them later without another base. Holds nothing.
class VkJuceChannelUser
{
public:
    virtual ~VkJuceChannelUser() = default;
};
