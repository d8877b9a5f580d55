#pragma once

// The plug-in format a processor was created for, as the number each binding passes at creation.
// [any thread] Allocates the returned strings.

#include <juce_core/juce_core.h>

namespace vk
{

enum WrapperType : int
{
    kWrapperVst = 1,
    kWrapperAu = 2,
    kWrapperRtas = 3,
    kWrapperAax = 4,
    kWrapperAudioSuite = 6,
    kWrapperVst3 = 7,
};

// "VST", "AU", "RTAS", "AAX", "AS", "VST3"; "UNDEFINED_PLUGIN_TYPE" for any other number.
juce::String formatNameForWrapperType(int wrapperType);

} // namespace vk
