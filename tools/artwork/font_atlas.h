#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

namespace vk::artwork
{

/** One bitmap font: the glyph image and four values x1, y1, x2, y2 per code 10..2048.

    Every glyph rectangle is one line high and as wide as the glyph's rounded advance; codes the font does not
    have, control codes and zero-width marks get an empty rectangle (they draw nothing and do not advance).
*/
struct FontAtlas
{
    int pixelSize = 0;
    int lineHeight = 0;
    juce::Image image; // null when only the metrics were asked for
    std::vector<int> rects;
};

/** fontFile: a TrueType file; withImage false lays the glyphs out without drawing them. */
FontAtlas buildFontAtlas(const juce::File& fontFile, int pixelSize, bool withImage);

} // namespace vk::artwork
