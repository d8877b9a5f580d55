#pragma once

// The VST3 component state and the host streams it travels in. The state is the framed chunk every
// format shares, followed, after a chunk of ours only, by a VST3-only trailer that carries the bypass
// (the VST3 bypass is a parameter of the binding, not of the processor): the four bytes "VKBP" and one
// byte, 1 when bypassed. A state without the trailer is not bypassed. The state of an earlier version,
// kept and saved back unchanged, never gets the trailer. [host main thread]

#include <juce_core/juce_core.h>
#include <pluginterfaces/base/ibstream.h>

namespace vk::vst3
{

inline constexpr char kBypassTrailerTag[4] = {'V', 'K', 'B', 'P'};
inline constexpr int kBypassTrailerSize = 5;

// Reads from the stream's position to its end, however small the pieces the stream hands out. The bytes
// a read delivers are data whatever it answers; a read that delivers none ends the stream. False when
// that read answers an error, or a read claims more bytes than it was asked for.
bool readWholeStream(Steinberg::IBStream& stream, juce::MemoryBlock& out);
// Writes all of `bytes` at the stream's position, however small the pieces the stream takes.
bool writeWholeStream(Steinberg::IBStream& stream, const juce::MemoryBlock& bytes);

// Appends the trailer to `state` when it is a chunk of ours.
void appendBypassTrailer(juce::MemoryBlock& state, bool bypassed);
// The size of the part of `state` that is the shared chunk (the whole when it is not a chunk of ours),
// and the bypass its trailer carries (false without one). `cutTrailer`: a trailer begins after the chunk
// but ends early; the state was cut and its bypass is lost, so it must be refused.
struct SplitState
{
    int chunkSize;
    bool bypassed;
    bool cutTrailer = false;
};
SplitState splitBypassTrailer(const juce::MemoryBlock& state);

// A whole component state as a host hands it over, checked before any processor reads it: refused
// (`refused`) when too short to be any saved state or when a chunk of ours had its bypass trailer cut.
// `ours`: our chunk, of `split.chunkSize` bytes; otherwise the state of an earlier version.
struct InspectedState
{
    bool refused;
    bool ours;
    SplitState split;
};
InspectedState inspectComponentState(const juce::MemoryBlock& whole);

} // namespace vk::vst3
