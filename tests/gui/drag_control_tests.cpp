// The drag control's arithmetic at the figures users rely on, its wrap and limits, typed values, and one
// gesture and one undo step per drag; the text field's click and typed text.
#include "editor_test_support.h"

#include "controls/vk_juce_drag_control.h"
#include "controls/vk_juce_text_edit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

using namespace vk;
using namespace vk::test;

namespace
{
using Events = std::vector<std::string>;
using M = juce::ModifierKeys;

float parseNumber(const juce::String& s)
{
    return s.getFloatValue();
}
float parseAlwaysNaN(const juce::String&)
{
    return std::numeric_limits<float>::quiet_NaN();
}

struct CapturingLogger : juce::Logger
{
    void logMessage(const juce::String& message) override { lines.add(message); }
    juce::StringArray lines;
};

struct DragFixture : ::testing::Test
{
    ScopedDataFolders folders;
    TestProcessor processor;
    RecordingGlApi gl;
    TestEditorBase editor{processor, &gl};
    VkJuceDragControl knob{"m_knob"};

    DragFixture()
    {
        knob.setBounds(20, 20, 40, 40);
        editor.addControl(&knob, -1);
    }

    // Press at (0, 0), move through the points, release at the last.
    void drag(std::initializer_list<juce::Point<float>> path, int mods = 0)
    {
        knob.mouseDown(mouseAt(knob, {0, 0}, withButton(mods)));
        juce::Point<float> last;
        for (auto p : path)
        {
            knob.mouseDrag(mouseAt(knob, p, withButton(mods), {0, 0}, true));
            last = p;
        }
        knob.mouseUp(mouseAt(knob, last, withButton(mods), {0, 0}, true));
    }
    void wheel(float delta, int mods = 0)
    {
        juce::MouseWheelDetails w{};
        w.deltaX = 0.0f;
        w.deltaY = delta;
        knob.mouseWheelMove(mouseAt(knob, {1, 1}, juce::ModifierKeys(mods)), w);
    }
};
} // namespace

TEST_F(DragFixture, ContinuousDragAndWheelMoveAtTheDocumentedRates)
{
    knob.setValue(0.5f, false);
    drag({{10, -20}}); // 20 up beats 10 right
    EXPECT_NEAR(knob.getValue(), 0.6f, 1e-6f);
    knob.setValue(0.5f, false);
    drag({{10, -20}}, M::shiftModifier);
    EXPECT_NEAR(knob.getValue(), 0.51f, 1e-6f);
    knob.setValue(0.5f, false);
    drag({{-30, 30}}); // a tie goes to the horizontal movement: left decreases
    EXPECT_NEAR(knob.getValue(), 0.35f, 1e-6f);
    knob.setValue(0.5f, false);
    drag({{0, -100}, {0, -200}}); // steps accumulate from each event
    EXPECT_FLOAT_EQ(knob.getValue(), 1.0f);

    knob.setValue(0.5f, false);
    wheel(1.0f);
    EXPECT_NEAR(knob.getValue(), 0.65f, 1e-6f);
    wheel(1.0f, M::shiftModifier);
    EXPECT_NEAR(knob.getValue(), 0.665f, 1e-6f);
    wheel(std::numeric_limits<float>::infinity());
    EXPECT_NEAR(knob.getValue(), 0.665f, 1e-6f);
}

TEST_F(DragFixture, SteppedControlsStayWithinTheirStepsAndWrapWhenAsked)
{
    knob.setStepCount(10);
    knob.setContinuous(false);
    EXPECT_FLOAT_EQ(knob.getMaxValue(), 0.009f);
    drag({{0, -50}}); // one step per 50 pixels
    EXPECT_NEAR(knob.getValue(), 0.001f, 1e-6f);
    drag({{0, -5000}});
    EXPECT_FLOAT_EQ(knob.getValue(), 0.009f);

    knob.setWrap(true);
    knob.setValue(0.009f, false);
    drag({{0, -60}});
    EXPECT_FLOAT_EQ(knob.getValue(), 0.0f);
    drag({{0, 60}});
    EXPECT_FLOAT_EQ(knob.getValue(), 0.009f);
    knob.setValue(std::numeric_limits<float>::infinity(), true); // would wrap to 0 if not refused
    EXPECT_FLOAT_EQ(knob.getValue(), 0.009f);
}

TEST_F(DragFixture, LimitsApplyToNotifyingChangesOnly)
{
    knob.setLimits(true, 0.2f, 0.7f);
    knob.setValue(0.9f, true);
    EXPECT_FLOAT_EQ(knob.getValue(), 0.7f);
    knob.setValue(0.1f, true);
    EXPECT_FLOAT_EQ(knob.getValue(), 0.2f);
    knob.setValue(0.95f, false); // the editor's own updates show the parameter as it is
    EXPECT_FLOAT_EQ(knob.getValue(), 0.95f);
}

TEST_F(DragFixture, TheResetModifierResetsOnPressAndFreezesTheDrag)
{
    knob.setDefaultValue(0.25f);
    knob.setValue(0.8f, false);
    drag({{0, -40}, {0, -80}}, M::ctrlModifier);
    EXPECT_FLOAT_EQ(knob.getValue(), 0.25f);
}

TEST_F(DragFixture, ADragIsOneHostGestureAndOneUndoStep)
{
    knob.attachToParameter(3, &editor);
    processor.log().clear();
    const float before = processor.getParameterRecord(3).getValue();
    drag({{0, -10}, {0, -20}, {0, -30}});
    EXPECT_NEAR(processor.getParameterRecord(3).getValue(), before + 0.15f, 1e-6f);
    EXPECT_EQ(hostEvents(processor, 3), (Events{"begin 3", "change 3", "change 3", "change 3", "end 3"}));
    processor.setParameterInternal(processor.getUndoParameterId(), 1.0f, true, false, false);
    EXPECT_FLOAT_EQ(processor.getParameterRecord(3).getValue(), before);

    processor.log().clear();
    wheel(1.0f);
    EXPECT_EQ(hostEvents(processor, 3), (Events{"begin 3", "change 3", "end 3"}));
}

TEST_F(DragFixture, DoubleClickOpensTypingOnlyWhenUnlockedAndConvertible)
{
    CapturingLogger logger;
    juce::Logger::setCurrentLogger(&logger);
    knob.mouseDoubleClick(mouseAt(knob, {1, 1}));
    EXPECT_TRUE(logger.lines.isEmpty()); // locked: nothing at all
    EXPECT_FALSE(knob.isEditing());

    knob.setTextEntryLocked(false);
    knob.mouseDoubleClick(mouseAt(knob, {1, 1}));
    ASSERT_EQ(logger.lines.size(), 1);
    EXPECT_EQ(logger.lines[0], "VkJuceDragControl::mouseDoubleClick warning: ignored as "
                               "m_fnpConvertStringToParam not set for m_knob");
    EXPECT_FALSE(knob.isEditing());
    juce::Logger::setCurrentLogger(nullptr);
}

TEST_F(DragFixture, TypedValuesGoThroughTheConversionAsOneCompleteHostGesture)
{
    knob.attachToParameter(4, &editor);
    knob.textEntered("0.3"); // without a conversion function: nothing
    EXPECT_FLOAT_EQ(knob.getValue(), TestProcessor::kMainDefaults[4]);

    knob.setConvertFunction(&parseNumber);
    processor.log().clear();
    knob.textEntered("0.3");
    EXPECT_FLOAT_EQ(processor.getParameterRecord(4).getValue(), 0.3f);
    EXPECT_EQ(hostEvents(processor, 4), (Events{"begin 4", "change 4", "end 4"}));
    EXPECT_FALSE(processor.getParameterRecord(4).gestureHeld.load());
    knob.textEntered("");
    knob.textEntered("7"); // clamped
    EXPECT_FLOAT_EQ(knob.getValue(), 1.0f);
    knob.setConvertFunction(&parseAlwaysNaN);
    knob.textEntered("nan");
    EXPECT_FLOAT_EQ(processor.getParameterRecord(4).getValue(), 1.0f);
}

TEST_F(DragFixture, TheImageFrameFollowsTheValueAndTheGesture)
{
    juce::Image strip(juce::Image::ARGB, 8, 40, true); // five frames of 8 x 8, frame k red = 50 k
    for (int k = 0; k < 5; ++k)
        strip.clear({0, 8 * k, 8, 8}, juce::Colour((uint8_t)(50 * k), (uint8_t)0, (uint8_t)0));
    const auto uploadedRed = [this]
    {
        const auto& px = gl.uploads.back().pixels;
        return std::set<uint8_t>(px.begin(), px.end());
    };
    knob.setStepCount(5);
    knob.setStateImage(strip, 0);
    knob.setValue(0.5f, false); // int(5 x 0.5) = frame 2
    gl.clearCalls();
    editor.getOglComponent().setRenderingEnabled(true);
    editor.getOglComponent().renderOpenGL();
    ASSERT_EQ(gl.uploads.size(), 1u);
    EXPECT_EQ(gl.uploads.back().height, 8);
    EXPECT_EQ(uploadedRed(), (std::set<uint8_t>{0, 100, 255}));
    knob.setValue(1.0f, false); // limited to the last frame
    editor.getOglComponent().renderOpenGL();
    EXPECT_EQ(uploadedRed(), (std::set<uint8_t>{0, 200, 255}));
    EXPECT_FALSE(knob.isActive());
    knob.setStateImage(strip, 1);
    knob.mouseDown(mouseAt(knob, {0, 0}));
    EXPECT_TRUE(knob.isActive());
    knob.mouseUp(mouseAt(knob, {0, 0}));
    EXPECT_FALSE(knob.isActive());
}

TEST(TextEdit, AClickOpensTheEditorAndTypedTextIsStoredAndAnnounced)
{
    ScopedDataFolders folders;
    TestProcessor processor;
    RecordingGlApi gl;
    TestEditorBase editor(processor, &gl);
    VkJuceTextEdit field("m_name");
    field.setBounds(5, 5, 100, 16);
    editor.addControl(&field, -1);
    field.setText("Init");

    struct Reader : VkJuceControl::Listener
    {
        juce::String seen;
        void controlValueChanged(VkJuceControl* c) override
        {
            seen = static_cast<VkJuceTextEdit*>(c)->getText();
        }
    } reader;
    field.addListener(&reader);

    field.mouseDown(mouseAt(field, {2, 2}));
    EXPECT_TRUE(field.isEditing());
    EXPECT_FALSE(field.getTextEditor().isReadOnly());
    EXPECT_EQ(field.getTextEditor().getText(), "Init");
    field.getTextEditor().setText("Wide Mix", false);
    field.getTextEditor().endEdit(false);
    EXPECT_FALSE(field.isEditing());
    EXPECT_EQ(field.getText(), "Wide Mix");
    EXPECT_EQ(reader.seen, "Wide Mix");

    field.setGreyedOut(true);
    field.mouseDown(mouseAt(field, {2, 2}));
    EXPECT_TRUE(field.getTextEditor().isReadOnly());
    field.getTextEditor().setText("changed", false);
    field.getTextEditor().endEdit(true); // Escape: the starting text comes back
    EXPECT_EQ(field.getText(), "Wide Mix");
}
