#include "vk_preset_name_fit.h"

#include "utf8_decoder.h"
#include "vk_juce_ogl_font.h"

#include <cstring>

namespace vk
{

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

    // Whole code points only, and room left in out for the dots and the terminating zero.
    const size_t room = outSize - sizeof(dots);
    size_t kept = 0;
    int used = 0;
    const char* p = utf8;
    while (*p != 0)
    {
        used += (int)metrics->getAdvance(decodeUtf8AndAdvance(p));
        if (used > budget || (size_t)(p - utf8) > room)
            break;
        kept = (size_t)(p - utf8);
    }
    while (kept > 0 && utf8[kept - 1] == ' ')
        --kept;
    std::memcpy(out, utf8, kept);
    std::memcpy(out + kept, dots, sizeof(dots));
    return out;
}

} // namespace vk
