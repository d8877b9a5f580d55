// Draws every image the editor shows and the bitmap font atlases, and writes them as PNG files and as C++
// sources that embed them. Runs at build time; the same inputs always give the same bytes.
//
// usage: vk_artwork <output folder> <regular .ttf> <bold .ttf>

#include "artwork_theme.h"
#include "control_strips.h"
#include "editor_images.h"
#include "embed_writer.h"
#include "font_atlas.h"

#include <iostream>

namespace
{
using namespace vk::artwork;

struct NamedImage
{
    juce::String name; // the embedded name, "_png" included
    juce::Image image;
};

std::vector<NamedImage> drawEditorImages()
{
    const auto accent = Palette::accent;
    const auto orange = Palette::highlight;
    const auto green = juce::Colour(0xff39d36b);
    return {
        {"background_png", makeBackground()},
        {"graph_mask_png", makeGraphMask()},
        {"btn_bypass_png", makeButtonStrip(50, 22, "BYPASS", "BYPASS", orange)},
        {"btn_undo_png", makeButtonStrip(44, 22, "UNDO", "UNDO", accent)},
        {"btn_redo_png", makeButtonStrip(44, 22, "REDO", "REDO", accent)},
        {"btn_ab_png", makeButtonStrip(44, 22, "A", "B", accent)},
        {"btn_atob_png", makeButtonStrip(44, 22, "A>B", "A>B", accent)},
        {"btn_atob_a_to_b_png", makeButtonStrip(44, 22, "A>B", "A>B", accent)},
        {"btn_atob_b_to_a_png", makeButtonStrip(44, 22, "B>A", "B>A", accent)},
        {"btn_preset_previous_png", makeArrowStrip(false)},
        {"btn_preset_next_png", makeArrowStrip(true)},
        {"btn_preset_browser_png", makeListIconStrip()},
        {"drag_resolution_png", makeKnobStrip(112, 133, 10, true, "RESOLUTION")},
        {"drag_acuity_png", makeKnobStrip(111, 131, 101, false, "ACUITY")},
        {"btn_invert_png", makeButtonStrip(99, 84, "INVERT", "INVERT", orange)},
        {"btn_fill_png", makeButtonStrip(99, 84, "FILL", "FILL", accent)},
        {"drag_linear_width_png", makeWidthGaugeStrip(156, 81, 201)},
        {"btn_analysis_png", makeButtonStrip(62, 16, "ANALYSIS", "ANALYSIS", accent)},
        {"level_led_png", makeLedStrip(12, 30)},
        {"btn_dynamics_png", makeButtonStrip(43, 22, "DYN", "DYN", accent)},
        {"drag_dyn_shape_png", makeShapeStrip(43, 24)},
        {"drag_dyn_depth_png", makeMiniBarStrip(44, 24, 101, "DEPTH")},
        {"drag_dyn_speed_png", makeMiniBarStrip(44, 25, 101, "SPEED")},
        {"btn_tempo_png", makeButtonStrip(43, 22, "SYNC", "SYNC", accent)},
        {"drag_phase_png", makePhaseStrip(43, 23, 102)},
        {"btn_mono_png", makeButtonStrip(43, 22, "MONO", "MONO", orange)},
        {"auto_level_png", makeAutoLevelStrip(44, 22)},
        {"btn_iid_png", makeButtonStrip(32, 28, "IID", "IID", green)},
        {"btn_itd_png", makeButtonStrip(34, 30, "ITD", "ITD", green)},
        {"btn_link_png", makeButtonStrip(62, 28, "LINK", "LINK", accent)},
        {"btn_solo_left_png", makeButtonStrip(20, 24, "L", "L", orange)},
        {"btn_solo_right_png", makeButtonStrip(20, 24, "R", "R", orange)},
        {"slider_thumb_png", makeSliderThumb()},
        {"Graph_particle_png", makeParticle()},
        {"frequency_banding_dot_png", makeBandDot()},
        {"overlay_arc_edge_png", makeArcEdge()},
        {"overlay_width_control_mark_png", makeWidthMark()},
        {"logo_48x48_png", makeLogo()},
    };
}

bool writePng(const juce::Image& image, const juce::File& file, juce::MemoryBlock& bytes)
{
    juce::MemoryOutputStream stream(bytes, false);
    juce::PNGImageFormat png;
    if (!png.writeImageToStream(image, stream))
        return false;
    stream.flush();
    if (file.existsAsFile())
    {
        juce::MemoryBlock old;
        if (file.loadFileAsData(old) && old == bytes)
            return true;
    }
    return file.replaceWithData(bytes.getData(), bytes.getSize());
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::cerr << "usage: vk_artwork <output folder> <regular .ttf> <bold .ttf>\n";
        return 2;
    }
    const juce::File out(juce::File::getCurrentWorkingDirectory().getChildFile(argv[1]));
    const juce::File regular(juce::File::getCurrentWorkingDirectory().getChildFile(argv[2]));
    const juce::File bold(juce::File::getCurrentWorkingDirectory().getChildFile(argv[3]));
    if (!loadTypefaces(regular, bold))
    {
        std::cerr << "vk_artwork: cannot load " << regular.getFullPathName() << " or "
                  << bold.getFullPathName() << "\n";
        return 1;
    }
    const auto pngDir = out.getChildFile("png");
    pngDir.createDirectory();

    std::vector<EmbeddedBlock> blocks;
    auto add = [&](const juce::String& name, const juce::Image& image)
    {
        EmbeddedBlock block{name, {}};
        if (!writePng(image, pngDir.getChildFile(name.upToLastOccurrenceOf("_png", false, false) + ".png"),
                      block.data))
            return false;
        blocks.push_back(std::move(block));
        return true;
    };

    for (const auto& img : drawEditorImages())
        if (!add(img.name, img.image))
            return 1;

    // The fonts of 20 pixels and up have metrics but no image in the module.
    const int sizes[] = {10, 11, 12, 14, 18, 20, 22, 24, 28};
    std::vector<std::vector<int>> rects;
    try
    {
        for (int size : sizes)
        {
            const bool embedded = size <= 18;
            auto atlas = buildFontAtlas(regular, size, embedded);
            if (embedded && !add("FONT_FontText" + juce::String(size) + "_png", atlas.image))
                return 1;
            rects.push_back(std::move(atlas.rects));
        }
    }
    catch (const std::exception& e)
    {
        std::cerr << "vk_artwork: " << e.what() << "\n";
        return 1;
    }

    if (!writeResourceSources(blocks, out.getChildFile("generated_resources.cpp"),
                              out.getChildFile("vk_binary_data.h")) ||
        !writeGlyphRectSource(rects, out.getChildFile("generated_glyph_rects.cpp")))
    {
        std::cerr << "vk_artwork: cannot write the generated sources into " << out.getFullPathName() << "\n";
        return 1;
    }
    return 0;
}
