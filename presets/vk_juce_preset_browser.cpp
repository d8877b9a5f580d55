#include "vk_juce_preset_browser.h"

#include "vk_juce_preset_browser_trigger_button.h"
#include "vk_preset_name_fit.h"

#include "editor/vk_juce_editor_base.h"
#include "vk_ogl_component.h"

#include "processor/vk_processor_base.h"

#include <algorithm>

namespace vk
{

int PresetBrowserGrid::entriesPerPage() const noexcept
{
    return std::max(0, rowsPerColumn) * std::max(0, columns);
}

juce::Rectangle<int> PresetBrowserGrid::cellAt(int column, int row) const noexcept
{
    return {leftMargin + column * columnStride(), topMargin + row * rowHeight, columnStride(), textHeight};
}

int PresetBrowserGrid::pagesFor(int count) const noexcept
{
    const int perPage = entriesPerPage();
    if (perPage <= 0 || perPage >= count)
        return 1;
    return (count + perPage - 1) / perPage;
}

namespace
{
int measure(VkJuceOglFont* font, const char* text)
{
    return font != nullptr ? font->measureText(text) : 0;
}
} // namespace

VkJucePresetBrowser::VkJucePresetBrowser(VkJucePresetBrowserTriggerButton* owner, VkJuceEditorBase* editor,
                                         const juce::String& componentName)
    : VkJuceControlWithHelpers(componentName), ownerTrigger(owner)
{
    if (editor != nullptr)
    {
        editor->addHiddenControl(this);
        auto& processor = editor->getProcessorBase();
        factoryCount = processor.getNumStoredPrograms();
        entryCount = factoryCount + processor.getNumPrograms();
    }
    entries = buildEntries(PresetBrowserSettings{}.categoryMask);
}

VkJucePresetBrowser::~VkJucePresetBrowser()
{
    leaveRenderWalk();
}

std::shared_ptr<const PresetBrowserEntries> VkJucePresetBrowser::buildEntries(int mask) const
{
    auto list = std::make_shared<PresetBrowserEntries>();
    list->factoryCount = factoryCount;
    auto* processor = getProcessor();
    if (processor == nullptr)
        return list;
    for (int k = 0; k < entryCount; ++k)
    {
        const ProgramRecord record =
            k < factoryCount ? processor->getStoredProgram(k) : processor->getProgram(k - factoryCount);
        if ((record.categoryMask & mask) == 0)
            continue;
        list->names.push_back(record.name);
        list->entryIndexes.push_back(k);
    }
    return list;
}

void VkJucePresetBrowser::setEntries(std::shared_ptr<const PresetBrowserEntries> newEntries)
{
    if (newEntries == nullptr)
        newEntries = std::make_shared<PresetBrowserEntries>();
    std::shared_ptr<const PresetBrowserEntries> old;
    {
        const std::lock_guard<std::mutex> lock(gridLock);
        old = std::move(entries);
        entries = std::move(newEntries);
        layoutNeeded.store(true);
    }
    // The old list goes here, outside the lock, unless a frame still holds it.
}

void VkJucePresetBrowser::setSettings(const PresetBrowserSettings& newSettings)
{
    bool recount = false;
    {
        const std::lock_guard<std::mutex> lock(gridLock);
        recount = newSettings.categoryMask != settings.categoryMask;
        settings = newSettings;
        layoutNeeded.store(true);
    }
    if (recount)
        rebuildEntries(newSettings.categoryMask);
}

void VkJucePresetBrowser::rebuildEntries(int mask)
{
    setEntries(buildEntries(mask));
}

void VkJucePresetBrowser::browserOpened()
{
    rebuildEntries(getSettings().categoryMask);
}

PresetBrowserSettings VkJucePresetBrowser::getSettings() const
{
    const std::lock_guard<std::mutex> lock(gridLock);
    return settings;
}

void VkJucePresetBrowser::setBrowserFont(VkJuceOglFont* font)
{
    browserFont.store(font);
    setFont(font);
    layoutNeeded.store(true);
}

VkJuceOglFont* VkJucePresetBrowser::getBrowserFont() const
{
    if (auto* font = browserFont.load())
        return font;
    auto* top = getOglComponent();
    return top != nullptr ? top->getFontForSize(11) : nullptr;
}

int VkJucePresetBrowser::countVisibleEntries()
{
    const std::lock_guard<std::mutex> lock(gridLock);
    return entries->size();
}

juce::String VkJucePresetBrowser::getEntryName(int n) const
{
    std::shared_ptr<const PresetBrowserEntries> list;
    {
        const std::lock_guard<std::mutex> lock(gridLock);
        list = entries;
    }
    return n >= 0 && n < list->size() ? list->names[(size_t)n] : juce::String("ERROR");
}

int VkJucePresetBrowser::getEntryIndex(int n) const
{
    std::shared_ptr<const PresetBrowserEntries> list;
    {
        const std::lock_guard<std::mutex> lock(gridLock);
        list = entries;
    }
    return n >= 0 && n < list->size() ? list->entryIndexes[(size_t)n] : -1;
}

int VkJucePresetBrowser::getPage() const
{
    const std::lock_guard<std::mutex> lock(gridLock);
    return page;
}

void VkJucePresetBrowser::turnPage(int delta)
{
    const std::lock_guard<std::mutex> lock(gridLock);
    page = std::clamp(page + delta, 0, std::max(0, grid.pages - 1));
}

//==============================================================================================================
// Layout

void VkJucePresetBrowser::measureCells(PresetBrowserGrid& g, VkJuceOglFont* font) const
{
    const int h = font != nullptr ? font->getLineHeight() : 0;
    g.rowHeight = h / 4 + h + 2;
    g.textHeight = h + 2;
    g.leftMargin = h;
    g.topMargin = g.rowHeight + h;
    g.bottomMargin = h;
    g.numberWidth = measure(font, "000");
}

void VkJucePresetBrowser::layoutGrid(PresetBrowserGrid& g, const PresetBrowserEntries& list,
                                     VkJuceOglFont* font) const
{
    measureCells(g, font);
    const int w = g.width;
    const int h = g.height;
    // A panel too small for one row lists nothing rather than a negative number of rows.
    g.rowsPerColumn = g.rowHeight > 0 ? std::max(0, (h - g.topMargin - g.bottomMargin) / g.rowHeight - 1) : 0;

    const auto buttonWidth = [&](const char* text) { return measure(font, text) + 2 * g.textPad; };
    const int closeWidth = buttonWidth("Close");
    const int bottomY = h - g.textHeight - g.bottomMargin;
    g.closeRect = {w - g.leftMargin - closeWidth, bottomY, closeWidth, g.textHeight};
    g.defaultRect = {g.leftMargin, bottomY, buttonWidth("Set current as default"), g.textHeight};
    const int nextWidth = buttonWidth("Next");
    g.nextRect = {w - g.leftMargin - nextWidth, g.rowHeight, nextWidth, g.textHeight};
    g.previousRect = {g.leftMargin, g.rowHeight, buttonWidth("Previous"), g.textHeight};

    if (settings.showSetDefault && g.defaultRect.getRight() >= g.closeRect.getX() - 3)
    {
        g.rowsPerColumn = std::max(0, g.rowsPerColumn - 1);
        g.defaultRect.translate(0, -g.rowHeight);
    }

    for (const auto& name : list.names)
        g.maxNameWidth = std::max(g.maxNameWidth, measure(font, name.toRawUTF8()));

    const int columnWidth = g.maxNameWidth + g.numberWidth;
    g.columns = columnWidth > 0 ? std::max(1, w / columnWidth) : 1;
    g.pages = g.pagesFor(list.size());
    g.cellWidth = g.maxNameWidth + 4;
}

void VkJucePresetBrowser::updateLayout()
{
    auto* font = getBrowserFont();
    const auto bounds = getRenderBounds();
    // Laid out under the lock: a grid made on one thread for a list the other thread has just replaced
    // would otherwise be published over the newer one.
    const std::lock_guard<std::mutex> lock(gridLock);
    layoutNeeded.store(false);
    PresetBrowserGrid g = grid;
    g.width = bounds.getWidth();
    g.height = bounds.getHeight();
    layoutGrid(g, *entries, font);
    g.pages = std::max(1, g.pages);
    grid = g;
    page = std::clamp(page, 0, grid.pages - 1);
}

VkJucePresetBrowser::Frame VkJucePresetBrowser::takeFrame()
{
    const auto bounds = getRenderBounds();
    bool stale = layoutNeeded.load();
    {
        const std::lock_guard<std::mutex> lock(gridLock);
        stale = stale || grid.width != bounds.getWidth() || grid.height != bounds.getHeight();
    }
    if (stale)
        updateLayout();
    const std::lock_guard<std::mutex> lock(gridLock);
    return {entries, grid, page, settings};
}

//==============================================================================================================
// Rendering

void VkJucePresetBrowser::fillRect(juce::Rectangle<int> rect, juce::Colour colour)
{
    auto* top = getOglComponent();
    if (top == nullptr)
        return;
    auto& cache = top->getStateCache();
    cache.setTexturing(false);
    cache.setBlending(true);
    cache.setColour(colour);
    cache.apply();
    top->getGlApi().recti(rect.getX(), rect.getY(), rect.getRight(), rect.getBottom());
}

void VkJucePresetBrowser::render(int elapsedMs)
{
    juce::ignoreUnused(elapsedMs);
    if (getOglComponent() == nullptr)
        return;
    renderFrame = takeFrame();
    if (getProcessor() == nullptr)
        return;
    renderGrid();
    renderButtons();
}

void VkJucePresetBrowser::renderGrid()
{
    const auto& g = renderFrame.grid;
    const int count = renderFrame.entries->size();
    const int first = renderFrame.page * g.entriesPerPage();
    for (int c = 0; c < g.columns; ++c)
        for (int r = 0; r < g.rowsPerColumn; ++r)
        {
            const int n = first + c * g.rowsPerColumn + r;
            if (n >= count)
                return;
            drawEntry(g.cellAt(c, r), n);
        }
}

void VkJucePresetBrowser::renderButtons()
{
    const auto& g = renderFrame.grid;
    const auto colour = getTextColour();
    if (g.pages > 1 && renderFrame.page < g.pages - 1)
        drawButton("Next", g.nextRect, nextId, VkJuceOglFont::centred, colour);
    if (g.pages > 1 && renderFrame.page > 0)
        drawButton("Previous", g.previousRect, previousId, VkJuceOglFont::centred, colour);
    if (renderFrame.settings.showSetDefault)
        drawButton("Set current as default", g.defaultRect, setDefaultId, VkJuceOglFont::centred, colour);
    if (showClose.load())
        drawButton("Close", g.closeRect, closeId, VkJuceOglFont::centred, colour);
}

namespace
{
// Where a cell draws its entry's name: after the number column (factory presets without a number, aligned
// with the slots' names), or across the cell less its padding when slots are not numbered.
juce::Rectangle<int> nameArea(const PresetBrowserGrid& g, juce::Rectangle<int> cell, bool factory,
                              bool numbered)
{
    if (factory)
        return {cell.getX() + g.gap + g.numberWidth, cell.getY(), g.cellWidth - g.textPad, cell.getHeight()};
    if (numbered)
        return {cell.getX() + g.textPad + g.gap + g.numberWidth, cell.getY(), g.cellWidth - 2 * g.textPad,
                cell.getHeight()};
    return cell.reduced(g.textPad, 0);
}

// The names of a frame's list, each in the width its cell gives it.
class FrameNames final : public FittedNameList
{
public:
    explicit FrameNames(const VkJucePresetBrowser::Frame& f) : frame(f) {}
    int size() const noexcept override { return frame.entries->size(); }
    const char* nameAt(int i) const noexcept override { return frame.entries->names[(size_t)i].toRawUTF8(); }
    int widthAt(int i) const noexcept override
    {
        const auto& g = frame.grid;
        const bool factory = frame.entries->entryIndexes[(size_t)i] < frame.entries->factoryCount;
        return nameArea(g, g.cellAt(0, 0), factory, frame.settings.showNumbers).getWidth();
    }

private:
    const VkJucePresetBrowser::Frame& frame;
};
} // namespace

const char* VkJucePresetBrowser::nameShown(const Frame& frame, const VkJuceOglFont& font, int n, char* out,
                                           size_t outSize) noexcept
{
    return fitNameApart(font, FrameNames(frame), n, out, outSize);
}

void VkJucePresetBrowser::drawEntry(juce::Rectangle<int> rect, int n)
{
    const auto& g = renderFrame.grid;
    const auto& list = *renderFrame.entries;
    if (n < 0 || n >= list.size())
        return;
    if (selected.load() == n)
    {
        fillRect(rect, highlightColour);
        entryHighlightRect = rect;
    }
    auto* font = getBrowserFont();
    auto* top = getOglComponent();
    if (font == nullptr || top == nullptr)
        return;
    const int k = list.entryIndexes[(size_t)n];
    const bool factory = k < list.factoryCount;
    const bool numbered = renderFrame.settings.showNumbers;
    // Each name is cut to its own column: a long one would otherwise run into the next column's text.
    char fitted[256];
    auto& cache = top->getStateCache();
    cache.setColour(factory ? factoryNameColour() : getTextColour());
    if (!factory && numbered)
    {
        // The slot's own number, so that a mask hiding slots does not renumber the rest.
        char number[16];
        std::snprintf(number, sizeof(number), "%02i", std::max(1, k - list.factoryCount + 1));
        font->drawText({rect.getX() + g.textPad, rect.getY() + 1, g.numberWidth, g.textHeight - 1}, number,
                       VkJuceOglFont::right, "");
    }
    font->drawText(nameArea(g, rect, factory, numbered),
                   nameShown(renderFrame, *font, n, fitted, sizeof(fitted)), VkJuceOglFont::left, "");
}

void VkJucePresetBrowser::drawButton(const juce::String& text, juce::Rectangle<int> rect, int id,
                                     uint32_t justification, juce::Colour colour)
{
    if (selected.load() == id)
        fillRect(rect, highlightColour);
    auto* font = getBrowserFont();
    auto* top = getOglComponent();
    if (font == nullptr || top == nullptr)
        return;
    const int pad = renderFrame.grid.textPad;
    top->getStateCache().setColour(colour);
    font->drawText(rect.reduced(pad, 0).translated(0, 1), text.toRawUTF8(), justification, "");
}

//==============================================================================================================
// Pointer and choosing

void VkJucePresetBrowser::selectAt(juce::Point<int> point)
{
    const Frame f = takeFrame();
    const auto& g = f.grid;
    selected.store(noSelection);
    const int stride = g.columnStride();
    if (stride > 0 && g.rowHeight > 0 && point.x >= g.leftMargin && point.y > g.topMargin)
    {
        const int column = (point.x - g.leftMargin) / stride;
        const int row = (point.y - g.topMargin) / g.rowHeight;
        if (column < g.columns && row < g.rowsPerColumn)
        {
            const int n = f.page * g.entriesPerPage() + column * g.rowsPerColumn + row;
            if (n >= 0 && n < f.entries->size())
            {
                selected.store(n);
                return;
            }
        }
    }
    if (showClose.load() && g.closeRect.contains(point))
        selected.store(closeId);
    else if (f.settings.showSetDefault && g.defaultRect.contains(point))
        selected.store(setDefaultId);
    else if (g.nextRect.contains(point))
        selected.store(nextId);
    else if (g.previousRect.contains(point))
        selected.store(previousId);
}

bool VkJucePresetBrowser::chooseSelected()
{
    auto* processor = getProcessor();
    if (processor == nullptr)
        return true;
    const int choice = selected.load();
    const auto chosenSettings = getSettings();
    if (choice >= 0)
    {
        const int k = getEntryIndex(choice);
        if (k < 0)
            return false;
        if (k >= factoryCount)
        {
            const int slot = VkJuceProcessorBase::sanitiseProgramSlot(k - factoryCount);
            // For the developer's debugger only: a release build writes nothing a host would show.
            DBG("Paramset " << (k - factoryCount));
            processor->setCurrentProgram(slot);
        }
        else
        {
            DBG("Paramset = " << k);
            processor->loadStoredProgram(k, chosenSettings.firstParameter, chosenSettings.lastParameter);
        }
        // Loading a factory preset renamed the current slot.
        rebuildEntries(chosenSettings.categoryMask);
        processor->updateHostDisplay();
        processor->setRefreshAll(true);
        setValue((float)std::min(k, 1000) / 1000.0f, true);
        processor->markProgramDirty();
        return chosenSettings.closeOnChoose;
    }
    switch (choice)
    {
    case closeId:
        return true;
    case setDefaultId:
        processor->beforeSaveDefault();
        processor->saveCurrentAsDefault();
        processor->afterSaveDefault();
        return true;
    case nextId:
        turnPage(1);
        return false;
    case previousId:
        turnPage(-1);
        return false;
    default:
        return false;
    }
}

void VkJucePresetBrowser::mouseMove(const juce::MouseEvent& event)
{
    selectAt(event.getPosition());
}

void VkJucePresetBrowser::mouseExit(const juce::MouseEvent& event)
{
    VkJuceControlWithHelpers::mouseExit(event);
    selected.store(noSelection);
}

void VkJucePresetBrowser::mouseDown(const juce::MouseEvent& event)
{
    if (isGreyedOut())
        return;
    selectAt(event.getPosition());
    if (getProcessor() == nullptr)
        return;
    juce::Component::SafePointer<juce::Component> self(this);
    const bool close = chooseSelected();
    if (self == nullptr)
        return;
    sendValueChanged();
    if (self != nullptr && close && ownerTrigger != nullptr)
        ownerTrigger->closePopUp();
}

void VkJucePresetBrowser::resized()
{
    layoutNeeded.store(true);
}

} // namespace vk
