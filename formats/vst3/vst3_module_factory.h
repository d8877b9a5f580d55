#pragma once

// The module's plug-in factory: the identity's factory information, the processor class and the
// controller class. Built on first use and kept for the life of the module. [host main thread]

#include "formats/vst3/vst3_plugin_factory.h"

namespace vk::vst3
{

PluginFactory& moduleFactory();

} // namespace vk::vst3
