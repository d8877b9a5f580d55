#include "font_atlas.h"

#include "artwork_theme.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <stdexcept>

namespace vk::artwork
{

namespace
{
constexpr int firstCode = 10;
constexpr int lastCode = 2048;

/** FreeType answers what the font covers and how far each glyph advances; JUCE does the drawing. */
class FaceMetrics
{
public:
    explicit FaceMetrics(const juce::File& file)
    {
        if (FT_Init_FreeType(&library) != 0)
            throw std::runtime_error("FreeType init failed");
        if (FT_New_Face(library, file.getFullPathName().toRawUTF8(), 0, &face) != 0)
            throw std::runtime_error("cannot open font " + file.getFullPathName().toStdString());
    }
    ~FaceMetrics()
    {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    FaceMetrics(const FaceMetrics&) = delete;
    FaceMetrics& operator=(const FaceMetrics&) = delete;

    float unitsPerEm() const { return (float)face->units_per_EM; }
    float ascender() const { return (float)face->ascender; }
    float descender() const { return (float)face->descender; }

    /** Rounded advance in pixels at the em size, 0 for missing glyphs and marks. */
    int advance(int code, float emPixels) const
    {
        const FT_UInt index = FT_Get_Char_Index(face, (FT_ULong)code);
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) != 0)
            return 0;
        return (int)std::lround((double)face->glyph->advance.x * emPixels / unitsPerEm());
    }

private:
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

bool isControlCode(int c)
{
    return c < 32 || (c >= 127 && c < 160);
}
} // namespace

FontAtlas buildFontAtlas(const juce::File& fontFile, int pixelSize, bool withImage)
{
    FaceMetrics metrics(fontFile);
    const float em = (float)pixelSize;
    const float lineUnits = metrics.ascender() - metrics.descender();
    FontAtlas atlas;
    atlas.pixelSize = pixelSize;
    atlas.lineHeight = (int)std::ceil(em * lineUnits / metrics.unitsPerEm());
    const float baseline = std::round(em * metrics.ascender() / metrics.unitsPerEm());

    const int atlasWidth = pixelSize <= 12 ? 512 : 1024;
    constexpr int gap = 1; // keeps linear filtering from sampling a neighbour
    int x = 0, y = 0;
    std::vector<int> widths;
    for (int c = firstCode; c <= lastCode; ++c)
        widths.push_back(isControlCode(c) ? 0 : metrics.advance(c, em));

    atlas.rects.reserve((size_t)(lastCode - firstCode + 1) * 4);
    for (int c = firstCode; c <= lastCode; ++c)
    {
        const int w = widths[(size_t)(c - firstCode)];
        if (x + w > atlasWidth)
        {
            x = 0;
            y += atlas.lineHeight + gap;
        }
        atlas.rects.insert(atlas.rects.end(), {x, y, x + w, y + atlas.lineHeight});
        if (w > 0)
            x += w + gap;
    }
    if (!withImage)
        return atlas;

    const int height = y + atlas.lineHeight;
    atlas.image = juce::Image(juce::Image::ARGB, atlasWidth, height, true, juce::SoftwareImageType());
    juce::Graphics g(atlas.image);
    // JUCE's font height spans ascender to descender, which makes the em exactly pixelSize.
    g.setFont(juce::Font(typefaces().regular).withHeight(em * lineUnits / metrics.unitsPerEm()));
    g.setColour(juce::Colours::white);
    for (int c = firstCode; c <= lastCode; ++c)
    {
        const int* r = atlas.rects.data() + (c - firstCode) * 4;
        if (r[2] == r[0])
            continue;
        const juce::Graphics::ScopedSaveState save(g);
        g.reduceClipRegion(juce::Rectangle<int>(r[0], r[1], r[2] - r[0], r[3] - r[1]));
        g.drawSingleLineText(juce::String::charToString((juce::juce_wchar)c), r[0], r[1] + (int)baseline);
    }
    return atlas;
}

} // namespace vk::artwork
