// The editor base and its controls in a real window with OpenGL (Xvfb + Mesa): mouse events through the
// window's peer, the first frame starting the editor's timer, pixels read back from the finished frame, the
// disabling screen, and the modal text editor as a temporary desktop window.
#include "display_test_support.h"
#include "editor_test_support.h"
#include "frame_readback.h"

#include "controls/vk_juce_drag_control.h"

#include <gtest/gtest.h>

using namespace vk;
using namespace vk::test;

namespace
{
[[maybe_unused]] const bool atomsReadyBeforeJuceStarts = hasDisplay() && internWindowManagerAtoms();

/** A product editor in miniature: a red/green button on parameter 5 and a blue/yellow two-frame knob on
    parameter 3. */
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
        knob.setConvertFunction([](const juce::String& s) { return s.getFloatValue(); });
        addControl(&knob, -1);
        getOglComponent().setRenderingEnabled(true);
    }
    ~WindowEditor() override { getOglComponent().stopRenderThread(); }

    void drawOverlayHook() override { readback.captureIfRequested(getOglComponent()); }

    /** Whether the pixel (top-down) of a frame drawn after this call is near the colour. */
    bool shows(int x, int y, juce::Colour c)
    {
        const auto p = readback.read(getOglComponent()) ? readback.pixelAt(x, y) : juce::Colour();
        return std::abs(p.getRed() - c.getRed()) < 8 && std::abs(p.getGreen() - c.getGreen()) < 8 &&
               std::abs(p.getBlue() - c.getBlue()) < 8;
    }

    /** Mouse positions through the window, hit-tested like a real click or drag: pressed, then released. */
    void mouseThrough(std::initializer_list<juce::Point<float>> path)
    {
        auto t = (juce::int64)juce::Time::getMillisecondCounter();
        for (auto p : path)
            getPeer()->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, p,
                                        juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier),
                                        juce::MouseInputSource::defaultPressure, 0.0f, t += 50);
        getPeer()->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, *(path.end() - 1),
                                    juce::ModifierKeys(), juce::MouseInputSource::defaultPressure, 0.0f,
                                    t + 1);
    }

    VkJuceButton button{"m_btnMode"};
    VkJuceDragControl knob{"m_knobWidth"};
    FrameReadback readback;
};

struct EditorWindowFixture : ::testing::Test
{
    void SetUp() override
    {
        if (!hasDisplay())
            GTEST_SKIP() << "DISPLAY is not set: start Xvfb to run the OpenGL tests";
        ASSERT_TRUE(parkPointer()) << "cannot open DISPLAY " << std::getenv("DISPLAY");
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
    float value(int index) { return processor.getParameterRecord(index).getValue(); }

    ScopedDataFolders folders;
    TestProcessor processor;
    std::unique_ptr<WindowEditor> editor;
};
} // namespace

TEST_F(EditorWindowFixture, ClicksDragsAndHostChangesChangeWhatIsDrawn)
{
    EXPECT_TRUE(editor->isEditorTimerRunning()) << "the first frame starts the timer";
    EXPECT_TRUE(editor->shows(30, 25, juce::Colours::lime)); // 0.75 is on
    EXPECT_TRUE(editor->shows(120, 30, juce::Colours::blue));
    processor.log().clear();
    editor->mouseThrough({{30, 25}});
    EXPECT_EQ(value(5), 0.0f);
    EXPECT_TRUE(editor->shows(30, 25, juce::Colours::red));
    editor->mouseThrough({{30, 25}});
    EXPECT_EQ(value(5), 1.0f);
    EXPECT_TRUE(editor->shows(30, 25, juce::Colours::lime));
    EXPECT_EQ(hostEvents(processor, 5),
              (std::vector<std::string>{"begin 5", "change 5", "end 5", "begin 5", "change 5", "end 5"}));

    editor->knob.setValue(0.0f, true);
    processor.log().clear();
    editor->mouseThrough({{120, 30}, {120, -20}, {120, -70}}); // 0.5 per 100 pixels: frame int(2 x 0.5) = 1
    EXPECT_FLOAT_EQ(value(3), 0.5f);
    EXPECT_TRUE(editor->shows(120, 30, juce::Colours::yellow));
    const auto events = hostEvents(processor, 3);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front(), "begin 3");
    EXPECT_EQ(events.back(), "end 3");
    EXPECT_EQ(std::count(events.begin(), events.end(), "begin 3"), 1);

    // The timer brings host changes into the controls.
    processor.setParameter(3, 0.0f);
    ASSERT_TRUE(pumpUntil([this] { return editor->knob.getValue() == 0.0f; }));
    EXPECT_TRUE(editor->shows(120, 30, juce::Colours::blue));
}

TEST_F(EditorWindowFixture, TheDisablingScreenTakesEveryClickWhileTheHostFlagIsRaised)
{
    processor.handleVendorCommand(VkJuceProcessorBase::kVendorCommandIndex, 217, nullptr, 0.0f);
    ASSERT_TRUE(pumpUntil([this] { return editor->getDisablingScreen().isVisible(); }));
    editor->mouseThrough({{30, 25}});
    EXPECT_EQ(value(5), TestProcessor::kMainDefaults[5]);
    EXPECT_TRUE(editor->shows(30, 25, juce::Colours::lime)); // transparent: the editor still shows
    processor.handleVendorCommand(VkJuceProcessorBase::kVendorCommandIndex, 218, nullptr, 0.0f);
    ASSERT_TRUE(pumpUntil([this] { return !editor->getDisablingScreen().isVisible(); }));
    editor->mouseThrough({{30, 25}});
    EXPECT_EQ(value(5), 0.0f);
}

TEST_F(EditorWindowFixture, TypedValuesGoThroughAModalDesktopWindowThatAlwaysEnds)
{
    auto& knob = editor->knob;
    auto& text = knob.getTextEditor();
    const auto noModal = []
    { return juce::ModalComponentManager::getInstance()->getNumModalComponents() == 0; };
    const auto typeAndEnd = [&](const char* typed, auto end)
    {
        knob.mouseDoubleClick(mouseAt(knob, {5, 5}));
        ASSERT_TRUE(pumpUntil([&] { return text.isShown(); }));
        EXPECT_TRUE(text.isOnDesktop() && text.isCurrentlyModal(false));
        EXPECT_EQ(text.getScreenBounds(), knob.getScreenBounds());
        text.setText(typed, false);
        end();
        ASSERT_TRUE(pumpUntil([&] { return !knob.isEditing(); }));
        EXPECT_FALSE(text.isOnDesktop());
    };

    // Return commits the typed value.
    typeAndEnd("0.25", [&] { text.keyPressed(juce::KeyPress(juce::KeyPress::returnKey)); });
    EXPECT_FLOAT_EQ(value(3), 0.25f);
    EXPECT_TRUE(noModal());
    // Escape delivers the starting text, which is empty here: the value stays.
    typeAndEnd("0.75", [&] { text.keyPressed(juce::KeyPress(juce::KeyPress::escapeKey)); });
    EXPECT_FLOAT_EQ(value(3), 0.25f);
    // A focus loss right after opening is ignored and the window stays usable; a later one commits.
    typeAndEnd("",
               [&]
               {
                   text.focusLost(juce::Component::focusChangedByMouseClick);
                   EXPECT_TRUE(knob.isEditing() && text.isOnDesktop() && text.isCurrentlyModal(false));
                   text.setText("0.5", false);
                   juce::Thread::sleep(ModalTextEditor::settleTimeMs + 50);
                   text.focusLost(juce::Component::focusChangedByMouseClick);
                   EXPECT_FALSE(knob.isEditing());
               });
    EXPECT_FLOAT_EQ(value(3), 0.5f);
    ASSERT_TRUE(pumpUntil(noModal));
    // A click elsewhere while the editor is modal commits as Return does.
    typeAndEnd("0.125",
               [&]
               {
                   text.inputAttemptWhenModal();
                   EXPECT_FALSE(knob.isEditing());
               });
    EXPECT_FLOAT_EQ(value(3), 0.125f);
}
