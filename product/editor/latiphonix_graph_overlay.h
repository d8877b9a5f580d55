#pragma once

// The interactive layer over the stereo-field fan: the sectors of the two processing paths (IID left of
// the vertical, ITD right of it) with their band-bound arcs and width edges, the IID focus strip with a
// tick per band boundary, and ten handles that drag the paths' widths, band bounds and focus range. With
// Link on, a dragged IID value moves its ITD twin (and the other way round) by the processor's link offset.
// [render thread] render, updatePoints. [message thread] construction, mouse. Reads the parameter records
// without a lock (single float reads). No allocation while drawing.

#include "fan_geometry.h"

#include "vk_juce_control_points_controller.h"

#include <array>

class LatiphonixGraphOverlay : public vk::VkJuceControlPointsController
{
public:
    static constexpr int numHandles = 10;
    static constexpr float minimumGap = 0.08f;
    static constexpr float lowBoundCeiling = 0.92f;

    enum Texture
    {
        dotTexture = 0,
        widthMarkTexture = 1,
        arcEdgeTexture = 2
    };

    struct HandleGeometry
    {
        float angle = 0.0f;
        float radiusFraction = 0.0f;
        float baseRotation = 0.0f;
        bool enabled = false;
    };

    explicit LatiphonixGraphOverlay(const vk::DisplayClock& clock = vk::DisplayClock::system());
    ~LatiphonixGraphOverlay() override;

    void setFan(juce::Rectangle<float> rect, float radius) noexcept { fan = {rect, radius}; }
    const latiphonix::FanGeometry& getFan() const noexcept { return fan; }

    void updatePoints() override;
    void mouseDrag(const juce::MouseEvent& event) override;

    // The parameter handle h drags; 9999 outside 0..9.
    static int parameterOfHandle(int handle) noexcept;
    // [message thread] What a drag of handle h to the pointer p (overlay pixels) sets; public for tests.
    void dragHandleTo(int handle, juce::Point<float> p);

    // [render thread, or a test with no frame running]
    HandleGeometry getHandleGeometry(int h) const noexcept { return handleGeometry[(size_t)h]; }

private:
    float param(int index) const;
    void set(int index, float value);
    void followLink(int changed);
    void drawSector(bool iid, int firstHandle, int selected);
    void drawFocusStrip(int selected);
    void drawTexturedRing(float angle, float radius, float alpha);
    void colour(float alpha);

    latiphonix::FanGeometry fan{{28.0f, 27.0f, 527.0f, 298.0f}, 176.0f};
    std::array<HandleGeometry, numHandles> handleGeometry{};
};
