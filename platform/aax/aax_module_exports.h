#pragma once

// The seven entry points an AAX host resolves by name in a module, as function types, so that the module
// and a host loading it agree on them. Results are AAX result codes.

#include "platform/aax/acf_unknown.h"

#include <cstdint>

namespace vk::aax
{

using ACFRegisterPluginProc = Result (*)(IACFUnknown* host, IACFUnknown** collection);
using ACFRegisterComponentProc = Result (*)(IACFUnknown* host, std::uint32_t index, IACFUnknown** component);
using ACFGetClassFactoryProc = Result (*)(IACFUnknown* host, const Guid& classId, const Guid& iid,
                                          void** factory);
using ACFCanUnloadNowProc = Result (*)();
using ACFStartupProc = Result (*)(IACFUnknown* host);
using ACFShutdownProc = Result (*)(IACFUnknown* host);
using ACFGetSDKVersionProc = Result (*)(std::uint64_t* version);

// The version the module was written against.
constexpr std::uint64_t kSdkVersion = 0x00000201007756BFull;

} // namespace vk::aax
