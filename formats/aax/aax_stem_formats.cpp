#include "formats/aax/aax_stem_formats.h"

#include <array>

namespace vk::aax
{
namespace
{

struct StemEntry
{
    std::uint32_t format;
    StemLayout layout;
};

constexpr StemEntry kStemTable[] = {
    {0x00000001u, {1, "M"}},
    {0x00010002u, {2, "L R"}},
    {0x00020003u, {3, "L C R"}},
    {0x00030004u, {4, "L C R S"}},
    {0x00040004u, {4, "L R Ls Rs"}},
    {0x00050005u, {5, "L C R Ls Rs"}},
    {0x00060006u, {6, "L C R Ls Rs LFE"}},
    {0x00070006u, {6, "L C R Ls Cs Rs"}},
    {0x00080007u, {7, "L C R Ls Cs Rs LFE"}},
    {0x00090007u, {7, "L Lc C Rc R Ls Rs"}},
    {0x000A0008u, {8, "L Lc C Rc R Ls Rs LFE"}},
    {0x000B0007u, {7, "L C R Lss Rss Lsr Rsr"}},
    {0x000C0008u, {8, "L C R Lss Rss Lsr Rsr LFE"}},
};

// What a component of n channels declares, n = 0..8.
constexpr std::uint32_t kFormatForChannels[] = {kStemFormatNone, 0x00000001u, 0x00010002u,
                                                0x00020003u,     0x00040004u, 0x00050005u,
                                                0x00060006u,     0x000B0007u, 0x000C0008u};

constexpr int kLayouts = 9;
constexpr int kPositions = 10;
using OrderTable = std::array<std::array<int, kPositions>, kLayouts>;

// Row r, position p: the channel that stands at position p in layout r.
constexpr OrderTable kChannelOrder{{
    {0, 2, 1, 4, 5, 3, 6, 7, 8, 9},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
    {0, 1, 4, 5, 2, 3, 6, 7, 8, 9},
    {0, 2, 1, 4, 5, 6, 7, 3, 8, 9},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
    {0, 2, 1, 4, 5, 6, 7, 3, 8, 9},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
    {0, 6, 2, 7, 1, 4, 5, 3, 8, 9},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
}};

// Row r, channel c: the position of channel c (the last one holding it). Built at compile time, so no
// thread ever sees it half made.
constexpr OrderTable invert(const OrderTable& order)
{
    OrderTable inverse{};
    for (int row = 0; row < kLayouts; ++row)
        for (int position = 0; position < kPositions; ++position)
        {
            const int channel = order[std::size_t(row)][std::size_t(position)];
            if (channel >= 0 && channel < kPositions)
                inverse[std::size_t(row)][std::size_t(channel)] = position;
        }
    return inverse;
}

constexpr OrderTable kChannelPosition = invert(kChannelOrder);

} // namespace

std::uint32_t stemFormatForChannels(int channels) noexcept
{
    if (channels < 0 || channels >= int(std::size(kFormatForChannels)))
        return kStemFormatNone;
    return kFormatForChannels[channels];
}

StemLayout stemLayout(std::uint32_t stemFormat) noexcept
{
    for (const auto& entry : kStemTable)
        if (entry.format == stemFormat)
            return entry.layout;
    return {0, ""};
}

std::pair<int, int> stereoOutputPositions(int layoutChoice) noexcept
{
    if (layoutChoice < 0 || layoutChoice >= kLayouts)
        return {0, 1};
    const auto& row = kChannelPosition[std::size_t(layoutChoice)];
    return {row[0], row[1]};
}

} // namespace vk::aax
