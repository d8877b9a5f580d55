#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vk
{

/** Where one glyph lies in its font image, in pixels. */
struct GlyphRect
{
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

/** Glyph rectangles of one bitmap font size for the codes 10..2048, with the line height and advance widths
    derived from them once at module start.

    [any thread] Immutable after construction. No allocation.
*/
class FontMetricsTable
{
public:
    static constexpr int32_t firstCode = 10;
    static constexpr int32_t lastCode = 2048;
    static constexpr int numCodes = lastCode - firstCode + 1;

    /** rects: four values (x1, y1, x2, y2) per code from firstCode to lastCode; null gives an empty table. */
    explicit FontMetricsTable(const int32_t* rects);

    /** Codes outside firstCode..lastCode have the empty rectangle. */
    GlyphRect getGlyph(uint32_t code) const noexcept;
    uint32_t getAdvance(uint32_t code) const noexcept;
    int32_t getLineHeight() const noexcept { return lineHeight; }

private:
    const int32_t* glyphRects;
    int32_t lineHeight = 0;
    std::array<uint32_t, lastCode + 1> advance{};
};

/** The nine tables of the sizes 10, 11, 12, 14, 18, 20, 22, 24 and 28 pixels, by index 0..8. */
const FontMetricsTable& getFontMetricsTable(int index);

} // namespace vk
