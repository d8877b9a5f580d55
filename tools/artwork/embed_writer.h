#pragma once

#include <juce_core/juce_core.h>

#include <vector>

namespace vk::artwork
{

struct EmbeddedBlock
{
    juce::String name; // e.g. "background_png"
    juce::MemoryBlock data;
};

/** Writes the generated sources: the byte blocks with their named constants (header and source) and the
    resource table sorted by name hash. Files are only rewritten when their text changes, so an unchanged
    generator run does not trigger a rebuild. */
bool writeResourceSources(const std::vector<EmbeddedBlock>& blocks, const juce::File& cppFile,
                          const juce::File& headerFile);

/** Writes the glyph rectangles of the nine fonts. */
bool writeGlyphRectSource(const std::vector<std::vector<int>>& rectsPerFont, const juce::File& cppFile);

} // namespace vk::artwork
