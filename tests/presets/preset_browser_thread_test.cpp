// The render thread lays the grid out and draws it while the message thread replaces the list (a shrinking
// and growing mask), resizes the browser down to no row at all, turns pages and hit-tests. Run under
// ThreadSanitizer in CI: no race, and no frame may index past a list that has just shrunk.
#include "preset_browser_test_support.h"

#include <gtest/gtest.h>

#include <thread>

using namespace vk;
using namespace vk::test;

namespace
{
struct CountingBrowser : VkJucePresetBrowser
{
    using VkJucePresetBrowser::VkJucePresetBrowser;
    ~CountingBrowser() override { leaveRenderWalk(); }
    void drawEntry(juce::Rectangle<int> rect, int n) override
    {
        drawn.fetch_add(1);
        VkJucePresetBrowser::drawEntry(rect, n);
    }
    std::atomic<int> drawn{0};
};
} // namespace

TEST(PresetBrowserThreads, ListsAndSizesChangeWhileFramesLayOutAndDraw)
{
    ScopedDataFolders folders;
    TestProcessor processor;
    addFactoryPresets(processor, 40);
    // Every other slot in a second category, so that mask 2 leaves a much shorter list.
    for (int slot = 0; slot < 46; slot += 2)
    {
        auto record = processor.getProgram(slot);
        record.categoryMask = 2;
        processor.setProgram(slot, record);
    }
    RecordingGlApi gl;
    TestEditorBase editor(processor, &gl, 640, 435);
    CountingBrowser browser(nullptr, &editor, "VkJucePresetBrowsers");
    editor.addControl(&browser, -1);
    browser.setBounds(0, 0, 600, 400);
    editor.getOglComponent().setRenderingEnabled(true);

    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
    std::thread renderer(
        [&]
        {
            while (!stop.load())
            {
                editor.getOglComponent().renderOpenGL();
                gl.clearCalls();
                gl.uploads.clear();
                frames.fetch_add(1);
            }
        });

    const juce::Rectangle<int> sizes[] = {
        {0, 0, 600, 400}, {0, 0, 200, 90}, {0, 0, 300, 10}, {0, 0, 640, 435}};
    PresetBrowserSettings settings;
    for (int i = 0; i < 1500; ++i)
    {
        settings.categoryMask = (i % 3 == 0) ? 2 : -1;
        settings.showSetDefault = (i % 5) == 0;
        browser.setSettings(settings);
        if (i % 7 == 0)
            browser.setBounds(sizes[(i / 7) % 4]);
        browser.selectAt({20 + (i * 13) % 500, (i * 7) % 400});
        browser.setSelected(i % 2 == 0 ? VkJucePresetBrowser::nextId : 83);
        browser.chooseSelected();
        const auto f = browser.takeFrame();
        ASSERT_LE(f.page, f.grid.pages - 1);
        ASSERT_EQ(f.entries->names.size(), f.entries->entryIndexes.size());
        if (i % 50 == 0)
        {
            const int seen = frames.load();
            // Bounded wait: at least one frame runs between some of the changes.
            for (int spins = 0; frames.load() == seen && spins < 200000; ++spins)
                std::this_thread::yield();
        }
    }
    stop.store(true);
    renderer.join();
    EXPECT_GT(frames.load(), 0);
    EXPECT_GT(browser.drawn.load(), 0);
}
