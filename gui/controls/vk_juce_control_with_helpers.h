#pragma once

#include "atomic_colour.h"
#include "vk_juce_control.h"
#include "vk_juce_ogl_font_user.h"
#include "vk_ogl_component_texture.h"

#include <array>

namespace vk
{

/** A control with what nearly every visible control needs: four state images (0 off, 1 on, 2 and 3 their
    hover overlays), a hover overlay that fades in and out, a one-pixel frame highlight and text drawn with
    the editor's bitmap fonts.

    The images live on the message thread; the renderer sees them only through the textures, which swap
    images under their own lock. Rectangles and colours the renderer reads are guarded by renderDataLock or
    atomic. The fade state belongs to the render thread except the hover direction.

    [message thread] setters, mouse. [render thread] renderHoverOverlay, renderText, renderFrameHighlight.
*/
class VkJuceControlWithHelpers : public VkJuceControl, public VkJuceOglFontUser
{
public:
    explicit VkJuceControlWithHelpers(const juce::String& componentName);
    ~VkJuceControlWithHelpers() override;

    /** State 0..3 only; then updateAppearance. [any thread] */
    virtual void setStateImage(const juce::Image& image, int state);
    virtual void setControlColour(const juce::Colour& colour);
    /** [render thread] Steps the fade, then draws the off (true) or on (false) overlay at the fade level. */
    virtual void renderHoverOverlay(bool off);
    /** State 0..3: the state image (image 0 when it is null; nothing when both are null) into the state
        texture. */
    virtual void selectStateImage(int state);
    /** State 0..3: when that image exists, images 2 and 3 into the overlay textures; else image 0 into the
        state texture. */
    virtual void selectOverlayImage(int state);
    /** [render thread] Draws in the local bounds (inset when asked) plus the text offset, in the font
        getFontForText gives for the text and that width; a fitted text too wide even for that font is cut
        with "..." at its end. */
    virtual void renderText(const juce::String& text, uint32_t justification);
    /** [any thread] The font renderText draws this text in when it has `width` pixels: the chosen font, or
        for a fitted text the largest font from the chosen one down that it fits in, else the smallest.
        Asked at every frame with the text drawn, so a control may pick by the text without a text and a
        font of different frames ever meeting. No allocation. */
    virtual VkJuceOglFont* getFontForText(const juce::String& text, int width) const;

    /** Cuts the image into two equal horizontal strips: off and on. */
    void setImageStrip(const juce::Image& image);
    /** [any thread] The blinking of a button swaps from the render thread. */
    void swapOnOffImages();
    void swapOverlayImages();

    void setFrameHighlight(bool on) noexcept { frameHighlight.store(on, std::memory_order_relaxed); }
    bool isFrameHighlightOn() const noexcept { return frameHighlight.load(std::memory_order_relaxed); }
    void setHighlightColour(juce::Colour c) noexcept { highlightColour.set(c); }
    void setHoverDisabled(bool disabled) noexcept { hoverDisabled = disabled; }
    /** Fades in once to full and back out with these steps, then returns to the usual steps. */
    void startOneShotFade(float inStep, float outStep);
    void setFadeSteps(float inStep, float outStep);
    void setOverlayRect(juce::Rectangle<int> r);
    void setTextInset(bool inset);
    /** Keeps the text inside the box: renderText steps a text wider than the box down through the smaller
        bitmap fonts and cuts one too wide even for the smallest. The text itself stays as it was set. */
    void setTextFitted(bool fitted) noexcept { textFitted.store(fitted, std::memory_order_relaxed); }
    bool isTextFitted() const noexcept { return textFitted.load(std::memory_order_relaxed); }
    void setTextOffset(juce::Point<int> offset);
    juce::Colour getControlColour() const noexcept { return controlColour.get(); }
    juce::Image getStateImage(int state) const;
    bool isHovering() const noexcept { return hovering.load(std::memory_order_relaxed); }
    /** [render thread] */
    float getFadeLevel() const noexcept { return fadeLevel; }

    void setOglOwner(VkOglEditorOwner* editor) override;
    void mouseEnter(const juce::MouseEvent& event) override;
    void mouseExit(const juce::MouseEvent& event) override;

protected:
    /** [render thread] One frame of the hover fade; returns the new level and the overlay rectangle. */
    float stepHoverFade(juce::Rectangle<int>& overlayRectOut);
    /** [render thread] Frame along the inside of the local bounds in the highlight colour, when on. */
    void renderFrameHighlight();

    VkOglComponentTexture stateTexture;
    VkOglComponentTexture overlayOffTexture;
    VkOglComponentTexture overlayOnTexture;
    AtomicColour controlColour{juce::Colours::transparentBlack};

    /** Guards the images, rectangles and texts that both threads touch; held only to copy or swap them
        (copies share pixel data and strings, so nothing is allocated under it). */
    mutable juce::SpinLock renderDataLock;
    /** Only under renderDataLock. */
    std::array<juce::Image, 4> stateImages;

private:
    std::atomic<bool> frameHighlight{false};
    std::atomic<bool> textFitted{false};
    std::atomic<bool> hovering{false};
    std::atomic<bool> oneShot{false};
    bool hoverDisabled = false;
    // Fade steps and level: written by the message thread only through renderDataLock.
    float savedFadeInStep = 0.1f;
    float savedFadeOutStep = 0.1f;
    float fadeOutStep = 0.1f;
    float fadeInStep = 0.1f;
    float fadeLevel = 0.0f;
    juce::Rectangle<int> overlayRect;
    AtomicColour highlightColour{juce::Colour(128, 128, 128)};
    bool textInset = false;
    juce::Point<int> textOffset{0, 1};
};

} // namespace vk
