#pragma once

#include "controls/vk_juce_control.h"
#include "level_colour_table.h"
#include "vk_juce_ballistics.h"
#include "vk_juce_dynamic_display.h"

#include <atomic>
#include <cstdint>

namespace vk
{

/** A segmented (LED-style) level meter drawn with OpenGL.

    Every frame it pulls one level in decibels from its source, feeds a slow and a fast peak-hold ballistics
    and draws minimum..maximum as segments of a fixed size: segments below the level lit, the rest dim, the
    segments holding the peak markers bright, and the marker blinking white while its held peak lies beyond
    the scale. A reversed meter fills from the maximum downwards.

    Settings are atomics written on the message thread; the ballistics, the geometry and the source belong
    to the render thread (resetBallistics only asks the next frame to reset). A scale that cannot be drawn
    (maximum <= minimum, a segment size <= 0 or not finite) draws nothing; a segment size finer than
    maxSegments per scale is coarsened to that many, so a frame never loops without end.

    [message thread] setters, mouse; [render thread] render, pullLevel, updateGeometry. No allocation.
*/
class VkJuceDynamicDisplayLevelMeter : public VkJuceControl, public VkJuceDynamicDisplay
{
public:
    static constexpr int maxSegments = 4096;

    explicit VkJuceDynamicDisplayLevelMeter(const juce::String& componentName,
                                            const DisplayClock& clock = DisplayClock::system());
    ~VkJuceDynamicDisplayLevelMeter() override;

    void render(int elapsedMs) override;
    /** [any thread] Both ballistics are reset before the next frame draws. */
    virtual void resetBallistics();
    virtual float getMinimum() const { return minimum.load(); }
    virtual float getMaximum() const { return maximum.load(); }
    virtual void setMaximum(float dB) { maximum.store(dB); }
    virtual void setMinimum(float dB) { minimum.store(dB); }
    virtual void setSegmentSize(float dB) { segmentSize.store(dB); }
    /** 0 horizontal (minimum at the left), 1 vertical (minimum at the bottom); anything else is ignored. */
    virtual void setOrientation(int o);
    /** Negative gaps are ignored. */
    virtual void setSegmentGap(int pixels);
    virtual float getSegmentSize() const { return segmentSize.load(); }
    virtual int getOrientation() const { return orientation.load(); }
    virtual int getSegmentGap() const { return segmentGap.load(); }
    /** [render thread] Reads the source and pushes its value into both ballistics; nothing without one. */
    virtual void pullLevel();
    /** [render thread] Scale (pixels per dB) and the pixel position of 0 dB from the size (the render copy of
        the bounds, kept for the frame's segments) and the scale. */
    virtual void updateGeometry();

    void mouseDown(const juce::MouseEvent& event) override;

    LevelColourTable& getColourTable() noexcept { return colourTable; }
    void setShowPeakMarker(bool on) noexcept { showPeakMarker.store(on); }
    void setShowFastMarker(bool on) noexcept { showFastMarker.store(on); }
    void setNoFloorMargin(bool on) noexcept { noFloorMargin.store(on); }
    void setClipBlink(bool on) noexcept { clipBlink.store(on); }
    void setPeakColour(juce::Colour c) noexcept { peakColour.set(c); }
    void setSegmentAlphas(uint8_t lit, uint8_t partlyLit, uint8_t dim) noexcept;
    void setReversed(bool on) noexcept { reversed.store(on); }
    void setResetOnClick(bool on) noexcept { resetOnClick.store(on); }
    /** Before the first frame: the clock of the ballistics and the blinking. */
    void setClock(const DisplayClock& c) noexcept;
    /** [render thread] The ballistics, for settings made before the first frame and for tests. */
    VkJuceBallistics& getSlowBallistics() noexcept { return ballisticsA; }
    VkJuceBallistics& getFastBallistics() noexcept { return ballisticsB; }
    /** [render thread] Geometry of the last frame. The offset lies far outside the meter (beyond int)
        on a very narrow scale far from 0 dB. */
    float getScale() const noexcept { return scale; }
    int64_t getOffset() const noexcept { return offset; }

private:
    struct Scale
    {
        float minimum, maximum, segmentSize;
    };
    bool getDrawableScale(Scale& s) const noexcept;
    void renderNormal(const Scale& s, float level, float pA, float pB);
    void renderReversed(const Scale& s, float level, float pA, float pB);
    void drawSegment(float lo, float hi, juce::Colour colour, uint8_t alpha);
    bool isBlinkOn() const noexcept;

    std::atomic<bool> showPeakMarker{true};
    std::atomic<bool> showFastMarker{false};
    std::atomic<bool> noFloorMargin{false};
    std::atomic<bool> clipBlink{true};
    LevelColourTable colourTable;
    AtomicColour peakColour{juce::Colours::transparentBlack};
    VkJuceBallistics ballisticsA;
    VkJuceBallistics ballisticsB;
    std::atomic<uint8_t> litAlpha{160};
    std::atomic<uint8_t> partlyLitAlpha{0};
    std::atomic<uint8_t> dimAlpha{50};
    float scale = 0.0f;
    int64_t offset = 0;
    int width = 0, height = 0; // the size the geometry was worked out for
    std::atomic<bool> reversed{false};
    std::atomic<float> maximum{0.0f};
    std::atomic<float> minimum{-60.0f};
    std::atomic<float> segmentSize{1.0f};
    std::atomic<int> orientation{1};
    std::atomic<int> segmentGap{1};
    std::atomic<bool> resetOnClick{false};
    std::atomic<bool> resetRequested{false};
    float lastLevel = -1000.0f;
    const DisplayClock* clock;
};

} // namespace vk
