#include "vk_preset_name_fit.h"

#include "utf8_decoder.h"
#include "vk_juce_ogl_font.h"

#include <algorithm>
#include <cstring>

namespace vk
{

namespace
{
constexpr char dots[] = "...";
constexpr size_t dotsLength = sizeof(dots) - 1;
// The longest text any cut name is built in; longer names are cut where it ends.
constexpr size_t scratchSize = 256;

// Bytes of the longest start of utf8's first `length` bytes that is at most `budget` pixels wide and at
// most `room` bytes long, whole code points only, trailing spaces dropped.
size_t fitStart(const FontMetricsTable& metrics, const char* utf8, size_t length, int budget,
                size_t room) noexcept
{
    size_t kept = 0;
    int used = 0;
    const char* p = utf8;
    while (*p != 0 && (size_t)(p - utf8) < length)
    {
        used += (int)metrics.getAdvance(decodeUtf8AndAdvance(p));
        const auto end = (size_t)(p - utf8);
        if (used > budget || end > room || end > length)
            break;
        kept = end;
    }
    while (kept > 0 && utf8[kept - 1] == ' ')
        --kept;
    return kept;
}

size_t countCodePoints(const char* utf8) noexcept
{
    size_t count = 0;
    for (const char* p = utf8; *p != 0; ++count)
        decodeUtf8AndAdvance(p);
    return count;
}

// The byte offset at which code point `index` starts.
size_t offsetOfCodePoint(const char* utf8, size_t index) noexcept
{
    const char* p = utf8;
    for (size_t i = 0; i < index && *p != 0; ++i)
        decodeUtf8AndAdvance(p);
    return (size_t)(p - utf8);
}

// How many names of the list other than entry n's own could read as `shown` (made of the first headBytes of
// n's name, "..." and its last tailBytes): drawn whole or cut plainly as that text, or cut and starting and
// ending as it does.
int countReadingAlike(const VkJuceOglFont& font, const FittedNameList& list, int n, const char* shown,
                      size_t headBytes, size_t tailBytes, size_t size) noexcept
{
    const char* name = list.nameAt(n);
    const char* tail = shown + headBytes + dotsLength;
    char drawn[scratchSize];
    int alike = 0;
    for (int m = 0; m < list.size(); ++m)
    {
        const char* other = list.nameAt(m);
        if (m == n || std::strcmp(other, name) == 0 || std::strncmp(other, name, headBytes) != 0)
            continue;
        const char* drawnOther = fitNameToWidth(font, other, list.widthAt(m), drawn, size);
        const size_t length = std::strlen(other);
        if (std::strcmp(drawnOther, shown) == 0 ||
            (drawnOther != other && length >= headBytes + tailBytes &&
             std::memcmp(other + length - tailBytes, tail, tailBytes) == 0))
            ++alike;
    }
    return alike;
}
} // namespace

const char* fitNameToWidth(const VkJuceOglFont& font, const char* utf8, int width, char* out,
                           size_t outSize) noexcept
{
    const auto* metrics = font.getMetrics();
    if (utf8 == nullptr || metrics == nullptr || font.measureText(utf8) <= width)
        return utf8;
    const int budget = width - font.measureText(dots);
    if (out == nullptr || outSize < sizeof(dots) || budget < 0)
        return "";

    // Room left in out for the dots and the terminating zero.
    const size_t kept = fitStart(*metrics, utf8, std::strlen(utf8), budget, outSize - sizeof(dots));
    std::memcpy(out, utf8, kept);
    std::memcpy(out + kept, dots, sizeof(dots));
    return out;
}

const char* fitNameApart(const VkJuceOglFont& font, const FittedNameList& list, int n, char* out,
                         size_t outSize) noexcept
{
    if (n < 0 || n >= list.size())
        return "";
    const char* name = list.nameAt(n);
    const int width = list.widthAt(n);
    const size_t size = std::min(outSize, scratchSize);
    const char* cut = fitNameToWidth(font, name, width, out, size);
    const auto* metrics = font.getMetrics();
    if (cut != out || *cut == 0 || metrics == nullptr)
        return cut;

    // Other names drawn as the same text.
    const size_t keptBytes = std::strlen(cut) - dotsLength;
    char drawn[scratchSize];
    int alike = 0;
    for (int m = 0; m < list.size(); ++m)
    {
        const char* other = list.nameAt(m);
        if (m != n && std::strcmp(other, name) != 0 && std::strncmp(other, cut, keptBytes) == 0 &&
            std::strcmp(fitNameToWidth(font, other, list.widthAt(m), drawn, size), cut) == 0)
            ++alike;
    }

    // The shortest end that tells it apart from every other name, after as much of the start as still fits
    // beside it; where no end that fits does, the one that leaves the fewest names reading alike.
    const size_t length = std::strlen(name);
    const size_t count = countCodePoints(name);
    const int dotsWidth = font.measureText(dots);
    char shown[scratchSize];
    for (size_t k = 1; k < count && alike > 0; ++k)
    {
        const size_t tailStart = offsetOfCodePoint(name, count - k);
        const size_t tailBytes = length - tailStart;
        const int budget = width - dotsWidth - font.measureText(name + tailStart);
        if (budget < 0 || tailBytes + sizeof(dots) > size)
            break;
        const size_t headBytes = fitStart(*metrics, name, tailStart, budget, size - sizeof(dots) - tailBytes);
        std::memcpy(shown, name, headBytes);
        std::memcpy(shown + headBytes, dots, dotsLength);
        std::memcpy(shown + headBytes + dotsLength, name + tailStart, tailBytes + 1);
        const int left = countReadingAlike(font, list, n, shown, headBytes, tailBytes, size);
        if (left < alike)
        {
            std::memcpy(out, shown, headBytes + dotsLength + tailBytes + 1);
            alike = left;
        }
    }
    return out;
}

} // namespace vk
