#include "display_parameters.h"

#include "controls/vk_juce_control.h"

#include "processor/vk_processor_base.h"

#include <cmath>

namespace vk
{

bool setDisplayParameter(VkJuceProcessorBase* processor, int index, float value)
{
    if (processor == nullptr || index == VkJuceControl::noParameter || index < 0 || !std::isfinite(value))
        return false;
    value = juce::jlimit(0.0f, 1.0f, value);
    auto& record = processor->getParameterRecord(index);
    if (&record == &VkJuceProcessorBase::getDummyParameterRecord() || record.getValue() == value)
        return false;
    processor->setParameterInternal(index, value, true, false, false);
    return true;
}

} // namespace vk
