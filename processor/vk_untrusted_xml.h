#pragma once

// Parsing XML that comes from outside (host state chunks, preset files shared between users). The
// framework's parser is safe only on text it was written for, so everything it would mishandle is refused
// first: text that is not strictly UTF-8 (its own check lets overlong forms through and its string copy
// then writes past its end), nesting deeper than the caller's documents (the parser recurses), a DTD (its
// entities would be expanded; none of our documents has one), and a processing instruction other than
// the leading XML declaration (followed by text inside an element it makes the parser loop for ever), and
// any "&" that does not begin a predefined entity or a complete character reference naming an XML
// character or a control character (the parser re-parses unknown entity text and can read past the end
// of its buffer), and text that is not one whole
// element (the parser takes a text cut short, an unclosed element or a mismatched end tag as a document).
// [any thread] Pure functions; parsing allocates.

#include <juce_core/juce_core.h>

#include <cstddef>
#include <memory>

namespace vk::state
{

// Well-formed UTF-8 as RFC 3629 defines it (no overlong forms, surrogates or code points past U+10FFFF),
// without zero bytes.
bool isStrictUtf8(const void* data, std::size_t size) noexcept;

// The parsed document, or null when the bytes are refused as above or are not well-formed XML.
std::unique_ptr<juce::XmlElement> parseUntrustedXml(const void* data, std::size_t size, int maxNestingDepth);

} // namespace vk::state
