#pragma once

#include <cstdint>

namespace vk
{

/** Decodes the code point at p (which must not point at the terminating zero) and moves p past it.

    The walk moves by the length the lead byte announces, so a malformed sequence skips the bytes it claimed,
    but never past the terminating zero of a truncated sequence: p then stops on that zero.

    [any thread] No allocation.
*/
uint32_t decodeUtf8AndAdvance(const char*& p) noexcept;

} // namespace vk
