#include "processor/vk_processor_base.h"

#include "processor/vk_registry.h"

#include <cmath>

ParameterRecord& VkJuceProcessorBase::getDummyParameterRecord()
{
    // Shared by every processor of the module: reads give some value and writes land somewhere harmless.
    static ParameterRecord dummy;
    return dummy;
}

ParameterRecord& VkJuceProcessorBase::getParameterRecord(int id)
{
    if (id >= 0 && id < m_numMain)
        return m_mainParameters[std::size_t(id)];
    if (id >= kPersistentBase && id < kPersistentBase + m_numPersistent)
        return m_persistentParameters[std::size_t(id - kPersistentBase)];
    if (id >= kTransientBase && id < kTransientBase + m_numTransient)
        return m_transientParameters[std::size_t(id - kTransientBase)];
    return getDummyParameterRecord();
}

VkJuceProcessorBase::ParameterSet VkJuceProcessorBase::classify(int index) const noexcept
{
    if (index >= 0 && index < m_numMain)
        return ParameterSet::Main;
    if (index >= kPersistentBase && index < kPersistentBase + m_numPersistent)
        return ParameterSet::Persistent;
    if (index >= kTransientBase && index < kTransientBase + m_numTransient)
        return ParameterSet::Transient;
    return ParameterSet::Other;
}

void VkJuceProcessorBase::setParameterCounts(int numMain, int numPersistent, int numTransient)
{
    m_numMain = juce::jlimit(0, kMainCapacity, numMain);
    m_numPersistent = juce::jlimit(0, kPersistentCapacity, numPersistent);
    m_numTransient = juce::jlimit(0, kTransientCapacity, numTransient);
}

void VkJuceProcessorBase::finishParameterRegistration()
{
    for (int i = 0; i < m_numMain; ++i)
    {
        auto& record = m_mainParameters[std::size_t(i)];
        const float value = record.getValue();
        if (record.key.isEmpty())
            record.key = getParameterKey(i);
        record.defaultValue.store(value);
        record.lastValue.store(value);
        record.gestureHeld.store(false);
    }
}

int VkJuceProcessorBase::getNumParameters()
{
    return m_numMain;
}

float VkJuceProcessorBase::getParameter(int index)
{
    if (index < 0 || index >= m_numMain)
        return 0.0f;
    return m_mainParameters[std::size_t(index)].getValue();
}

void VkJuceProcessorBase::setParameter(int index, float value)
{
    if (index >= 0 && index < m_numMain)
        setParameterInternal(index, value, false, false, true);
}

bool VkJuceProcessorBase::registerPersistentParameter(const juce::String& key, int id, float defaultValue)
{
    // Only the product's own sets may take a key: the dummy record is shared between processors, and
    // writing its key from two of them at once would race.
    if (classify(id) != ParameterSet::Persistent)
        return false;
    auto& record = getParameterRecord(id);
    record.key = key;
    record.defaultValue.store(defaultValue);
    // The store is a file anyone may edit: a value that is not a number could never be clamped or
    // turned into a choice, so it reads as absent.
    const auto stored = vk::registry::readProductFloat(key);
    record.value.store(stored && std::isfinite(*stored) ? *stored : defaultValue);
    return true;
}

bool VkJuceProcessorBase::registerTransientParameter(const juce::String& key, int id, float defaultValue)
{
    if (classify(id) != ParameterSet::Transient)
        return false;
    auto& record = getParameterRecord(id);
    record.key = key;
    record.defaultValue.store(defaultValue);
    record.value.store(defaultValue);
    return true;
}

void VkJuceProcessorBase::clearGuiDirtyFlags()
{
    for (int i = 0; i < kMainCapacity; ++i)
        m_mainParameters[std::size_t(i)].guiDirty.store(false);
    for (int i = 0; i < kPersistentCapacity; ++i)
        m_persistentParameters[std::size_t(i)].guiDirty.store(false);
    for (int i = 0; i < kTransientCapacity; ++i)
        m_transientParameters[std::size_t(i)].guiDirty.store(false);
}

void VkJuceProcessorBase::refreshAllParameters()
{
    for (int i = 0; i < m_numMain; ++i)
    {
        handleFrameworkParameter(i);
        m_refreshAll.store(true);
    }
    for (int i = 0; i < m_numPersistent; ++i)
    {
        handleFrameworkParameter(kPersistentBase + i);
        m_refreshAll.store(true);
    }
    for (int i = 0; i < m_numTransient; ++i)
    {
        handleFrameworkParameter(kTransientBase + i);
        m_refreshAll.store(true);
    }
    m_refreshAll.store(true);
}

void VkJuceProcessorBase::captureParameterValues(float* out)
{
    for (int i = 0; i < m_numMain; ++i)
        out[i] = m_mainParameters[std::size_t(i)].getValue();
}

void VkJuceProcessorBase::pushLinkedParameter(int first, int second, bool above, float gap)
{
    const auto& firstRecord = getParameterRecord(first);
    const float firstValue = firstRecord.getValue();
    const float secondValue = getParameterRecord(second).getValue();
    const bool fromHost = firstRecord.changedByHost.load();

    if (above)
    {
        if (firstValue + gap > secondValue)
            setParameterInternal(second, std::min(1.0f, firstValue + gap), !fromHost, false, fromHost);
    }
    else if (secondValue > firstValue - gap)
    {
        setParameterInternal(second, std::max(0.0f, firstValue - gap), !fromHost, false, fromHost);
    }
}
