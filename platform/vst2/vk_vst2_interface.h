#pragma once

// The VST 2.4 interface layer for our own code (adapters, raw hosts, tests): the same declarations the
// GUI framework's wrapper sees, in the same namespace Vst2 the wrapper puts them in, so that a type named
// on both sides is one type.

#include <cstddef>
#include <cstdint>

namespace Vst2
{
#include "platform/vst2/vk_vst2_extended.h"
} // namespace Vst2
