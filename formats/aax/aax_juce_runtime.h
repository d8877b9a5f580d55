#pragma once

// What the AAX objects share with the GUI framework: the processor's creation function (set by whoever
// builds the module) and the module's JUCE GUI use count.
//
// No AAX host on Linux runs the plug-in's message loop, so the use count is the one the VST3 binding
// keeps: the first use starts JUCE on a message thread of the module's own, the last one stops it there.
// It is counted under a lock (hosts may create objects on more than one thread) and held by RAII members
// and scopes, so that no path, exceptions included, leaves it unbalanced. The AAX module is its own binary,
// so its count is separate from the VST3 module's.

#include "formats/vst3/vst3_framework_lifetime.h"

class VkJuceProcessorBase;

namespace vk::aax
{

using JuceGuiUse = vk::vst3::FrameworkLifetime;

using ProcessorFactoryFunction = VkJuceProcessorBase* (*)(int wrapperType);

// [any thread]
void setProcessorFactory(ProcessorFactoryFunction create) noexcept;
ProcessorFactoryFunction getProcessorFactory() noexcept;

} // namespace vk::aax
