#pragma once

#include <cstdint>

namespace vk
{

/** The 32-bit name hash of the embedded resource table: h = h * 31 + b over the name's bytes taken as signed
    8-bit values, wrapping. Shared by the lookup and by the artwork generator that builds the table.

    [any thread] No allocation.
*/
constexpr uint32_t hashResourceName(const char* name) noexcept
{
    uint32_t h = 0;
    for (const char* p = name; *p != 0; ++p)
        h = h * 31u + (uint32_t)(int32_t)(signed char)*p;
    return h;
}

} // namespace vk
