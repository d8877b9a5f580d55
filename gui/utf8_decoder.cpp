#include "utf8_decoder.h"

namespace vk
{

uint32_t decodeUtf8AndAdvance(const char*& p) noexcept
{
    const auto* s = reinterpret_cast<const uint8_t*>(p);
    const uint8_t lead = s[0];
    if (lead < 0x80)
    {
        ++p;
        return lead;
    }

    int announced;
    uint32_t code;
    if ((lead & 0xC0) == 0x80) // a stray continuation byte stands alone
    {
        announced = 0;
        code = lead & 0x3Fu;
    }
    else if ((lead & 0xE0) == 0xC0)
    {
        announced = 1;
        code = lead & 0x1Fu;
    }
    else if ((lead & 0xF0) == 0xE0)
    {
        announced = 2;
        code = lead & 0x0Fu;
    }
    else
    {
        announced = 3;
        code = lead & 0x07u;
    }

    int length = 1;
    bool decoding = true;
    for (int i = 1; i <= announced; ++i)
    {
        const uint8_t b = s[i];
        if (b == 0)
            break; // truncated: the terminator ends the text here
        if (decoding && (b & 0xC0) == 0x80)
            code = (code << 6) | (b & 0x3Fu);
        else
            decoding = false;
        length = i + 1;
    }
    p += length;
    return code;
}

} // namespace vk
