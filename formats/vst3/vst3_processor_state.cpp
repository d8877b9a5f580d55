// The component state of the VST3 processor: our framed chunk with the bypass trailer, or the state of
// an earlier version.

#include "formats/vst3/vst3_processor.h"

#include "formats/vst3/vst3_component_state.h"
#include "formats/vst3/vst3_edit_sink.h"
#include "processor/vk_processor_base.h"

#include <pluginterfaces/base/ibstream.h>

#include <cstring>

namespace Steinberg::Vst
{
namespace
{

// The chunk's frame header: the magic and the 32-bit text length.
constexpr int kFrameHeaderSize = 8;

} // namespace

tresult VST3Processor::readComponentState(VkJuceProcessorBase& processor, vk::vst3::EditReporter& reporter,
                                          IBStream* state, bool& bypassed)
{
    if (state == nullptr)
        return kInvalidArgument;
    // Read from where the host left the stream: hosts that keep a header of their own in front of the
    // plug-in's state (session files, preset files) position the stream after it.
    juce::MemoryBlock whole;
    if (!vk::vst3::readWholeStream(*state, whole))
        return kResultFalse;
    // Too short to be any saved state: refused without asking about earlier versions.
    if (whole.getSize() < std::size_t(kFrameHeaderSize))
        return kResultFalse;
    if (std::memcmp(whole.getData(), "VC2!", 4) == 0)
    {
        // A chunk that holds no whole document (cut, damaged) changes nothing, the bypass switch included;
        // nor does a whole one whose bypass trailer was cut off part-way.
        const auto split = vk::vst3::splitBypassTrailer(whole);
        if (split.cutTrailer || !processor.readStateChunk(whole.getData(), split.chunkSize))
            return kResultFalse;
        bypassed = split.bypassed;
    }
    else
    {
        processor.readEarlierVersionState(whole.getData(), int(whole.getSize()));
        bypassed = false;
    }
    // The restore itself reports nothing: the host reads the values, which are not always the state's
    // (an earlier version's state, values the processor adjusts while reading), so it is asked to.
    // Confirmations of the values held before it must not follow it, nor those of a set-up after it.
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
    bool bypassed = false;
    // The processor's message-thread work reads the programs and values: it waits while they change.
    const vk::vst3::MessageWorkPause messageWork;
    const tresult result = readComponentState(*m_processor, m_link->reporter, state, bypassed);
    if (result == kResultOk)
        m_link->bypass.store(bypassed);
    return result;
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
