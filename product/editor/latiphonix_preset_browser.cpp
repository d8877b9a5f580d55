#include "latiphonix_preset_browser.h"

#include "editor/vk_juce_editor_base.h"

#include <algorithm>

namespace vk
{

LatiphonixPresetBrowser::LatiphonixPresetBrowser(VkJucePresetBrowserTriggerButton* owner,
                                                 VkJuceEditorBase* editor, const juce::String& componentName)
    : VkJucePresetBrowser(owner, editor, componentName)
{
}

LatiphonixPresetBrowser::~LatiphonixPresetBrowser()
{
    leaveRenderWalk();
}

void LatiphonixPresetBrowser::layoutGrid(PresetBrowserGrid& g, const PresetBrowserEntries& list,
                                         VkJuceOglFont* font) const
{
    measureCells(g, font);
    const int w = g.width;
    const int h = g.height;
    // No row held back. A panel lower than one row has none, and then no columns: every entry would
    // otherwise be divided among zero rows.
    g.rowsPerColumn = g.rowHeight > 0 ? std::max(0, (h - g.bottomMargin - g.topMargin) / g.rowHeight) : 0;
    g.columns = g.rowsPerColumn > 0 ? (list.size() + g.rowsPerColumn - 1) / g.rowsPerColumn : 0;
    if (g.columns == 1)
        g.cellWidth = w - 2 * g.leftMargin - g.gap - g.numberWidth;
    else if (g.columns > 1)
        // All entries share one page, so the columns share the panel's width: at the usual cell width the
        // later columns would lie outside the panel, where no entry can be seen or clicked.
        g.cellWidth = std::max(0, std::min(PresetBrowserGrid{}.cellWidth,
                                           (w - 2 * g.leftMargin) / g.columns - g.numberWidth - g.gap));
    g.closeRect = {w - 74, h - 18, 52, 16};
    g.defaultRect = {16, h - 18, 166, 16};
    g.pages = 1;
    g.nextRect = {};
    g.previousRect = {};
}

LatiphonixPresetBrowserTriggerButton::LatiphonixPresetBrowserTriggerButton(const juce::String& componentName)
    : VkJucePresetBrowserTriggerButton(componentName)
{
}

LatiphonixPresetBrowserTriggerButton::~LatiphonixPresetBrowserTriggerButton()
{
    leaveRenderWalk();
}

std::unique_ptr<VkJucePresetBrowser> LatiphonixPresetBrowserTriggerButton::makeBrowser()
{
    // The product never enters preset-file mode; should it, the preset files are what the user is after.
    auto* editor = getOwnerEditor();
    if (editor != nullptr && editor->getProcessorBase().isPresetFileMode())
        return VkJucePresetBrowserTriggerButton::makeBrowser();
    return std::make_unique<LatiphonixPresetBrowser>(this, editor, "LatiphonixPresetBrowsers");
}

void LatiphonixPresetBrowserTriggerButton::showPopUp()
{
    createPopUp();
    if (auto* browser = getBrowser())
    {
        auto s = getBrowserSettings();
        s.categoryMask = browser->getSettings().categoryMask;
        browser->setSettings(s);
    }
    VkJucePresetBrowserTriggerButton::showPopUp();
    placeCloseButton();
}

void LatiphonixPresetBrowserTriggerButton::placeCloseButton()
{
    auto& close = getCloseButton();
    auto* editor = getOwnerEditor();
    auto* browser = getBrowser();
    if (!close.isVisible() || editor == nullptr || browser == nullptr)
        return;
    // The pop-up's own rule puts it 28 pixels above the trigger's bottom edge: above the panel, over the A/B
    // buttons, with this trigger at the top of the editor. Inside the panel between its top edge and the
    // first row it covers no entry, and it stays clear of the browser's "Close" at the bottom.
    const auto panel = getPopUpButton().getBounds();
    const int topMargin = browser->takeFrame().grid.topMargin;
    close.setTopLeftPosition(panel.getRight() - 74,
                             panel.getY() + std::max(0, (topMargin - close.getHeight()) / 2));
    // Above the browser, which covers the whole panel and would take its clicks.
    editor->addControl(&close, -1);
}

} // namespace vk
