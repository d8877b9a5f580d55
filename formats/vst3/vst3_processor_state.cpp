// The component state of the VST3 processor: our framed chunk, or the state of an earlier version.

#include "formats/vst3/vst3_processor.h"

#include "processor/vk_processor_base.h"

#include <pluginterfaces/base/ibstream.h>

#include <cstring>

namespace Steinberg::Vst
{
namespace
{

// The chunk's frame header: the magic and the 32-bit text length.
constexpr int kFrameHeaderSize = 8;

// Reads from where the host left the stream: hosts that keep a header of their own in front of the
// plug-in's state (session files, preset files) position the stream after it.
bool readWholeStream(IBStream& stream, juce::MemoryBlock& out)
{
    char chunk[16384];
    for (;;)
    {
        int32 numRead = 0;
        if (stream.read(chunk, int32(sizeof chunk), &numRead) != kResultOk || numRead <= 0)
            break;
        out.append(chunk, std::size_t(numRead));
        if (numRead < int32(sizeof chunk))
            break;
    }
    return true;
}

} // namespace

tresult VST3Processor::readComponentState(VkJuceProcessorBase& processor, IBStream* state)
{
    if (state == nullptr)
        return kInvalidArgument;
    juce::MemoryBlock whole;
    if (!readWholeStream(*state, whole))
        return kResultFalse;
    // Too short to be any saved state: refused without asking about earlier versions.
    if (whole.getSize() < std::size_t(kFrameHeaderSize))
        return kResultFalse;
    if (std::memcmp(whole.getData(), "VC2!", 4) == 0)
        processor.readStateChunk(whole.getData(), int(whole.getSize()));
    else
        processor.readEarlierVersionState(whole.getData(), int(whole.getSize()));
    return kResultOk;
}

tresult PLUGIN_API VST3Processor::setState(IBStream* state)
{
    if (state == nullptr)
        return kInvalidArgument;
    if (m_processor == nullptr)
        return kResultFalse;
    return readComponentState(*m_processor, state);
}

tresult PLUGIN_API VST3Processor::getState(IBStream* state)
{
    if (state == nullptr)
        return kInvalidArgument;
    if (m_processor == nullptr)
        return kResultFalse;
    juce::MemoryBlock bytes;
    m_processor->writeSavedState(bytes);
    // Written at the stream's current position, never from its start: a host may already have written
    // its own header there, and overwriting it loses the session's state.
    int32 written = 0;
    if (state->write(bytes.getData(), int32(bytes.getSize()), &written) != kResultOk ||
        written != int32(bytes.getSize()))
        return kResultFalse;
    return kResultOk;
}

} // namespace Steinberg::Vst
