// Names cut to their column: known answers in the editor's 11-pixel font, whole code points only, the
// buffer's own limit, and a column too narrow even for the dots.
#include "presets/vk_preset_name_fit.h"

#include "font_metrics_table.h"
#include "vk_juce_ogl_font.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace vk;

namespace
{
struct NameFitTest : ::testing::Test
{
    NameFitTest() { font.load("FONT_FontText11_png", &getFontMetricsTable(1), nullptr); }
    int width(const char* text) const { return font.measureText(text); }
    std::string fit(const char* name, int w, size_t size = 64)
    {
        std::vector<char> out(size);
        return fitNameToWidth(font, name, w, out.data(), out.size());
    }
    VkJuceOglFont font;
};
} // namespace

TEST_F(NameFitTest, ANameIsCutAtWholeCodePointsAndEndsInDots)
{
    ASSERT_GT(width("..."), 0);
    char out[64];
    const char* name = "Percussion pusher";
    EXPECT_EQ(fitNameToWidth(font, name, width(name), out, sizeof(out)), name); // fits: drawn as it is
    struct Case
    {
        const char* name;
        int width;
        const char* expected;
    };
    for (const Case& c : {Case{name, width(name) - 1, "Percussion push..."},
                          Case{name, width("Percussion p...") + 1, "Percussion p..."},
                          Case{name, width("Percussion ...") + 1, "Percussion..."}, // no space before the dots
                          Case{"Café au lait", width("Caf\xC3\xA9...") + 1, "Caf\xC3\xA9..."},
                          Case{"Café au lait", width("Caf\xC3\xA9...") - 1, "Caf..."},
                          Case{name, width("..."), "..."},
                          Case{name, width("...") - 1, ""},
                          Case{name, -5, ""}})
    {
        SCOPED_TRACE(c.expected);
        const auto fitted = fit(c.name, c.width);
        EXPECT_EQ(fitted, c.expected);
        EXPECT_LE(width(fitted.c_str()), std::max(0, c.width));
    }
}

TEST_F(NameFitTest, AResultLongerThanTheBufferIsCutWhereTheBufferEnds)
{
    const std::string longName(500, 'W');
    const auto fitted = fit(longName.c_str(), width(longName.c_str()) - 1, 16);
    EXPECT_EQ(fitted, std::string(12, 'W') + "...");
    EXPECT_EQ(fit(longName.c_str(), 1000, 3), "");
    // A font without metrics measures nothing, so every name fits.
    VkJuceOglFont empty;
    char out[8];
    EXPECT_STREQ(fitNameToWidth(empty, longName.c_str(), 0, out, sizeof(out)), longName.c_str());
}
