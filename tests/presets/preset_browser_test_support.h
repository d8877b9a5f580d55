#pragma once

// A headless editor over the framework's test processor, grown to the product's bank: 40 factory presets
// and 46 program slots, so 86 entries.
#include "presets/vk_juce_preset_browser.h"

#include "tests/gui/editor_test_support.h"

#include <string>
#include <vector>

namespace vk::test
{

inline const FactoryPresetValue kNoValues[] = {{-1, 0.0f}};

/** Fills the processor's factory bank up to `total` presets named "Factory NN"; the test processor brings
    two ("Unchanged", "Wide") of its own. */
inline void addFactoryPresets(VkJuceProcessorBase& processor, int total)
{
    static std::vector<std::string> names;
    names.reserve(64);
    for (int i = processor.getNumStoredPrograms(); i < total; ++i)
    {
        names.push_back("Factory " + std::to_string(i));
        processor.addFactoryPreset({names.back().c_str(), kNoValues});
    }
}

/** The size of a browser whose grid holds `rows` rows of `columns` columns with its current font and list. */
inline juce::Rectangle<int> boundsForGrid(VkJucePresetBrowser& browser, int rows, int columns)
{
    auto* font = browser.getBrowserFont();
    const int h = font->getLineHeight();
    const int rowHeight = h / 4 + h + 2;
    int widest = 0;
    for (int n = 0; n < browser.countVisibleEntries(); ++n)
        widest = std::max(widest, font->measureText(browser.getEntryName(n).toRawUTF8()));
    const int columnWidth = widest + font->measureText("000");
    // topMargin (rowHeight + h), bottomMargin (h) and one row held back for the buttons.
    return {0, 0, columns * columnWidth + columnWidth / 2, rowHeight + h + h + (rows + 1) * rowHeight};
}

} // namespace vk::test
