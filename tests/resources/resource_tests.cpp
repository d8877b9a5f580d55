#include "font_glyph_rects.h"
#include "named_resources.h"
#include "vk_binary_data.h"

#include <juce_graphics/juce_graphics.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

using vk::getNamedResource;
using vk::hashResourceName;

namespace
{
juce::Image decode(const char* name)
{
    int size = 0;
    const void* data = getNamedResource(name, size);
    if (data == nullptr)
        return {};
    return juce::ImageFileFormat::loadFrom(data, (size_t)size);
}

struct StripSpec
{
    const char* name;
    int width;
    int frameHeight;
    int frames;
};

// Every image of the editor with the size and frame layout its control expects.
// clang-format off
const StripSpec editorImages[] = {
    {"background_png", 640, 435, 1}, {"graph_mask_png", 640, 349, 1}, {"btn_bypass_png", 50, 22, 2},
    {"btn_undo_png", 44, 22, 2}, {"btn_redo_png", 44, 22, 2}, {"btn_ab_png", 44, 22, 2},
    {"btn_atob_png", 44, 22, 2}, {"btn_atob_a_to_b_png", 44, 22, 2}, {"btn_atob_b_to_a_png", 44, 22, 2},
    {"btn_preset_previous_png", 13, 14, 2}, {"btn_preset_next_png", 13, 14, 2},
    {"btn_preset_browser_png", 16, 16, 2}, {"drag_resolution_png", 112, 133, 10},
    {"drag_acuity_png", 111, 131, 101}, {"btn_invert_png", 99, 84, 2}, {"btn_fill_png", 99, 84, 2},
    {"drag_linear_width_png", 156, 81, 201}, {"btn_analysis_png", 62, 16, 2}, {"level_led_png", 12, 12, 30},
    {"btn_dynamics_png", 43, 22, 2}, {"drag_dyn_shape_png", 43, 24, 5}, {"drag_dyn_depth_png", 44, 24, 101},
    {"drag_dyn_speed_png", 44, 25, 101}, {"btn_tempo_png", 43, 22, 2}, {"drag_phase_png", 43, 23, 102},
    {"btn_mono_png", 43, 22, 2}, {"auto_level_png", 44, 22, 5}, {"btn_iid_png", 32, 28, 2},
    {"btn_itd_png", 34, 30, 2}, {"btn_link_png", 62, 28, 2}, {"btn_solo_left_png", 20, 24, 2},
    {"btn_solo_right_png", 20, 24, 2}, {"slider_thumb_png", 14, 12, 1}, {"Graph_particle_png", 64, 64, 1},
    {"logo_48x48_png", 48, 48, 1}};
// clang-format on
} // namespace

TEST(ResourceHash, KnownNamesHashAsDocumentedAndHighBytesCountAsNegative)
{
    EXPECT_EQ(hashResourceName("FONT_FontText10_png"), 1886973749u);
    EXPECT_EQ(hashResourceName("FONT_FontText20_png"), 1915602900u);
    EXPECT_EQ(hashResourceName(""), 0u);
    // 0xC3 is -61 and 0xA9 is -87 as signed bytes.
    EXPECT_EQ(hashResourceName("\xC3\xA9"), (uint32_t)(-61 * 31 - 87));
    static_assert(vk::hashResourceName("a") == 97u);
}

TEST(NamedResources, LookupFindsListedNamesAndRefusesUnknownEmptyAndCollidingOnes)
{
    int size = 0;
    const void* font10 = getNamedResource("FONT_FontText10_png", size);
    EXPECT_NE(font10, nullptr);
    EXPECT_GT(size, 100);

    for (const char* refused : {"FONT_FontText20_png", "", static_cast<const char*>(nullptr)})
    {
        size = 123;
        EXPECT_EQ(getNamedResource(refused, size), nullptr) << (refused ? refused : "null");
        EXPECT_EQ(size, 0);
    }

    // "ng" and "oH" add the same to the hash: a different name with an existing entry's hash is not found.
    const char* collider = "btn_ab_poH";
    ASSERT_EQ(hashResourceName(collider), hashResourceName("btn_ab_png"));
    EXPECT_EQ(getNamedResource(collider, size), nullptr);
    EXPECT_NE(getNamedResource("btn_ab_png", size), nullptr);

    // The named constants and the table hand out the same bytes.
    EXPECT_EQ(getNamedResource("background_png", size), vk::BinaryData::background_png);
    EXPECT_EQ(size, vk::BinaryData::background_pngSize);
}

TEST(NamedResources, TableIsSortedByHashAndHoldsNoLargeFontImages)
{
    int count = 0;
    const auto* table = vk::getResourceTable(count);
    ASSERT_GT(count, 0);
    std::set<std::string> names;
    for (int i = 0; i < count; ++i)
    {
        EXPECT_EQ(table[i].hash, hashResourceName(table[i].name));
        if (i > 0)
        {
            EXPECT_LE(table[i - 1].hash, table[i].hash);
        }
        EXPECT_TRUE(names.insert(table[i].name).second) << table[i].name;
        // Every block is a PNG file.
        ASSERT_GT(table[i].size, 8);
        EXPECT_EQ(table[i].data[1], 'P');
    }
    for (const char* absent :
         {"FONT_FontText20_png", "FONT_FontText22_png", "FONT_FontText24_png", "FONT_FontText28_png"})
        EXPECT_EQ(names.count(absent), 0u) << absent;
}

TEST(NamedResources, EveryRequestedNameResolvesAndDecodes)
{
    for (const char* name :
         {"FONT_FontText10_png", "FONT_FontText11_png", "FONT_FontText12_png", "FONT_FontText14_png",
          "FONT_FontText18_png", "Graph_particle_png", "frequency_banding_dot_png", "overlay_arc_edge_png",
          "overlay_width_control_mark_png", "logo_48x48_png"})
    {
        const auto img = decode(name);
        ASSERT_TRUE(img.isValid()) << name;
        EXPECT_EQ(img.getFormat(), juce::Image::ARGB) << name;
    }
}

TEST(NamedResources, EveryStripIsFrameHeightTimesFramesHigh)
{
    for (const auto& image : editorImages)
    {
        const auto img = decode(image.name);
        ASSERT_TRUE(img.isValid()) << image.name;
        EXPECT_EQ(img.getWidth(), image.width) << image.name;
        EXPECT_EQ(img.getHeight(), image.frameHeight * image.frames) << image.name;
    }
    // Strips are not blank: the first and last frame of a knob differ.
    const auto knob = decode("drag_acuity_png");
    const auto first = knob.getClippedImage({0, 0, 111, 131});
    const auto last = knob.getClippedImage({0, 100 * 131, 111, 131});
    int differing = 0;
    for (int y = 0; y < 131; ++y)
        for (int x = 0; x < 111; ++x)
            differing += first.getPixelAt(x, y) != last.getPixelAt(x, y) ? 1 : 0;
    EXPECT_GT(differing, 50);
}

TEST(FontGlyphRects, EveryFontHasRectanglesInsideItsImage)
{
    const int sizes[] = {10, 11, 12, 14, 18, 20, 22, 24, 28};
    for (int f = 0; f < 9; ++f)
    {
        const int32_t* r = vk::resources::getGlyphRects(f);
        ASSERT_NE(r, nullptr);
        const int lineHeight = r[3] - r[1];
        EXPECT_GE(lineHeight, sizes[f]);
        if (sizes[f] > 18)
            continue;
        const auto img = decode(("FONT_FontText" + std::to_string(sizes[f]) + "_png").c_str());
        ASSERT_TRUE(img.isValid());
        int withInk = 0;
        for (int c = 10; c <= 2048; ++c)
        {
            const int32_t* g = r + (c - 10) * 4;
            ASSERT_LE(g[0], g[2]);
            ASSERT_EQ(g[3] - g[1], lineHeight);
            ASSERT_LE(g[2], img.getWidth());
            ASSERT_LE(g[3], img.getHeight());
            if (c == 'M')
            {
                // The glyph has ink inside its own rectangle.
                for (int y = g[1]; y < g[3]; ++y)
                    for (int x = g[0]; x < g[2]; ++x)
                        withInk += img.getPixelAt(x, y).getAlpha() > 128 ? 1 : 0;
            }
        }
        EXPECT_GT(withInk, sizes[f]) << sizes[f];
        EXPECT_EQ(vk::resources::getGlyphRects(f)[2] - vk::resources::getGlyphRects(f)[0], 0); // code 10
    }
    EXPECT_EQ(vk::resources::getGlyphRects(9), nullptr);
}
