#include "processor/vk_processor_base.h"

#include <cmath>

bool VkJuceProcessorBase::isParamMapVersionKnown(bool persistent) const noexcept
{
    return persistent ? m_persistentMapVersionKnown.load() : m_sessionMapVersionKnown.load();
}

void VkJuceProcessorBase::setParamMapVersionKnown(bool persistent) noexcept
{
    (persistent ? m_persistentMapVersionKnown : m_sessionMapVersionKnown).store(true);
}

void VkJuceProcessorBase::writeParamMapVersion(int index, float value)
{
    if (!std::isfinite(value))
        return;
    value = juce::jlimit(0.0f, 1.0f, value);
    const auto set = classify(index);
    {
        const juce::ScopedLock lock(m_undoLock);
        auto& record = getParameterRecord(index);
        if (set == ParameterSet::Persistent)
            storePersistentParameter(index, value);
        record.lastValue.store(record.getValue());
        record.value.store(value);
        if (set == ParameterSet::Main)
        {
            // The program and its reference take the version together: opening an editor on a session
            // must not make its program look edited.
            writeCurrentProgramValue(index, value);
            m_referenceProgram->values[std::size_t(index)] = value;
        }
        record.guiDirty.store(true);
    }
    parameterChanged(index);
}
