#pragma once

// The product-sized test editor in a real window with OpenGL (Xvfb + Mesa): synthetic mouse events through
// the window's peer, and pixels read back from a frame begun after the request.
#include "preset_browser_editor.h"
#include "product_test_support.h"

#include "tests/gui/display_test_support.h"
#include "tests/gui/frame_readback.h"

#include <gtest/gtest.h>

namespace vk::test
{

/** The test editor in a window; reads back a frame begun after the request. */
class WindowEditor : public PresetBrowserEditor
{
public:
    explicit WindowEditor(VkJuceProcessorBase& p) : PresetBrowserEditor(p)
    {
        getOglComponent().setRenderingEnabled(true);
    }

    void drawOverlayHook() override { readback.captureIfRequested(getOglComponent()); }

    /** The pixel in a frame drawn after this call; transparent black when none came. */
    juce::Colour pixelAt(juce::Point<int> p)
    {
        return readback.read(getOglComponent()) ? readback.pixelAt(p.x, p.y) : juce::Colour();
    }

    void send(juce::Point<int> pos, bool down)
    {
        const auto mods =
            down ? juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier) : juce::ModifierKeys();
        getPeer()->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, pos.toFloat(), mods,
                                    juce::MouseInputSource::defaultPressure, 0.0f,
                                    (juce::int64)juce::Time::getMillisecondCounter() + (eventTime++));
    }
    void moveTo(juce::Point<int> pos) { send(pos, false); }
    void clickAt(juce::Point<int> pos)
    {
        send(pos, false);
        send(pos, true);
        send(pos, false);
    }

    FrameReadback readback;
    int eventTime = 0;
};

struct PresetBrowserWindowTest : ProductTest
{
    void SetUp() override
    {
        if (!hasDisplay())
            GTEST_SKIP() << "DISPLAY is not set: start Xvfb to run the OpenGL tests";
        ProductTest::SetUp();
        ASSERT_TRUE(parkPointer()) << "cannot open DISPLAY " << std::getenv("DISPLAY");
        create();
        // A new instance opens its overlay menu, which covers the editor; a user closes it first.
        processor->setParameterInternal(processor->getShowMenuParameterId(), 0.0f, true, false, false);
        editor = std::make_unique<WindowEditor>(*processor);
        editor->addToDesktop(0);
        editor->setVisible(true);
        ASSERT_TRUE(pumpUntil([this] { return editor->getOglComponent().getFrameCount() >= 2; }));
    }
    void TearDown() override
    {
        editor.reset();
        ProductTest::TearDown();
        pinGlDriverLibraries();
    }

    /** The centre of the cell of visible position n, in editor coordinates. */
    juce::Point<int> cellCentre(VkJucePresetBrowser& browser, int n)
    {
        const auto g = browser.takeFrame().grid;
        return browser.getPosition() + g.cellAt(n / g.rowsPerColumn, n % g.rowsPerColumn).getCentre();
    }

    std::unique_ptr<WindowEditor> editor;
};

} // namespace vk::test
