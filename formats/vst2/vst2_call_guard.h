#pragma once

// Host calls the GUI framework's wrapper would follow into memory or windows that are not there: a
// pointer it writes through or reads without looking (the editor rectangle, the chunk address, pin
// properties, the capability text, speaker arrangements), and an editor window that does not exist,
// which ends the host through the X library's default error handler. The adapter refuses them (0)
// before the wrapper sees them. [thread of the call]

#include "platform/vst2/vk_vst2_interface.h"

namespace vk::vst2
{

// True when the call must be refused. Opens a short connection to the X server for effEditOpen.
bool refusesCall(Vst2::VstInt32 opcode, Vst2::VstIntPtr value, void* ptr);

// Whether `window` names a window the X server of $DISPLAY knows. Asks over a connection of its own,
// whose errors come back as answers, so no process-wide error handler is involved.
bool isExistingWindow(void* window);

} // namespace vk::vst2
