// Names cut to their column in the editor's 11-pixel font: whole code points only, no space before the
// dots, the buffer's own limit, and a column too narrow even for the dots.
#include "presets/vk_preset_name_fit.h"

#include "font_metrics_table.h"
#include "vk_juce_ogl_font.h"

#include <gtest/gtest.h>

#include <string>

using namespace vk;

TEST(NameFit, ANameIsCutAtWholeCodePointsAndEndsInDots)
{
    VkJuceOglFont font;
    font.load("FONT_FontText11_png", &getFontMetricsTable(1), nullptr);
    const auto width = [&](const std::string& text) { return font.measureText(text.c_str()); };
    const std::string name = "Percussion pusher", cafe = "Caf\xC3\xA9 au lait", longName(500, 'W');
    char out[64];
    EXPECT_EQ(fitNameToWidth(font, name.c_str(), width(name), out, sizeof(out)), name.c_str()); // fits as is
    struct Case
    {
        const std::string& name;
        int width;
        size_t size;
        std::string expected;
    };
    for (const Case& c :
         {Case{name, width("Percussion p...") + 1, 64, "Percussion p..."},
          Case{name, width("Percussion ...") + 1, 64, "Percussion..."},
          Case{cafe, width("Caf\xC3\xA9...") + 1, 64, "Caf\xC3\xA9..."},
          Case{cafe, width("Caf\xC3\xA9...") - 1, 64, "Caf..."}, Case{name, width("..."), 64, "..."},
          Case{name, width("...") - 1, 64, ""},
          Case{longName, width(longName) - 1, 16, std::string(12, 'W') + "..."}, Case{longName, 1000, 3, ""}})
    {
        SCOPED_TRACE(c.expected);
        const std::string fitted = fitNameToWidth(font, c.name.c_str(), c.width, out, c.size);
        EXPECT_EQ(fitted, c.expected);
        EXPECT_LE(width(fitted), std::max(0, c.width));
    }
}
