// The component state of the VST3 processor: our framed chunk with the bypass trailer, or the state of
// an earlier version.

#include "formats/vst3/vst3_processor.h"

#include "formats/vst3/vst3_component_state.h"
#include "formats/vst3/vst3_edit_sink.h"
#include "processor/vk_processor_base.h"

#include <pluginterfaces/base/ibstream.h>

namespace Steinberg::Vst
{

tresult VST3Processor::readComponentState(VkJuceProcessorBase& processor, vk::vst3::EditReporter& reporter,
                                          const juce::MemoryBlock& whole, bool& bypassed)
{
    const auto inspected = vk::vst3::inspectComponentState(whole);
    if (inspected.refused)
        return kResultFalse;
    if (inspected.ours)
    {
        // A chunk that holds no whole document (cut, damaged) changes nothing, the bypass switch included.
        if (!processor.readStateChunk(whole.getData(), inspected.split.chunkSize))
            return kResultFalse;
        bypassed = inspected.split.bypassed;
    }
    else
    {
        processor.readEarlierVersionState(whole.getData(), int(whole.getSize()));
        bypassed = false;
    }
    // The restore itself reports nothing: the host reads the values, which are not always the state's
    // (an earlier version's state, values the processor adjusts while reading), so it is asked to.
    // Nothing reported before it may follow it (a report from before would undo a restored value), nor
    // the confirmations of a set-up after it.
    reporter.hostRestoredValues();
    reporter.queue.requestRestart(kParamValuesChanged);
    vk::vst3::requestFlush();
    return kResultOk;
}

tresult PLUGIN_API VST3Processor::setState(IBStream* state)
{
    if (state == nullptr)
        return kInvalidArgument;
    if (m_processor == nullptr)
        return kResultFalse;
    // Read from where the host left the stream: hosts that keep a header of their own in front of the
    // plug-in's state (session files, preset files) position the stream after it.
    juce::MemoryBlock whole;
    if (!vk::vst3::readWholeStream(*state, whole))
        return kResultFalse;
    std::shared_ptr<vk::vst3::EditSink> sink;
    {
        std::lock_guard<std::mutex> guard(m_link->lock);
        sink = m_link->sink.lock();
    }
    // No report read before the restore goes out after it.
    const auto hold = sink != nullptr ? sink->holdPasses() : vk::vst3::EditSink::PassHold();
    bool bypassed = false;
    tresult result = kResultFalse;
    {
        // The processor's message-thread work reads the programs and values: it waits while they change.
        const vk::vst3::MessageWorkPause messageWork;
        result = readComponentState(*m_processor, m_link->reporter, whole, bypassed);
    }
    if (result != kResultOk)
        return result;
    m_link->bypass.store(bypassed);
    if (sink != nullptr)
        sink->readValuesNow(hold);
    return kResultOk;
}

tresult PLUGIN_API VST3Processor::getState(IBStream* state)
{
    if (state == nullptr)
        return kInvalidArgument;
    if (m_processor == nullptr)
        return kResultFalse;
    juce::MemoryBlock bytes;
    {
        // No editor change or timer work on the message thread alters the programs halfway through.
        const vk::vst3::MessageWorkPause messageWork;
        m_processor->writeSavedState(bytes);
    }
    vk::vst3::appendBypassTrailer(bytes, m_link->bypass.load());
    // Written at the stream's current position, never from its start: a host may already have written
    // its own header there, and overwriting it loses the session's state.
    return vk::vst3::writeWholeStream(*state, bytes) ? kResultOk : kResultFalse;
}

} // namespace Steinberg::Vst
