#include "processor/vk_processor_base.h"

#include "dsp/scoped_flush_to_zero.h"
#include "formats/identity/vk_capabilities.h"
#include "formats/identity/vk_plugin_identity.h"
#include "platform/vk_data_folders.h"
#include "processor/vk_log.h"
#include "processor/vk_registry.h"
#include "processor/vk_wrapper_type.h"

#include <cmath>
#include <limits>

VkJuceProcessorBase::VkJuceProcessorBase(int wrapperType)
    : VkJuceProcessorBase(wrapperType, BusesProperties()
                                           .withInput("Input", juce::AudioChannelSet::stereo())
                                           .withOutput("Output", juce::AudioChannelSet::stereo()))
{
}

VkJuceProcessorBase::VkJuceProcessorBase(int wrapperType, const BusesProperties& buses)
    : juce::AudioProcessor(buses), CDelayFilter<float>(65536, false),
      m_mainParameters(std::make_unique<ParameterRecord[]>(kMainCapacity)),
      m_persistentParameters(std::make_unique<ParameterRecord[]>(kPersistentCapacity)),
      m_transientParameters(std::make_unique<ParameterRecord[]>(kTransientCapacity)),
      m_programs(std::make_unique<ProgramRecord[]>(kNumPrograms)),
      m_storedPrograms(std::make_unique<ProgramRecord[]>(kNumPrograms)),
      m_programB(std::make_unique<ProgramRecord>()), m_resetSnapshot(std::make_unique<ProgramRecord>()),
      m_referenceProgram(std::make_unique<ProgramRecord>()), m_wrapperType(wrapperType),
      m_formatName(vk::formatNameForWrapperType(wrapperType))
{
    // A derived class's latency is not known yet; prepareToPlay and the first bypassed block catch up.
    m_cachedLatency = getLatencyInSamples();
    for (auto& line : m_bypassLines)
    {
        line = std::make_unique<CDelayFilter<float>>(kBypassMaxDelay);
        line->setDelay(m_cachedLatency);
    }

    vk::log::processorCreated(
        [this]
        {
            return vk::log::makeOpeningLine(m_formatName, getHostName(),
                                            juce::String(vk::platform::userLoginName()));
        });

    if (const auto version = vk::registry::readProductFloat("PersistentParamMapVersion"))
    {
        m_persistentParamMapDiffers = *version != 1.0f;
        m_persistentMapVersionKnown.store(true);
    }
}

VkJuceProcessorBase::~VkJuceProcessorBase()
{
    // The tick must not run against a half-destroyed product.
    stopTimer();
    // A value changed just before the host unloads us is still written.
    flushPersistentWrites();
    vk::log::processorDestroyed();
}

void VkJuceProcessorBase::prepareToPlay(double sampleRate, int blockSize)
{
    if (m_reportsValuesOnPrepare.load())
        sendAllParametersToHost();
    prepareAlgorithm(sampleRate, blockSize);
    timerCallback();
}

void VkJuceProcessorBase::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    // Constant input would otherwise leave the recursive filters decaying through the denormal range at
    // many times the normal cost per operation.
    const ScopedFlushToZero flushToZero;
    const double sampleRate = getSampleRate();
    const int numSamples = buffer.getNumSamples();
    const double budgetMs = sampleRate > 0.0 ? numSamples / sampleRate * 1000.0 : 0.0;
    VkJuceScopedProfile profile(*m_profiler.getItem(VkJuceProfiler::kProcessBlock), budgetMs);
    m_audioBlocks.fetch_add(1, std::memory_order_relaxed);

    // The host has just ended bypass: the dry signal still in the lines is the output that belongs
    // before the first processed sample.
    juce::AudioBuffer<float> drained;
    int drainedChannels = 0;
    int drainedSamples = 0;
    if (m_bypassEngaged.load())
    {
        drainedChannels = std::min(buffer.getNumChannels(), kNumBypassLines);
        drainedSamples = juce::jlimit(0, numSamples, m_cachedLatency - m_bypassSampleCount);
        drained.setSize(drainedChannels, numSamples);
        drainBypassLines(drained, drainedChannels, numSamples);
        m_bypassSampleCount += numSamples;
        if (m_bypassSampleCount >= m_cachedLatency)
        {
            m_bypassSampleCount = 0;
            m_bypassEngaged.store(false);
        }
    }

    updateHostPosition();
    // Does nothing unless this block runs on the message thread (the check takes no lock).
    juce::Timer::pumpTimersFromAudioCallback();

    switch (m_processingMode.load())
    {
    case kProcessingNormal:
        processAlgorithm(buffer, midi);
        break;
    case kProcessingOfflineAnalysis:
        processOfflineAnalysisBlock(buffer, midi);
        break;
    case kProcessingOfflineRender:
        processOfflineRenderBlock(buffer, midi);
        break;
    default:
        break;
    }

    // Only the tail itself replaces output; silencing the processed samples after it would be an
    // audible dropout on every bypass switch.
    for (int channel = 0; channel < drainedChannels; ++channel)
        buffer.copyFrom(channel, 0, drained, channel, 0, drainedSamples);
}

const juce::String VkJuceProcessorBase::getInputChannelName(int channelIndex) const
{
    return juce::String(channelIndex + 1);
}

const juce::String VkJuceProcessorBase::getOutputChannelName(int channelIndex) const
{
    return juce::String(channelIndex + 1);
}

int VkJuceProcessorBase::getMaxNumChannels()
{
    return std::max(getTotalNumInputChannels(), getTotalNumOutputChannels());
}

bool VkJuceProcessorBase::requestTimerUpdate()
{
    int previous = m_pendingWork.load();
    while (!m_pendingWork.compare_exchange_weak(previous, previous != 0 ? 2 : 1))
    {
    }
    return previous != 0;
}

void VkJuceProcessorBase::timerCallback()
{
    VkJuceScopedProfile profile(*m_profiler.getItem(VkJuceProfiler::kTimerCallback));
    flushPersistentWrites();

    // A request that arrives while the hook runs raises the flag to 2, so the work runs once more.
    if (m_pendingWork.load() != 0 && timerHook())
    {
        int previous = m_pendingWork.load();
        while (previous != 0 && !m_pendingWork.compare_exchange_weak(previous, previous == 2 ? 1 : 0))
        {
        }
    }
    timerTick();
}

juce::String VkJuceProcessorBase::getProfileReport(int item) const
{
    if (const auto* profilerItem = m_profiler.getItem(item))
        return profilerItem->getReportLine();
    return {};
}

juce::String VkJuceProcessorBase::formatFrequency(float hz)
{
    if (hz >= 1000.0f)
        return juce::String(double(hz) / 1000.0, 1) + " kHz";
    // NaN and huge negative values have no integer part that an int can hold.
    if (std::isnan(hz))
        return "0 Hz";
    const float clamped = std::max(hz, float(std::numeric_limits<int>::min()));
    return juce::String(int(clamped)) + " Hz";
}

bool VkJuceProcessorBase::isProToolsHostName(const juce::String& hostFileName)
{
    return hostFileName.containsIgnoreCase("Pro Tools") || hostFileName.containsIgnoreCase("ProTools");
}

bool VkJuceProcessorBase::isHostProTools() const
{
    return isProToolsHostName(getHostName());
}

juce::String VkJuceProcessorBase::getHostName()
{
    return juce::File::getSpecialLocation(juce::File::hostApplicationPath).getFileNameWithoutExtension();
}

juce::String VkJuceProcessorBase::getProductKey()
{
    static const juce::String key(vk::identity::kProductKey);
    return key;
}

bool VkJuceProcessorBase::getCapabilityDefault(int numInputs, int numOutputs)
{
    return vk::identity::getCapabilityDefault(numInputs, numOutputs);
}

bool VkJuceProcessorBase::isChannelConfigSupported(int numInputs, int numOutputs)
{
    return vk::identity::isChannelConfigSupported(numInputs, numOutputs);
}

int VkJuceProcessorBase::getNumLiveProcessors()
{
    return vk::log::getNumLiveProcessors();
}
