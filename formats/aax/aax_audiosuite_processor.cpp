#include "formats/aax/aax_audiosuite_processor.h"

#include "formats/aax/juce_aax_processor.h"
#include "processor/vk_processor_base.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace AAXClasses
{

using namespace vk::aax;

namespace
{

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
    auto* object = new (std::nothrow) AAX_AudiosuiteProcessor();
    return object != nullptr ? object->GetControllingUnknown() : nullptr;
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

namespace
{

// A pass's begin or end hook on the instance's processor; -20004 without one.
template <typename Hook>
Result runPassHook(JuceAAX_Processor* effect, Hook&& hook)
{
    if (effect == nullptr)
        return kResultNoHostInterface;
    hook(*effect->getProcessor());
    return kResultOk;
}

} // namespace

Result AAX_AudiosuiteProcessor::PreAnalyze()
{
    return runPassHook(effect(),
                       [](VkJuceProcessorBase& processor) { processor.beginOfflineAnalysisPass(); });
}

Result AAX_AudiosuiteProcessor::PostAnalyze()
{
    return runPassHook(effect(), [](VkJuceProcessorBase& processor) { processor.endOfflineAnalysisPass(); });
}

Result AAX_AudiosuiteProcessor::PreRender()
{
    return runPassHook(effect(),
                       [this](VkJuceProcessorBase& processor)
                       {
                           m_firstWindow = true;
                           processor.beginOfflineRenderPass();
                       });
}

Result AAX_AudiosuiteProcessor::PostRender()
{
    return runPassHook(effect(), [](VkJuceProcessorBase& processor) { processor.endOfflineRenderPass(); });
}

Result AAX_AudiosuiteProcessor::AnalyzeAudio(const float* const* inputs, std::int32_t inputCount,
                                             std::int32_t* windowSize)
{
    auto* fx = effect();
    if (fx == nullptr)
        return kResultNoHostInterface;
    if (windowSize == nullptr)
        return kResultNullArgument;
    const int window = std::max(*windowSize, 0);
    const int latency = std::max(fx->getProcessor()->getLatencySamples(), 0);
    // The analysis sees the part of the window the latency leaves; a window within the latency leaves none.
    const int analysed = std::max(window - latency, 0);
    if (analysed > 0)
    {
        // The processed audio is thrown away: scratch channels for every output the processor writes.
        const int channels = std::max({fx->getNumOutputs(), fx->getNumInputs(), 2});
        std::vector<float> scratch(static_cast<std::size_t>(channels) * static_cast<std::size_t>(window),
                                   0.0f);
        std::vector<float*> outputs(static_cast<std::size_t>(channels));
        for (int k = 0; k < channels; ++k)
            outputs[std::size_t(k)] = scratch.data() + std::size_t(k) * std::size_t(window);
        const auto in = inputChannels(inputs, inputCount, fx->getNumInputs(), 0);
        fx->process(in.data(), outputs.data(), analysed, false, JuceAAX_Processor::kOfflineAnalysis);
    }
    *windowSize = analysed;
    return kResultOk;
}

Result AAX_AudiosuiteProcessor::RenderAudio(const float* const* inputs, std::int32_t inputCount,
                                            float* const* outputs, std::int32_t outputCount,
                                            std::int32_t* windowSize)
{
    auto* fx = effect();
    if (fx == nullptr)
        return kResultNoHostInterface;
    if (windowSize == nullptr)
        return kResultNullArgument;
    const std::int64_t window = std::max(*windowSize, 0);
    if (m_firstWindow)
    {
        m_firstWindow = false;
        m_lead = 0;
        m_toDrop = std::max(fx->getProcessor()->getLatencySamples(), 0);
    }
    *windowSize = 0;
    if (outputs == nullptr || outputCount < fx->getNumOutputs())
        return kResultNullArgument;

    const std::int64_t processed = window - m_lead;
    if (processed <= 0)
        return kResultOk;
    const auto in = inputChannels(inputs, inputCount, fx->getNumInputs(), m_lead);
    fx->process(in.data(), outputs, int(processed), false, JuceAAX_Processor::kOfflineRender);

    const std::int64_t dropped = std::min(m_toDrop, processed);
    const std::int64_t kept = processed - dropped;
    if (dropped > 0 && kept > 0)
        for (std::int32_t k = 0; k < outputCount; ++k)
            if (outputs[k] != nullptr)
                std::memmove(outputs[k], outputs[k] + dropped, std::size_t(kept) * sizeof(float));
    m_toDrop -= dropped;
    m_lead += dropped;
    *windowSize = std::int32_t(kept);
    return kResultOk;
}

} // namespace AAXClasses
