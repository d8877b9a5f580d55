#include "vk_preset_name_fit.h"

#include "text_fit.h"
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
        const size_t headBytes =
            fitTextStart(*metrics, name, tailStart, budget, size - sizeof(dots) - tailBytes);
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
