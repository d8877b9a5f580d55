#pragma once

// The product-sized test editor in a real window with OpenGL (Xvfb + Mesa): synthetic mouse events through
// the window's peer, and pixels read back from a frame finished after the request.
#include "preset_browser_editor.h"
#include "product_test_support.h"

#include "tests/gui/display_test_support.h"

#include <juce_opengl/juce_opengl.h>

#include <gtest/gtest.h>

#include <mutex>

namespace vk::test
{

/** The test editor in a window; reads back a finished frame when asked. */
class WindowEditor : public PresetBrowserEditor
{
public:
    explicit WindowEditor(VkJuceProcessorBase& p) : PresetBrowserEditor(p)
    {
        getOglComponent().setRenderingEnabled(true);
    }

    void drawOverlayHook() override
    {
        if (!readRequested.load() || getOglComponent().getFrameCount() <= requestedAtFrame.load())
            return;
        using namespace juce::gl;
        const int w = 640, h = 435;
        std::vector<uint8_t> px((size_t)w * (size_t)h * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        {
            const std::lock_guard<std::mutex> l(pixelMutex);
            pixels = std::move(px);
        }
        readRequested.store(false);
    }

    juce::Colour pixelAt(juce::Point<int> p)
    {
        requestedAtFrame.store(getOglComponent().getFrameCount());
        readRequested.store(true);
        if (!pumpUntil([this] { return !readRequested.load(); }, 5000))
            return {};
        const std::lock_guard<std::mutex> l(pixelMutex);
        const size_t row = (size_t)(435 - 1 - p.y);
        const uint8_t* px = pixels.data() + (row * 640 + (size_t)p.x) * 4;
        return juce::Colour(px[0], px[1], px[2]);
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

    std::atomic<bool> readRequested{false};
    std::atomic<int64_t> requestedAtFrame{0};
    std::mutex pixelMutex;
    std::vector<uint8_t> pixels;
    int eventTime = 0;
};

struct PresetBrowserWindowTest : ProductTest
{
    void SetUp() override
    {
        if (!hasDisplay())
            GTEST_SKIP() << "DISPLAY is not set: start Xvfb to run the OpenGL tests";
        ProductTest::SetUp();
        ASSERT_TRUE(internWindowManagerAtoms()) << "cannot open DISPLAY " << std::getenv("DISPLAY");
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
