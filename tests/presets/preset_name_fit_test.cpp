// Names cut to their column in the editor's 11-pixel font.
#include "presets/vk_preset_name_fit.h"

#include "font_metrics_table.h"
#include "vk_juce_ogl_font.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using namespace vk;

TEST(NameFit, ANameIsCutAtWholeCodePointsAndEndsInDots)
{
    VkJuceOglFont font;
    font.load("FONT_FontText11_png", &getFontMetricsTable(1), nullptr);
    const auto width = [&](const std::string& text) { return font.measureText(text.c_str()); };
    const std::string name = "Percussion pusher", cafe = "Caf\xC3\xA9 au lait", longName(500, 'W');
    // name, column width, buffer size, the name fitted
    const std::tuple<std::string, int, size_t, std::string> cases[] = {
        {name, width(name), 64, name},
        {name, width("Percussion p...") + 1, 64, "Percussion p..."},
        {name, width("Percussion ...") + 1, 64, "Percussion..."},
        {cafe, width("Caf\xC3\xA9...") + 1, 64, "Caf\xC3\xA9..."},
        {cafe, width("Caf\xC3\xA9...") - 1, 64, "Caf..."},
        {name, width("..."), 64, "..."},
        {name, width("...") - 1, 64, ""},
        {longName, width(longName) - 1, 16, std::string(12, 'W') + "..."},
        {longName, 1000, 3, ""}};
    char out[64];
    for (const auto& [text, columnWidth, size, expected] : cases)
    {
        const std::string fitted = fitNameToWidth(font, text.c_str(), columnWidth, out, size);
        EXPECT_EQ(fitted, expected);
        EXPECT_LE(width(fitted), std::max(0, columnWidth));
    }
}
