#pragma once

#include "vk_juce_preset_browser.h"

#include "controls/vk_juce_text_edit.h"

#include <array>

namespace vk
{

/** The preset browser of preset-file mode: the categories (folders) in a column on the left, the presets of
    the selected category in the grid, the current preset's name in a field along the top, "Save", "+" (new
    folder), and "..." on a hovered user category or preset for Delete, Rename, Move, Copy and Browse. The
    confirmations and name entries are dialogs drawn in the panel in place of the lists.

    Every disk operation goes through the preset file store, which refuses anything outside the user root
    or on "Installed" and never overwrites a file; the lists, read again after every operation, show what
    is on disk. A Save, Copy, Rename, Move or new folder that the store refuses is never silent: a typed
    name longer than the store takes keeps its dialog open with the refusal as its title and the text to
    shorten, and any other refusal is shown as a notice with "Ok".

    Every rectangle a click is tested against follows from the frame (grid, lists, mode), so a click finds
    what the frame drew without rectangles handed back from the render thread.

    [message thread] pointer events, choosing, dialogs, disk operations. [render thread] render. The
    category list is replaced whole, like the preset list, and frames keep the one they began with.
*/
class VkJucePresetFileBrowser : public VkJucePresetBrowser, public VkJuceControl::Listener
{
public:
    static constexpr int saveId = -2000;
    static constexpr int newFolderId = -1992;
    static constexpr int firstDialogButtonId = -1999;
    static constexpr int firstCategoryId = -1991;
    static constexpr int numDialogButtons = 7;
    static constexpr int categoryListWidth = 100;
    static constexpr int categoryGap = 10;
    static constexpr int dialogButtonWidth = 80;
    static constexpr int textEntryWidth = 150;

    enum Mode
    {
        lists = 0,
        confirmDelete = 1,
        newFolder = 2,
        confirmOverwrite = 3,
        chooseAction = 4,
        rename = 5,
        move = 6,
        notice = 7
    };

    VkJucePresetFileBrowser(VkJucePresetBrowserTriggerButton* owner, VkJuceEditorBase* editor,
                            const juce::String& componentName);
    ~VkJucePresetFileBrowser() override;

    void selectAt(juce::Point<int> point) override;
    juce::String getEntryName(int n) const override;
    bool chooseSelected() override;
    int countVisibleEntries() override;
    void browserOpened() override;
    void browserClosed() override;
    void measureCells(PresetBrowserGrid& grid, VkJuceOglFont* font) const override;
    /** The preset browser's grid, with only as many columns as fit right of the category column. */
    void layoutGrid(PresetBrowserGrid& grid, const PresetBrowserEntries& entries,
                    VkJuceOglFont* font) const override;
    void drawEntry(juce::Rectangle<int> rect, int n) override;
    int getEntryIndex(int n) const override;
    void render(int elapsedMs) override;

    /** Reads the categories and the selected category's presets from disk. */
    virtual void refreshLists();
    /** Saves the current program as a preset of the selected category under the program's name. */
    virtual void saveCurrentAsPreset();
    /** A refusal, when given, is the dialog's title in place of the mode's own. */
    void setMode(int newMode, bool withTextEntry, const char* refusalText = nullptr);

    void controlValueChanged(VkJuceControl* control) override;

    int getMode() const noexcept { return mode.load(); }
    int getTarget() const noexcept { return target.load(); }
    int getSelectedCategory() const;
    juce::StringArray getCategories() const;
    juce::StringArray getPresets() const;
    VkJuceTextEdit& getNameField() noexcept { return nameField; }
    VkJuceTextEdit& getTextEntry() noexcept { return textEntry; }

    /** Geometry a frame draws and a click is tested against; rectangles in the browser's coordinates. */
    struct Layout
    {
        juce::Rectangle<int> saveRect;
        juce::Rectangle<int> newFolderRect;
        int categoriesShown = 0;
        std::array<juce::Rectangle<int>, numDialogButtons> dialogButtonRects{};
        juce::StringArray dialogButtons;
        juce::String title;
    };
    Layout computeLayout(const Frame& frame) const;
    /** The cell of category i in the column. */
    static juce::Rectangle<int> categoryCell(const PresetBrowserGrid& g, int i);

private:
    struct Lists
    {
        juce::StringArray categories;
        // The folders the categories were listed from, and their names on disk ("Installed" for the first,
        // which may have no folder): every action uses these, never a folder found again by name.
        juce::Array<juce::File> categoryFolders;
        juce::StringArray categoryKeys;
        juce::StringArray presets;
        // The files the presets were listed from: choosing one loads exactly that file.
        juce::Array<juce::File> presetFiles;
        int selectedCategory = 0;

        bool hasCategory(int i) const noexcept { return i >= 0 && i < categories.size(); }
    };
    std::shared_ptr<const Lists> takeLists() const;
    void publishLists(std::shared_ptr<const Lists> newLists);
    /** The selected category's folder, and its name as the processor's current preset stores it. */
    juce::File selectedCategoryFolder() const;
    juce::String selectedCategoryKey() const;
    /** The name Save writes the current program under: its name, less the "*" that marks the current preset
        as changed. */
    juce::String nameToSave() const;
    /** The file Save writes: the preset last chosen or saved here while the name is still its name (two files
        may be listed under one name), else the store's file for the name in the selected category. */
    juce::File saveTarget() const;
    bool saveCurrentTo(const juce::File& presetFile);
    bool isTargetCategory() const noexcept { return target.load() < -1; }
    juce::StringArray dialogButtonsFor(int forMode) const;
    void handleDialogButton(int j);
    void rebuildEntries(int mask) override;
    void placeNameField();
    /** The "..." area of the hovered item, empty when none is drawn. */
    juce::Rectangle<int> dotsRectFor(const Frame& frame, const Lists& lists, int hovered) const;

    VkJuceTextEdit nameField{"VkJucePresetFileBrowser.m_textEditPresetName"};
    VkJuceTextEdit textEntry{"VkJucePresetFileBrowser.m_textEditEntry"};
    bool textEntryShown = false;
    std::atomic<int> mode{lists};
    // What was refused, shown as the title of the dialog; null for the mode's own. A string literal.
    std::atomic<const char*> refusal{nullptr};
    std::atomic<bool> withEntry{false};
    // The item "..." was pressed on; frames read it to choose the dialog's buttons.
    std::atomic<int> target{-1};
    // [message thread] What the dialog acts on, taken when "..." is pressed: the file or folder the item
    // was listed from, and its name as listed. The list may be read again, and other programs may change the
    // folders, before the dialog is answered; an item gone by then is refused, and nothing takes its place.
    juce::File targetFile;
    juce::String targetName;
    // [message thread] The file "Overwrite existing preset?" asks about, and the preset last chosen or saved.
    juce::File overwriteTarget, currentFile;
    bool overDots = false;

    mutable std::mutex listsLock;
    std::shared_ptr<const Lists> currentLists;

    // Render thread only: the current preset (its category's folder name on disk, its name as listed),
    // read once per frame.
    juce::String frameCurrentCategory, frameCurrentName;
    std::shared_ptr<const Lists> frameLists;
};

} // namespace vk
