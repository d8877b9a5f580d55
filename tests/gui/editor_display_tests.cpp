// The editor base and its controls in a real window with OpenGL (Xvfb + Mesa): mouse events through the
// window's peer, the first frame starting the editor's timer, pixels read back from the finished frame, the
// disabling screen, and the modal text editor as a temporary desktop window.
#include "display_test_support.h"
#include "editor_test_support.h"

#include "controls/vk_juce_drag_control.h"

#include <juce_opengl/juce_opengl.h>

#include <gtest/gtest.h>

#include <mutex>

using namespace vk;
using namespace vk::test;

namespace
{
[[maybe_unused]] const bool atomsReadyBeforeJuceStarts = hasDisplay() && internWindowManagerAtoms();

float parseNumber(const juce::String& s)
{
    return s.getFloatValue();
}

/** A product editor in miniature: a red/green button on parameter 5 and a blue/yellow two-frame knob on
    parameter 3; reads the finished frame back when asked. */
class WindowEditor : public TestEditorBase
{
public:
    explicit WindowEditor(TestProcessor& p) : TestEditorBase(p, nullptr, 200, 120)
    {
        button.setBounds(10, 10, 40, 30);
        button.setFillColour(juce::Colours::red, 0);
        button.setFillColour(juce::Colours::lime, 1);
        button.attachToParameter(5, this);
        addControl(&button, -1);

        juce::Image strip(juce::Image::ARGB, 40, 80, true);
        strip.clear({0, 0, 40, 40}, juce::Colours::blue);
        strip.clear({0, 40, 40, 40}, juce::Colours::yellow);
        knob.setStepCount(2);
        knob.setStateImage(strip, 0);
        knob.setBounds(100, 10, 40, 40);
        knob.attachToParameter(3, this);
        knob.setTextEntryLocked(false);
        knob.setConvertFunction(&parseNumber);
        addControl(&knob, -1);
        getOglComponent().setRenderingEnabled(true);
    }
    ~WindowEditor() override { getOglComponent().stopRenderThread(); }

    void drawOverlayHook() override
    {
        // Only a frame that began after the request shows everything set before it.
        if (!readRequested.load() || getOglComponent().getFrameCount() <= requestedAtFrame.load())
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

    /** The pixel (top-down) of a frame drawn after this call. */
    juce::Colour pixelAt(int x, int y)
    {
        requestedAtFrame.store(getOglComponent().getFrameCount());
        readRequested.store(true);
        if (!pumpUntil([this] { return !readRequested.load(); }, 5000))
            return {};
        const std::lock_guard<std::mutex> l(pixelMutex);
        const size_t row = (size_t)(getHeight() - 1 - y);
        const uint8_t* p = pixels.data() + (row * (size_t)getWidth() + (size_t)x) * 4;
        return juce::Colour(p[0], p[1], p[2]);
    }

    /** A press and release through the window, hit-tested like a real click. */
    void clickAt(juce::Point<float> pos)
    {
        auto* peer = getPeer();
        const auto t = juce::Time::getMillisecondCounter();
        const auto down = juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier);
        peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, pos, down,
                               juce::MouseInputSource::defaultPressure, 0.0f, (juce::int64)t);
        peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, pos, juce::ModifierKeys(),
                               juce::MouseInputSource::defaultPressure, 0.0f, (juce::int64)t + 1);
    }
    void dragBy(juce::Point<float> from, juce::Point<float> by)
    {
        auto* peer = getPeer();
        const auto t = (juce::int64)juce::Time::getMillisecondCounter();
        const auto down = juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier);
        const auto type = juce::MouseInputSource::InputSourceType::mouse;
        peer->handleMouseEvent(type, from, down, juce::MouseInputSource::defaultPressure, 0.0f, t);
        peer->handleMouseEvent(type, from + by / 2.0f, down, juce::MouseInputSource::defaultPressure, 0.0f,
                               t + 50);
        peer->handleMouseEvent(type, from + by, down, juce::MouseInputSource::defaultPressure, 0.0f, t + 100);
        peer->handleMouseEvent(type, from + by, juce::ModifierKeys(), juce::MouseInputSource::defaultPressure,
                               0.0f, t + 150);
    }

    VkJuceButton button{"m_btnMode"};
    VkJuceDragControl knob{"m_knobWidth"};
    std::atomic<bool> readRequested{false};
    std::atomic<int64_t> requestedAtFrame{0};
    std::mutex pixelMutex;
    std::vector<uint8_t> pixels;
};

bool near(juce::Colour a, juce::Colour b)
{
    return std::abs(a.getRed() - b.getRed()) < 8 && std::abs(a.getGreen() - b.getGreen()) < 8 &&
           std::abs(a.getBlue() - b.getBlue()) < 8;
}

struct EditorWindowFixture : ::testing::Test
{
    void SetUp() override
    {
        if (!hasDisplay())
            GTEST_SKIP() << "DISPLAY is not set: start Xvfb to run the OpenGL tests";
        ASSERT_TRUE(internWindowManagerAtoms()) << "cannot open DISPLAY " << std::getenv("DISPLAY");
        editor = std::make_unique<WindowEditor>(processor);
        editor->addToDesktop(0);
        editor->setVisible(true);
        ASSERT_TRUE(pumpUntil([this] { return editor->getOglComponent().getFrameCount() >= 2; }));
    }
    void TearDown() override
    {
        editor.reset();
        pinGlDriverLibraries();
    }

    ScopedDataFolders folders;
    TestProcessor processor;
    std::unique_ptr<WindowEditor> editor;
};
} // namespace

TEST_F(EditorWindowFixture, TheFirstFrameStartsTheTimerWhichBringsHostChangesIntoTheControls)
{
    EXPECT_TRUE(editor->isEditorTimerRunning());
    processor.setParameter(3, 0.9f);
    ASSERT_TRUE(pumpUntil([this] { return editor->knob.getValue() == 0.9f; }));
    EXPECT_TRUE(near(editor->pixelAt(120, 30), juce::Colours::yellow));
}

TEST_F(EditorWindowFixture, ClicksAndDragsThroughTheWindowChangeWhatIsDrawn)
{
    EXPECT_TRUE(near(editor->pixelAt(30, 25), juce::Colours::lime)); // 0.75 is on
    EXPECT_TRUE(near(editor->pixelAt(120, 30), juce::Colours::blue));
    processor.log().clear();

    editor->clickAt({30, 25});
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), 0.0f);
    EXPECT_TRUE(near(editor->pixelAt(30, 25), juce::Colours::red));
    editor->clickAt({30, 25});
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), 1.0f);
    EXPECT_TRUE(near(editor->pixelAt(30, 25), juce::Colours::lime));
    EXPECT_EQ(hostEvents(processor, 5),
              (std::vector<std::string>{"begin 5", "change 5", "end 5", "begin 5", "change 5", "end 5"}));

    editor->knob.setValue(0.0f, true);
    processor.log().clear();
    editor->dragBy({120, 30}, {0, -100}); // 0.5 per 100 pixels: frame int(2 x 0.5) = 1
    EXPECT_FLOAT_EQ(processor.getParameterRecord(3).getValue(), 0.5f);
    EXPECT_TRUE(near(editor->pixelAt(120, 30), juce::Colours::yellow));
    const auto events = hostEvents(processor, 3);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front(), "begin 3");
    EXPECT_EQ(events.back(), "end 3");
    EXPECT_EQ(std::count(events.begin(), events.end(), "begin 3"), 1);
}

TEST_F(EditorWindowFixture, TheDisablingScreenTakesEveryClickWhileTheHostFlagIsRaised)
{
    processor.handleVendorCommand(VkJuceProcessorBase::kVendorCommandIndex, 217, nullptr, 0.0f);
    ASSERT_TRUE(pumpUntil([this] { return editor->getDisablingScreen().isVisible(); }));
    editor->clickAt({30, 25});
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), TestProcessor::kMainDefaults[5]);
    EXPECT_TRUE(near(editor->pixelAt(30, 25), juce::Colours::lime)); // transparent: the editor still shows
    processor.handleVendorCommand(VkJuceProcessorBase::kVendorCommandIndex, 218, nullptr, 0.0f);
    ASSERT_TRUE(pumpUntil([this] { return !editor->getDisablingScreen().isVisible(); }));
    editor->clickAt({30, 25});
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), 0.0f);
}

TEST_F(EditorWindowFixture, TypedValuesGoThroughAModalDesktopWindowThatAlwaysEnds)
{
    auto& knob = editor->knob;
    auto& text = knob.getTextEditor();
    const auto openEditor = [&]
    {
        knob.mouseDoubleClick(mouseAt(knob, {5, 5}));
        return pumpUntil([&] { return text.isShown(); });
    };

    // Return commits the typed value.
    ASSERT_TRUE(openEditor());
    EXPECT_TRUE(text.isOnDesktop());
    EXPECT_TRUE(text.isCurrentlyModal(false));
    EXPECT_EQ(text.getScreenBounds(), knob.getScreenBounds());
    text.setText("0.25", false);
    text.keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
    ASSERT_TRUE(pumpUntil([&] { return !knob.isEditing(); }));
    EXPECT_FLOAT_EQ(processor.getParameterRecord(3).getValue(), 0.25f);
    EXPECT_FALSE(text.isOnDesktop());
    EXPECT_EQ(juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);

    // Escape delivers the starting text, which is empty here: the value stays.
    ASSERT_TRUE(openEditor());
    text.setText("0.75", false);
    text.keyPressed(juce::KeyPress(juce::KeyPress::escapeKey));
    ASSERT_TRUE(pumpUntil([&] { return !knob.isEditing(); }));
    EXPECT_FLOAT_EQ(processor.getParameterRecord(3).getValue(), 0.25f);

    // A focus loss right after opening is ignored and the window stays usable; a later one commits.
    ASSERT_TRUE(openEditor());
    text.focusLost(juce::Component::focusChangedByMouseClick);
    EXPECT_TRUE(knob.isEditing());
    EXPECT_TRUE(text.isOnDesktop());
    EXPECT_TRUE(text.isCurrentlyModal(false));
    text.setText("0.5", false);
    juce::Thread::sleep(ModalTextEditor::settleTimeMs + 50);
    text.focusLost(juce::Component::focusChangedByMouseClick);
    EXPECT_FALSE(knob.isEditing());
    EXPECT_FALSE(text.isOnDesktop());
    EXPECT_FLOAT_EQ(processor.getParameterRecord(3).getValue(), 0.5f);
    ASSERT_TRUE(
        pumpUntil([] { return juce::ModalComponentManager::getInstance()->getNumModalComponents() == 0; }));

    // A click elsewhere while the editor is modal commits as Return does.
    ASSERT_TRUE(openEditor());
    text.setText("0.125", false);
    text.inputAttemptWhenModal();
    EXPECT_FALSE(knob.isEditing());
    EXPECT_FLOAT_EQ(processor.getParameterRecord(3).getValue(), 0.125f);
}
