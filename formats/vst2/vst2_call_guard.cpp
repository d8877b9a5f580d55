#include "formats/vst2/vst2_call_guard.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>

namespace vk::vst2
{
namespace
{

// A pointer the host may have meant: nothing is ever mapped in the lowest 64 KiB, user space lies below
// the sign bit, and the structures passed are 4-byte aligned. A value like -1 is no address.
bool isPlausiblePointer(Vst2::VstIntPtr address)
{
    return address >= 0x10000 && address % 4 == 0;
}

} // namespace

bool isExistingWindow(void* window)
{
    const auto id = reinterpret_cast<std::uintptr_t>(window);
    // X resource ids have 29 bits; 0 is None.
    if (id == 0 || id > 0x1FFFFFFFu)
        return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    bool exists = false;
    if (xcb_connection_has_error(connection) == 0)
    {
        xcb_generic_error_t* error = nullptr;
        auto* reply = xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, xcb_window_t(id)), &error);
        exists = reply != nullptr && error == nullptr;
        std::free(reply);
        std::free(error);
    }
    xcb_disconnect(connection);
    return exists;
}

bool refusesCall(Vst2::VstInt32 opcode, Vst2::VstIntPtr value, void* ptr)
{
    switch (opcode)
    {
    case Vst2::effEditGetRect:
    case Vst2::effGetChunk:
    case Vst2::effGetInputProperties:
    case Vst2::effGetOutputProperties:
    case Vst2::effCanDo:
        return ptr == nullptr;
    case Vst2::effGetSpeakerArrangement:
        // Both arguments are places the wrapper writes an arrangement's address to.
        return !isPlausiblePointer(reinterpret_cast<Vst2::VstIntPtr>(ptr)) || !isPlausiblePointer(value);
    case Vst2::effSetSpeakerArrangement:
        // Either arrangement may be left out (null); one that is given must be readable.
        return (value != 0 && !isPlausiblePointer(value)) ||
               (ptr != nullptr && !isPlausiblePointer(reinterpret_cast<Vst2::VstIntPtr>(ptr)));
    case Vst2::effEditOpen:
        return !isExistingWindow(ptr);
    default:
        return false;
    }
}

} // namespace vk::vst2
