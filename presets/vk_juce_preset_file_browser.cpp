#include "vk_juce_preset_file_browser.h"

#include "vk_juce_preset_file.h"
#include "vk_preset_disk.h"
#include "vk_preset_document.h"
#include "vk_preset_file_operations.h"
#include "vk_preset_names.h"

#include "editor/vk_juce_editor_base.h"

#include <algorithm>

namespace vk
{

namespace
{
juce::Colour darker(juce::Colour c)
{
    const float f = 1.0f / 1.4f;
    return juce::Colour((uint8_t)(c.getRed() * f), (uint8_t)(c.getGreen() * f), (uint8_t)(c.getBlue() * f),
                        c.getAlpha());
}

const char* const dialogTitles[] = {"",
                                    "Are you sure you want to delete this?",
                                    "Please enter the new folder name",
                                    "Overwrite existing preset?",
                                    "What would you like to do?",
                                    "Please enter the new name",
                                    "Please enter the name of the new folder",
                                    ""};

// Refusals: what the store would not do, in the dialog's title.
constexpr const char* nameTooLong = "That name is too long, please shorten it";
constexpr const char* saveNameTooLong = "The name is too long to save, please shorten it";
constexpr const char* notSaved = "The preset could not be saved";
constexpr const char* notCopied = "The preset could not be copied";
constexpr const char* notRenamed = "That could not be renamed";
constexpr const char* notMoved = "The preset could not be moved";
constexpr const char* folderNotCreated = "The folder could not be created";
} // namespace

VkJucePresetFileBrowser::VkJucePresetFileBrowser(VkJucePresetBrowserTriggerButton* owner,
                                                 VkJuceEditorBase* editor, const juce::String& componentName)
    : VkJucePresetBrowser(owner, editor, componentName)
{
    currentLists = std::make_shared<Lists>();
    nameField.setTextColour(juce::Colours::white);
    textEntry.setTextColour(juce::Colours::white);
    refreshLists();
}

VkJucePresetFileBrowser::~VkJucePresetFileBrowser()
{
    leaveRenderWalk();
    nameField.removeListener(this);
    textEntry.removeListener(this);
}

//==============================================================================================================
// Lists

std::shared_ptr<const VkJucePresetFileBrowser::Lists> VkJucePresetFileBrowser::takeLists() const
{
    const std::lock_guard<std::mutex> lock(listsLock);
    return currentLists;
}

void VkJucePresetFileBrowser::publishLists(std::shared_ptr<const Lists> newLists)
{
    auto entries = std::make_shared<PresetBrowserEntries>();
    for (int i = 0; i < newLists->presets.size(); ++i)
    {
        entries->names.push_back(newLists->presets[i]);
        entries->entryIndexes.push_back(i);
    }
    // Presets only: no entry is ever a factory preset, so none indexes the processor's factory bank.
    setEntryCounts(0, entries->size());
    {
        const std::lock_guard<std::mutex> lock(listsLock);
        currentLists = std::move(newLists);
    }
    setEntries(std::move(entries));
}

void VkJucePresetFileBrowser::refreshLists()
{
    auto* processor = getProcessor();
    const auto old = takeLists();
    auto fresh = std::make_shared<Lists>();
    fresh->categoryFolders = VkJucePresetFile::getPresetCategoryFolders(processor);
    for (int i = 0; i < fresh->categoryFolders.size(); ++i)
    {
        const auto folderName = fresh->categoryFolders[i].getFileName();
        fresh->categoryKeys.add(i == 0 ? juce::String(VkJucePresetFile::kInstalledCategory) : folderName);
        fresh->categories.add(i == 0 ? juce::String(VkJucePresetFile::kInstalledCategory)
                                     : presets::decodePresetName(folderName));
    }
    // The selection follows its category's folder: a folder made, renamed or deleted before it in the
    // sorted column would otherwise move the selection onto another category.
    fresh->selectedCategory = old->selectedCategory;
    if (old->hasCategory(old->selectedCategory))
        fresh->selectedCategory =
            std::max(0, fresh->categoryKeys.indexOf(old->categoryKeys[old->selectedCategory]));
    if (fresh->hasCategory(fresh->selectedCategory))
        fresh->presetFiles = presets::listedEntries(fresh->categoryFolders[fresh->selectedCategory],
                                                    presets::kPresetExtension);
    for (const auto& file : fresh->presetFiles)
        fresh->presets.add(presets::decodePresetName(file.getFileNameWithoutExtension()));
    publishLists(std::move(fresh));
    // Saving, applying and renaming all name the current program; the field follows every operation.
    if (processor != nullptr)
        nameField.setText(processor->getProgramName(processor->getCurrentProgram()));
}

void VkJucePresetFileBrowser::rebuildEntries(int mask)
{
    juce::ignoreUnused(mask);
    refreshLists();
}

int VkJucePresetFileBrowser::getSelectedCategory() const
{
    return takeLists()->selectedCategory;
}

juce::StringArray VkJucePresetFileBrowser::getCategories() const
{
    return takeLists()->categories;
}

juce::StringArray VkJucePresetFileBrowser::getPresets() const
{
    return takeLists()->presets;
}

juce::File VkJucePresetFileBrowser::selectedCategoryFolder() const
{
    const auto l = takeLists();
    return l->hasCategory(l->selectedCategory) ? l->categoryFolders[l->selectedCategory] : juce::File();
}

juce::String VkJucePresetFileBrowser::selectedCategoryKey() const
{
    const auto l = takeLists();
    return l->hasCategory(l->selectedCategory) ? l->categoryKeys[l->selectedCategory] : juce::String();
}

juce::String VkJucePresetFileBrowser::getEntryName(int n) const
{
    const auto l = takeLists();
    return n >= 0 && n < l->presets.size() ? l->presets[n] : juce::String();
}

int VkJucePresetFileBrowser::getEntryIndex(int n) const
{
    return n >= 0 && n < takeLists()->presets.size() ? n : -1;
}

int VkJucePresetFileBrowser::countVisibleEntries()
{
    return takeLists()->presets.size();
}

//==============================================================================================================
// Modes and the two text controls

void VkJucePresetFileBrowser::placeNameField()
{
    const auto f = takeFrame();
    const auto save = computeLayout(f).saveRect;
    nameField.setBounds(getX() + f.grid.leftMargin, getY() + 8, std::max(0, save.getX() - f.grid.leftMargin),
                        f.grid.rowHeight + 4);
}

void VkJucePresetFileBrowser::setMode(int newMode, bool withTextEntry, const char* refusalText)
{
    auto* editor = getOwnerEditor();
    if (newMode != lists)
    {
        nameField.setVisible(false);
    }
    else if (editor != nullptr)
    {
        editor->addControl(&nameField, -1);
        nameField.addListener(this);
        placeNameField();
    }
    if (withTextEntry && editor != nullptr)
    {
        if (!textEntryShown)
        {
            editor->addControl(&textEntry, -1);
            textEntry.addListener(this);
            textEntryShown = true;
        }
        const auto g = takeFrame().grid;
        textEntry.setBounds(getX() + (getWidth() - textEntryWidth) / 2,
                            getY() + g.topMargin + 2 * g.rowHeight, textEntryWidth, g.textHeight);
        textEntry.setVisible(true);
        textEntry.toFront(false);
        textEntry.setText({});
    }
    else if (textEntryShown)
    {
        textEntry.setVisible(false);
    }
    withEntry.store(withTextEntry);
    refusal.store(refusalText);
    mode.store(newMode);
}

void VkJucePresetFileBrowser::controlValueChanged(VkJuceControl* control)
{
    auto* processor = getProcessor();
    if (control != &nameField || processor == nullptr)
        return;
    const auto text = nameField.getText();
    processor->changeProgramName(processor->getCurrentProgram(), text);
    processor->setCurrentProgramInfo(selectedCategoryKey(), text);
}

void VkJucePresetFileBrowser::browserOpened()
{
    setMode(lists, false);
    refreshLists();
    if (auto* processor = getProcessor())
    {
        juce::String category, name;
        processor->getCurrentProgramInfo(category, name);
        // Stored as its folder is named on disk.
        const auto l = takeLists();
        const int c = l->categoryKeys.indexOf(category);
        if (c >= 0)
        {
            auto moved = std::make_shared<Lists>(*l);
            moved->selectedCategory = c;
            publishLists(std::move(moved));
            refreshLists();
        }
        setSelected(takeLists()->presets.indexOf(name));
    }
    updateLayout();
    placeNameField();
}

void VkJucePresetFileBrowser::browserClosed()
{
    nameField.setVisible(false);
    if (textEntryShown)
        textEntry.setVisible(false);
}

juce::String VkJucePresetFileBrowser::nameToSave() const
{
    auto* processor = getProcessor();
    if (processor == nullptr)
        return {};
    const auto name = processor->getProgramName(processor->getCurrentProgram());
    juce::String category, current;
    processor->getCurrentProgramInfo(category, current);
    // The editor marks the current preset as changed with a "*" after its name; the preset is still the
    // one saved over. A name typed with a "*" at its end is stored as the current name and keeps it.
    return name.endsWithChar('*') && name.dropLastCharacters(1) == current ? current : name;
}

juce::File VkJucePresetFileBrowser::saveTarget() const
{
    const auto folder = selectedCategoryFolder();
    const auto name = nameToSave();
    if (currentFile.getParentDirectory() == folder && currentFile.existsAsFile() &&
        presets::decodePresetName(currentFile.getFileNameWithoutExtension()) == name)
        return currentFile;
    return VkJucePresetFile::getPresetFileForName(folder, name);
}

bool VkJucePresetFileBrowser::saveCurrentTo(const juce::File& presetFile)
{
    auto* processor = getProcessor();
    bool saved = false;
    if (processor != nullptr && presetFile != juce::File())
    {
        auto record = VkJucePresetFile::forListedFile(presetFile);
        saved = record.capturePreset(processor) && record.save(processor);
        if (saved)
            currentFile = presetFile;
    }
    refreshLists();
    return saved;
}

void VkJucePresetFileBrowser::saveCurrentAsPreset()
{
    saveCurrentTo(saveTarget());
}

//==============================================================================================================
// Layout and hit testing

void VkJucePresetFileBrowser::measureCells(PresetBrowserGrid& g, VkJuceOglFont* font) const
{
    VkJucePresetBrowser::measureCells(g, font);
    g.topMargin += 50;
    g.leftMargin += categoryListWidth + categoryGap;
}

void VkJucePresetFileBrowser::layoutGrid(PresetBrowserGrid& g, const PresetBrowserEntries& entries,
                                         VkJuceOglFont* font) const
{
    VkJucePresetBrowser::layoutGrid(g, entries, font);
    // The grid starts right of the category column, and each column takes a whole stride: counted from the
    // panel's full width, the last columns lay past its right edge, where no preset can be seen or clicked.
    const int stride = g.columnStride();
    g.columns = stride > 0 ? std::max(1, (g.width - g.leftMargin) / stride) : 1;
    g.pages = g.pagesFor(entries.size());
}

juce::Rectangle<int> VkJucePresetFileBrowser::categoryCell(const PresetBrowserGrid& g, int i)
{
    return {g.leftMargin - categoryGap - categoryListWidth, g.topMargin + i * g.rowHeight, categoryListWidth,
            g.textHeight};
}

juce::StringArray VkJucePresetFileBrowser::dialogButtonsFor(int forMode) const
{
    switch (forMode)
    {
    case confirmDelete:
    case confirmOverwrite:
        return {"Yes", "No - cancel"};
    case newFolder:
    case rename:
    case move:
        return {"Ok", "Cancel"};
    case notice:
        return {"Ok"};
    case chooseAction:
        if (isTargetCategory())
            return {"Delete", "Rename", "Browse", "Cancel"};
        return {"Delete", "Rename", "Move", "Copy", "Browse", "Cancel"};
    default:
        return {};
    }
}

VkJucePresetFileBrowser::Layout VkJucePresetFileBrowser::computeLayout(const Frame& frame) const
{
    Layout out;
    const auto& g = frame.grid;
    out.saveRect = {g.closeRect.getX(), 10, g.closeRect.getWidth(), g.textHeight};
    const int m = mode.load();
    if (m == lists)
    {
        const auto l = takeLists();
        // The column stops where one more row after the next would pass the bottom margin, which keeps a
        // row for "+".
        int shown = 0;
        while (shown < l->categories.size() &&
               g.topMargin + (shown + 2) * g.rowHeight <= g.height - g.bottomMargin)
            ++shown;
        out.categoriesShown = shown;
        out.newFolderRect = categoryCell(g, shown);
        return out;
    }
    const char* refused = refusal.load();
    out.title = refused != nullptr ? refused : dialogTitles[std::clamp(m, 0, int(notice))];
    out.dialogButtons = dialogButtonsFor(m);
    int y = g.topMargin + 2 * g.rowHeight;
    if (withEntry.load())
        y = g.topMargin + 2 * g.rowHeight + 2 * g.rowHeight;
    for (int j = 0; j < out.dialogButtons.size() && j < numDialogButtons; ++j)
        out.dialogButtonRects[(size_t)j] = {(g.width - dialogButtonWidth) / 2, y + j * g.rowHeight,
                                            dialogButtonWidth, g.textHeight};
    return out;
}

juce::Rectangle<int> VkJucePresetFileBrowser::dotsRectFor(const Frame& frame, const Lists& l,
                                                          int hovered) const
{
    const auto& g = frame.grid;
    juce::Rectangle<int> cell;
    if (hovered > firstCategoryId && hovered < firstCategoryId + l.categories.size() && hovered < -1000)
        cell = categoryCell(g, hovered - firstCategoryId);
    else if (hovered >= 0 && hovered < l.presets.size() && l.selectedCategory != 0 && g.entriesPerPage() > 0)
    {
        const int onPage = hovered - frame.page * g.entriesPerPage();
        if (onPage < 0 || onPage >= g.entriesPerPage())
            return {};
        cell = g.cellAt(onPage / g.rowsPerColumn, onPage % g.rowsPerColumn);
    }
    else
        return {};
    return cell.withTrimmedLeft(std::max(0, cell.getWidth() - 15));
}

void VkJucePresetFileBrowser::selectAt(juce::Point<int> point)
{
    const auto f = takeFrame();
    const auto layout = computeLayout(f);
    const auto l = takeLists();
    setSelected(noSelection);
    overDots = false;
    if (mode.load() != lists)
    {
        // A dialog is left only through its buttons.
        for (int j = 0; j < layout.dialogButtons.size() && j < numDialogButtons; ++j)
            if (layout.dialogButtonRects[(size_t)j].contains(point))
                setSelected(firstDialogButtonId + j);
        return;
    }
    if (l->selectedCategory != 0 && layout.saveRect.contains(point))
        setSelected(saveId);
    else if (layout.newFolderRect.contains(point))
        setSelected(newFolderId);
    else if (point.x < f.grid.leftMargin)
    {
        const int i = f.grid.rowHeight > 0 ? (point.y - f.grid.topMargin) / f.grid.rowHeight : -1;
        if (i >= 0 && i < layout.categoriesShown && point.y >= f.grid.topMargin - f.grid.rowHeight)
            setSelected(firstCategoryId + i);
    }
    else
    {
        VkJucePresetBrowser::selectAt(point);
    }
    overDots = dotsRectFor(f, *l, getSelected()).contains(point);
}

//==============================================================================================================
// Choosing

bool VkJucePresetFileBrowser::chooseSelected()
{
    auto* processor = getProcessor();
    if (processor == nullptr)
        return true;
    const int choice = getSelected();
    const auto l = takeLists();
    if (overDots)
    {
        overDots = false;
        const bool onCategory =
            choice > firstCategoryId && choice < firstCategoryId + l->categories.size() && choice < -1000;
        const bool onPreset = choice >= 0 && choice < l->presets.size();
        if (!onCategory && !onPreset)
            return false;
        targetFile = onCategory ? l->categoryFolders[choice - firstCategoryId] : l->presetFiles[choice];
        targetName = onCategory ? l->categories[choice - firstCategoryId] : l->presets[choice];
        target.store(choice);
        setMode(chooseAction, false);
        return false;
    }
    if (choice == saveId)
    {
        // The preset listed under the name, else a new file that lists it as it is written.
        const auto file = saveTarget();
        if (!file.exists() && !presets::fitsStoredNameLimit(nameToSave()))
            setMode(notice, false, saveNameTooLong);
        else if (!file.exists())
        {
            if (!saveCurrentTo(file))
                setMode(notice, false, notSaved);
        }
        else
        {
            overwriteTarget = file;
            setMode(confirmOverwrite, false);
        }
        return false;
    }
    if (choice >= firstCategoryId && choice < firstCategoryId + l->categories.size() && choice < -1000)
    {
        auto moved = std::make_shared<Lists>(*l);
        moved->selectedCategory = choice - firstCategoryId;
        publishLists(std::move(moved));
        refreshLists();
        setSelected(noSelection);
        return false;
    }
    if (choice == newFolderId)
    {
        setMode(newFolder, true);
        return false;
    }
    if (choice >= 0)
    {
        if (choice >= l->presets.size())
            return false;
        auto record = VkJucePresetFile::forListedFile(l->presetFiles[choice]);
        if (record.load(processor) && record.applyPreset(processor))
        {
            currentFile = l->presetFiles[choice];
            setValue((float)std::min(choice, 1000) / 1000.0f, true);
            nameField.setText(processor->getProgramName(processor->getCurrentProgram()));
        }
        refreshLists();
        return getSettings().closeOnChoose;
    }
    if (choice >= firstDialogButtonId && choice < firstDialogButtonId + numDialogButtons)
    {
        handleDialogButton(choice - firstDialogButtonId);
        return false;
    }
    return VkJucePresetBrowser::chooseSelected();
}

void VkJucePresetFileBrowser::handleDialogButton(int j)
{
    auto* processor = getProcessor();
    const int m = mode.load();
    const auto buttons = dialogButtonsFor(m);
    if (j >= buttons.size())
        return;
    // Everything acts on the file or folder "..." was pressed on, never on list positions or names.
    const bool onCategory = isTargetCategory();
    const juce::String typed = textEntry.getText().trim();

    int next = lists;
    bool nextWithEntry = false;
    const char* refused = nullptr;
    if (m == chooseAction)
    {
        const auto& action = buttons[j];
        if (action == "Delete")
            next = confirmDelete;
        else if (action == "Rename")
        {
            next = rename;
            nextWithEntry = true;
        }
        else if (action == "Move")
        {
            next = move;
            nextWithEntry = true;
        }
        else if (action == "Copy" && !onCategory && !presets::copyPreset(processor, targetFile))
            refused = notCopied;
        else if (action == "Browse")
            presets::browsePresetCategory(processor,
                                          onCategory ? targetFile : targetFile.getParentDirectory());
    }
    else if (j == 0)
    {
        switch (m)
        {
        case confirmDelete:
            if (onCategory)
                presets::deleteCategoryFolder(processor, targetFile);
            else
                presets::deletePresetFile(processor, targetFile);
            break;
        case newFolder:
            if (typed.isNotEmpty() && !VkJucePresetFile::createPresetCategory(processor, typed))
                refused = folderNotCreated;
            break;
        case confirmOverwrite:
            if (!saveCurrentTo(overwriteTarget))
                refused = notSaved;
            break;
        case rename:
            if (typed.isEmpty() || (onCategory && typed == VkJucePresetFile::kInstalledCategory))
                break;
            if (onCategory ? !presets::renamePresetCategory(processor, targetFile, typed)
                           : !presets::renamePreset(processor, targetFile, typed))
                refused = notRenamed;
            break;
        case move:
            if (typed.isNotEmpty() && !onCategory && !presets::movePreset(processor, targetFile, typed))
                refused = notMoved;
            break;
        default:
            break;
        }
        // A name too long for the store is refused where it was typed: the dialog stays, with the text.
        if (refused != nullptr && m != confirmOverwrite && !presets::fitsStoredNameLimit(typed))
        {
            setSelected(noSelection);
            refusal.store(nameTooLong);
            refreshLists();
            return;
        }
    }

    setSelected(noSelection);
    if (refused != nullptr)
        next = notice;
    setMode(next, nextWithEntry, refused);
    if (next == rename)
        textEntry.setText(targetName);
    if (next == lists || next == notice)
    {
        target.store(-1);
        targetFile = overwriteTarget = juce::File();
        targetName = {};
    }
    refreshLists();
}

//==============================================================================================================
// Rendering

void VkJucePresetFileBrowser::drawEntry(juce::Rectangle<int> rect, int n)
{
    const auto& l = *frameLists;
    if (l.hasCategory(l.selectedCategory) && l.categoryKeys[l.selectedCategory] == frameCurrentCategory &&
        n >= 0 && n < l.presets.size() && l.presets[n] == frameCurrentName)
        fillRect(rect, darker(highlightColour));
    VkJucePresetBrowser::drawEntry(rect, n);
}

void VkJucePresetFileBrowser::render(int elapsedMs)
{
    auto* processor = getProcessor();
    frameLists = takeLists();
    if (processor != nullptr)
        processor->getCurrentProgramInfo(frameCurrentCategory, frameCurrentName);
    const int m = mode.load();
    if (getOglComponent() == nullptr)
        return;
    // The lists draw the grid and its buttons as the preset browser does; a dialog draws in their place.
    if (m == lists)
        VkJucePresetBrowser::render(elapsedMs);
    const Frame frame = m == lists ? getRenderFrame() : takeFrame();
    if (processor == nullptr)
        return;

    const auto layout = computeLayout(frame);
    const auto& g = frame.grid;
    const auto colour = getTextColour();
    if (m != lists)
    {
        auto* font = getBrowserFont();
        if (font != nullptr)
        {
            getOglComponent()->getStateCache().setColour(colour);
            font->drawText({0, g.topMargin, g.width, g.textHeight}, layout.title.toRawUTF8(),
                           VkJuceOglFont::centred, "");
        }
        for (int j = 0; j < layout.dialogButtons.size() && j < numDialogButtons; ++j)
            drawButton(layout.dialogButtons[j], layout.dialogButtonRects[(size_t)j], firstDialogButtonId + j,
                       VkJuceOglFont::centred, colour);
        return;
    }

    const auto& l = *frameLists;
    for (int i = 0; i < layout.categoriesShown; ++i)
    {
        const auto cell = categoryCell(g, i);
        if (i == l.selectedCategory)
            fillRect(cell, darker(highlightColour));
        drawButton(l.categories[i], cell, firstCategoryId + i, VkJuceOglFont::left, colour);
    }
    drawButton("+", layout.newFolderRect, newFolderId, VkJuceOglFont::left, colour);
    if (l.selectedCategory != 0)
        drawButton("Save", layout.saveRect, saveId, VkJuceOglFont::centred, colour);

    const int hovered = getSelected();
    const auto dots = dotsRectFor(frame, l, hovered);
    if (!dots.isEmpty())
        drawButton("...", dots, hovered, VkJuceOglFont::right, colour);
}

} // namespace vk
