#pragma once

#include <cstddef>

namespace vk
{

class FontMetricsTable;
class VkJuceOglFont;

/** A text as it fits width pixels in the font: the whole text when it fits, else the longest start of it
    (trailing spaces dropped) followed by "...", or nothing when not even "..." fits.

    Returns utf8 itself when it fits, else out, which receives the cut text (a text too long for out is cut
    where out ends). [any thread] No allocation: it runs in frames.
*/
const char* fitNameToWidth(const VkJuceOglFont& font, const char* utf8, int width, char* out,
                           size_t outSize) noexcept;

/** Bytes of the longest start of utf8's first `length` bytes that is at most `budget` pixels wide and at
    most `room` bytes long, whole code points only, trailing spaces dropped. [any thread] No allocation. */
size_t fitTextStart(const FontMetricsTable& metrics, const char* utf8, size_t length, int budget,
                    size_t room) noexcept;

} // namespace vk
