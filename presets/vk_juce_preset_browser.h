#pragma once

#include "controls/vk_juce_control_with_helpers.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace vk
{

class VkJuceEditorBase;
class VkJucePresetBrowserTriggerButton;

/** The settings a trigger button hands to each browser it creates. */
struct PresetBrowserSettings
{
    bool closeOnChoose = false;
    bool showSetDefault = false;
    int firstParameter = 0;
    int lastParameter = 3000;
    int categoryMask = -1;
    bool showNumbers = true;
};

/** What the grid lists: the visible entries in order, each with its name and entry index (factory presets
    first, then the program slots). Never changed once published: the message thread replaces the whole list
    and a frame keeps the list it started with, so a list that shrinks under a frame is never indexed past. */
struct PresetBrowserEntries
{
    std::vector<juce::String> names;
    std::vector<int> entryIndexes;
    int factoryCount = 0;

    int size() const noexcept { return (int)names.size(); }
};

/** Cell metrics and the arrangement of the grid for one size and one list. A plain value: laid out under
    the browser's grid lock and copied out whole. */
struct PresetBrowserGrid
{
    int width = 0;
    int height = 0;
    int topMargin = 0;
    int leftMargin = 10;
    int numberWidth = 20;
    int gap = 5;
    int cellWidth = 215;
    int rowHeight = 15;
    int textHeight = 13;
    int bottomMargin = 20;
    int textPad = 2;
    int rowsPerColumn = 0;
    int columns = 1;
    int pages = 1;
    int maxNameWidth = 0;
    juce::Rectangle<int> nextRect, previousRect, closeRect, defaultRect;

    /** 0 when not even one row or column fits. */
    int entriesPerPage() const noexcept;
    int columnStride() const noexcept { return cellWidth + numberWidth + gap; }
    /** The cell of a column and row of the page. */
    juce::Rectangle<int> cellAt(int column, int row) const noexcept;
    /** Pages needed for count entries: 1 when they fit on one, or when none fits on a page at all. */
    int pagesFor(int count) const noexcept;
};

/** The pop-up panel that lists the processor's factory presets and program slots in a paged grid and
    lets the user pick one, with the buttons "Close", "Set current as default", "Next" and "Previous".

    The render thread lays the grid out and draws it while the message thread replaces the list, resizes
    the panel, hit-tests and turns pages. Both lay out under one grid lock and copy the result out together
    with the list it was made for; every frame and every pointer event works on that copy.

    [message thread] construction, pointer events, choosing, settings. [render thread] render, drawEntry,
    drawButton. Building the list allocates (message thread); a frame allocates nothing of its own.
*/
class VkJucePresetBrowser : public VkJuceControlWithHelpers
{
public:
    static constexpr int noSelection = -1;
    static constexpr int closeId = -1000;
    static constexpr int setDefaultId = -999;
    static constexpr int previousId = -998;
    static constexpr int nextId = -997;

    /** A consistent view for one frame or one pointer event. */
    struct Frame
    {
        std::shared_ptr<const PresetBrowserEntries> entries;
        PresetBrowserGrid grid;
        int page = 0;
        PresetBrowserSettings settings;
    };

    /** Joins the editor's OpenGL component hidden and lists the processor's entries. owner may be null (the
        browser then never closes itself); so may editor (a browser without a processor lists nothing). */
    VkJucePresetBrowser(VkJucePresetBrowserTriggerButton* owner, VkJuceEditorBase* editor,
                        const juce::String& componentName);
    ~VkJucePresetBrowser() override;

    /** Sets selected to the entry or button under the point (browser coordinates), else noSelection. */
    virtual void selectAt(juce::Point<int> point);
    /** The name at visible position n, "ERROR" when there is none. [any thread] */
    virtual juce::String getEntryName(int n) const;
    /** Acts on the selection; true when the browser is to close. */
    virtual bool chooseSelected();
    /** [message thread] The entries of the list last built: at construction, when the mask changes, each
        time the browser opens and after each choice. */
    virtual int countVisibleEntries();
    /** Lists the entries again: names change while the browser is hidden (host renames, choices). */
    virtual void browserOpened();
    virtual void browserClosed() {}
    /** The metrics that follow from the font's line height (no font: height 0). */
    virtual void measureCells(PresetBrowserGrid& grid, VkJuceOglFont* font) const;
    /** Arranges the grid for grid.width x grid.height and the given list; grid.maxNameWidth comes in holding
        the widest name of earlier layouts. Called under the grid lock, on either thread. */
    virtual void layoutGrid(PresetBrowserGrid& grid, const PresetBrowserEntries& entries,
                            VkJuceOglFont* font) const;
    /** [render thread] One cell of the current frame. */
    virtual void drawEntry(juce::Rectangle<int> rect, int n);
    /** [render thread] justification: 0 left, 1 right, 2 centred. */
    virtual void drawButton(const juce::String& text, juce::Rectangle<int> rect, int id,
                            uint32_t justification, juce::Colour colour);
    /** The entry index of visible position n, -1 when there is none. [any thread] */
    virtual int getEntryIndex(int n) const;

    void render(int elapsedMs) override;
    void mouseMove(const juce::MouseEvent& event) override;
    void mouseExit(const juce::MouseEvent& event) override;
    void mouseDown(const juce::MouseEvent& event) override;
    void resized() override;

    /** [message thread] The trigger copies its settings in; a changed mask re-counts the list. */
    void setSettings(const PresetBrowserSettings& newSettings);
    PresetBrowserSettings getSettings() const;
    void setShowClose(bool show) noexcept { showClose.store(show); }
    /** [message thread] Null: the editor's 11-pixel font. */
    void setBrowserFont(VkJuceOglFont* font);
    /** [any thread] */
    VkJuceOglFont* getBrowserFont() const;

    /** [any thread] Lays out first when needed. */
    Frame takeFrame();
    int getSelected() const noexcept { return selected.load(); }
    void setSelected(int id) noexcept { selected.store(id); }
    int getPage() const;
    int getFactoryCount() const noexcept { return factoryCount; }
    int getEntryCount() const noexcept { return entryCount; }
    VkJucePresetBrowserTriggerButton* getOwnerTrigger() const noexcept { return ownerTrigger; }
    /** The text a frame draws for entry n: its name, cut to its cell so that it still reads apart from the
        other names of the list. Returns the name itself or out. [any thread] No allocation. */
    static const char* nameShown(const Frame& frame, const VkJuceOglFont& font, int n, char* out,
                                 size_t outSize) noexcept;
    /** [render thread] The cell last drawn highlighted. */
    juce::Rectangle<int> getEntryHighlightRect() const noexcept { return entryHighlightRect; }

    static juce::Colour factoryNameColour() { return juce::Colour((uint8_t)200, (uint8_t)200, (uint8_t)255); }

protected:
    /** [message thread] Lists the entries again for the mask. */
    virtual void rebuildEntries(int mask);
    /** [message thread] A browser listing something other than the processor's bank sets its counts. */
    void setEntryCounts(int factory, int entries) noexcept
    {
        factoryCount = factory;
        entryCount = entries;
    }
    /** [message thread] Replaces the list; the next frame or pointer event lays out again. */
    void setEntries(std::shared_ptr<const PresetBrowserEntries> newEntries);
    /** Lays out now under the grid lock. */
    void updateLayout();
    /** Fills rect in the colour, untextured. [render thread] */
    void fillRect(juce::Rectangle<int> rect, juce::Colour colour);
    /** [render thread] The frame being drawn; only render and what it calls read it. */
    const Frame& getRenderFrame() const noexcept { return renderFrame; }
    /** Turns the page by delta, kept inside the pages. */
    void turnPage(int delta);

    std::atomic<bool> layoutNeeded{true};
    std::atomic<bool> showClose{true};
    std::atomic<int> selected{noSelection};
    juce::Colour highlightColour{(uint8_t)196, (uint8_t)188, (uint8_t)28, (uint8_t)200};

private:
    std::shared_ptr<const PresetBrowserEntries> buildEntries(int mask) const;
    void renderGrid();
    void renderButtons();

    VkJucePresetBrowserTriggerButton* ownerTrigger;
    int factoryCount = 0;
    int entryCount = 0;
    std::atomic<VkJuceOglFont*> browserFont{nullptr};

    // Under gridLock: the settings, the list, the grid laid out for it and the page.
    mutable std::mutex gridLock;
    PresetBrowserSettings settings;
    std::shared_ptr<const PresetBrowserEntries> entries;
    PresetBrowserGrid grid;
    int page = 0;

    // Render thread only.
    Frame renderFrame;
    juce::Rectangle<int> entryHighlightRect;
};

} // namespace vk
