#pragma once

// The processor's view of the host transport, from the last process context the host passed.
// [audio thread] No allocation.

#include "processor/vk_sequenced_copy.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <pluginterfaces/vst/ivstprocesscontext.h>

namespace vk::vst3
{

// The last process context the host passed, handed from the audio thread to readers on any thread (a
// host parameter change reads the tempo on its UI thread). Cleared at each activation: a context from
// before it describes a transport that has moved on since.
using ProcessContextExchange = VkSequencedCopy<Steinberg::Vst::ProcessContext>;

// Nothing before processing has started. Frame rates follow the context's frames per second and its
// pull-down and drop flags: 24 with pull-down is 23.976, 30 with pull-down is 29.97 (a host that writes
// 29 means the same), each with the drop flag as given.
juce::Optional<juce::AudioPlayHead::PositionInfo>
positionFromContext(const Steinberg::Vst::ProcessContext& context, bool started);

} // namespace vk::vst3
