#pragma once

// The frame around the saved state and the careful readers it needs. Hosts hand back whatever bytes they
// stored, so every reader here assumes the bytes may be truncated, padded, corrupted or hostile: nothing
// reads outside the given range, no length taken from the data is trusted, and text that the framework's
// own readers would turn into undefined behaviour (integer overflow, unbounded allocation, unbounded
// recursion) is refused first.
// [any thread] Pure functions; they allocate (text, XML tree, memory blocks).

#include <juce_core/juce_core.h>

#include <cstdint>
#include <memory>
#include <optional>

namespace vk::state
{

// "VC2!", then the text length as 32-bit little-endian, the UTF-8 text and a zero byte.
inline constexpr char kMagic[4] = {'V', 'C', '2', '!'};
inline constexpr int kHeaderSize = 8;

// True when the block is at least a header long and starts with the magic.
bool hasFrameHeader(const void* data, int size) noexcept;

// The signed length field of a block that hasFrameHeader accepts.
std::int32_t readDeclaredLength(const void* data) noexcept;

// Frames `text` into `out` (replacing its contents).
void frameText(const juce::String& text, juce::MemoryBlock& out);

// The document inside a framed block, or null when there is no frame, the length is not positive, the
// text is not UTF-8 or not well-formed XML, or it nests deeper than any state we write could.
// A declared length beyond the block is cut to the bytes present.
std::unique_ptr<juce::XmlElement> parseFramedDocument(const void* data, int size);

// The deepest element nesting of an XML text, counted conservatively (never less than a parser would
// reach), so that deeply nested input can be refused before a recursive parser sees it.
int estimateNestingDepth(juce::CharPointer_UTF8 text) noexcept;

// A whole decimal integer (optional sign, digits, optional surrounding spaces) that fits an int.
std::optional<int> parseInt(const juce::String& text) noexcept;

// The number a stored value's text starts with, read as the framework reads it (leading spaces and sign,
// 0 when no number starts the text), but in any locale and without its integer overflow on a long exponent:
// a number beyond a double's range reads as an infinity.
double parseLeadingNumber(const juce::String& text) noexcept;

// The framework's base-64 form of a memory block ("<byte count>.<characters>"), or nothing when the
// count is malformed or larger than the characters can carry.
std::optional<juce::MemoryBlock> decodeMemoryBlock(const juce::String& text);

} // namespace vk::state
