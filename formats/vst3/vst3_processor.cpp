#include "formats/vst3/vst3_processor.h"

#include "formats/vst3/vst3_edit_sink.h"
#include "formats/vst3/vst3_link_message.h"
#include "formats/vst3/vst3_message_thread.h"

#include "formats/identity/vk_plugin_identity.h"
#include "formats/vst3/vst3_play_head.h"
#include "formats/vst3/vst3_published_parameters.h"
#include "processor/vk_processor_base.h"

#include <pluginterfaces/base/ustring.h>
#include <pluginterfaces/vst/ivstparameterchanges.h>
#include <pluginterfaces/vst/vstspeaker.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace vk::vst3
{
namespace
{
std::atomic<ProcessorFactoryFunction> g_processorFactory{nullptr};
} // namespace

void setProcessorFactory(ProcessorFactoryFunction create)
{
    g_processorFactory.store(create);
}

ProcessorFactoryFunction getProcessorFactory()
{
    return g_processorFactory.load();
}
} // namespace vk::vst3

namespace Steinberg::Vst
{

VST3Processor::VST3Processor()
{
    TUID controller;
    std::memcpy(controller, vk::identity::kControllerClassId.data(), sizeof(TUID));
    setControllerClass(FUID::fromTUID(controller));

    // Created right here: the host's thread must not wait for the module's message thread, which may be
    // waiting for the host. The processor's timer first fires once its constructor is done.
    if (auto create = vk::vst3::getProcessorFactory())
    {
        m_processor.reset(create(vk::vst3::kWrapperTypeVst3));
        if (m_processor != nullptr)
            m_processor->setPlayHead(this);
    }
    std::lock_guard<std::mutex> guard(m_link->lock);
    m_link->processor = m_processor.get();
}

VST3Processor::~VST3Processor()
{
    {
        std::lock_guard<std::mutex> guard(m_link->lock);
        m_link->processor = nullptr;
    }
    // Its timer runs on the message thread, so it is deleted there. The audio thread has stopped and no
    // controller reaches it any more; its listener (the link's reporter) stays alive until it is gone.
    if (m_processor != nullptr)
    {
        m_processor->setPlayHead(nullptr);
        vk::vst3::runOnMessageThread(
            [processor = m_processor.release(), link = m_link]
            {
                if (auto close = std::exchange(link->closeEditor, nullptr))
                    close();
                delete processor;
            });
    }
}

FUnknown* VST3Processor::createInstance()
{
    auto* wrapper = new (std::nothrow) VST3Processor();
    if (wrapper == nullptr)
        return nullptr;
    vk::vst3::recordCreatedProcessor(wrapper->m_link);
    return static_cast<IAudioProcessor*>(wrapper);
}

tresult PLUGIN_API VST3Processor::initialize(FUnknown* context)
{
    addAudioInput(STR16("Stereo In"), SpeakerArr::kStereo);
    addAudioOutput(STR16("Stereo Out"), SpeakerArr::kStereo);
    m_contextRunLoop = vk::vst3::RunLoopOffer(context);
    return AudioEffect::initialize(context);
}

tresult PLUGIN_API VST3Processor::terminate()
{
    if (m_processor != nullptr)
        m_processor->releaseResources();
    m_contextRunLoop = {};
    return AudioEffect::terminate();
}

tresult PLUGIN_API VST3Processor::connect(IConnectionPoint* other)
{
    const tresult result = AudioEffect::connect(other);
    if (result == kResultOk && other != nullptr)
        vk::vst3::sendLinkMessage(*other, m_link->token);
    return result;
}

tresult PLUGIN_API VST3Processor::setActive(TBool state)
{
    // Between activation and the host's first context of it there is no position to give.
    m_context.clear();
    m_started.store(state != 0);
    if (!state && m_processor != nullptr)
        m_processor->releaseResources();
    const auto result = AudioEffect::setActive(state);
    m_link->processedSinceActivation.store(false);
    m_link->active.store(state != 0);
    return result;
}

tresult PLUGIN_API VST3Processor::setProcessing(TBool state)
{
    if (!state && m_processor != nullptr)
        m_processor->reset();
    return AudioEffect::setProcessing(state);
}

void VST3Processor::applyPlayConfiguration()
{
    if (m_processor == nullptr)
        return;
    const vk::vst3::MessageWorkPause messageWork; // its timer work reads the sample rate
    m_processor->setPlayConfigDetails(m_inputChannels, m_outputChannels,
                                      m_sampleRate > 0.0 ? m_sampleRate : 44100.0, m_maxBlock);
}

tresult PLUGIN_API VST3Processor::setupProcessing(ProcessSetup& setup)
{
    m_processMode = setup.processMode;
    m_sampleRate = setup.sampleRate;
    m_maxBlock = setup.maxSamplesPerBlock;
    if (m_processor != nullptr)
    {
        // The processor's timer work on the message thread (the filter bank laid out for the sample rate)
        // waits while the rate and the algorithm change under it.
        const vk::vst3::MessageWorkPause messageWork;
        m_processor->setNonRealtime(m_processMode == kOffline);
        applyPlayConfiguration();
        m_link->reporter.settingUp.store(true);
        m_processor->prepareToPlay(m_sampleRate, m_maxBlock);
        m_processor->updateHostDisplay();
        m_link->reporter.settingUp.store(false);
    }
    return AudioEffect::setupProcessing(setup);
}

bool VST3Processor::rebuildBuses(const char16* inName, const char16* outName, SpeakerArrangement in,
                                 SpeakerArrangement out)
{
    removeAudioBusses();
    addAudioInput(inName, in);
    addAudioOutput(outName, out);
    return true;
}

tresult PLUGIN_API VST3Processor::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                     SpeakerArrangement* outputs, int32 numOuts)
{
    if (numIns != 1 || numOuts != 1 || inputs == nullptr || outputs == nullptr)
        return kResultFalse;

    const int32 i = SpeakerArr::getChannelCount(inputs[0]);
    const int32 o = SpeakerArr::getChannelCount(outputs[0]);
    AudioBus* currentIn = getAudioInput(0);
    if (currentIn == nullptr || !currentIn->isTypeOf("Vst::AudioBus"))
        return kResultFalse;

    tresult result = kResultOk;
    if (i == 1 && o == 1)
    {
        if (currentIn->getArrangement() != inputs[0])
            rebuildBuses(STR16("Mono In"), STR16("Mono Out"), inputs[0], inputs[0]);
    }
    else if (i == 2 && o == 2)
        rebuildBuses(STR16("Stereo In"), STR16("Stereo Out"), inputs[0], outputs[0]);
    else if (i == 6 && o == 6)
        rebuildBuses(STR16("5.1 In"), STR16("5.1 Out"), inputs[0], outputs[0]);
    else if (i == 8 && o == 8)
        rebuildBuses(STR16("7.1 In"), STR16("7.1 Out"), inputs[0], outputs[0]);
    else if (SpeakerArr::getChannelCount(currentIn->getArrangement()) == 2)
        result = kResultFalse;
    else
        rebuildBuses(STR16("Stereo In"), STR16("Stereo Out"), SpeakerArr::kStereo, SpeakerArr::kStereo);

    if (result != kResultOk)
        return result; // refused: buses, counts and play configuration stay as they were

    // The counts follow the buses as they now stand, so that they never differ from what the host sees.
    m_inputChannels = SpeakerArr::getChannelCount(getAudioInput(0)->getArrangement());
    m_outputChannels = SpeakerArr::getChannelCount(getAudioOutput(0)->getArrangement());
    applyPlayConfiguration();
    return kResultOk;
}

tresult PLUGIN_API VST3Processor::activateBus(MediaType type, BusDirection dir, int32 index, TBool state)
{
    const tresult result = AudioEffect::activateBus(type, dir, index, state);
    return result == kResultFalse ? kResultFalse : kResultOk;
}

uint32 PLUGIN_API VST3Processor::getLatencySamples()
{
    const int latency = m_processor != nullptr ? std::max(0, m_processor->getLatencyInSamples()) : 0;
    m_link->reporter.hostKnowsLatency(latency);
    return uint32(latency);
}

void VST3Processor::applyParameterChanges(IParameterChanges* changes)
{
    if (changes == nullptr)
        return;
    const int32 count = changes->getParameterCount();
    for (int32 q = 0; q < count; ++q)
    {
        IParamValueQueue* queue = changes->getParameterData(q);
        if (queue == nullptr)
            continue;
        const int32 points = queue->getPointCount();
        int32 offset = 0;
        ParamValue value = 0.0;
        if (points <= 0 || queue->getPoint(points - 1, offset, value) != kResultTrue)
            continue;
        const ParamID id = queue->getParameterId();
        if (id == vk::vst3::kBypassParamId)
            m_link->bypass.store(value > 0.5);
        else if (id == vk::vst3::kProgramParamId)
            continue;
        else if (m_processor != nullptr && vk::vst3::isPublishedParameter(*m_processor, id))
            m_processor->setParameterInternal(int(id), float(value), false, false, true);
    }
}

tresult PLUGIN_API VST3Processor::process(ProcessData& data)
{
    if (data.processContext != nullptr)
        m_context.publish(*data.processContext);
    if (data.inputParameterChanges != nullptr && data.inputParameterChanges->getParameterCount() > 0)
    {
        m_link->applyingHostChanges.fetch_add(1, std::memory_order_acq_rel);
        applyParameterChanges(data.inputParameterChanges);
        m_link->applyingHostChanges.fetch_add(1, std::memory_order_release);
    }
    m_link->reporter.hostChangesApplied();
    if (m_link->active.load(std::memory_order_relaxed) &&
        !m_link->processedSinceActivation.exchange(true, std::memory_order_acq_rel) &&
        m_link->reporter.queue.hasPending())
        vk::vst3::requestFlush();

    if (data.numSamples < 1)
        return kResultOk;
    if (data.numInputs < 1 || data.numOutputs < 1 || data.inputs == nullptr || data.outputs == nullptr ||
        data.symbolicSampleSize != kSample32)
        return kResultFalse;
    AudioBusBuffers& in = data.inputs[0];
    AudioBusBuffers& out = data.outputs[0];
    if (in.channelBuffers32 == nullptr || out.channelBuffers32 == nullptr)
        return kResultFalse;

    const int32 n = std::min({in.numChannels, out.numChannels, int32(vk::vst3::kMaxProcessedChannels)});
    const auto bytes = std::size_t(data.numSamples) * sizeof(float);

    // Every output channel is written: the processed ones from the input, every other one with silence,
    // so that no stale memory goes out marked as sound.
    for (int32 b = 0; b < data.numOutputs; ++b)
    {
        AudioBusBuffers& bus = data.outputs[b];
        bus.silenceFlags = 0;
        if (bus.channelBuffers32 == nullptr)
            continue;
        for (int32 c = (b == 0 ? std::max<int32>(n, 0) : 0); c < bus.numChannels; ++c)
            if (bus.channelBuffers32[c] != nullptr)
                std::memset(bus.channelBuffers32[c], 0, bytes);
    }
    for (int32 c = 0; c < n; ++c)
        if (in.channelBuffers32[c] != out.channelBuffers32[c] && in.channelBuffers32[c] != nullptr &&
            out.channelBuffers32[c] != nullptr)
            std::memcpy(out.channelBuffers32[c], in.channelBuffers32[c], bytes);

    if (m_processor != nullptr && n > 0)
    {
        juce::AudioBuffer<float> buffer(out.channelBuffers32, int(n), int(data.numSamples));
        if (m_link->bypass.load())
            m_processor->processBlockBypassed(buffer, m_midi);
        else
            m_processor->processBlock(buffer, m_midi);
        m_midi.clear();
    }
    m_started.store(true);
    return kResultOk;
}

juce::Optional<juce::AudioPlayHead::PositionInfo> VST3Processor::getPosition() const
{
    // The context and whether there is one come from one read.
    const auto context = m_context.read();
    if (!context)
        return {};
    return vk::vst3::positionFromContext(*context, m_started.load());
}

} // namespace Steinberg::Vst
