#include "formats/aax/juce_aax_processor.h"

#include "formats/aax/aax_host_facing.h"
#include "formats/aax/aax_stem_formats.h"
#include "formats/aax/aax_transport_position.h"
#include "formats/vst3/vst3_message_thread.h"
#include "processor/vk_processor_base.h"
#include "processor/vk_wrapper_type.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace AAXClasses
{

using namespace vk::aax;

namespace
{

// Marks the calling host thread as the one whose reports only confirm values, for the scope's life.
class ConfirmingScope
{
public:
    explicit ConfirmingScope(std::atomic<std::thread::id>& thread) : m_thread(thread)
    {
        m_thread.store(std::this_thread::get_id());
    }
    ~ConfirmingScope() { m_thread.store(std::thread::id()); }
    ConfirmingScope(const ConfirmingScope&) = delete;
    ConfirmingScope& operator=(const ConfirmingScope&) = delete;

private:
    std::atomic<std::thread::id>& m_thread;
};

// Identifier texts of processor indexes, without allocating.
struct IndexText
{
    explicit IndexText(int index) noexcept { std::snprintf(text, sizeof text, "%d", index); }
    char text[16];
};

// The bypass text of `value`: "Off" for 0; else "Bypassed", or "Byp" where fewer than 8 bytes fit.
const char* bypassText(double value, std::int32_t maxLength) noexcept
{
    if (value == 0.0)
        return "Off";
    return maxLength < 8 ? "Byp" : "Bypassed";
}

void setBounded(AAX_IString& out, const char* text, std::int32_t maxLength)
{
    const std::size_t limit = std::size_t(std::max(maxLength, std::int32_t(0)));
    out.Set(std::string(text).substr(0, limit).c_str());
}

juce::AudioChannelSet channelSetFor(int channels)
{
    switch (channels)
    {
    case 0:
        return juce::AudioChannelSet::disabled();
    case 1:
        return juce::AudioChannelSet::mono();
    case 2:
        return juce::AudioChannelSet::stereo();
    default:
        return juce::AudioChannelSet::discreteChannels(channels);
    }
}

// JUCE 7 names speakers by channel sets rather than by text: the set of a stem layout's speaker list.
juce::AudioChannelSet channelSetFor(const StemLayout& layout)
{
    const juce::String speakers(layout.speakers);
    if (speakers == "L C R")
        return juce::AudioChannelSet::createLCR();
    if (speakers == "L C R S")
        return juce::AudioChannelSet::createLCRS();
    if (speakers == "L R Ls Rs")
        return juce::AudioChannelSet::quadraphonic();
    if (speakers == "L C R Ls Rs")
        return juce::AudioChannelSet::create5point0();
    if (speakers == "L C R Ls Rs LFE")
        return juce::AudioChannelSet::create5point1();
    if (speakers == "L C R Ls Cs Rs")
        return juce::AudioChannelSet::create6point0();
    if (speakers == "L C R Ls Cs Rs LFE")
        return juce::AudioChannelSet::create6point1();
    if (speakers == "L Lc C Rc R Ls Rs")
        return juce::AudioChannelSet::create7point0SDDS();
    if (speakers == "L Lc C Rc R Ls Rs LFE")
        return juce::AudioChannelSet::create7point1SDDS();
    if (speakers == "L C R Lss Rss Lsr Rsr")
        return juce::AudioChannelSet::create7point0();
    if (speakers == "L C R Lss Rss Lsr Rsr LFE")
        return juce::AudioChannelSet::create7point1();
    return channelSetFor(layout.channels);
}

} // namespace

// Made right here: the host's thread must not wait for the module's message thread, which may be waiting
// for the host. The processor's timer first fires once its constructor is done.
JuceAAX_Processor::JuceAAX_Processor()
{
    if (auto create = getProcessorFactory())
        m_processor.reset(create(vk::kWrapperAax));
    const int numParameters = m_processor != nullptr ? m_processor->getNumParameters() : 0;
    m_link = std::make_unique<ProcessorLink>(numParameters);
    m_hostTouches.assign(std::size_t(numParameters), 0);
    if (m_processor != nullptr)
    {
        m_processor->setPlayHead(m_link.get());
        m_processor->addListener(m_link.get());
    }
}

JuceAAX_Processor::~JuceAAX_Processor()
{
    if (m_processor != nullptr)
    {
        m_processor->removeListener(m_link.get());
        m_processor->setPlayHead(nullptr);
        // Its timer runs on the message thread, so it is deleted there, without waiting for it (before
        // the framework stops, should this be its last use). The GUI's editor, which points to it, is
        // deleted before it on the same thread. A report or a play-head read already under way on another
        // thread may still reach the link, which goes after the processor.
        vk::vst3::deleteOnMessageThread(std::move(m_processor), std::move(m_link));
    }
}

IACFUnknown* JuceAAX_Processor::Create()
{
    return createForHost<JuceAAX_Processor>();
}

Result JuceAAX_Processor::Uninitialize()
{
    m_link->withdrawPosition();
    return AAX_CEffectParameters::Uninitialize();
}

Result JuceAAX_Processor::EffectInit()
{
    if (m_processor == nullptr)
        return kResultNoHostObject;
    // The parameters are built from the processor's values: earlier reports have nothing left to say, and
    // the host's new parameters have heard no touch.
    m_link->reports.clear();
    std::fill(m_hostTouches.begin(), m_hostTouches.end(), 0);
    if (auto* controller = Controller())
        controller->GetSampleRate(&m_sampleRate);
    preparePlugin();

    auto* bypass = new AAX_CParameter<bool>(kMasterBypassId, AAX_CString("Master Bypass"), false,
                                            AAX_CBinaryTaperDelegate<bool>(),
                                            AAX_CBinaryDisplayDelegate<bool>("Off", "Bypassed"), true);
    bypass->SetNumberOfSteps(2);
    bypass->SetType(kParameterTypeDiscrete);
    ParameterManager().AddParameter(bypass);

    addAudioProcessorParameters();
    refreshBypass();
    return kResultOk;
}

void JuceAAX_Processor::addAudioProcessorParameters()
{
    auto& processor = *m_processor;
    for (int index = 0; index < processor.getNumParameters(); ++index)
    {
        if (!processor.isParameterExposedToHost(index))
            continue;
        const IndexText id(index);
        auto* parameter = new AAX_CParameter<float>(
            id.text, AAX_CString(processor.getParameterName(index).toRawUTF8()),
            processor.getParameter(index), AAX_CLinearTaperDelegate<float, 0>(0.0f, 1.0f),
            AAX_CNumberDisplayDelegate<float, 3, 0>(), processor.isParameterAutomatable(index));
        parameter->SetNumberOfSteps(std::uint32_t(std::max(processor.getParameterNumSteps(index), 0)));
        const juce::AudioProcessor& framework = processor;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        const bool discrete = framework.isParameterDiscrete(index);
#pragma GCC diagnostic pop
        parameter->SetType(discrete ? kParameterTypeDiscrete : kParameterTypeContinuous);
        ParameterManager().AddParameter(parameter);
    }
}

void JuceAAX_Processor::preparePlugin()
{
    if (m_processor == nullptr)
        return;
    std::int32_t inputFormat = std::int32_t(kStemFormatNone);
    std::int32_t outputFormat = std::int32_t(kStemFormatNone);
    if (auto* controller = Controller())
    {
        controller->GetInputStemFormat(&inputFormat);
        controller->GetOutputStemFormat(&outputFormat);
    }
    const StemLayout inputs = stemLayout(std::uint32_t(inputFormat));
    const StemLayout outputs = stemLayout(std::uint32_t(outputFormat));
    const double sampleRate = m_sampleRate > 0.0f ? double(m_sampleRate) : 44100.0;

    {
        // The processor's message-thread work (its timer lays the filter bank out for the sample rate)
        // waits while the rate, the channels and the algorithm change.
        const vk::vst3::MessageWorkPause messageWork;
        const ConfirmingScope confirming(m_link->confirmingThread);
        // The audio thread is kept out while the channel counts and the processor change under it.
        const juce::ScopedLock audio(m_processor->getCallbackLock());
        juce::AudioProcessor::BusesLayout layout;
        if (inputs.channels > 0)
            layout.inputBuses.add(channelSetFor(inputs));
        if (outputs.channels > 0)
            layout.outputBuses.add(channelSetFor(outputs));
        if (m_processor->checkBusesLayoutSupported(layout))
            m_processor->setBusesLayout(layout);
        m_processor->setPlayConfigDetails(inputs.channels, outputs.channels, sampleRate, kMaxBlockSize);
        m_router.configure(inputs.channels, outputs.channels);
        m_processor->prepareToPlay(sampleRate, kMaxBlockSize);
    }
    followProcessorValues();
    if (auto* controller = Controller())
        controller->SetSignalLatency(m_processor->getLatencySamples());
}

int JuceAAX_Processor::processorIndexOf(const char* id) const
{
    if (id == nullptr || ParameterManager().GetParameterByID(id) == nullptr)
        return -1;
    // Published identifiers are plain decimal indexes; anything else (the bypass, or a parameter of
    // another kind) has no processor index.
    const std::size_t length = std::strlen(id);
    if (length == 0 || length > 9)
        return -1;
    int index = 0;
    for (std::size_t i = 0; i < length; ++i)
    {
        if (id[i] < '0' || id[i] > '9')
            return -1;
        index = index * 10 + (id[i] - '0');
    }
    return index;
}

Result JuceAAX_Processor::GetParameterStringFromValue(const char* id, double value, AAX_IString* text,
                                                      std::int32_t maxLength) const
{
    if (id != nullptr && std::strcmp(id, kMasterBypassId) == 0 && ParameterManager().GetParameterByID(id))
    {
        if (text == nullptr)
            return kResultNullArgument;
        setBounded(*text, bypassText(value, maxLength), maxLength);
        return kResultOk;
    }
    const int index = processorIndexOf(id);
    if (index < 0)
        return AAX_CEffectParameters::GetParameterStringFromValue(id, value, text, maxLength);
    if (text == nullptr || !std::isfinite(value))
        return kResultConversionFailed;
    const float asked = float(std::clamp(value, 0.0, 1.0));
    setBounded(*text, m_processor->getParameterTextForValue(index, asked).toRawUTF8(), maxLength);
    return kResultOk;
}

Result JuceAAX_Processor::GetParameterValueString(const char* id, AAX_IString* text,
                                                  std::int32_t maxLength) const
{
    if (id != nullptr && std::strcmp(id, kMasterBypassId) == 0)
    {
        double value = 0.0;
        const Result got = AAX_CEffectParameters::GetParameterNormalizedValue(id, &value);
        return got != kResultOk ? got : GetParameterStringFromValue(id, value, text, maxLength);
    }
    const int index = processorIndexOf(id);
    if (index < 0)
        return AAX_CEffectParameters::GetParameterValueString(id, text, maxLength);
    if (text == nullptr)
        return kResultConversionFailed;
    setBounded(*text, m_processor->getParameterText(index).toRawUTF8(), maxLength);
    return kResultOk;
}

Result JuceAAX_Processor::GetParameterNormalizedValue(const char* id, double* value) const
{
    const int index = processorIndexOf(id);
    if (index < 0)
        return AAX_CEffectParameters::GetParameterNormalizedValue(id, value);
    if (value == nullptr)
        return kResultNullArgument;
    *value = double(m_processor->getParameter(index));
    return kResultOk;
}

Result JuceAAX_Processor::SetParameterNormalizedValue(const char* id, double value)
{
    const Result result = AAX_CEffectParameters::SetParameterNormalizedValue(id, value);
    refreshBypass();
    return result;
}

Result JuceAAX_Processor::UpdateParameterNormalizedValue(const char* id, double value, std::int32_t source)
{
    const Result result = AAX_CEffectParameters::UpdateParameterNormalizedValue(id, value, source);
    if (result != kResultOk)
        return result;
    const int index = processorIndexOf(id);
    if (index < 0)
        refreshBypass();
    else if (!m_deliveringReports)
        m_processor->setParameter(index, float(std::clamp(value, 0.0, 1.0)));
    return result;
}

void JuceAAX_Processor::refreshBypass()
{
    bool bypassed = false;
    if (const auto* parameter = ParameterManager().GetParameterByID(kMasterBypassId))
        if (!parameter->GetValueAsBool(&bypassed))
            bypassed = false;
    m_bypass.store(bypassed, std::memory_order_relaxed);
}

Result JuceAAX_Processor::ResetFieldData(std::uint32_t fieldIndex, void* block, std::uint32_t blockSize) const
{
    if (block == nullptr)
        return kResultOk;
    if (fieldIndex == kFieldInstance)
    {
        auto* slots = static_cast<std::uint64_t*>(block);
        const auto address = std::uint64_t(reinterpret_cast<std::uintptr_t>(this));
        for (std::uint32_t i = 0; i < blockSize / sizeof(std::uint64_t); ++i)
            std::memcpy(slots + i, &address, sizeof address);
    }
    else if (fieldIndex == kFieldPrepared)
    {
        // The host asks for this on its main thread, where the processor is prepared.
        auto* self = const_cast<JuceAAX_Processor*>(this);
        self->preparePlugin();
        const std::int32_t one = self->m_processor != nullptr ? 1 : 0;
        auto* slots = static_cast<std::int32_t*>(block);
        for (std::uint32_t i = 0; i < blockSize / sizeof(std::int32_t); ++i)
            std::memcpy(slots + i, &one, sizeof one);
        self->m_prepared.store(one != 0, std::memory_order_release);
    }
    return kResultOk;
}

Result JuceAAX_Processor::GetNumberOfChunks(std::int32_t* count) const
{
    if (count == nullptr)
        return kResultNullArgument;
    *count = kJuceChunkIndex + 1;
    return kResultOk;
}

Result JuceAAX_Processor::GetChunkIDFromIndex(std::int32_t index, std::uint32_t* chunkId) const
{
    if (index != kJuceChunkIndex)
        return AAX_CEffectParameters::GetChunkIDFromIndex(index, chunkId);
    if (chunkId == nullptr)
        return kResultNullArgument;
    *chunkId = kJuceChunkId;
    return kResultOk;
}

void JuceAAX_Processor::cacheState() const
{
    m_stateCache.reset();
    if (m_processor == nullptr)
        return;
    // No editor change or timer work on the message thread alters the programs halfway through.
    const vk::vst3::MessageWorkPause messageWork;
    m_processor->getStateInformation(m_stateCache);
}

Result JuceAAX_Processor::GetChunkSize(std::uint32_t chunkId, std::uint32_t* size) const
{
    if (chunkId != kJuceChunkId)
    {
        // The controls chunk is written from the parameters: they hear what the processor reported.
        const_cast<JuceAAX_Processor*>(this)->deliverReports();
        return AAX_CEffectParameters::GetChunkSize(chunkId, size);
    }
    if (size == nullptr)
        return kResultNullArgument;
    cacheState();
    *size = std::uint32_t(m_stateCache.getSize());
    m_answeredStateSize = std::int64_t(m_stateCache.getSize());
    return kResultOk;
}

// The host allocated the record from the size GetChunkSize answered: a state that is larger now (or a
// record never sized) would be written past the host's memory, so nothing is written then.
Result JuceAAX_Processor::GetChunk(std::uint32_t chunkId, ChunkRecord* chunk) const
{
    if (chunkId != kJuceChunkId)
        return AAX_CEffectParameters::GetChunk(chunkId, chunk);
    if (chunk == nullptr)
        return kResultNullArgument;
    if (m_stateCache.isEmpty())
        cacheState();
    const std::int64_t stateSize = std::int64_t(m_stateCache.getSize());
    if (stateSize > m_answeredStateSize || stateSize > std::int64_t(std::numeric_limits<std::int32_t>::max()))
    {
        m_stateCache.reset();
        return kResultChunkSizeMismatch;
    }
    chunk->size = std::int32_t(stateSize);
    if (stateSize > 0)
        std::memcpy(chunk->data, m_stateCache.getData(), std::size_t(stateSize));
    m_stateCache.reset();
    return kResultOk;
}

Result JuceAAX_Processor::SetChunk(std::uint32_t chunkId, const ChunkRecord* chunk)
{
    // The edits the processor reported before the host restores anything come first.
    deliverReports();
    if (chunkId != kJuceChunkId)
    {
        const Result result = AAX_CEffectParameters::SetChunk(chunkId, chunk);
        refreshBypass();
        return result;
    }
    if (chunk == nullptr)
        return kResultNullArgument;
    // A negative size is no state; any other size is checked against the state's own framing by the
    // processor's reader, which changes nothing for what it cannot read.
    if (chunk->size < 0)
        return kResultChunkSizeMismatch;
    if (m_processor == nullptr)
        return kResultOk;
    bool read = false;
    {
        // The processor's message-thread work reads the programs and values: it waits while they change.
        const vk::vst3::MessageWorkPause messageWork;
        // A restored state is no edit of the user's: the parameters follow it without asking the host.
        const ConfirmingScope confirming(m_link->confirmingThread);
        read = m_processor->readStateInformation(chunk->data, chunk->size);
    }
    if (!read)
        return kResultChunkSizeMismatch; // a cut or foreign chunk: refused, and nothing changed
    followProcessorValues();
    return kResultOk;
}

Result JuceAAX_Processor::CompareActiveChunk(const ChunkRecord* chunk, bool* equal) const
{
    const_cast<JuceAAX_Processor*>(this)->deliverReports();
    return AAX_CEffectParameters::CompareActiveChunk(chunk, equal);
}

Result JuceAAX_Processor::GetNumberOfChanges(std::int32_t* count) const
{
    std::int32_t edits = 0;
    const Result result = AAX_CEffectParameters::GetNumberOfChanges(&edits);
    // The host looks only for a count that differs from the last one: past the largest count it goes on
    // from 0 rather than turning negative.
    if (count != nullptr && result == kResultOk)
        *count = std::int32_t((std::int64_t(edits) + m_link->stateChanges()) & 0x7fffffff);
    return result;
}

Result JuceAAX_Processor::TimerWakeup()
{
    deliverReports();
    return AAX_CEffectParameters::TimerWakeup();
}

void JuceAAX_Processor::deliverReports()
{
    // A host that answers a request from inside it comes back here: the outer round delivers the rest.
    if (m_deliveringReports || m_processor == nullptr)
        return;
    const juce::ScopedValueSetter<bool> delivering(m_deliveringReports, true);
    // Answers may make the processor report again (a linked parameter): a few rounds take those too.
    for (int round = 0; round < 4; ++round)
    {
        m_link->reports.take(m_taken);
        if (m_taken.reports.empty() && !m_taken.catchUp && !m_taken.latencyChanged)
            return;
        for (const auto& report : m_taken.reports)
            deliverReport(report);
        if (m_taken.catchUp)
            catchUp(m_taken.held);
        if (m_taken.latencyChanged)
            if (auto* controller = Controller())
                controller->SetSignalLatency(m_processor->getLatencySamples());
    }
}

void JuceAAX_Processor::deliverReport(const ParameterReports::Report& report)
{
    const IndexText id(report.index);
    const bool known = report.index >= 0 && std::size_t(report.index) < m_hostTouches.size();
    switch (report.kind)
    {
    case ParameterReports::Kind::Value:
        SetParameterNormalizedValue(id.text, double(m_processor->getParameter(report.index)));
        break;
    case ParameterReports::Kind::GestureBegin:
        if (TouchParameter(id.text) == kResultOk && known)
            ++m_hostTouches[std::size_t(report.index)];
        break;
    case ParameterReports::Kind::GestureEnd:
        if (ReleaseParameter(id.text) == kResultOk && known && m_hostTouches[std::size_t(report.index)] > 0)
            --m_hostTouches[std::size_t(report.index)];
        break;
    }
}

void JuceAAX_Processor::catchUp(const std::vector<std::uint8_t>& held)
{
    const auto isHeld = [&held](int index)
    { return std::size_t(index) < held.size() && held[std::size_t(index)]; };
    // Touches first, so that the values of a gesture still going on arrive inside it.
    for (std::int32_t position = 0; position < ParameterManager().NumParameters(); ++position)
    {
        const auto* parameter = ParameterManager().GetParameter(position);
        const int index = parameter != nullptr ? processorIndexOf(parameter->Identifier()) : -1;
        if (index >= 0 && std::size_t(index) < m_hostTouches.size() && isHeld(index) &&
            m_hostTouches[std::size_t(index)] == 0 && TouchParameter(parameter->Identifier()) == kResultOk)
            m_hostTouches[std::size_t(index)] = 1;
    }
    requestProcessorValues();
    // Releases last, after the values their gestures brought.
    for (std::int32_t position = 0; position < ParameterManager().NumParameters(); ++position)
    {
        const auto* parameter = ParameterManager().GetParameter(position);
        const int index = parameter != nullptr ? processorIndexOf(parameter->Identifier()) : -1;
        if (index < 0 || std::size_t(index) >= m_hostTouches.size() || isHeld(index))
            continue;
        for (int& touches = m_hostTouches[std::size_t(index)]; touches > 0; --touches)
            ReleaseParameter(parameter->Identifier());
    }
}

void JuceAAX_Processor::requestProcessorValues()
{
    for (std::int32_t position = 0; position < ParameterManager().NumParameters(); ++position)
    {
        const auto* parameter = ParameterManager().GetParameter(position);
        const int index = parameter != nullptr ? processorIndexOf(parameter->Identifier()) : -1;
        if (index >= 0 && float(parameter->GetNormalizedValue()) != m_processor->getParameter(index))
            SetParameterNormalizedValue(parameter->Identifier(), double(m_processor->getParameter(index)));
    }
}

void JuceAAX_Processor::followProcessorValues()
{
    for (std::int32_t position = 0; position < ParameterManager().NumParameters(); ++position)
    {
        auto* parameter = ParameterManager().GetParameter(position);
        const int index = parameter != nullptr ? processorIndexOf(parameter->Identifier()) : -1;
        if (index >= 0)
            parameter->UpdateNormalizedValue(double(m_processor->getParameter(index)));
    }
}

Result JuceAAX_Processor::RenderAudio_Hybrid(void* renderInfo)
{
    const auto* info = static_cast<const HybridRenderInfo*>(renderInfo);
    if (info == nullptr || info->numSamples == nullptr)
        return kResultNullArgument;
    return render(info->inputs, info->outputs, *info->numSamples, false);
}

Result JuceAAX_Processor::render(const float* const* inputs, float* const* outputs, int numSamples,
                                 bool bypass) noexcept
{
    const Result result = answerWithoutThrowing(
        [&]
        {
            // The only thread that reads the host's transport, inside the host's call.
            m_link->publishPosition(positionFromTransport(Transport()));
            process(inputs, outputs, numSamples, bypass, kRealtime);
            return kResultOk;
        });
    if (result != kResultOk && outputs != nullptr && numSamples > 0)
        for (int k = 0; k < m_router.outputs(); ++k)
            if (outputs[k] != nullptr)
                std::fill_n(outputs[k], numSamples, 0.0f);
    return result;
}

void JuceAAX_Processor::process(const float* const* inputs, float* const* outputs, int numSamples,
                                bool bypass, Mode mode)
{
    if (m_processor == nullptr || numSamples <= 0)
        return;
    const juce::ScopedLock audio(m_processor->getCallbackLock());
    m_router.route(
        inputs, outputs, numSamples,
        [this] { return stereoOutputPositions(m_processor->getChannelLayoutChoice()); },
        [this, bypass, mode](float* const* channels, int count, int samples)
        { processWithMode(channels, count, samples, bypass, mode); });
}

void JuceAAX_Processor::processWithMode(float* const* channels, int numChannels, int numSamples, bool bypass,
                                        Mode mode)
{
    juce::AudioBuffer<float> buffer(channels, numChannels, numSamples);
    m_midi.clear();
    if (bypass)
        m_processor->processBlockBypassed(buffer, m_midi);
    else if (mode == kOfflineAnalysis)
        m_processor->processOfflineAnalysis(buffer, m_midi);
    else if (mode == kOfflineRender)
        m_processor->processOfflineRender(buffer, m_midi);
    else
        m_processor->processBlock(buffer, m_midi);
}

void algorithmProcessCallback(void* const* contextsBegin, const void* contextsEnd)
{
    if (contextsBegin == nullptr || contextsEnd == nullptr)
        return;
    for (auto* const* slot = contextsBegin; static_cast<const void*>(slot) < contextsEnd; ++slot)
    {
        const auto* context = static_cast<const RenderContext*>(*slot);
        if (context == nullptr || context->instance == nullptr || context->prepared == nullptr ||
            context->bufferLength == nullptr)
            continue;
        auto* instance = static_cast<JuceAAX_Processor*>(*context->instance);
        // A context whose fields the host has not reset yet has no instance to run.
        if (instance == nullptr || *context->prepared == 0 || !instance->isPrepared())
            continue;
        instance->render(context->inputs, context->outputs, *context->bufferLength, instance->isBypassed());
    }
}

} // namespace AAXClasses
