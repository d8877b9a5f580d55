#include "formats/vst3/vst3_controller.h"

#include "formats/vst3/vst3_component_state.h"
#include "formats/vst3/vst3_editor_view.h"
#include "formats/vst3/vst3_link_message.h"
#include "formats/vst3/vst3_processor.h"
#include "formats/vst3/vst3_published_parameters.h"
#include "processor/vk_processor_base.h"
#include "processor/vk_state_chunk.h"

#include <pluginterfaces/base/ibstream.h>
#include <pluginterfaces/base/ustring.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace Steinberg::Vst
{
namespace
{

// UTF-16 copy of `text`, cut to the field and always terminated.
void copyText(String128 field, const juce::String& text)
{
    const juce::CharPointer_UTF16 utf16 = text.toUTF16();
    int n = 0;
    for (auto p = utf16; !p.isEmpty() && n < 127; ++p)
    {
        const juce::juce_wchar c = *p;
        field[n++] = char16(c < 0x10000 ? c : '?');
    }
    field[n] = 0;
}

} // namespace

VST3Controller::VST3Controller() : m_sink(std::make_shared<vk::vst3::EditSink>()) {}

VST3Controller::~VST3Controller()
{
    for (auto* view : std::exchange(m_views, {}))
        view->controllerGone();
    vk::vst3::unregisterEditSink(m_sink.get());
    m_sink->close();
    stopListening();
    detachSink();
}

FUnknown* VST3Controller::createInstance()
{
    auto* controller = new (std::nothrow) VST3Controller();
    return controller == nullptr ? nullptr : static_cast<IEditController*>(controller);
}

bool VST3Controller::hasProcessor()
{
    return pairedProcessor() != nullptr;
}

VkJuceProcessorBase* VST3Controller::pairedProcessor()
{
    if (m_link == nullptr)
        return nullptr;
    std::lock_guard<std::mutex> guard(m_link->lock);
    return m_link->processor;
}

void VST3Controller::startListening()
{
    if (m_link == nullptr || m_listening)
        return;
    std::lock_guard<std::mutex> guard(m_link->lock);
    if (m_link->processor != nullptr)
    {
        m_link->processor->addListener(&m_link->reporter);
        m_listening = true;
    }
}

void VST3Controller::stopListening()
{
    if (m_link == nullptr || !m_listening)
        return;
    std::lock_guard<std::mutex> guard(m_link->lock);
    if (m_link->processor != nullptr)
        m_link->processor->removeListener(&m_link->reporter);
    m_listening = false;
}

void VST3Controller::attachSink()
{
    if (m_link == nullptr)
        return;
    std::lock_guard<std::mutex> guard(m_link->lock);
    m_link->sink = m_sink;
}

void VST3Controller::detachSink()
{
    if (m_link == nullptr)
        return;
    std::lock_guard<std::mutex> guard(m_link->lock);
    if (m_link->sink.lock() == m_sink)
        m_link->sink.reset();
}

void VST3Controller::pairWith(std::shared_ptr<vk::vst3::ProcessorLink> link)
{
    if (link == nullptr || link == m_link)
        return;
    stopListening();
    detachSink();
    m_link = std::move(link);
    m_sink->setLink(m_link);
    attachSink();
    if (m_initialized)
    {
        startListening();
        std::lock_guard<std::mutex> guard(m_link->lock);
        if (m_link->processor != nullptr)
        {
            buildParameters(*m_link->processor, true);
            followProcessorValues(*m_link->processor);
        }
    }
    applyTold();
    // The host learns the values of the processor it connected this controller to.
    m_link->reporter.queue.requestRestart(kParamValuesChanged);
    vk::vst3::requestFlush();
}

void VST3Controller::applyTold()
{
    auto told = std::exchange(m_told, {});
    if (told.state)
        restore(*told.state);
    for (const auto& [id, value] : told.values)
        setParamNormalized(id, value);
}

void VST3Controller::buildParameters(VkJuceProcessorBase& processor, bool ownValues)
{
    if (m_parametersBuilt)
        return;
    m_parametersBuilt = true;
    parameters.addParameter(STR16("Master Bypass"), nullptr, 1, 0.0,
                            ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass, vk::vst3::kBypassParamId);
    for (int i = 0; i < processor.getNumParameters(); ++i)
    {
        if (!processor.isParameterExposedToHost(i))
            continue;
        ParameterInfo info{};
        info.id = ParamID(i);
        copyText(info.title, processor.getParameterName(i));
        copyText(info.shortTitle, processor.getParameterName(i));
        // The processor framework has no unit texts: units stay empty.
        info.units[0] = 0;
        info.stepCount = 0;
        info.defaultNormalizedValue = processor.getParameterRecord(i).defaultValue.load();
        info.flags =
            processor.isParameterAutomatable(i) ? ParameterInfo::kCanAutomate : ParameterInfo::kIsReadOnly;
        info.unitId = kRootUnitId;
        if (auto* p = parameters.addParameter(info))
            p->setNormalized(ownValues ? processor.getParameter(i) : info.defaultNormalizedValue);
    }
}

void VST3Controller::followProcessorValues(VkJuceProcessorBase& processor)
{
    for (int32 i = 0; i < parameters.getParameterCount(); ++i)
        if (auto* p = parameters.getParameterByIndex(i); p != nullptr)
            p->setNormalized(p->getInfo().id == vk::vst3::kBypassParamId
                                 ? (m_link->bypass.load() ? 1.0 : 0.0)
                                 : ParamValue(processor.getParameter(int(p->getInfo().id))));
}

tresult PLUGIN_API VST3Controller::initialize(FUnknown* context)
{
    const tresult result = EditController::initialize(context);
    m_contextRunLoop = vk::vst3::RunLoopOffer(context);
    m_initialized = true;
    startListening();
    if (result == kResultOk)
    {
        // Unpaired, the layout comes from any live instance, and the values are the defaults.
        const auto layout = m_link != nullptr ? m_link : vk::vst3::anyLiveProcessor();
        if (layout != nullptr)
        {
            std::lock_guard<std::mutex> guard(layout->lock);
            if (layout->processor != nullptr)
                buildParameters(*layout->processor, layout == m_link);
        }
    }
    vk::vst3::registerEditSink(m_sink);
    if (m_link != nullptr)
    {
        m_link->reporter.queue.requestRestart(kParamValuesChanged);
        vk::vst3::requestFlush();
    }
    return result;
}

tresult PLUGIN_API VST3Controller::terminate()
{
    // The host may still hold the view: its editor closes, the object stays until the host releases it.
    for (auto* view : std::exchange(m_views, {}))
        view->controllerGone();
    vk::vst3::unregisterEditSink(m_sink.get());
    m_sink->setHandler(nullptr);
    stopListening();
    m_initialized = false;
    m_parametersBuilt = false; // the SDK's terminate removes them
    m_contextRunLoop = {};
    return EditController::terminate();
}

tresult VST3Controller::restore(const juce::MemoryBlock& bytes)
{
    // No report read before the restore goes out after it; then the host reads the restored values.
    const auto hold = m_sink->holdPasses();
    {
        // Before the link: the message thread takes the link while it holds its work.
        const vk::vst3::MessageWorkPause messageWork;
        std::lock_guard<std::mutex> guard(m_link->lock);
        if (m_link->processor == nullptr)
            return kResultFalse;
        bool bypassed = false;
        const tresult result =
            VST3Processor::readComponentState(*m_link->processor, m_link->reporter, bytes, bypassed);
        if (result != kResultOk)
            return result;
        m_link->bypass.store(bypassed);
        // The host reads the restored values from here; the parameter objects carry them too.
        followProcessorValues(*m_link->processor);
    }
    m_sink->readValuesNow(hold);
    return kResultOk;
}

tresult PLUGIN_API VST3Controller::setComponentState(IBStream* state)
{
    if (state == nullptr)
        return kInvalidArgument;
    juce::MemoryBlock bytes;
    if (!vk::vst3::readWholeStream(*state, bytes))
        return kResultFalse;
    if (m_link != nullptr)
        return restore(bytes);
    // Not yet paired: kept for the controller's own processor. What can be checked without a processor
    // is, so that a state no processor would take is refused now, not after the answer.
    const auto inspected = vk::vst3::inspectComponentState(bytes);
    if (inspected.refused || (inspected.ours && vk::state::parseFramedDocument(
                                                    bytes.getData(), inspected.split.chunkSize) == nullptr))
        return kResultFalse;
    m_bypass = inspected.ours && inspected.split.bypassed ? 1.0 : 0.0;
    if (auto* p = getParameterObject(vk::vst3::kBypassParamId))
        p->setNormalized(m_bypass);
    m_told = {std::move(bytes), {}};
    return kResultOk;
}

tresult PLUGIN_API VST3Controller::setState(IBStream* state)
{
    if (state == nullptr)
        return kInvalidArgument;
    juce::MemoryBlock bytes;
    if (!vk::vst3::readWholeStream(*state, bytes))
        return kResultFalse;
    if (m_link != nullptr)
    {
        std::lock_guard<std::mutex> guard(m_link->lock);
        if (m_link->processor != nullptr)
            m_link->processor->setExtraState(bytes.getData(), int(bytes.getSize()));
    }
    return kResultOk;
}

tresult PLUGIN_API VST3Controller::getState(IBStream* state)
{
    if (state == nullptr)
        return kInvalidArgument;
    juce::MemoryBlock bytes;
    if (m_link != nullptr)
    {
        std::lock_guard<std::mutex> guard(m_link->lock);
        if (m_link->processor != nullptr)
            m_link->processor->getExtraState(bytes);
    }
    return vk::vst3::writeWholeStream(*state, bytes) ? kResultOk : kResultFalse;
}

ParamValue PLUGIN_API VST3Controller::getParamNormalized(ParamID id)
{
    if (id == vk::vst3::kProgramParamId)
        return 0.0;
    if (m_link == nullptr)
    {
        // Not yet paired: the bypass and the values the host set, or the defaults.
        if (id == vk::vst3::kBypassParamId)
            return m_bypass;
        return EditController::getParamNormalized(id);
    }
    if (id == vk::vst3::kBypassParamId)
        return m_link->bypass.load() ? 1.0 : 0.0;
    std::lock_guard<std::mutex> guard(m_link->lock);
    return m_link->processor != nullptr ? ParamValue(m_link->processor->getParameter(int(id))) : 0.0;
}

tresult PLUGIN_API VST3Controller::setParamNormalized(ParamID id, ParamValue value)
{
    // Only what was published is taken: an unknown id could reach a framework command (undo, redo…).
    if (id != vk::vst3::kBypassParamId && id != vk::vst3::kProgramParamId &&
        getParameterObject(id) == nullptr)
        return kInvalidArgument;
    value = std::clamp(value, 0.0, 1.0);
    if (m_link == nullptr)
    {
        // Kept for the controller's own processor.
        if (id == vk::vst3::kBypassParamId)
            m_bypass = value;
        // One value per parameter, the last: however often the host sets them, the list stays short.
        if (id != vk::vst3::kProgramParamId)
        {
            auto& told = m_told.values;
            told.erase(
                std::remove_if(told.begin(), told.end(), [id](const auto& v) { return v.first == id; }),
                told.end());
            told.emplace_back(id, value);
        }
    }
    else if (id == vk::vst3::kBypassParamId)
    {
        m_link->bypass.store(value > 0.5);
    }
    else if (id != vk::vst3::kProgramParamId)
    {
        std::lock_guard<std::mutex> guard(m_link->lock);
        if (m_link->processor != nullptr)
            m_link->processor->setParameterInternal(int(id), float(value), false, false, true);
    }
    return EditController::setParamNormalized(id, value);
}

tresult PLUGIN_API VST3Controller::setComponentHandler(IComponentHandler* handler)
{
    m_sink->setHandler(handler);
    return EditController::setComponentHandler(handler);
}

IPlugView* PLUGIN_API VST3Controller::createView(FIDString name)
{
    if (name == nullptr || std::strcmp(name, ViewType::kEditor) != 0 || !m_initialized)
        return nullptr;
    {
        // A view without an editor would leave the host an empty window: hosts ask for one to learn
        // whether there is an editor at all.
        if (m_link == nullptr)
            return nullptr;
        std::lock_guard<std::mutex> guard(m_link->lock);
        if (m_link->processor == nullptr || !m_link->processor->hasEditor())
            return nullptr;
    }
    auto* view = new (std::nothrow) VST3Editor(*this, m_link);
    if (view != nullptr)
        m_views.push_back(view);
    return view;
}

void VST3Controller::viewGone(VST3Editor* view)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

tresult PLUGIN_API VST3Controller::notify(IMessage* message)
{
    if (const auto token = vk::vst3::readLinkMessage(message))
    {
        pairWith(vk::vst3::findProcessorLink(token));
        return kResultOk;
    }
    return EditController::notify(message);
}

} // namespace Steinberg::Vst
