#include "formats/vst3/vst3_controller.h"

#include "formats/vst3/vst3_processor.h"
#include "formats/vst3/vst3_published_parameters.h"
#include "processor/vk_processor_base.h"

#include <pluginterfaces/base/ibstream.h>
#include <pluginterfaces/base/ustring.h>

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

VST3Controller::VST3Controller() : m_link(vk::vst3::lastCreatedProcessor()) {}

VST3Controller::~VST3Controller()
{
    vk::vst3::unregisterFlushTarget(this);
    if (m_link != nullptr && m_listening)
    {
        std::lock_guard<std::mutex> guard(m_link->lock);
        if (m_link->processor != nullptr)
            m_link->processor->removeListener(&m_link->reporter);
    }
}

FUnknown* VST3Controller::createInstance()
{
    auto* controller = new (std::nothrow) VST3Controller();
    return controller == nullptr ? nullptr : static_cast<IEditController*>(controller);
}

bool VST3Controller::hasProcessor()
{
    if (m_link == nullptr)
        return false;
    std::lock_guard<std::mutex> guard(m_link->lock);
    return m_link->processor != nullptr;
}

void VST3Controller::buildParameters(VkJuceProcessorBase& processor)
{
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
            p->setNormalized(processor.getParameter(i));
    }
}

tresult PLUGIN_API VST3Controller::initialize(FUnknown* context)
{
    const tresult result = EditController::initialize(context);
    if (m_link != nullptr)
    {
        std::lock_guard<std::mutex> guard(m_link->lock);
        if (auto* processor = m_link->processor)
        {
            processor->addListener(&m_link->reporter);
            m_listening = true;
            if (result == kResultOk)
                buildParameters(*processor);
        }
    }
    vk::vst3::registerFlushTarget(this);
    if (m_link != nullptr)
    {
        m_link->reporter.queue.requestRestart();
        vk::vst3::requestFlush();
    }
    return result;
}

tresult PLUGIN_API VST3Controller::terminate()
{
    vk::vst3::unregisterFlushTarget(this);
    if (m_link != nullptr && m_listening)
    {
        std::lock_guard<std::mutex> guard(m_link->lock);
        if (m_link->processor != nullptr)
            m_link->processor->removeListener(&m_link->reporter);
        m_listening = false;
    }
    return EditController::terminate();
}

tresult PLUGIN_API VST3Controller::setComponentState(IBStream* state)
{
    if (state == nullptr)
        return kInvalidArgument;
    if (m_link == nullptr)
        return kResultFalse;
    std::lock_guard<std::mutex> guard(m_link->lock);
    if (m_link->processor == nullptr)
        return kResultFalse;
    return VST3Processor::readComponentState(*m_link->processor, state);
}

tresult PLUGIN_API VST3Controller::setState(IBStream* state)
{
    if (state == nullptr)
        return kInvalidArgument;
    juce::MemoryBlock bytes;
    char chunk[4096];
    int32 numRead = 0;
    while (state->read(chunk, int32(sizeof chunk), &numRead) == kResultOk && numRead > 0)
        bytes.append(chunk, std::size_t(numRead));
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
    if (bytes.getSize() == 0)
        return kResultOk;
    int32 written = 0;
    return state->write(bytes.getData(), int32(bytes.getSize()), &written) == kResultOk &&
                   written == int32(bytes.getSize())
               ? kResultOk
               : kResultFalse;
}

ParamValue PLUGIN_API VST3Controller::getParamNormalized(ParamID id)
{
    if (m_link == nullptr)
        return 0.0;
    if (id == vk::vst3::kBypassParamId)
        return m_link->bypass.load() ? 1.0 : 0.0;
    if (id == vk::vst3::kProgramParamId)
        return 0.0;
    std::lock_guard<std::mutex> guard(m_link->lock);
    return m_link->processor != nullptr ? ParamValue(m_link->processor->getParameter(int(id))) : 0.0;
}

tresult PLUGIN_API VST3Controller::setParamNormalized(ParamID id, ParamValue value)
{
    // Only what was published is taken: an unknown id could reach a framework command (undo, redo…).
    if (id != vk::vst3::kBypassParamId && id != vk::vst3::kProgramParamId &&
        getParameterObject(id) == nullptr)
        return kInvalidArgument;
    if (id != vk::vst3::kBypassParamId && id != vk::vst3::kProgramParamId && m_link != nullptr)
    {
        std::lock_guard<std::mutex> guard(m_link->lock);
        if (m_link->processor != nullptr)
            m_link->processor->setParameterInternal(int(id), float(value), false, false, true);
    }
    return EditController::setParamNormalized(id, value);
}

tresult PLUGIN_API VST3Controller::setComponentHandler(IComponentHandler* handler)
{
    const vk::vst3::FlushGuard noFlushNow;
    return EditController::setComponentHandler(handler);
}

IPlugView* PLUGIN_API VST3Controller::createView(FIDString)
{
    // The product's editor is not part of this build: no view for any name.
    return nullptr;
}

void VST3Controller::flushEdits()
{
    if (m_link == nullptr || !m_link->active.load())
        return;
    const bool restart = m_link->reporter.queue.drain(
        [this](int id, float value, bool confirmation)
        {
            const auto tag = ParamID(id);
            if (confirmation)
            {
                // What the processor reported while it was prepared goes out only after its first
                // processing call, and as the value it holds now: a host restoring a session hands its
                // values over in that call, and the report of the values before them would undo them.
                std::lock_guard<std::mutex> guard(m_link->lock);
                if (m_link->processor == nullptr)
                    return;
                value = m_link->processor->getParameter(id);
            }
            if (auto* p = getParameterObject(tag))
                p->setNormalized(value);
            if (getComponentHandler() == nullptr)
                return;
            beginEdit(tag);
            performEdit(tag, value);
            endEdit(tag);
        },
        m_link->processedSinceActivation.load());
    if (restart && getComponentHandler() != nullptr)
        getComponentHandler()->restartComponent(0);
}

} // namespace Steinberg::Vst
