#pragma once

#include "controls/vk_juce_control_with_helpers.h"
#include "display_clock.h"

#include <array>
#include <atomic>

namespace vk
{

/** One handle of a control-points controller. */
struct VkControlPoint
{
    float x = 0.0f, y = 0.0f;                 // centre before the offset, in the controller's pixels
    float angle = 0.0f;                       // radians
    VkOglComponentTexture* texture = nullptr; // no image: not drawn
    float size = 0.0f;                        // half the side of the square; 0 cannot be picked
    float xOffset = 0.0f, yOffset = 0.0f;
    float alphaAtRest = 0.5f;
    float alphaHighlighted = 1.0f;
    juce::Colour colourAtRest = juce::Colours::white;
    juce::Colour colourHighlighted = juce::Colours::white;
    bool visible = true;
    int parameterIndex = 9999;
    int reserved = 0;
    bool keepInside = false; // not drawn when it would leave the controller's bounds
};

/** A transparent control over a graph showing up to twenty handles, each standing for one parameter.

    The pointer highlights the nearest handle within about 14 pixels; a press binds the controller to that
    handle's parameter before anything else (so a host taking the press sees the parameter under the
    pointer), then runs the ordinary gesture path on it. Clicks between handles fall through to the graph
    below unless catch-all-clicks is set. A subclass positions the handles in updatePoints and turns drags
    into values with setPointParameter; this class never moves a handle.

    The handles are guarded by pointsLock: the render thread holds it while updatePoints runs and while it
    copies them, the message thread while picking or changing them. The fade states belong to the render
    thread.

    [message thread] mouse, hitTest, pickPoint, setters. [render thread] render, updatePoints.
    No allocation while drawing.
*/
class VkJuceControlPointsController : public VkJuceControlWithHelpers
{
public:
    static constexpr int maxPoints = 20;
    static constexpr int numTextures = 10;
    /** Squared pixels: a handle about 14 pixels away is still picked. */
    static constexpr float pickDistanceSquared = 200.0f;

    explicit VkJuceControlPointsController(const DisplayClock& clock = DisplayClock::system());
    ~VkJuceControlPointsController() override;

    void render(int elapsedMs) override;
    /** Binds to the selected handle's parameter, then opens the gesture. */
    void beginChangeGesture() override;
    /** [render thread] Moves the handles; called at the start of every frame with pointsLock held. */
    virtual void updatePoints() = 0;
    /** The nearest visible, pickable handle within pickDistanceSquared becomes the selected point, else none.
     */
    virtual void pickPoint(float x, float y);
    /** For an index other than 9999: the value clamped to 0..1, sent when it differs from the parameter's. */
    virtual void setPointParameter(int index, float value);

    void mouseMove(const juce::MouseEvent& event) override;
    void mouseEnter(const juce::MouseEvent& event) override;
    void mouseExit(const juce::MouseEvent& event) override;
    void mouseDown(const juce::MouseEvent& event) override;
    void mouseUp(const juce::MouseEvent& event) override;
    void mouseDrag(const juce::MouseEvent& event) override;
    void mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;
    bool hitTest(int x, int y) override;
    void setOglOwner(VkOglEditorOwner* editor) override;

    void setCatchAllClicks(bool on) noexcept { catchAllClicks.store(on); }
    bool isCatchingAllClicks() const noexcept { return catchAllClicks.load(); }
    int getSelectedPoint() const noexcept { return selectedPoint.load(); }
    /** Clamped to 0..maxPoints. */
    void setPointCount(int count);
    int getPointCount() const;
    /** Index outside 0..maxPoints - 1 is ignored / gives a default handle. */
    void setPoint(int index, const VkControlPoint& point);
    VkControlPoint getPoint(int index) const;
    /** Index 0..numTextures - 1, clamped. */
    VkOglComponentTexture& getTexture(int index) noexcept;
    void setClock(const DisplayClock& c) noexcept { clock = &c; }

protected:
    /** Only under pointsLock (updatePoints runs with it held). */
    juce::CriticalSection pointsLock;
    std::array<VkControlPoint, maxPoints> points;
    int pointCount = 0;

private:
    void drawPoint(int index, const VkControlPoint& point, bool highlighted, int64_t nowMs);
    /** The parameter of the selected handle; 9999 when none is selected. */
    int getSelectedParameter() const;
    void bindToParameter(int index);

    std::atomic<bool> catchAllClicks{false};
    std::atomic<int> selectedPoint{-1};
    std::array<VkOglComponentTexture, numTextures> textures;
    std::array<int64_t, maxPoints> fadeStartMs{}; // 0 = no fade running
    const DisplayClock* clock;
};

} // namespace vk
