#pragma once

#include <cstddef>

namespace vk
{

class VkJuceOglFont;

/** A name as it fits a column of the preset grid: the whole name when it fits width pixels in the font,
    else the longest start of it (trailing spaces dropped) followed by "...", or nothing when not even "..."
    fits.

    Returns utf8 itself when it fits, else out, which receives the cut text (a name too long for out is cut
    where out ends). [any thread] No allocation: it runs in frames.
*/
const char* fitNameToWidth(const VkJuceOglFont& font, const char* utf8, int width, char* out,
                           size_t outSize) noexcept;

} // namespace vk
