#include "vk_juce_audio_processor_editor.h"

#include <algorithm>

namespace vk
{

VkJuceAudioProcessorEditor::VkJuceAudioProcessorEditor(juce::AudioProcessor& processor)
    : juce::AudioProcessorEditor(processor)
{
}

VkJuceAudioProcessorEditor::~VkJuceAudioProcessorEditor() = default;

void VkJuceAudioProcessorEditor::addListener(juce::AudioProcessorEditorListener* listener)
{
    if (listener == nullptr)
        return;
    const juce::ScopedLock sl(listenerLock);
    if (std::find(listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back(listener);
}

juce::AudioProcessorEditorListener* VkJuceAudioProcessorEditor::getListener(int position) const
{
    const juce::ScopedLock sl(listenerLock);
    if (position < 0 || (size_t)position >= listeners.size())
        return nullptr;
    return listeners[(size_t)position];
}

int VkJuceAudioProcessorEditor::getNumListeners() const
{
    const juce::ScopedLock sl(listenerLock);
    return (int)listeners.size();
}

bool VkJuceAudioProcessorEditor::offer(Slot slot, const juce::MouseEvent& event, int parameterIndex)
{
    // The lock is held only to fetch each entry: a listener may add another listener while it is called.
    for (int position = getNumListeners() - 1; position >= 0; --position)
        if (auto* listener = getListener(position))
            if ((listener->*slot)(this, event, parameterIndex))
                return true;
    return false;
}

bool VkJuceAudioProcessorEditor::handleParameterMouseDown(const juce::MouseEvent& event, int parameterIndex)
{
    return offer(&juce::AudioProcessorEditorListener::handleParameterMouseDown, event, parameterIndex);
}

bool VkJuceAudioProcessorEditor::handleParameterMouseDrag(const juce::MouseEvent& event, int parameterIndex)
{
    return offer(&juce::AudioProcessorEditorListener::handleParameterMouseDrag, event, parameterIndex);
}

bool VkJuceAudioProcessorEditor::handleParameterMouseUp(const juce::MouseEvent& event, int parameterIndex)
{
    return offer(&juce::AudioProcessorEditorListener::handleParameterMouseUp, event, parameterIndex);
}

} // namespace vk
