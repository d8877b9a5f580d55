#pragma once

// Which parameter ids a VST3 host sees: the processor's exposed main parameters by index, plus the
// bypass. Ids outside this set (the framework's command parameters above all) are never taken from a
// host and never reported to one. [any thread] No allocation.

#include "formats/identity/vk_plugin_identity.h"

#include <pluginterfaces/vst/vsttypes.h>

class VkJuceProcessorBase;

namespace vk::vst3
{

inline constexpr Steinberg::Vst::ParamID kBypassParamId = vk::identity::fourCC("bpas");
inline constexpr Steinberg::Vst::ParamID kProgramParamId = vk::identity::fourCC("prst");

bool isPublishedParameter(VkJuceProcessorBase& processor, Steinberg::Vst::ParamID id);

} // namespace vk::vst3
