#pragma once

// The surround channel orders a stereo signal can be routed into: routing choices 0..2 name a 5.1 order,
// 3..8 a 7.1 order. The tables are built when the module starts and only read afterwards.
// [any thread] Reading allocates only the returned string's reference count.

#include <juce_core/juce_core.h>

namespace vk::channels
{

inline constexpr int kNum51Orders = 3;
inline constexpr int kNum71Orders = 6;
inline constexpr int kFirst71Choice = 3;

const juce::StringArray& orders51();
const juce::StringArray& orders71();

// The speakers of an order, in channel order ("L C R Ls Rs LFE"); empty for an unknown name.
juce::String speakerOrder(const juce::String& orderName);

// The name of a routing choice (0..8), or an empty string outside the tables.
juce::String routingChoiceName(int choice);

} // namespace vk::channels
