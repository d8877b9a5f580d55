#pragma once

// One parameter change in the undo history. Successive changes of one parameter in a transaction merge
// into a single step from the first old value to the last new value, so a drag undoes in one go.
// [any thread, undo lock held] Allocates when merging.

#include <juce_data_structures/juce_data_structures.h>

class VkJuceProcessorBase;

class VkJuceUndoableAction : public juce::UndoableAction
{
public:
    VkJuceUndoableAction(VkJuceProcessorBase* processor, int index, float oldValue, float newValue,
                         bool reportToHost);

    // Applies the new value. Only the first perform may stay silent towards the host; a redo is
    // something the host has not seen yet, so it is always reported.
    bool perform() override;
    bool undo() override;
    juce::UndoableAction* createCoalescedAction(juce::UndoableAction* nextAction) override;

    int getIndex() const noexcept { return m_index; }
    float getOldValue() const noexcept { return m_oldValue; }
    float getNewValue() const noexcept { return m_newValue; }

private:
    VkJuceProcessorBase* m_processor;
    int m_index;
    float m_oldValue;
    float m_newValue;
    bool m_reportToHost;
};
