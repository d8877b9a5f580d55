#pragma once

// The product editor in a real desktop window, with its finished frames read back: for the screenshot tool
// and the window tests. Needs an X server with OpenGL (DISPLAY).
// [message thread] everything but drawOverlayHook ([render thread]).

#include "product/editor/latiphonix_editor.h"
#include "product/latiphonix_processor.h"

#include "tests/gui/frame_readback.h"

namespace latiphonix
{

class CapturingEditor : public LatiphonixEditor
{
public:
    explicit CapturingEditor(LatiphonixProcessor& processor);
    ~CapturingEditor() override;

    // Puts the editor on the desktop and waits (bounded) for its first frames; false if none came.
    bool openWindow(int boundMs = 10000);
    // A frame begun after this call, so showing everything changed before it, as an image of the editor's
    // size; invalid when no frame came in time.
    juce::Image captureFrame(int boundMs = vk::test::FrameReadback::defaultBoundMs);
    // Runs the message loop for about ms milliseconds, calling between() once per turn.
    void pump(int ms, const std::function<void()>& between = {});

    // A press and release, and a press-drag-release, delivered through the window's peer as X would.
    void clickAt(juce::Point<float> pos);
    void dragBy(juce::Point<float> from, juce::Point<float> by);

    void drawOverlayHook() override;

private:
    vk::test::FrameReadback readback;
};

// A bare X server (no window manager) lacks the atoms JUCE looks up; make them before the first window.
bool prepareDisplay();

// Runs pred until it holds or boundMs pass, dispatching messages meanwhile.
bool pumpUntil(const std::function<bool()>& pred, int boundMs);

// A stereo test signal with some width: a shared noise bed, a left-leaning and a right-leaning tone and a
// little independent noise per side.
void fillDemoBlock(juce::AudioBuffer<float>& buffer, double sampleRate, juce::int64 startSample,
                   juce::Random& random);

} // namespace latiphonix
