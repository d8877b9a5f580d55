// The preset browser as the product editor opens it: factory presets chosen from it set every parameter and
// reach the host, its list follows renames, its names stay in their columns, and the pop-up's "Close" lies
// inside the panel over nothing else.

#include "editor_test_support.h"

#include "tests/gui/editor_test_support.h"

#include <limits>

namespace latiphonix::test
{
namespace
{

struct Pair
{
    int index;
    float value;
};

// Factory presets as the product's preset table gives them; every parameter not listed keeps its default.
struct TablePreset
{
    int slot;
    const char* name;
    std::vector<Pair> pairs;
};

const std::vector<TablePreset>& tablePresets()
{
    static const std::vector<TablePreset> presets{
        {4, "Padster", {{6, 1}, {7, 1}, {8, 1}, {14, 0.1186f}, {17, 1}, {18, 0.3686f}, {19, 1}, {20, 1}}},
        {5, "Watch out!", {{6, 1}, {8, 1}, {16, 0.61821f}, {17, 1}, {20, 0.41821f}, {27, 1}}},
        {18,
         "Get out of my bass",
         {{5, 0.625f},
          {7, 1},
          {10, 0},
          {13, 0.36487f},
          {15, 0.35449f},
          {16, 0.80349f},
          {17, 1},
          {18, 0},
          {19, 0.51806f},
          {20, 0.44742f},
          {32, 1}}},
        {13,
         "Stereo in stereoer out",
         {{4, 0.003f}, {5, 0.405f}, {8, 1}, {10, 0}, {11, 0}, {16, 0}, {20, 0}}},
        {39,
         "Synth Pad 3",
         {{4, 0.004f},
          {5, 0.815f},
          {8, 0.56605f},
          {12, 0.30843f},
          {13, 0.82981f},
          {14, 0.2671f},
          {15, 0.92209f},
          {16, 0.86763f},
          {17, 1},
          {18, 0.18912f},
          {19, 0.83657f},
          {20, 0.85519f},
          {33, 0.48295f},
          {34, 0.49151f}}},
    };
    return presets;
}

std::vector<float> expectedValues(const TablePreset& preset)
{
    std::vector<float> values;
    for (int i = 0; i < kNumParameters; ++i)
        values.push_back(findMainParameter(i)->defaultValue);
    for (const auto& pair : preset.pairs)
        values[(size_t)pair.index] = pair.value;
    return values;
}

class EditorPresetBrowserTest : public EditorTest
{
protected:
    vk::LatiphonixPresetBrowserTriggerButton& trigger()
    {
        return dynamic_cast<vk::LatiphonixPresetBrowserTriggerButton&>(
            control("m_btnPresetBrowserTriggerButton"));
    }
    vk::VkJucePresetBrowser& openBrowser()
    {
        trigger().mouseDown(vk::test::mouseAt(trigger(), {5, 5}));
        auto* browser = trigger().getBrowser();
        if (browser == nullptr || !trigger().isPopUpOpen())
            throw std::runtime_error("the preset browser did not open");
        return *browser;
    }
    // Where visible position n lies in the browser.
    static juce::Rectangle<int> cell(vk::VkJucePresetBrowser& browser, int n)
    {
        const auto g = browser.takeFrame().grid;
        return g.cellAt(n / g.rowsPerColumn, n % g.rowsPerColumn);
    }
    static void click(juce::Component& c, juce::Point<int> at)
    {
        c.mouseDown(vk::test::mouseAt(c, at.toFloat()));
        c.mouseUp(vk::test::mouseAt(c, at.toFloat(), vk::test::withButton(0), at.toFloat()));
    }
};

TEST_F(EditorPresetBrowserTest, AFactoryPresetChosenInTheBrowserSetsEveryParameterAndTellsTheHost)
{
    open();
    auto& browser = openBrowser();
    RecordingListener host;
    processor->addListener(&host);
    for (const auto& preset : tablePresets())
    {
        SCOPED_TRACE(preset.name);
        ASSERT_EQ(browser.getEntryName(preset.slot), preset.name);
        std::vector<float> before;
        for (int i = 0; i < kNumParameters; ++i)
            before.push_back(get(i));
        host.clear();
        click(browser, cell(browser, preset.slot).getCentre());

        const auto expected = expectedValues(preset);
        for (int i = 0; i < kNumParameters; ++i)
        {
            EXPECT_FLOAT_EQ(get(i), expected[(size_t)i]) << i;
            // The host hears each value that changed, with the value it changed to.
            const auto reports = host.eventsStartingWith("change " + std::to_string(i) + " ");
            if (expected[(size_t)i] != before[(size_t)i] && processor->isParameterExposedToHost(i))
            {
                ASSERT_FALSE(reports.empty()) << i;
                EXPECT_EQ(reports.back(), changeEvent(i, expected[(size_t)i]));
            }
        }
        EXPECT_EQ(processor->getProgramName(processor->getCurrentProgram()), preset.name);
    }
    processor->removeListener(&host);

    // The state the host saves now holds the last preset's values.
    juce::MemoryBlock chunk;
    processor->getStateInformation(chunk);
    LatiphonixProcessor restored(vk::kWrapperVst3);
    restored.setStateInformation(chunk.getData(), (int)chunk.getSize());
    const auto expected = expectedValues(tablePresets().back());
    for (int i = 0; i < kNumParameters; ++i)
        EXPECT_FLOAT_EQ(restored.getParameterRecord(i).getValue(), expected[(size_t)i]) << i;
}

TEST_F(EditorPresetBrowserTest, TheListFollowsAChoiceAtOnceAndAHostRenameAtTheNextOpening)
{
    open();
    auto& browser = openBrowser();
    const int slot0 = browser.getFactoryCount();
    ASSERT_EQ(browser.getEntryName(slot0), "Tickle my beats");
    click(browser, cell(browser, 5).getCentre());
    EXPECT_EQ(browser.getEntryName(slot0), "Watch out!");

    processor->changeProgramName(3, "Named by the host");
    click(trigger().getCloseButton(), {5, 5});
    ASSERT_FALSE(trigger().isPopUpOpen());
    EXPECT_EQ(&openBrowser(), &browser);
    EXPECT_EQ(browser.getEntryName(slot0 + 3), "Named by the host");
    EXPECT_EQ(browser.countVisibleEntries(), 86);
}

TEST_F(EditorPresetBrowserTest, NoNameRunsIntoTheNextColumn)
{
    open();
    auto& browser = openBrowser();
    const auto g = browser.takeFrame().grid;
    ASSERT_GT(g.columns, 1);
    gl.clearCalls();
    browser.render(0);
    // Each text is one run of quads; a run that starts in a column of the grid ends inside it.
    int runs = 0;
    float left = 0, right = 0, top = 0;
    bool inRun = false;
    for (const auto& call : gl.calls)
    {
        if (call.name == "begin" && call.args[0] == vk::GlEnum::quads)
        {
            inRun = true;
            left = std::numeric_limits<float>::max();
            right = std::numeric_limits<float>::lowest();
            top = std::numeric_limits<float>::max();
        }
        else if (inRun && call.name == "vertex2f")
        {
            left = std::min(left, (float)call.args[0]);
            right = std::max(right, (float)call.args[0]);
            top = std::min(top, (float)call.args[1]);
        }
        else if (inRun && call.name == "end")
        {
            inRun = false;
            if (top < (float)g.topMargin || top >= (float)(g.topMargin + g.rowsPerColumn * g.rowHeight))
                continue; // a button
            ++runs;
            const int column = ((int)left - g.leftMargin) / g.columnStride();
            EXPECT_LE(right, (float)(g.leftMargin + (column + 1) * g.columnStride())) << "column " << column;
        }
    }
    // A name and, for the 46 slots, a number each.
    EXPECT_EQ(runs, 86 + 46);
}

TEST_F(EditorPresetBrowserTest, ThePopUpsCloseLiesInsideThePanelOverNothingElse)
{
    open();
    auto& browser = openBrowser();
    auto& close = trigger().getCloseButton();
    const auto panel = trigger().getPopUpButton().getBounds();
    const auto area = close.getBounds();
    EXPECT_TRUE(panel.contains(area)) << area.toString();
    for (const char* name : {"m_btnAB", "m_btnAToB"})
        EXPECT_FALSE(area.intersects(control(name).getBounds())) << name;
    const auto origin = browser.getPosition();
    EXPECT_FALSE(area.intersects(browser.takeFrame().grid.closeRect + origin));
    for (int n = 0; n < browser.countVisibleEntries(); ++n)
        EXPECT_FALSE(area.intersects(cell(browser, n) + origin)) << n;

    // It takes the click, not the browser under it.
    EXPECT_EQ(editor->getOglComponent().getComponentAt(area.getCentre()), &close);
    click(close, {5, 5});
    EXPECT_FALSE(trigger().isPopUpOpen());
    // And it comes back to the same place.
    openBrowser();
    EXPECT_EQ(close.getBounds(), area);
    EXPECT_EQ(editor->getOglComponent().getComponentAt(area.getCentre()), &close);
}

} // namespace
} // namespace latiphonix::test
