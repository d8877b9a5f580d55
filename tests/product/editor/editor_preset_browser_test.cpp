// The preset browser as the product editor opens it: factory presets chosen from it set every parameter and
// reach the host, its list follows choices and renames, its names stay in their columns, and the pop-up's
// "Close" lies inside the panel over nothing else.

#include "editor_test_support.h"

#include "tests/gui/editor_test_support.h"

namespace latiphonix::test
{
namespace
{

// Factory presets as the product's preset table gives them; every parameter not listed keeps its default.
struct TablePreset
{
    int slot;
    const char* name;
    const char* pairs;
    std::vector<float> values() const
    {
        std::vector<float> v;
        for (int i = 0; i < kNumParameters; ++i)
            v.push_back(findMainParameter(i)->defaultValue);
        for (const auto& pair : juce::StringArray::fromTokens(pairs, false))
            v[(size_t)pair.upToFirstOccurrenceOf("=", false, false).getIntValue()] =
                pair.fromFirstOccurrenceOf("=", false, false).getFloatValue();
        return v;
    }
};

const TablePreset tablePresets[] = {
    {4, "Padster", "6=1 7=1 8=1 14=0.1186 17=1 18=0.3686 19=1 20=1"},
    {18, "Get out of my bass",
     "5=0.625 7=1 10=0 13=0.36487 15=0.35449 16=0.80349 17=1 18=0 19=0.51806 20=0.44742 32=1"},
    {39, "Synth Pad 3",
     "4=0.004 5=0.815 8=0.56605 12=0.30843 13=0.82981 14=0.2671 15=0.92209 16=0.86763 17=1 18=0.18912 "
     "19=0.83657 20=0.85519 33=0.48295 34=0.49151"},
};

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
        if (editor == nullptr)
            open();
        trigger().mouseDown(vk::test::mouseAt(trigger(), {5, 5}));
        if (trigger().getBrowser() == nullptr || !trigger().isPopUpOpen())
            throw std::runtime_error("the preset browser did not open");
        return *trigger().getBrowser();
    }
    // Where visible position n lies in the browser.
    static juce::Rectangle<int> cell(vk::VkJucePresetBrowser& browser, int n)
    {
        const auto g = browser.takeFrame().grid;
        return g.cellAt(n / g.rowsPerColumn, n % g.rowsPerColumn);
    }
    static void click(juce::Component& c, juce::Point<int> at)
    {
        vk::test::pressAndRelease(c, vk::test::withButton(0), at.toFloat());
    }
};

TEST_F(EditorPresetBrowserTest, AFactoryPresetChosenInTheBrowserSetsEveryParameterAndTellsTheHost)
{
    auto& browser = openBrowser();
    RecordingListener host;
    processor->addListener(&host);
    for (const auto& preset : tablePresets)
    {
        SCOPED_TRACE(preset.name);
        ASSERT_EQ(browser.getEntryName(preset.slot), preset.name);
        std::vector<float> before;
        for (int i = 0; i < kNumParameters; ++i)
            before.push_back(get(i));
        host.clear();
        click(browser, cell(browser, preset.slot).getCentre());

        const auto expected = preset.values();
        for (int i = 0; i < kNumParameters; ++i)
        {
            EXPECT_FLOAT_EQ(get(i), expected[(size_t)i]) << i;
            // The host hears each value that changed, with the value it changed to.
            const auto reports = host.eventsStartingWith("change " + std::to_string(i) + " ");
            if (expected[(size_t)i] != before[(size_t)i] && processor->isParameterExposedToHost(i))
            {
                EXPECT_EQ(reports.empty() ? "none" : reports.back(), changeEvent(i, expected[(size_t)i]))
                    << i;
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
    for (int i = 0; i < kNumParameters; ++i)
        EXPECT_FLOAT_EQ(restored.getParameterRecord(i).getValue(), tablePresets[2].values()[(size_t)i]) << i;
}

TEST_F(EditorPresetBrowserTest, NoNameRunsIntoTheNextColumn)
{
    auto& browser = openBrowser();
    const auto g = browser.takeFrame().grid;
    ASSERT_GT(g.columns, 1);
    gl.clearCalls();
    browser.render(0);
    // Each text is one run of quads between begin and end; a run that starts in a column ends inside it.
    int runs = 0;
    float left = 0, right = 0, top = 0;
    for (const auto& call : gl.calls)
        if (call.name == "begin")
            left = top = 1e9f, right = -1e9f;
        else if (call.name == "vertex2f")
        {
            left = std::min(left, (float)call.args[0]);
            right = std::max(right, (float)call.args[0]);
            top = std::min(top, (float)call.args[1]);
        }
        else if (call.name == "end" && top >= (float)g.topMargin &&
                 top < (float)(g.topMargin + g.rowsPerColumn * g.rowHeight)) // not a button
        {
            ++runs;
            const int column = ((int)left - g.leftMargin) / g.columnStride();
            EXPECT_LE(right, (float)(g.leftMargin + (column + 1) * g.columnStride())) << column;
        }
    EXPECT_EQ(runs, 86 + 46); // a name each, and a number for each of the 46 slots
}

TEST_F(EditorPresetBrowserTest, ThePopUpsCloseLiesOverNothingElseAndTheListFollowsChoicesAndRenames)
{
    auto& browser = openBrowser();
    const int slot0 = browser.getFactoryCount();
    ASSERT_EQ(browser.getEntryName(slot0), "Tickle my beats");
    click(browser, cell(browser, 5).getCentre());
    EXPECT_EQ(browser.getEntryName(slot0), "Watch out!"); // at once
    processor->changeProgramName(3, "Named by the host");

    auto& close = trigger().getCloseButton();
    const auto area = close.getBounds();
    EXPECT_TRUE(trigger().getPopUpButton().getBounds().contains(area)) << area.toString();
    for (const char* name : {"m_btnAB", "m_btnAToB"})
        EXPECT_FALSE(area.intersects(control(name).getBounds())) << name;
    const auto origin = browser.getPosition();
    EXPECT_FALSE(area.intersects(browser.takeFrame().grid.closeRect + origin));
    for (int n = 0; n < browser.countVisibleEntries(); ++n)
        EXPECT_FALSE(area.intersects(cell(browser, n) + origin)) << n;
    // It takes the click, not the browser under it, and comes back to the same place.
    for (int opening = 0; opening < 2; ++opening)
    {
        EXPECT_EQ(close.getBounds(), area);
        EXPECT_EQ(editor->getOglComponent().getComponentAt(area.getCentre()), &close);
        click(close, {5, 5});
        ASSERT_FALSE(trigger().isPopUpOpen());
        EXPECT_EQ(&openBrowser(), &browser);
    }
    // The host's rename shows at the next opening.
    EXPECT_EQ(browser.getEntryName(slot0 + 3), "Named by the host");
    EXPECT_EQ(browser.countVisibleEntries(), 86);
}

} // namespace
} // namespace latiphonix::test
