#pragma once

#include "controls/vk_juce_button.h"
#include "controls/vk_juce_control.h"
#include "vk_juce_modal_background.h"

#include <array>
#include <memory>

namespace vk
{

class VkJuceEditorBase;
class VkJuceMenuScreen;

/** The in-window menu drawn over the editor: a dimming layer, a panel, a header with the maker's logo and
    the product title, and a column of lines built by one screen at a time.

    Lines are made from a fixed set of 50 buttons, handed out top to bottom while a screen builds; a
    clickable item remembers the screen it leads to. A screen that performs an action instead (opening a
    link, asking the version server) names the screen that follows, which is shown at once.

    [message thread] everything, including the synchronous web requests of some screens. The items are
    drawn by the render thread like every control. Building allocates.
*/
class VkJuceMenu : public VkJuceControl::Listener, public juce::Timer
{
public:
    static constexpr int numItems = 50;
    static constexpr int defaultMenuWidth = 300;
    static constexpr int spacerHeight = 19;

    VkJuceMenu();
    ~VkJuceMenu() override;

    /** Nothing is laid out and no click is taken without an owner. */
    void setOwner(VkJuceEditorBase* editor);
    /** Opening shows the background and the main menu; closing hides everything. Repeating the current
        state does nothing. */
    void setOpen(bool shouldBeOpen);
    /** When open: closes and opens again at the main menu, laid out for the editor's current size. */
    void refresh();

    /** Clears the current screen and builds this one, then any screen its build names, until a build names
        none; finally squeezes the lines into the panel when they run past its bottom. */
    void switchToScreen(std::unique_ptr<VkJuceMenuScreen> screen);
    /** For a screen's build: the screen to show once this build ends. */
    void setPendingScreen(std::unique_ptr<VkJuceMenuScreen> screen);
    /** Deletes the current and every remembered screen and hides, unbinds and resets every item. */
    void clearItems();

    //==================================================================================================
    // Layout, for screens while they build. Each returns the item it used, or null once all 50 are used
    // (the line is then left out).
    void addSpacer(int height) noexcept { cursorY += height; }
    VkJuceButton* addLine(int height);
    VkJuceButton* addTextLine(const juce::String& text, int height);
    VkJuceButton* addHeading(const juce::String& text);
    VkJuceButton* addClickableItem(const juce::String& text);
    /** A clickable item that leads to the screen; without an item the screen is dropped. */
    VkJuceButton* addItem(const juce::String& text, std::unique_ptr<VkJuceMenuScreen> nextScreen);
    /** Label and an "Off"/"On" toggle bound to the parameter. Placement 0: a new row 10 pixels lower, left
        of the centre; 1: right of the centre on the previous row; 2: a row of its own, the toggle starting
        at the centre. Returns the toggle. */
    VkJuceButton* addToggle(const juce::String& label, int parameterIndex, int placement);
    /** The logo and the title, side by side when they fit the editor's width, else stacked. */
    void layoutHeader();

    /** Opens (launch) or reads (read) the maker's web-site link for the hotlink key; returns the page's
        text when read, else empty. */
    juce::String openHotlink(const juce::String& hotlinkKey, bool launch, bool read);

    //==================================================================================================
    void controlValueChanged(VkJuceControl* control) override;
    void timerCallback() override {}

    /** The width shared by every menu of the process; each screen sets it when shown. */
    static void setMenuWidth(int width) noexcept;
    static int getMenuWidth() noexcept;

    bool isOpen() const noexcept { return open; }
    VkJuceEditorBase* getOwner() const noexcept { return editor; }
    int getCursorY() const noexcept { return cursorY; }
    int getItemCount() const noexcept { return itemCount; }
    VkJuceButton& getItem(int index) { return *items[(size_t)index]; }
    /** The screen item `index` leads to; null when none (or out of range). */
    VkJuceMenuScreen* getNextScreen(int index) const;
    VkJuceMenuScreen* getCurrentScreen() const noexcept { return currentScreen.get(); }
    VkJuceModalBackground& getBackground() noexcept { return background; }

    /** Colours of the lines. */
    static juce::Colour textColour() { return juce::Colour(200, 200, 200); }
    static juce::Colour itemColour(uint8_t alpha)
    {
        return juce::Colour((uint8_t)255, (uint8_t)128, (uint8_t)64, alpha);
    }

private:
    VkJuceOglFont* fontForSize(int pixels) const;
    int narrowedMenuWidth() const;
    void fitItemsToPanel();

    VkJuceEditorBase* editor = nullptr;
    bool open = false;
    VkJuceModalBackground background;
    std::array<std::unique_ptr<VkJuceButton>, numItems> items;
    std::array<std::unique_ptr<VkJuceMenuScreen>, numItems> nextScreens;
    std::unique_ptr<VkJuceMenuScreen> currentScreen;
    std::unique_ptr<VkJuceMenuScreen> pendingScreen;
    int itemCount = 0;
    int cursorY = 0;
    juce::Image logo;

    JUCE_DECLARE_NON_COPYABLE(VkJuceMenu)
};

} // namespace vk
