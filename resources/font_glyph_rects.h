#pragma once

#include <cstdint>

namespace vk::resources
{

/** Glyph rectangles of the bitmap fonts, written by the artwork generator with the font images: for font
    index 0..8 (10, 11, 12, 14, 18, 20, 22, 24 and 28 pixels), four values x1, y1, x2, y2 per code 10..2048.
    Constant-initialised, so usable by other globals' constructors. [any thread] */
const int32_t* getGlyphRects(int fontIndex) noexcept;

} // namespace vk::resources
