#pragma once

// The strip under the stereo-field graph that shows where the output's energy sits between left and right:
// a trail of the last 60 measured positions, a marker at their smoothed position and a readout ("L12%",
// "0", "R30%") that the editor shows while Analysis is on.
// [render thread] render, update. [message thread] construction, setPeakSource, requestReset.
// [any thread] getReadoutText. No allocation while rendering.

#include "vk_ogl_child_component.h"

#include <array>
#include <atomic>
#include <functional>

class LatiphonixBalanceGraph : public vk::VkOglChildComponent
{
public:
    static constexpr int historyLength = 60;
    static constexpr float initialPosition = 277.0f;

    // Answers the held output peaks (left, right) once per measurement; false while no new one is ready.
    using PeakSource = std::function<bool(float& left, float& right)>;

    LatiphonixBalanceGraph();
    ~LatiphonixBalanceGraph() override;

    // [message thread, before the first frame]
    void setPeakSource(PeakSource source) { peakSource = std::move(source); }
    void requestReset() noexcept { resetRequested.store(true); }

    void render(int elapsedMs) override;
    // [render thread] One measurement of the held output peaks.
    void update(float left, float right) noexcept;

    // The readout as it stood after the last frame; empty before the first one. The render thread publishes
    // only the number the text is made of, so the two threads never share a string.
    juce::String getReadoutText() const;
    // Position of the readout: 0 fully left, 100 centre, 200 fully right; -1 before the first frame.
    int getReadoutPosition() const noexcept { return readoutPosition.load(); }

    // [render thread] State for tests and drawing.
    float getSmoothed() const noexcept { return smoothed; }
    float getHistory(int i) const noexcept
    {
        return history[(size_t)((i % historyLength + historyLength) % historyLength)];
    }
    int getHistoryIndex() const noexcept { return historyIndex; }
    float getCentre() const noexcept { return centre; }

private:
    void reset() noexcept;
    void draw();

    std::atomic<int> readoutPosition{-1};
    std::atomic<bool> resetRequested{false};
    float centre = initialPosition;
    float halfWidth = initialPosition;
    std::array<float, historyLength> history{};
    int historyIndex = 0;
    float smoothed = initialPosition;
    PeakSource peakSource;
};
