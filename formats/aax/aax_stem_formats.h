#pragma once

// AAX stem formats: the channel configuration of a component's input or output as one 32-bit code (a
// layout number in the high half, the channel count in the low half), and the channel-order table that
// says where left and right stand in a wider output. [any thread] No allocation.

#include <cstdint>
#include <utility>

namespace vk::aax
{

constexpr std::uint32_t kStemFormatNone = 0xFF9C0000u;

// The stem format a component of `channels` channels declares; none for counts without one.
std::uint32_t stemFormatForChannels(int channels) noexcept;

struct StemLayout
{
    int channels;
    // The speakers from left to right, as the host lists them ("L R", "L C R Ls Rs LFE"); "" for none.
    const char* speakers;
};

// The layout of a stem format the host reports; 0 channels and "" for one this module does not know.
StemLayout stemLayout(std::uint32_t stemFormat) noexcept;

// The output positions of left and right when a stereo signal feeds more outputs, for the processor's
// channel-layout choice; a choice outside the nine known layouts keeps them at 0 and 1.
std::pair<int, int> stereoOutputPositions(int layoutChoice) noexcept;

} // namespace vk::aax
