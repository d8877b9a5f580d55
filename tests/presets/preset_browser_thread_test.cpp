// The render thread lays the grid out and draws it while the message thread replaces the list (a shrinking
// and growing mask, or another category's preset files), resizes the browser down to no row at all, turns
// pages and hit-tests. Run under
// ThreadSanitizer in CI: no race, and no frame may index past a list that has just shrunk.
#include "preset_browser_test_support.h"

#include "presets/vk_juce_preset_file.h"
#include "presets/vk_juce_preset_file_browser.h"

#include <gtest/gtest.h>

#include <thread>

using namespace vk;
using namespace vk::test;

namespace
{
/** Draws the editor's frames on a thread of its own until stopped. */
class RenderLoop
{
public:
    RenderLoop(TestEditorBase& editor, RecordingGlApi& gl)
        : thread(
              [this, &editor, &gl]
              {
                  while (!stopping.load())
                  {
                      editor.getOglComponent().renderOpenGL();
                      gl.clearCalls();
                      gl.uploads.clear();
                      frames.fetch_add(1);
                  }
              })
    {
    }
    ~RenderLoop() { stop(); }

    /** Bounded wait for one more frame, so that frames fall between some of the changes. */
    void awaitNextFrame()
    {
        const int seen = frames.load();
        for (int spins = 0; frames.load() == seen && spins < 200000; ++spins)
            std::this_thread::yield();
    }
    /** Returns the number of frames drawn. */
    int stop()
    {
        stopping.store(true);
        if (thread.joinable())
            thread.join();
        return frames.load();
    }

private:
    std::atomic<bool> stopping{false};
    std::atomic<int> frames{0};
    std::thread thread;
};

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

/** A preset file browser on a headless editor, opened at 600 x 400, its frames drawn once asked for. */
struct FileBrowserOnEditor
{
    explicit FileBrowserOnEditor(TestProcessor& processor) : editor(processor, &gl, 640, 435)
    {
        editor.addControl(&browser, -1);
        browser.setBounds(0, 0, 600, 400);
        browser.browserOpened();
        editor.getOglComponent().setRenderingEnabled(true);
    }
    RecordingGlApi gl;
    TestEditorBase editor;
    VkJucePresetFileBrowser browser{nullptr, &editor, "VkJucePresetFileBrowser"};
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

    RenderLoop renderer(editor, gl);

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
        if (i % 11 == 0) // a host rename cut to its column, seen when the browser opens again
        {
            processor.changeProgramName(i % 46, "A name renamed by the host far too long for any column " +
                                                    juce::String(i));
            browser.browserOpened();
        }
        browser.setSelected(i % 2 == 0 ? VkJucePresetBrowser::nextId : 83);
        browser.chooseSelected();
        const auto f = browser.takeFrame();
        ASSERT_LE(f.page, f.grid.pages - 1);
        ASSERT_EQ(f.entries->names.size(), f.entries->entryIndexes.size());
        if (i % 50 == 0)
            renderer.awaitNextFrame();
    }
    EXPECT_GT(renderer.stop(), 0);
    EXPECT_GT(browser.drawn.load(), 0);
}

TEST(PresetBrowserThreads, TheFileBrowserReadsItsListsAgainWhileFramesDrawThem)
{
    ScopedDataFolders folders;
    TestProcessor processor;
    processor.setPresetFileMode(true);
    ASSERT_TRUE(VkJucePresetFile::createPresetCategory(&processor, "Many"));
    ASSERT_TRUE(VkJucePresetFile::createPresetCategory(&processor, "One"));
    for (int i = 0; i < 30; ++i)
    {
        processor.changeProgramName(processor.getCurrentProgram(), "Preset " + juce::String(i));
        VkJucePresetFile record(i == 0 ? "One" : "Many", "Preset " + juce::String(i));
        ASSERT_TRUE(record.capturePreset(&processor) && record.save(&processor));
    }
    FileBrowserOnEditor on(processor);
    auto& browser = on.browser;
    const auto categories = browser.getCategories();
    ASSERT_TRUE(categories.contains("Many") && categories.contains("One"));

    RenderLoop renderer(on.editor, on.gl);

    for (int i = 0; i < 300; ++i)
    {
        // Between the long and the short list, hovering the last presets and the categories.
        const int category = categories.indexOf(i % 2 == 0 ? "Many" : "One");
        browser.setSelected(VkJucePresetFileBrowser::firstCategoryId + category);
        browser.chooseSelected();
        browser.selectAt(browser.takeFrame().grid.cellAt(1, i % 10).getCentre());
        browser.selectAt({20, 80 + (i % 5) * 15});
        if (i % 25 == 0)
            browser.setBounds(0, 0, 600, i % 50 == 0 ? 60 : 400);
        if (i % 40 == 0)
            renderer.awaitNextFrame();
    }
    EXPECT_GT(renderer.stop(), 0);
    EXPECT_EQ(browser.getFactoryCount(), 0);
}

TEST(PresetBrowserThreads, DotsOpenAndCloseTheActionDialogWhileFramesDrawIt)
{
    ScopedDataFolders folders;
    TestProcessor processor;
    processor.setPresetFileMode(true);
    VkJucePresetFile record("Keys", "Lead");
    ASSERT_TRUE(VkJucePresetFile::createPresetCategory(&processor, "Keys") &&
                record.capturePreset(&processor) && record.save(&processor));
    FileBrowserOnEditor on(processor);
    auto& browser = on.browser;
    const int keys = browser.getCategories().indexOf("Keys");
    browser.setSelected(VkJucePresetFileBrowser::firstCategoryId + keys);
    browser.chooseSelected();

    RenderLoop renderer(on.editor, on.gl);
    for (int i = 0; i < 1000; ++i)
    {
        // "..." on the category and on its preset in turn (their dialogs differ), then "Cancel".
        const auto g = browser.takeFrame().grid;
        const auto cell = i % 2 == 0 ? VkJucePresetFileBrowser::categoryCell(g, keys) : g.cellAt(0, 0);
        browser.selectAt({cell.getRight() - 4, cell.getCentreY()});
        browser.chooseSelected();
        ASSERT_EQ(browser.getMode(), VkJucePresetFileBrowser::chooseAction);
        browser.setSelected(VkJucePresetFileBrowser::firstDialogButtonId + (i % 2 == 0 ? 3 : 5));
        browser.chooseSelected();
        ASSERT_EQ(browser.getMode(), VkJucePresetFileBrowser::lists);
    }
    EXPECT_GT(renderer.stop(), 0);
}
