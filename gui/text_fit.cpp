#include "text_fit.h"

#include "utf8_decoder.h"
#include "vk_juce_ogl_font.h"

#include <cstring>

namespace vk
{

size_t fitTextStart(const FontMetricsTable& metrics, const char* utf8, size_t length, int budget,
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

const char* fitNameToWidth(const VkJuceOglFont& font, const char* utf8, int width, char* out,
                           size_t outSize) noexcept
{
    static constexpr char dots[] = "...";
    const auto* metrics = font.getMetrics();
    if (utf8 == nullptr || metrics == nullptr || font.measureText(utf8) <= width)
        return utf8;
    const int budget = width - font.measureText(dots);
    if (out == nullptr || outSize < sizeof(dots) || budget < 0)
        return "";

    // Room left in out for the dots and the terminating zero.
    const size_t kept = fitTextStart(*metrics, utf8, std::strlen(utf8), budget, outSize - sizeof(dots));
    std::memcpy(out, utf8, kept);
    std::memcpy(out + kept, dots, sizeof(dots));
    return out;
}

} // namespace vk
