#include "font_metrics_table.h"

#include "font_glyph_rects.h"

namespace vk
{

FontMetricsTable::FontMetricsTable(const int32_t* rects) : glyphRects(rects)
{
    if (glyphRects == nullptr)
        return;
    lineHeight = glyphRects[3] - glyphRects[1];
    for (int32_t c = firstCode; c <= lastCode; ++c)
    {
        const int32_t* r = glyphRects + (c - firstCode) * 4;
        advance[(std::size_t)c] = (uint32_t)(r[2] - r[0]);
    }
}

GlyphRect FontMetricsTable::getGlyph(uint32_t code) const noexcept
{
    if (glyphRects == nullptr || code < (uint32_t)firstCode || code > (uint32_t)lastCode)
        return {};
    const int32_t* r = glyphRects + (code - (uint32_t)firstCode) * 4;
    return {r[0], r[1], r[2], r[3]};
}

uint32_t FontMetricsTable::getAdvance(uint32_t code) const noexcept
{
    return code <= (uint32_t)lastCode ? advance[code] : 0u;
}

namespace
{
// Built at module start from the generated rectangles, which are constant-initialised and therefore ready
// before any dynamic initialisation runs.
const FontMetricsTable tables[9] = {
    FontMetricsTable(resources::getGlyphRects(0)), FontMetricsTable(resources::getGlyphRects(1)),
    FontMetricsTable(resources::getGlyphRects(2)), FontMetricsTable(resources::getGlyphRects(3)),
    FontMetricsTable(resources::getGlyphRects(4)), FontMetricsTable(resources::getGlyphRects(5)),
    FontMetricsTable(resources::getGlyphRects(6)), FontMetricsTable(resources::getGlyphRects(7)),
    FontMetricsTable(resources::getGlyphRects(8))};
} // namespace

const FontMetricsTable& getFontMetricsTable(int index)
{
    return tables[index < 0 ? 0 : (index > 8 ? 8 : index)];
}

} // namespace vk
