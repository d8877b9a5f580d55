// The overlay menu in a real window with OpenGL (Xvfb + Mesa): what the finished frame shows, and clicks
// through the window's peer reaching the items and never the controls under the dimming layer.
#include "tests/gui/display_test_support.h"
#include "tests/gui/editor_test_support.h"

#include "menu/vk_juce_menu_screens.h"

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

/** A red button on parameter 5 under the menu; reads the finished frame back when asked. */
class MenuWindowEditor : public TestEditorBase
{
public:
    explicit MenuWindowEditor(TestProcessor& p) : TestEditorBase(p, nullptr, 600, 400)
    {
        button.setBounds(10, 10, 40, 30);
        button.setFillColour(juce::Colours::red, allStatesIndex);
        button.attachToParameter(5, this);
        addControl(&button, -1);
        getOglComponent().setRenderingEnabled(true);
    }
    ~MenuWindowEditor() override { getOglComponent().stopRenderThread(); }

    void drawOverlayHook() override
    {
        if (!readRequested.load())
            return;
        using namespace juce::gl;
        const int w = getWidth(), h = getHeight();
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
        readRequested.store(true);
        if (!pumpUntil([this] { return !readRequested.load(); }, 5000))
            return {};
        const std::lock_guard<std::mutex> l(pixelMutex);
        const size_t row = (size_t)(getHeight() - 1 - p.y);
        const uint8_t* px = pixels.data() + (row * (size_t)getWidth() + (size_t)p.x) * 4;
        return juce::Colour(px[0], px[1], px[2]);
    }

    void clickAt(juce::Point<int> pos)
    {
        auto* peer = getPeer();
        const auto t = (juce::int64)juce::Time::getMillisecondCounter();
        const auto type = juce::MouseInputSource::InputSourceType::mouse;
        peer->handleMouseEvent(type, pos.toFloat(),
                               juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier),
                               juce::MouseInputSource::defaultPressure, 0.0f, t);
        peer->handleMouseEvent(type, pos.toFloat(), juce::ModifierKeys(),
                               juce::MouseInputSource::defaultPressure, 0.0f, t + 1);
    }

    static constexpr int allStatesIndex = VkJuceButton::allStates;
    VkJuceButton button{"m_btnUnder"};
    std::atomic<bool> readRequested{false};
    std::mutex pixelMutex;
    std::vector<uint8_t> pixels;
};

bool near(juce::Colour a, juce::Colour b)
{
    return std::abs(a.getRed() - b.getRed()) < 8 && std::abs(a.getGreen() - b.getGreen()) < 8 &&
           std::abs(a.getBlue() - b.getBlue()) < 8;
}

/** `over` at `alpha` drawn on `under`. */
juce::Colour blend(juce::Colour under, juce::Colour over, int alpha)
{
    const auto mix = [alpha](int u, int o) { return (uint8_t)((o * alpha + u * (255 - alpha)) / 255); };
    return juce::Colour(mix(under.getRed(), over.getRed()), mix(under.getGreen(), over.getGreen()),
                        mix(under.getBlue(), over.getBlue()));
}

struct MenuWindowFixture : ::testing::Test
{
    void SetUp() override
    {
        if (!hasDisplay())
            GTEST_SKIP() << "DISPLAY is not set: start Xvfb to run the OpenGL tests";
        ASSERT_TRUE(internWindowManagerAtoms()) << "cannot open DISPLAY " << std::getenv("DISPLAY");
        editor = std::make_unique<MenuWindowEditor>(processor);
        editor->addToDesktop(0);
        editor->setVisible(true);
        ASSERT_TRUE(pumpUntil([this] { return editor->getOglComponent().getFrameCount() >= 2; }));
    }
    void TearDown() override
    {
        editor.reset();
        pinGlDriverLibraries();
    }
    VkJuceMenu& menu() { return editor->getMenu(); }
    juce::Point<int> centreOf(const juce::String& text)
    {
        for (int i = 0; i < menu().getItemCount(); ++i)
            if (menu().getItem(i).getText(0) == text)
                return menu().getItem(i).getBounds().getCentre();
        ADD_FAILURE() << "no item " << text;
        return {};
    }

    ScopedDataFolders folders;
    TestProcessor processor;
    std::unique_ptr<MenuWindowEditor> editor;
};
} // namespace

TEST_F(MenuWindowFixture, TheMenuDimsTheEditorAndTakesItsClicks)
{
    const auto red = juce::Colours::red;
    EXPECT_TRUE(near(editor->pixelAt({30, 25}), red));

    // The menu button sets the parameter; the editor's timer opens the menu.
    processor.setParameterInternal(9100, 1.0f, true, false, false);
    ASSERT_TRUE(pumpUntil([this] { return menu().isOpen(); }));
    const auto panel = blend(juce::Colours::black, juce::Colour(64, 64, 64), 240);
    EXPECT_TRUE(near(editor->pixelAt({30, 25}), blend(red, juce::Colours::black, 128)));
    EXPECT_TRUE(near(editor->pixelAt({300, 395}), panel));
    const auto item = menu().getItem(3).getBounds();
    EXPECT_TRUE(near(editor->pixelAt(item.getTopLeft() + juce::Point<int>(2, 2)),
                     blend(panel, juce::Colour(255, 128, 64), 100)));

    // The control under the layer never hears the click.
    editor->clickAt({30, 25});
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), TestProcessor::kMainDefaults[5]);

    editor->clickAt(centreOf("Credits and Options"));
    ASSERT_TRUE(dynamic_cast<VkJuceMenuScreenCreditsAndOptions*>(menu().getCurrentScreen()) != nullptr);
    editor->clickAt(centreOf("Back"));
    ASSERT_TRUE(dynamic_cast<VkJuceMenuScreenMainMenu*>(menu().getCurrentScreen()) != nullptr);

    // A click on a text line lands on the panel and changes nothing.
    editor->clickAt(menu().getItem(2).getBounds().getCentre());
    EXPECT_TRUE(dynamic_cast<VkJuceMenuScreenMainMenu*>(menu().getCurrentScreen()) != nullptr);

    editor->clickAt(centreOf(" Close "));
    ASSERT_TRUE(pumpUntil([this] { return !menu().isOpen(); }));
    EXPECT_TRUE(near(editor->pixelAt({300, 395}), juce::Colours::black));
    editor->clickAt({30, 25});
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), 0.0f);
}
