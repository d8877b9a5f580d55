// Names cut to their column in the editor's 11-pixel font.
#include "presets/vk_preset_name_fit.h"

#include "font_metrics_table.h"
#include "vk_juce_ogl_font.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

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

namespace
{
struct NameColumns final : FittedNameList
{
    std::vector<std::pair<std::string, int>> entries;
    int size() const noexcept override { return (int)entries.size(); }
    const char* nameAt(int i) const noexcept override { return entries[(size_t)i].first.c_str(); }
    int widthAt(int i) const noexcept override { return entries[(size_t)i].second; }
};
} // namespace

TEST(NameFit, NamesThatWouldReadAlikeKeepAsMuchOfTheirEndAsTellsThemApart)
{
    VkJuceOglFont font;
    font.load("FONT_FontText11_png", &getFontMetricsTable(1), nullptr);
    const auto width = [&](const std::string& text) { return font.measureText(text.c_str()); };
    // Lists as a grid draws them: name, column width, the name as shown. The product's factory presets at
    // its grid's widths (82 pixels for factory presets, 80 for the slots holding their copies): five of them
    // read "Mo to St El G..." and "Mo to St Ac..." alike. Names that fit, or whose cut reads like no other
    // name (a preset's copy in its slot has the same name), keep the plain cut.
    const std::vector<std::vector<std::tuple<std::string, int, std::string>>> lists = {
        {{"Mo to St Ac Guit 1", 82, "Mo to St Ac...1"},
         {"Mo to St Ac Guit 2", 82, "Mo to St Ac...2"},
         {"Mo to St El Guit 1", 82, "Mo to St El...1"},
         {"Mo to St El Guit 2", 82, "Mo to St El...2"},
         {"Mo to St El Guit 3", 82, "Mo to St El...3"},
         {"Percussion pusher", 82, "Percussion p..."},
         {"Mastering 1", 82, "Mastering 1"},
         {"Mo to St Ac Guit 1", 80, "Mo to St Ac...1"},
         {"Mo to St Ac Guit 2", 80, "Mo to St Ac...2"},
         {"Mo to St El Guit 3", 80, "Mo to St El...3"},
         {"Percussion pusher", 80, "Percussion p..."}},
        // Only the end fits beside the dots; a name drawn whole as another's cut reads apart from it too.
        {{"WWWWWWWW1", width("...1") + 1, "...1"},
         {"WWWWWWWW2", width("...1") + 1, "...2"},
         {"Pad...", width("Pad...") + 1, "Pad..."},
         {"Pad one", width("Pad...") + 1, "Pa...e"}},
        // Narrower: the end that differs leaves no room for the start. Where no end that fits tells a name
        // apart from all others, the one that leaves the fewest alike.
        {{"Mo to St Ac Guit 1", 51, "...c Guit 1"},
         {"Mo to St El Guit 1", 51, "...l Guit 1"},
         {"Mo to St El Guit 2", 51, "Mo to...2"},
         {"Ac Guit 1", 51, "Ac Guit 1"}},
        {{"Mo to St Ac Guit 1", 40, "Mo t...1"},
         {"Mo to St El Guit 1", 40, "Mo t...1"},
         {"Mo to St El Guit 2", 40, "Mo t...2"}}};
    for (const auto& cases : lists)
    {
        NameColumns list;
        for (const auto& [name, columnWidth, shown] : cases)
            list.entries.emplace_back(name, columnWidth);
        for (int n = 0; n < list.size(); ++n)
        {
            char out[64];
            const std::string shown = fitNameApart(font, list, n, out, sizeof(out));
            EXPECT_EQ(shown, std::get<2>(cases[(size_t)n])) << list.nameAt(n);
            EXPECT_LE(width(shown), list.widthAt(n));
        }
    }
}
