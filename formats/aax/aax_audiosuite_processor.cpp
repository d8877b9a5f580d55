#include "formats/aax/aax_audiosuite_processor.h"

#include "formats/aax/aax_host_facing.h"
#include "formats/aax/juce_aax_processor.h"
#include "formats/vst3/vst3_message_thread.h"
#include "processor/vk_processor_base.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace AAXClasses
{

using namespace vk::aax;

namespace
{

// The answer to a window no longer than the render pass's latency.
constexpr Result kResultWindowWithinLatency = kResultNullArgument;

// The host's input channels as the processor reads them: a channel the host did not give reads as
// silence, and each channel starts `offset` samples in.
std::vector<const float*> inputChannels(const float* const* inputs, std::int32_t inputCount, int channels,
                                        std::int64_t offset)
{
    std::vector<const float*> result(static_cast<std::size_t>(std::max(channels, 1)), nullptr);
    for (int k = 0; k < channels && k < inputCount && inputs != nullptr; ++k)
        if (inputs[k] != nullptr)
            result[std::size_t(k)] = inputs[k] + offset;
    return result;
}

} // namespace

IACFUnknown* AAX_AudiosuiteProcessor::Create()
{
    return createForHost<AAX_AudiosuiteProcessor>();
}

JuceAAX_Processor* AAX_AudiosuiteProcessor::effect() const
{
    auto* effect = dynamic_cast<JuceAAX_Processor*>(GetEffectParameters());
    if (effect == nullptr || effect->getProcessor() == nullptr)
    {
        juce::Logger::writeToLog("Warning: Could not instantiate AudioSuite processor.");
        return nullptr;
    }
    return effect;
}

// An offline pass runs the processor's timer work itself between its chunks: the message thread runs none
// of that work meanwhile.
template <typename Body>
Result AAX_AudiosuiteProcessor::withEffect(Body&& body)
{
    auto* fx = effect();
    if (fx == nullptr)
        return kResultNoHostInterface;
    const vk::vst3::MessageWorkPause messageWork;
    return body(*fx);
}

template <typename Hook>
Result AAX_AudiosuiteProcessor::runPassHook(Hook&& hook)
{
    return withEffect(
        [&](JuceAAX_Processor& fx)
        {
            hook(*fx.getProcessor());
            return kResultOk;
        });
}

Result AAX_AudiosuiteProcessor::PreAnalyze()
{
    return runPassHook([](VkJuceProcessorBase& processor) { processor.beginOfflineAnalysisPass(); });
}

Result AAX_AudiosuiteProcessor::PostAnalyze()
{
    return runPassHook([](VkJuceProcessorBase& processor) { processor.endOfflineAnalysisPass(); });
}

Result AAX_AudiosuiteProcessor::PreRender()
{
    return runPassHook(
        [this](VkJuceProcessorBase& processor)
        {
            m_firstWindow = true;
            processor.beginOfflineRenderPass();
        });
}

Result AAX_AudiosuiteProcessor::PostRender()
{
    return runPassHook([](VkJuceProcessorBase& processor) { processor.endOfflineRenderPass(); });
}

Result AAX_AudiosuiteProcessor::AnalyzeAudio(const float* const* inputs, std::int32_t inputCount,
                                             std::int32_t* windowSize)
{
    return withEffect(
        [&](JuceAAX_Processor& fx)
        {
            if (windowSize == nullptr)
                return kResultNullArgument;
            const int window = std::max(*windowSize, 0);
            const int latency = std::max(fx.getProcessor()->getLatencySamples(), 0);
            *windowSize = 0;
            if (latency > 0 && window <= latency)
                return kResultWindowWithinLatency;
            // The analysis sees the part of the window the latency leaves.
            const int analysed = window - latency;
            if (analysed > 0)
            {
                // The processed audio is thrown away: scratch channels for every output the processor writes.
                const int channels = std::max({fx.getNumOutputs(), fx.getNumInputs(), 2});
                std::vector<float> scratch(
                    static_cast<std::size_t>(channels) * static_cast<std::size_t>(window), 0.0f);
                std::vector<float*> outputs(static_cast<std::size_t>(channels));
                for (int k = 0; k < channels; ++k)
                    outputs[std::size_t(k)] = scratch.data() + std::size_t(k) * std::size_t(window);
                const auto in = inputChannels(inputs, inputCount, fx.getNumInputs(), 0);
                fx.process(in.data(), outputs.data(), analysed, false, JuceAAX_Processor::kOfflineAnalysis);
            }
            *windowSize = analysed;
            return kResultOk;
        });
}

Result AAX_AudiosuiteProcessor::RenderAudio(const float* const* inputs, std::int32_t inputCount,
                                            float* const* outputs, std::int32_t outputCount,
                                            std::int32_t* windowSize)
{
    return withEffect(
        [&](JuceAAX_Processor& fx)
        {
            if (windowSize == nullptr)
                return kResultNullArgument;
            const int window = std::max(*windowSize, 0);
            *windowSize = 0;
            if (outputs == nullptr || outputCount < fx.getNumOutputs())
                return kResultNullArgument;
            if (m_firstWindow)
                m_latency = std::max(fx.getProcessor()->getLatencySamples(), 0);
            if (m_latency > 0 && window <= m_latency)
                return kResultWindowWithinLatency;

            const int processed = m_firstWindow ? window : window - m_latency;
            const auto in =
                inputChannels(inputs, inputCount, fx.getNumInputs(), m_firstWindow ? 0 : m_latency);
            fx.process(in.data(), outputs, processed, false, JuceAAX_Processor::kOfflineRender);
            // The first window's output starts with the processing delay: the rest moves to the front.
            if (m_firstWindow && m_latency > 0)
                for (std::int32_t k = 0; k < outputCount; ++k)
                    if (outputs[k] != nullptr)
                        std::memmove(outputs[k], outputs[k] + m_latency,
                                     std::size_t(window - m_latency) * sizeof(float));
            m_firstWindow = false;
            *windowSize = window - m_latency;
            return kResultOk;
        });
}

} // namespace AAXClasses
