#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <vector>

namespace juce
{

/** Receives a press, drag or release on a control bound to a host parameter before the control handles it.

    A host binding that shows its own automation menu on a modified click implements this and returns true
    for the events it takes. The editor does not own its listeners: a listener outlives the editor or owns it.
*/
class AudioProcessorEditorListener
{
public:
    virtual ~AudioProcessorEditorListener() = default;

    /** [message thread] True when the listener consumed the event. */
    virtual bool handleParameterMouseDown(AudioProcessorEditor*, const MouseEvent&, int parameterIndex)
    {
        ignoreUnused(parameterIndex);
        return false;
    }
    virtual bool handleParameterMouseDrag(AudioProcessorEditor*, const MouseEvent&, int parameterIndex)
    {
        ignoreUnused(parameterIndex);
        return false;
    }
    virtual bool handleParameterMouseUp(AudioProcessorEditor*, const MouseEvent&, int parameterIndex)
    {
        ignoreUnused(parameterIndex);
        return false;
    }
};

} // namespace juce

namespace vk
{

/** The framework's editor class with the list of host listeners for parameter mouse events.

    Sits between juce::AudioProcessorEditor and the editor base, so that our copy of the framework stays
    unpatched: every editor of the product is one of these, and controls reach the list through their owner
    editor. Listeners are asked from the last added to the first; the first that takes an event ends the
   offer.

    [message thread] offers and addListener; the list itself is guarded, so a host binding may add its
    listener from its own thread. Adding allocates.
*/
class VkJuceAudioProcessorEditor : public juce::AudioProcessorEditor
{
public:
    explicit VkJuceAudioProcessorEditor(juce::AudioProcessor& processor);
    ~VkJuceAudioProcessorEditor() override;

    /** Appends the listener unless it is already listed; null is ignored. There is no removal. */
    void addListener(juce::AudioProcessorEditorListener* listener);
    /** The listener at the position, or null at or beyond the end (and for a negative position). */
    juce::AudioProcessorEditorListener* getListener(int position) const;
    int getNumListeners() const;

    /** True when a listener consumed the event. */
    virtual bool handleParameterMouseDown(const juce::MouseEvent& event, int parameterIndex);
    virtual bool handleParameterMouseDrag(const juce::MouseEvent& event, int parameterIndex);
    virtual bool handleParameterMouseUp(const juce::MouseEvent& event, int parameterIndex);

private:
    using Slot = bool (juce::AudioProcessorEditorListener::*)(juce::AudioProcessorEditor*,
                                                              const juce::MouseEvent&, int);
    bool offer(Slot slot, const juce::MouseEvent& event, int parameterIndex);

    std::vector<juce::AudioProcessorEditorListener*> listeners;
    juce::CriticalSection listenerLock;

    JUCE_DECLARE_NON_COPYABLE(VkJuceAudioProcessorEditor)
};

} // namespace vk
