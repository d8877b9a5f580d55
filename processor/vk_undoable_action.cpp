#include "processor/vk_undoable_action.h"

#include "processor/vk_processor_base.h"

VkJuceUndoableAction::VkJuceUndoableAction(VkJuceProcessorBase* processor, int index, float oldValue,
                                           float newValue, bool reportToHost)
    : m_processor(processor), m_index(index), m_oldValue(oldValue), m_newValue(newValue),
      m_reportToHost(reportToHost)
{
}

bool VkJuceUndoableAction::perform()
{
    if (m_processor != nullptr)
    {
        m_processor->applyParameterValue(m_index, m_newValue, m_reportToHost);
        m_reportToHost = true;
    }
    return true;
}

bool VkJuceUndoableAction::undo()
{
    if (m_processor != nullptr)
        m_processor->applyParameterValue(m_index, m_oldValue, m_reportToHost);
    return true;
}

juce::UndoableAction* VkJuceUndoableAction::createCoalescedAction(juce::UndoableAction* nextAction)
{
    auto* next = dynamic_cast<VkJuceUndoableAction*>(nextAction);
    if (next == nullptr || next->m_index != m_index || next->m_newValue == m_newValue)
        return nullptr;
    return new VkJuceUndoableAction(m_processor, m_index, m_oldValue, next->m_newValue, m_reportToHost);
}
