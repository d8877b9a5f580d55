#pragma once

#include "vk_juce_control_with_helpers.h"

#include <array>

namespace vk
{

/** The editor's switch: a toggle (choice -1), a choice button standing for choice n (stored as n / 1000), a
    momentary push button, a filled rectangle, a text label or a blinking indicator.

    A toggle is off at 0 and on at any other value; a choice button is on when min(int(value x 1000 + 0.5),
    1000) equals its choice. Texts, colours and frame images per state (0 off, 1 on, 2 and 3 unused by the
    value) are read by the renderer: texts under renderDataLock, colours as atomics, so a text is never
    replaced half-way through its drawing and no setter waits for a frame.

    [message thread] setters and mouse. [render thread] render, updateStateRect, renderStateFrame.
*/
class VkJuceButton : public VkJuceControlWithHelpers
{
public:
    enum Flags : uint8_t
    {
        momentaryFlag = 1,
        rectangleFlag = 2,
        customTintFlag = 4
    };
    static constexpr int allStates = 4;

    explicit VkJuceButton(const juce::String& componentName);
    ~VkJuceButton() override;

    void render(int elapsedMs) override;
    /** A momentary button returns to 0 first; a greyed-out button ends no gesture. */
    void endChangeGesture() override;
    void valueChanged(float newValue) override;
    void greyedOutChanged() override;
    void updateAppearance() override;
    virtual bool isOn() const;
    /** State 0..3 or allStates; switches the custom tint on. */
    virtual void setImageTint(juce::Colour colour, int state);
    /** [render thread] The state texture at the button's size, at the state's image position. */
    virtual void updateStateRect();
    /** [render thread] The state's frame image, aligned and offset. */
    virtual void renderStateFrame();

    /** State 0..3 or allStates; switches rectangle mode on. */
    void setFillColour(juce::Colour colour, int state);
    using VkJuceOglFontUser::setTextColour;
    void setTextColour(juce::Colour colour, int state);
    /** State 0..3 or allStates. Rectangle mode is on exactly when there is no off image. */
    void setText(const juce::String& text, int state);
    void setTextInRectangle(const juce::String& text, int state);
    juce::String getText(int state) const;
    void setFrameTint(juce::Colour colour, int state);
    /** [any thread] */
    juce::Colour getImageTint(int state) const
    {
        return isStateIndex(state) ? imageTints[(size_t)state].get() : juce::Colour();
    }
    /** State 0..3: a small image drawn instead of the text, aligned by bits 0-1 (0 centred, 2 right, else
        left) and 2-3 (0 centred, 8 bottom, else top), plus the offset. */
    void setFrameImage(const juce::Image& image, int state, int alignment, juce::Point<int> offset);
    void setStateImagePosition(juce::Point<int> position, int state);

    void setMomentary(bool momentary);
    bool isMomentary() const noexcept { return (flags.load() & momentaryFlag) != 0; }
    bool isRectangleMode() const noexcept { return (flags.load() & rectangleFlag) != 0; }
    void setChoice(int choiceNumber) noexcept { choice = choiceNumber; }
    int getChoice() const noexcept { return choice; }
    void setDeselectable(bool canDeselect) noexcept { deselectable = canDeselect; }
    void setLink(const juce::String& url) { link = url; }
    /** Alternates the on and off images every interval while on. */
    void setBlinking(bool shouldBlink, int intervalMs);
    /** The first non-null state image's bounds; empty without images. */
    juce::Rectangle<int> getImageBounds() const;

    void setOglOwner(VkOglEditorOwner* editor) override;
    void mouseDown(const juce::MouseEvent& event) override;
    void mouseUp(const juce::MouseEvent& event) override;

    /** Value encoding of choice buttons. */
    static int choiceFromValue(float v) noexcept;
    static float valueFromChoice(int n) noexcept;

private:
    static bool isStateIndex(int state) noexcept { return state >= 0 && state <= 3; }
    void blinkIfDue();

    std::atomic<uint8_t> flags{0};
    std::array<AtomicColour, 4> fillColours;
    std::array<AtomicColour, 4> imageTints;
    std::array<AtomicColour, 4> textColours;
    std::array<AtomicColour, 4> frameTints;
    // Only under renderDataLock.
    std::array<juce::String, 4> texts;
    std::array<juce::Point<int>, 4> frameOffsets;
    std::array<juce::Point<int>, 4> stateImagePositions;
    std::array<int, 4> frameAlignments{};
    std::array<bool, 4> frameInsteadOfText{};

    int choice = -1;
    bool deselectable = false;
    juce::String link;
    std::array<VkOglComponentTexture, 4> frameTextures;
    std::atomic<int> blinkIntervalMs{0};
    std::atomic<bool> blinking{false};
    // Render thread only.
    juce::int64 lastBlinkMs = 0;
    bool blinkPhase = false;
};

} // namespace vk
