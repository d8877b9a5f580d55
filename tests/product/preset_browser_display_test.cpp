// The product's preset browser in a real editor window with OpenGL (Xvfb + Mesa): synthetic clicks through
// the window's peer open the pop-up, hover highlights a cell in the drawn frame, a click on a program slot
// switches the program and a click on a factory preset loads it, and "Close" closes the pop-up.
#include "preset_browser_editor.h"
#include "product_test_support.h"

#include "tests/gui/display_test_support.h"

#include <juce_opengl/juce_opengl.h>

#include <gtest/gtest.h>

#include <mutex>

using namespace vk;
using namespace vk::test;

extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:XGetVisualInfo\n"
           "leak:libX11.so\n"
           "leak:libxcb.so\n"
           "leak:libGLX\n"
           "leak:libGL.so\n"
           "leak:swrast_dri\n"
           "leak:libLLVM\n"
           "leak:libglapi\n"
           "leak:<unknown module>\n";
}

namespace
{
[[maybe_unused]] const bool atomsReadyBeforeJuceStarts = hasDisplay() && internWindowManagerAtoms();

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
} // namespace

TEST_F(PresetBrowserWindowTest, ClicksOpenTheBrowserChooseSlotsAndFactoryPresetsAndCloseIt)
{
    editor->clickAt({503, 15});
    ASSERT_TRUE(editor->trigger.isPopUpOpen());
    auto* browser = editor->trigger.getBrowser();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return browser->isShowing(); }));

    // Hovering a cell fills it with the yellow highlight in the drawn frame.
    const auto slot7 = cellCentre(*browser, 40 + 7);
    const auto g = browser->takeFrame().grid;
    const auto probe = browser->getPosition() +
                       g.cellAt(47 / g.rowsPerColumn, 47 % g.rowsPerColumn).getTopLeft() +
                       juce::Point<int>(1, g.textHeight / 2);
    const auto before = editor->pixelAt(probe);
    editor->moveTo(slot7);
    EXPECT_EQ(browser->getSelected(), 47);
    const auto lit = editor->pixelAt(probe);
    EXPECT_GT(lit.getRed(), before.getRed() + 60);
    EXPECT_GT(lit.getRed(), lit.getBlue() + 60);

    // A program slot: the host-visible program changes; the pop-up stays (close on choose is off).
    editor->clickAt(slot7);
    EXPECT_EQ(processor->getCurrentProgram(), 7);
    EXPECT_TRUE(editor->trigger.isPopUpOpen());

    // A factory preset: the current program takes it as loading the factory bank's entry does.
    LatiphonixProcessor reference(kWrapperVst3);
    reference.setCurrentProgram(7);
    reference.loadStoredProgram(3, 0, 3000);
    editor->clickAt(cellCentre(*browser, 3));
    EXPECT_EQ(processor->getCurrentProgram(), 7);
    EXPECT_EQ(processor->getProgramName(7), processor->getStoredProgram(3).name);
    for (int i = 0; i < processor->getNumParameters(); ++i)
    {
        EXPECT_EQ(processor->getParameter(i), reference.getParameter(i)) << i;
    }

    // "Close" at the browser's own place for it.
    editor->clickAt(browser->getPosition() + browser->takeFrame().grid.closeRect.getCentre());
    EXPECT_FALSE(editor->trigger.isPopUpOpen());
    ASSERT_TRUE(pumpUntil([&] { return !browser->isShowing(); }));
    EXPECT_TRUE(pumpUntil([&] { return editor->getOglComponent().getFrameCount() > 4; }));
}
