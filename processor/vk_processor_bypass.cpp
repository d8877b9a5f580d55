#include "processor/vk_processor_base.h"

#include "dsp/scoped_flush_to_zero.h"

// Latency-aligned bypass and the offline passes.
//
// While bypass is starting, processing carries on until the delay lines hold the latency's worth of dry
// signal; then the output switches to the dry signal delayed by the latency, so the switch never jumps
// in time. When the host ends bypass, processBlock plays the delayed dry tail out of the lines first.

void VkJuceProcessorBase::processBlockBypassed(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    if (isSuspended())
        return;

    const int latency = getLatencyInSamples();
    if (latency != m_cachedLatency)
    {
        m_cachedLatency = latency;
        for (auto& line : m_bypassLines)
            line->setDelay(latency);
    }

    const int numChannels = std::min(buffer.getNumChannels(), kNumBypassLines);
    const int numSamples = buffer.getNumSamples();

    if (m_bypassEngaged.load())
    {
        // The block ends the host's batch of changes as processBlock would.
        m_audioBlocks.fetch_add(1, std::memory_order_relaxed);
        for (int channel = 0; channel < numChannels; ++channel)
        {
            auto& line = *m_bypassLines[std::size_t(channel)];
            float* samples = buffer.getWritePointer(channel);
            for (int i = 0; i < numSamples; ++i)
                samples[i] = line.process(samples[i]);
        }
        return;
    }

    for (int channel = 0; channel < numChannels; ++channel)
    {
        auto& line = *m_bypassLines[std::size_t(channel)];
        const float* samples = buffer.getReadPointer(channel);
        for (int i = 0; i < numSamples; ++i)
            line.write(samples[i]);
    }
    processBlock(buffer, midi);
    m_bypassSampleCount += numSamples;
    if (m_bypassSampleCount >= latency)
    {
        m_bypassSampleCount = 0;
        m_bypassEngaged.store(true);
    }
}

void VkJuceProcessorBase::drainBypassLines(juce::AudioBuffer<float>& scratch, int numChannels, int numSamples)
{
    for (int channel = 0; channel < numChannels; ++channel)
    {
        auto& line = *m_bypassLines[std::size_t(channel)];
        float* samples = scratch.getWritePointer(channel);
        for (int i = 0; i < numSamples; ++i)
            samples[i] = line.process(0.0f);
    }
}

void VkJuceProcessorBase::processOfflineAnalysis(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    processOfflineChunks(buffer, midi, false);
}

void VkJuceProcessorBase::processOfflineRender(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    processOfflineChunks(buffer, midi, true);
}

void VkJuceProcessorBase::processOfflineChunks(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi,
                                               bool render)
{
    // As for processBlock.
    const ScopedFlushToZero flushToZero;
    const int numSamples = buffer.getNumSamples();
    for (int offset = 0; offset < numSamples; offset += kOfflineChunkSize)
    {
        const int length = std::min(kOfflineChunkSize, numSamples - offset);
        // A view over the same channel memory: the chunk is processed in place, nothing is copied.
        juce::AudioBuffer<float> chunk(buffer.getArrayOfWritePointers(), buffer.getNumChannels(), offset,
                                       length);
        timerCallback();
        juce::Timer::pumpTimersFromAudioCallback();
        if (render)
            processOfflineRenderBlock(chunk, midi);
        else
            processOfflineAnalysisBlock(chunk, midi);
    }
}

void VkJuceProcessorBase::beginOfflineRenderPass()
{
    updateHostPosition();
}

void VkJuceProcessorBase::beginOfflineAnalysisPass()
{
    updateHostPosition();
}
