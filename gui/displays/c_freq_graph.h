#pragma once

#include "controls/vk_juce_control.h"
#include "display_clock.h"
#include "freq_curve_update.h"
#include "freq_graph_curve.h"
#include "vk_component_fade_effect.h"
#include "vk_juce_dynamic_display.h"
#include "vk_juce_ogl_font_user.h"

#include <array>
#include <atomic>
#include <memory>
#include <vector>

namespace vk
{

/** Base of the editor's spectrum displays: curves over a logarithmic frequency axis (20 Hz to 22 kHz by
    default) and a linear decibel axis (-100 dB to 0 dB), zoom bars along the bottom and a side that the
    user drags to zoom and pan, a frequency readout under the mouse (hertz or note names) and per-curve
    point buffers of one entry per plot pixel. This class prepares values, ranges, labels and layer alphas;
    a product graph draws them in the three paint hooks.

    The curves, their buffers and the ranges live under curveLock: the message thread takes it for set-up,
    resizing, source and range changes, the render thread for the whole of each frame's paint hooks, which
    call the curve updates. Spectrum sources are read through their lock-free Reader: the render thread
    never waits for a source (a source that is not ready or is being cleared is skipped for that frame).
    Every range keeps a minimum span (10 Hz, 5 dB) and finite, positive frequencies, whatever the drags.

    [message thread] set-up, mouse, range setters; [render thread] render and the paint hooks.
    Allocates in setCurveLength, setSource, ensureCurves and setCurveExtras.
*/
class CFreqGraph : public VkJuceControl,
                   public VkJuceDynamicDisplay,
                   public VkJuceOglFontUser,
                   public VkComponentFadeEffect
{
public:
    static constexpr int numAttachedParameters = 8;
    static constexpr int numLayers = 7;
    static constexpr int maxCurves = 64;
    static constexpr float noView = -100000.0f;
    static constexpr float minimumFrequencySpan = 10.0f;
    static constexpr float minimumLevelSpan = 5.0f;

    /** Indexes of the attached parameters that follow the display ranges. */
    enum AttachedParameter
    {
        yDisplayMaxParameter = 0,
        yDisplayMinParameter = 1,
        xDisplayMaxParameter = 2,
        xDisplayMinParameter = 3
    };

    struct Range
    {
        float min, max;
    };

    explicit CFreqGraph(const DisplayClock& clock = DisplayClock::system());
    ~CFreqGraph() override;

    /** [render thread] With a positive size, under the curve lock: paintUnderlay, then paintBackground. */
    void render(int elapsedMs) override;
    /** Every curve gets n points (at least 1). */
    virtual void setCurveLength(int n);
    virtual void paintBackground();
    /** [render thread] The paint hooks, empty here; they run with the curve lock held. */
    virtual void paintGraph(bool foreground) { juce::ignoreUnused(foreground); }
    virtual void paintOverlay() {}
    virtual void paintUnderlay() {}
    /** Creates (true) or deletes (false) every curve's observers for its first two sources. */
    virtual void setCurveExtras(bool on);
    virtual void clearCurves();
    /** Returns true to stop the press's handling. */
    virtual bool onPress(const juce::MouseEvent& event);
    virtual void onPlotClick(const juce::MouseEvent& event);
    virtual void onPlotDrag(const juce::MouseEvent& event) { juce::ignoreUnused(event); }
    virtual void onMouseEvent(const juce::MouseEvent& event) { juce::ignoreUnused(event); }
    virtual void dragBottomBar(const juce::MouseEvent& event);
    virtual void dragSideBar(const juce::MouseEvent& event);
    /** view = noView: the view equals the range. Refused unless 0 < min, min + 10 Hz <= max, all finite. */
    virtual void setXRange(float min, float max, float viewMin, float viewMax);
    virtual void setXDisplayRange(float min, float max);
    /** view = noView: the view equals the range. Refused unless min + 5 dB <= max, all finite. */
    virtual void setYRange(float min, float max, float viewMin, float viewMax);
    virtual void setYDisplayRange(float min, float max, bool notify);
    virtual void resetYDisplayRange();
    /** [render thread, usually from a paint hook] Curve c's values for source k from its spectrum with the
        rise and fall rates; holdEnd keeps the last value past the last bin; fullRange uses the x range
        instead of the display. */
    virtual void updateCurveBallistic(int sourceIndex, int curveIndex, bool ballistics, bool holdEnd,
                                      bool fullRange);
    /** The same with the attack and release coefficients. */
    virtual void updateCurveSmoothed(int sourceIndex, int curveIndex, bool smooth, bool holdEnd,
                                     bool fullRange);
    virtual void showFrequency(const juce::MouseEvent& event, double hz);
    virtual void onRightClick(const juce::MouseEvent& event, double hz) { juce::ignoreUnused(event, hz); }
    virtual int getNumCurves() const;
    /** Null past the end. The pointer stays valid until the graph goes; use it under the curve lock. */
    virtual FreqGraphCurve* getCurve(int i) const;
    /** Appends curves until there are n (at most maxCurves). */
    virtual void ensureCurves(int n);

    /** Creates curve 0 when there is none, puts the source in its slot and sets the length to the width. */
    void setSource(int slot, VkJuceObserverFrequencyDomain* source);
    /** Zeroes the held values and hold times of source k (0 or 1) of every curve. */
    void markCurvesDirty(int k);
    /** Seconds for 20 dB; 0 gives 1000 dB/s. Negative or non-finite times are refused. */
    void setCurveRiseTime(float seconds);
    void setCurveFallTime(float seconds);
    /** "%.0fHz", or the note name with band table row 4. Returned by value: any thread may ask. */
    juce::String getFrequencyLabel(double hz) const;
    /** The frequency under plot x (component pixels). */
    double getFrequencyAtX(float x) const;

    void mouseMove(const juce::MouseEvent& event) override;
    void mouseDown(const juce::MouseEvent& event) override;
    void mouseDrag(const juce::MouseEvent& event) override;
    void mouseUp(const juce::MouseEvent& event) override;
    void mouseExit(const juce::MouseEvent& event) override;
    void resized() override;
    void setOglOwner(VkOglEditorOwner* editor) override;
    float getAlpha() const override { return VkJuceControl::getAlpha(); }

    //==============================================================================================
    // Settings. [message thread] unless stated; the range getters take the curve lock.
    void setAttachedParameter(int slot, int parameterIndex);
    int getAttachedParameter(int slot) const;
    Range getXRange() const;
    Range getXView() const;
    Range getXDisplayRange() const;
    Range getYRange() const;
    Range getYView() const;
    Range getYDisplayRange() const;
    float getRiseRate() const;
    float getFallRate() const;
    void setAttackRelease(float attack, float release);
    void setAveraging(bool on);
    /** A coefficient outside 0..1 or not finite is refused. */
    void setFixedAverage(bool on, float coefficient);
    /** 0 per pixel, -1 band table, above 1 geometric bands; anything else is refused. */
    void setBandRatio(float ratio);
    float getBandRatio() const;
    /** Row 0..8; anything else is refused. */
    void setBandTable(int row);
    int getBandTable() const;
    /** [render thread] Width of the first band of the last band update. */
    int getFirstBandWidth() const;
    /** The largest new amplitude of the last update. */
    float getPeakValue() const;
    float getLayerAlpha(int layer) const noexcept;
    juce::String getReadoutText() const;
    void setBottomBar(bool on, int heightPixels);
    void setSideBar(bool on, int widthPixels);
    void setZonesOn(bool on) noexcept { zonesOn = on; }
    void setLeftMargin(bool on, int widthPixels);
    void setReadoutOn(bool on) noexcept { readoutOn = on; }
    int getMouseMode() const noexcept { return mouseMode; }
    int getBarZone() const noexcept { return barZone; }
    void setColours(juce::Colour background, juce::Colour second, juce::Colour third) noexcept;
    juce::Colour getBackgroundColour() const noexcept { return backgroundColour.get(); }
    juce::Colour getSecondColour() const noexcept { return secondColour.get(); }
    juce::Colour getThirdColour() const noexcept { return thirdColour.get(); }
    juce::CriticalSection& getCurveLock() const noexcept { return curveLock; }
    void setClock(const DisplayClock& c) noexcept { clock = &c; }

protected:
    /** Left edge and width of the plot in component pixels (the width is at least 1). */
    int getPlotLeft() const noexcept;
    int getPlotWidth() const noexcept;

private:
    enum class UpdateKind
    {
        ballistic,
        smoothed
    };
    void updateCurve(UpdateKind kind, int sourceIndex, int curveIndex, bool enabled, bool holdEnd,
                     bool fullRange);
    double getSpectrumSampleRate() const;
    bool isOverBottomBar(float y) const noexcept;
    bool isOverSideBar(float x) const noexcept;
    int zoneFor(float x) const noexcept;
    void sendDisplayParameter(int slot, float value);
    void setXDisplayRangeForZone(float min, float max, int zone);
    /** A copy of a field guarded by the curve lock. */
    template <typename T>
    T readLocked(const T& field) const
    {
        const juce::ScopedLock sl(curveLock);
        return field;
    }

    std::array<int, numAttachedParameters> attachedParameters;
    // Guarded by curveLock.
    Range xRange{20.0f, 22000.0f}, xView{20.0f, 22000.0f}, xDisplay{20.0f, 22000.0f};
    Range yRange{-100.0f, 0.0f}, yView{-100.0f, 0.0f}, yDisplay{-100.0f, 0.0f};
    float riseRate = 1000.0f, fallRate = 20.0f / 0.3f;
    float attack = 0.9f, release = 0.9f;
    bool averaging = false;
    bool fixedAverageOn = false;
    float fixedAverageCoefficient = 0.0f;
    float bandRatio = 0.0f;
    int bandTable = 0;
    int firstBandWidth = 0;
    float peakValue = 0.0f;
    juce::String readoutText;
    std::vector<std::unique_ptr<FreqGraphCurve>> curves;
    mutable juce::CriticalSection curveLock;

    std::array<std::atomic<float>, numLayers> layerAlphas;
    AtomicColour backgroundColour{juce::Colour((uint8_t)40, (uint8_t)40, (uint8_t)40)};
    AtomicColour secondColour{juce::Colour((uint8_t)0x55, (uint8_t)0x55, (uint8_t)0x55)};
    AtomicColour thirdColour{juce::Colour((uint8_t)100, (uint8_t)100, (uint8_t)100)};
    // Message thread only.
    bool bottomBarOn = true;
    bool sideBarOn = false;
    int mouseMode = 0;
    int barZone = 1;
    bool zonesOn = false;
    int bottomBarHeight = 10;
    int sideBarWidth = 25;
    std::atomic<bool> leftMarginOn{false};
    std::atomic<int> leftMarginWidth{45};
    juce::Point<float> lastMousePosition;
    bool readoutOn = false;
    const DisplayClock* clock;
};

} // namespace vk
