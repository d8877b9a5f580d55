#pragma once

// The interface a product's signal processing offers its processor: the processor binds the algorithm's
// parameter handles, attaches itself (which prepares the algorithm) and hands it every block.

#include "processor/vk_channel_user.h"

#include <juce_audio_basics/juce_audio_basics.h>

template <typename Processor>
class VkJuceAlgorithm : public VkJuceChannelUser
{
public:
    ~VkJuceAlgorithm() override = default;

    // [audio thread] Processes one block in place.
    virtual void process(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) = 0;
    // [message thread] Builds the processing state; may allocate.
    virtual void prepare() = 0;

    // [message thread] Keeps the processor and prepares against it.
    void attach(Processor* processor)
    {
        m_processor = processor;
        prepare();
    }

    Processor* getProcessor() const noexcept { return m_processor; }

protected:
    Processor* m_processor = nullptr;
};
