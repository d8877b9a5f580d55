#pragma once

// The processor's play head from the AAX host's transport. Only what the host answered is reported: a
// query that fails leaves its fields unset (a processor then keeps what it knew), and a stopped transport
// reports only that it is stopped. [audio thread] No allocation.

#include "formats/aax/aax_transport.h"

#include <juce_audio_basics/juce_audio_basics.h>

namespace vk::aax
{

// Ticks per quarter note of the host's tick positions.
constexpr double kTicksPerQuarter = 960000.0;

// Nothing without a transport.
juce::Optional<juce::AudioPlayHead::PositionInfo> positionFromTransport(const AAX_ITransport* transport);

// The frame rate of the host's time-code code 1..7 (24, 25, 29.97, 29.97 drop, 30, 30 drop, 60); nothing
// for any other code.
juce::Optional<juce::AudioPlayHead::FrameRate> frameRateFromTimeCode(std::int32_t code) noexcept;

} // namespace vk::aax
