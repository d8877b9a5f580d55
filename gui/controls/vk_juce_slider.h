#pragma once

#include "vk_juce_control_with_helpers.h"

namespace vk
{

/** A linear slider: a track, optionally filled up to the value, and a thumb (state image 0) that follows the
    mouse directly and brightens while hovered. The component is the track plus half a thumb at each end,
    so the thumb's centre travels exactly along the track.

    The fine modifier scales the movement from the press point; the wheel nudges by 35 track lengths per unit
    of wheel delta. A track of zero length makes the arithmetic non-finite, and such a value is not stored.

    [message thread] mouse and setters. [render thread] render; the fade start belongs to it.
*/
class VkJuceSlider : public VkJuceControlWithHelpers
{
public:
    enum Orientation
    {
        horizontal = 0,
        vertical = 1
    };

    explicit VkJuceSlider(const juce::String& componentName);
    ~VkJuceSlider() override;

    void render(int elapsedMs) override;
    void updateAppearance() override;
    virtual void setTrackBounds(int x, int y, int width, int height, bool autoOrientation);
    /** With autoOrientation: vertical when width <= height. The rectangle grows by half the thumb at both
        ends along the orientation and becomes the slider's bounds. */
    virtual void setTrackBounds(juce::Rectangle<int> track, bool autoOrientation);
    virtual void setSliderBounds(int x, int y, int width, int height);
    /** The component gets the rectangle; the track is it less half the thumb at both ends. */
    virtual void setSliderBounds(juce::Rectangle<int> bounds);

    void setOrientation(int o) noexcept { orientation.store(o); }
    int getOrientation() const noexcept { return orientation.load(); }
    /** In the parent's coordinates. */
    juce::Rectangle<int> getTrack() const;
    void setTrackColour(juce::Colour c) noexcept { trackColour.set(c); }
    void setFillColour(juce::Colour c) noexcept { fillColour.set(c); }
    void setThumbColours(juce::Colour normal, juce::Colour highlighted, bool twoColour);
    void setThumbAlphas(float highlighted, float atRest);
    void setThumbOffset(juce::Point<int> offset);

    void mouseDown(const juce::MouseEvent& event) override;
    void mouseDrag(const juce::MouseEvent& event) override;
    void mouseUp(const juce::MouseEvent& event) override;
    void mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;
    void mouseEnter(const juce::MouseEvent& event) override;
    void mouseExit(const juce::MouseEvent& event) override;

    /** The thumb's highlight after the mouse left: full for 50 ms, then a linear fade over 200 ms. */
    static float fadeAfterLeaving(double msSinceLeaving) noexcept;

private:
    void position(const juce::MouseEvent& event);
    juce::Point<int> thumbSize() const;

    std::atomic<int> orientation{vertical};
    double fadeStartMs = 0.0; // render thread; 0 = no fade running
    std::atomic<float> thumbAlphaHighlighted{1.0f};
    std::atomic<float> thumbAlphaAtRest{0.5f};
    juce::Point<int> pressPosition;
    juce::Rectangle<int> track; // only under renderDataLock
    AtomicColour trackColour{juce::Colours::transparentBlack};
    AtomicColour fillColour{juce::Colours::transparentBlack};
    std::atomic<bool> hoveringThumb{false};
    std::atomic<bool> twoColourThumb{false};
    AtomicColour thumbColour{juce::Colours::white};
    AtomicColour thumbColourHighlighted{juce::Colours::white};
    juce::Point<int> thumbOffset; // only under renderDataLock
};

} // namespace vk
