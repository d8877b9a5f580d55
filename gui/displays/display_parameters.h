#pragma once

class VkJuceProcessorBase;

namespace vk
{

/** [message thread] Sets a parameter the way a display moves it: unbound (9999) and unknown indexes are
    skipped, non-finite values refused, the value clamped to 0..1 and sent (reported to the host) only when
    it differs from the parameter's current value. Returns whether it was sent. */
bool setDisplayParameter(VkJuceProcessorBase* processor, int index, float value);

} // namespace vk
