#include "processor/vk_processor_base.h"

#include "processor/vk_registry.h"

static_assert(VkPersistentWrites::kCapacity == VkJuceProcessorBase::kPersistentCapacity,
              "one entry per persistent id");

// Persistent values reach the settings store from the message thread, outside the undo lock: the setter
// that changes them may run on the audio thread, and the store's write rewrites a file and syncs it.

void VkJuceProcessorBase::storePersistentParameter(int id, float value)
{
    const auto& record = getParameterRecord(id);
    if (value == record.getValue() || classify(id) != ParameterSet::Persistent)
        return;
    m_persistentWrites.post(id - kPersistentBase, juce::jlimit(0.0f, 1.0f, value));
}

void VkJuceProcessorBase::flushPersistentWrites()
{
    m_persistentWrites.flush(
        [this](int slot, float value)
        { vk::registry::writeProductFloat(getParameterRecord(kPersistentBase + slot).key, &value); });
}
