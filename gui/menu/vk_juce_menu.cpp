#include "vk_juce_menu.h"

#include "editor/vk_juce_editor_base.h"
#include "ogl_draw_helpers.h"
#include "vk_juce_menu_screens.h"
#include "vk_juce_ogl_font.h"
#include "vk_web_link.h"

#include "formats/identity/vk_plugin_identity.h"
#include "processor/vk_wrapper_type.h"

namespace vk
{

namespace
{
// One value for every menu of the process: each screen sets it before its first line.
int sharedMenuWidth = VkJuceMenu::defaultMenuWidth;

constexpr const char* itemProperty = "menu_item";
constexpr int textFontPixels = 11;
constexpr int headingFontPixels = 14;
constexpr int titleFontPixels = 18;
constexpr int clickableItemHeight = 17;
constexpr int lineGap = 3;
constexpr int toggleWidth = 30;
constexpr int toggleRowHeight = 13;
} // namespace

VkJuceMenu::VkJuceMenu()
{
    for (int k = 0; k < numItems; ++k)
    {
        auto item = std::make_unique<VkJuceButton>("Menu item " + juce::String(k));
        item->getProperties().set(itemProperty, k);
        item->addListener(this);
        items[(size_t)k] = std::move(item);
    }
}

VkJuceMenu::~VkJuceMenu()
{
    // The owner is going too: only the screens are ours to delete here.
    currentScreen.reset();
    pendingScreen.reset();
    for (auto& screen : nextScreens)
        screen.reset();
}

void VkJuceMenu::setMenuWidth(int width) noexcept
{
    sharedMenuWidth = width;
}

int VkJuceMenu::getMenuWidth() noexcept
{
    return sharedMenuWidth;
}

void VkJuceMenu::setOwner(VkJuceEditorBase* newEditor)
{
    editor = newEditor;
}

void VkJuceMenu::setOpen(bool shouldBeOpen)
{
    if (editor == nullptr || shouldBeOpen == open)
        return;
    background.layout(*editor);
    if (shouldBeOpen)
    {
        background.show(*editor);
        open = true;
        switchToScreen(std::make_unique<VkJuceMenuScreenMainMenu>(*this));
    }
    else
    {
        background.hide();
        clearItems();
        open = false;
    }
}

void VkJuceMenu::refresh()
{
    if (!open)
        return;
    setOpen(false);
    setOpen(true);
}

void VkJuceMenu::switchToScreen(std::unique_ptr<VkJuceMenuScreen> screen)
{
    if (editor == nullptr)
        return;
    pendingScreen = std::move(screen);
    while (pendingScreen != nullptr)
    {
        clearItems();
        currentScreen = std::move(pendingScreen);
        cursorY = background.getPanelBounds().getY() + 15;
        currentScreen->showScreen();
        fitItemsToPanel();
    }
}

void VkJuceMenu::setPendingScreen(std::unique_ptr<VkJuceMenuScreen> screen)
{
    pendingScreen = std::move(screen);
}

void VkJuceMenu::clearItems()
{
    currentScreen.reset();
    for (auto& item : items)
    {
        if (item->getParentComponent() == nullptr)
            continue;
        // A toggle still held down ends its gesture while it is bound, so the parameter's gesture closes.
        item->cancelChangeGesture();
        item->setVisible(false);
        item->attachToParameter(VkJuceControl::noParameter, editor);
        item->setValue(0.0f, false);
    }
    for (auto& screen : nextScreens)
        screen.reset();
    itemCount = 0;
}

VkJuceOglFont* VkJuceMenu::fontForSize(int pixels) const
{
    return editor != nullptr ? editor->getOglComponent().getFontForSize(pixels) : nullptr;
}

int VkJuceMenu::narrowedMenuWidth() const
{
    sharedMenuWidth = std::min(sharedMenuWidth, editor->getWidth());
    return sharedMenuWidth;
}

namespace
{
int measure(VkJuceOglFont* font, const juce::String& text)
{
    return font != nullptr ? font->measureText(text.toRawUTF8()) : 0;
}
} // namespace

VkJuceButton* VkJuceMenu::addLine(int height)
{
    if (editor == nullptr || itemCount >= numItems)
        return nullptr;
    auto& item = *items[(size_t)itemCount++];

    // Items serve every kind of line in turn: nothing of the previous use may show through.
    for (int s = 0; s < 4; ++s)
        item.setStateImage(juce::Image(), s);
    item.setText({}, VkJuceButton::allStates);
    item.setFillColour(juce::Colours::transparentBlack, VkJuceButton::allStates);
    item.setTextColour(textColour(), VkJuceButton::allStates);
    item.setFont(fontForSize(textFontPixels));
    item.setJustification(VkJuceOglFont::centred);
    item.setChoice(-1);
    item.setInterceptsMouseClicks(false, false);
    item.addListener(this);

    const int width = narrowedMenuWidth();
    item.setBounds(editor->getWidth() / 2 - width / 2, cursorY, width, height);
    editor->addControl(&item, -1);
    cursorY += height + lineGap;
    return &item;
}

VkJuceButton* VkJuceMenu::addTextLine(const juce::String& text, int height)
{
    auto* item = addLine(height);
    if (item != nullptr)
        item->setText(text, VkJuceButton::allStates);
    return item;
}

VkJuceButton* VkJuceMenu::addHeading(const juce::String& text)
{
    auto* item = addTextLine(text, 13);
    if (item != nullptr)
        item->setFont(fontForSize(headingFontPixels));
    return item;
}

VkJuceButton* VkJuceMenu::addClickableItem(const juce::String& text)
{
    auto* item = addTextLine(text, clickableItemHeight);
    if (item == nullptr)
        return nullptr;
    const auto line = item->getBounds();
    const int width = measure(fontForSize(textFontPixels), text) + 10;
    item->setBounds(line.getX() + (line.getWidth() - width) / 2, line.getY(), width, line.getHeight());
    item->setFillColour(itemColour(100), 0);
    item->setFillColour(itemColour(255), 1);
    item->setInterceptsMouseClicks(true, false);
    return item;
}

VkJuceButton* VkJuceMenu::addItem(const juce::String& text, std::unique_ptr<VkJuceMenuScreen> nextScreen)
{
    auto* item = addClickableItem(text);
    if (item != nullptr)
        nextScreens[(size_t)(int)item->getProperties()[itemProperty]] = std::move(nextScreen);
    return item;
}

VkJuceButton* VkJuceMenu::addToggle(const juce::String& label, int parameterIndex, int placement)
{
    // Label and toggle come as a pair or not at all, so the cursor is never left half-moved.
    if (editor == nullptr || itemCount + 2 > numItems)
        return nullptr;
    const int menuWidth = narrowedMenuWidth();
    const int cx = editor->getWidth() / 2;
    const int rowStep = toggleRowHeight + lineGap;

    int d = 0;
    if (placement == 0)
    {
        cursorY += 10;
        d = -35;
    }
    else if (placement == 1)
    {
        cursorY -= rowStep;
        d = menuWidth / 2 + 5;
    }

    auto* labelItem = addTextLine(label, toggleRowHeight);
    labelItem->setJustification(VkJuceOglFont::right);
    int labelWidth = menuWidth / 2 - 5;
    if (placement == 1)
        labelWidth = measure(fontForSize(textFontPixels), label);
    labelItem->setBounds(cx + d - menuWidth / 2, labelItem->getY(), labelWidth, toggleRowHeight);
    if (placement == 1)
        d = labelWidth + 5;

    cursorY -= rowStep;
    auto* toggle = addTextLine("Off", toggleRowHeight);
    toggle->setText("On", 1);
    toggle->setText("On", 3);
    toggle->setTextColour(juce::Colours::white, VkJuceButton::allStates);
    toggle->setFillColour(juce::Colour(50, 50, 50), 0);
    toggle->setFillColour(juce::Colour(80, 80, 80), 1);
    toggle->setBounds(cx + d, toggle->getY(), toggleWidth, toggleRowHeight);
    toggle->attachToParameter(parameterIndex, editor);
    // Its clicks change the parameter; they lead to no screen.
    toggle->removeListener(this);
    toggle->setInterceptsMouseClicks(true, false);
    return toggle;
}

void VkJuceMenu::layoutHeader()
{
    if (editor == nullptr)
        return;
    if (logo.isNull())
        logo = getImageFromResource("logo_48x48");
    const int y0 = cursorY;

    auto* logoItem = addLine(13);
    if (logoItem != nullptr)
    {
        logoItem->setStateImage(logo, 0);
        // With an image and no text the button draws the image rather than a filled rectangle.
        logoItem->setText({}, VkJuceButton::allStates);
    }
    auto* titleFont = fontForSize(titleFontPixels);
    auto* title = addTextLine(juce::String(identity::kMaker) + " " + identity::kProductKey, 13);
    if (title != nullptr)
    {
        title->setFont(titleFont);
        title->setTextColour(juce::Colours::white, VkJuceButton::allStates);
    }

    const int t = title != nullptr ? measure(titleFont, title->getText(0)) : 0;
    const int w = logo.getWidth(), hl = logo.getHeight();
    const int f = titleFont != nullptr ? titleFont->getLineHeight() : 0;
    const int cx = editor->getWidth() / 2;
    if (w + t + 5 < editor->getWidth())
    {
        const int x = cx - (w + t + 5) / 2;
        if (logoItem != nullptr)
            logoItem->setBounds(x, y0, w, hl);
        if (title != nullptr)
            title->setBounds(x + w + 5, y0 + (hl - f) / 2, t, f);
        cursorY = y0 + hl + 3;
    }
    else
    {
        if (logoItem != nullptr)
            logoItem->setBounds(cx - w / 2, y0, w, hl);
        if (title != nullptr)
            title->setBounds(cx - t / 2, y0 + hl + 3, t, f);
        cursorY = y0 + hl + 6 + 10;
    }
    addSpacer(10);
}

void VkJuceMenu::fitItemsToPanel()
{
    const int bottom = background.getPanelBounds().getBottom();
    if (cursorY <= bottom || cursorY <= 0)
        return;
    const float factor = (float)(bottom - 5) / (float)cursorY;
    for (int i = 0; i < itemCount; ++i)
    {
        auto& item = *items[(size_t)i];
        item.setTopLeftPosition(item.getX(), (int)((float)item.getY() * factor));
    }
}

juce::String VkJuceMenu::openHotlink(const juce::String& hotlinkKey, bool launch, bool read)
{
    auto* processor = editor != nullptr ? editor->getProcessor() : nullptr;
    const juce::String address = weblink::buildHotlinkAddress(
        weblink::getSiteBaseAddress(), identity::kProductKey, identity::kVersionText, hotlinkKey,
        formatNameForWrapperType(processor != nullptr ? processor->getWrapperType() : 0));
    if (launch)
        weblink::launchInBrowser(address);
    if (read)
        return weblink::readPage(address);
    return {};
}

void VkJuceMenu::controlValueChanged(VkJuceControl* control)
{
    if (editor == nullptr || control == nullptr)
        return;
    const int k = control->getProperties().getWithDefault(itemProperty, -1);
    if (k < 0 || k >= numItems || nextScreens[(size_t)k] == nullptr)
        return;
    // Taken out first, so that clearing the current screen's items does not delete it.
    auto next = std::move(nextScreens[(size_t)k]);
    switchToScreen(std::move(next));
}

VkJuceMenuScreen* VkJuceMenu::getNextScreen(int index) const
{
    return index >= 0 && index < numItems ? nextScreens[(size_t)index].get() : nullptr;
}

} // namespace vk
