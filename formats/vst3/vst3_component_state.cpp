#include "formats/vst3/vst3_component_state.h"

#include "processor/vk_state_chunk.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vk::vst3
{

using namespace Steinberg;

bool readWholeStream(IBStream& stream, juce::MemoryBlock& out)
{
    char piece[16384];
    for (;;)
    {
        int32 numRead = 0;
        const tresult result = stream.read(piece, int32(sizeof piece), &numRead);
        // More than was asked for is no count a stream can give.
        if (numRead > int32(sizeof piece))
            return false;
        // Bytes delivered are data, whatever the read answers: some streams (the SDK's own file stream)
        // answer kResultFalse to a short last read that still hands its bytes over.
        if (numRead > 0)
        {
            out.append(piece, std::size_t(numRead));
            continue;
        }
        // A read that delivers nothing ends the stream; one that fails outright refuses it.
        return result == kResultOk || result == kResultFalse;
    }
}

bool writeWholeStream(IBStream& stream, const juce::MemoryBlock& bytes)
{
    const auto* data = static_cast<const char*>(bytes.getData());
    std::size_t done = 0;
    while (done < bytes.getSize())
    {
        const auto want = int32(std::min<std::size_t>(bytes.getSize() - done, 1u << 30));
        int32 written = 0;
        if (stream.write(const_cast<char*>(data + done), want, &written) != kResultOk || written <= 0)
            return false;
        done += std::size_t(written);
    }
    return true;
}

namespace
{
// The size of our frame at the start of `state`, or 0 when it does not start with one.
int frameSize(const juce::MemoryBlock& state)
{
    const int size = int(std::min<std::size_t>(state.getSize(), std::size_t(INT32_MAX)));
    if (!vk::state::hasFrameHeader(state.getData(), size))
        return 0;
    // In 64 bits: a length near the 32-bit limit must not wrap around to a small or negative size.
    const std::int64_t declared = vk::state::readDeclaredLength(state.getData());
    const std::int64_t framed = std::max<std::int64_t>(declared, 0) + vk::state::kHeaderSize + 1;
    return int(std::min<std::int64_t>(framed, size));
}
} // namespace

void appendBypassTrailer(juce::MemoryBlock& state, bool bypassed)
{
    if (frameSize(state) == 0)
        return;
    state.append(kBypassTrailerTag, sizeof kBypassTrailerTag);
    const char flag = bypassed ? 1 : 0;
    state.append(&flag, 1);
}

SplitState splitBypassTrailer(const juce::MemoryBlock& state)
{
    const int whole = int(std::min<std::size_t>(state.getSize(), std::size_t(INT32_MAX)));
    const int chunk = frameSize(state);
    const int rest = whole - chunk;
    if (chunk == 0 || rest <= 0 || rest > kBypassTrailerSize)
        return {whole, false};
    const auto* trailer = static_cast<const char*>(state.getData()) + chunk;
    const auto tagBytes = std::min<std::size_t>(std::size_t(rest), sizeof kBypassTrailerTag);
    if (std::memcmp(trailer, kBypassTrailerTag, tagBytes) != 0)
        return {whole, false};
    if (rest < kBypassTrailerSize)
        return {chunk, false, true};
    return {chunk, trailer[sizeof kBypassTrailerTag] == 1};
}

InspectedState inspectComponentState(const juce::MemoryBlock& whole)
{
    // Too short to be any saved state: refused without asking about earlier versions.
    if (whole.getSize() < std::size_t(vk::state::kHeaderSize))
        return {true, false, {0, false}};
    if (!vk::state::hasFrameHeader(whole.getData(), vk::state::kHeaderSize))
        return {false, false, {int(std::min<std::size_t>(whole.getSize(), INT32_MAX)), false}};
    const auto split = splitBypassTrailer(whole);
    return {split.cutTrailer, true, split};
}

} // namespace vk::vst3
