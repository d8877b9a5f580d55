// The drag control's arithmetic at the figures users rely on, its wrap and limits, typed values, and one
// gesture and one undo step per drag; the text field's click and typed text.
#include "editor_test_support.h"

#include "controls/vk_juce_drag_control.h"
#include "controls/vk_juce_text_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <set>

using namespace vk;
using namespace vk::test;

namespace
{
using Events = std::vector<std::string>;
using M = juce::ModifierKeys;
constexpr float inf = std::numeric_limits<float>::infinity();

struct DragFixture : ::testing::Test, EditorHarness
{
    VkJuceDragControl knob{"m_knob"};

    DragFixture()
    {
        knob.setBounds(20, 20, 40, 40);
        editor->addControl(&knob, -1);
    }

    // Press at (0, 0), move through the points, release at the last; the value it ends at.
    float drag(std::initializer_list<juce::Point<float>> path, int mods = 0)
    {
        knob.mouseDown(mouseAt(knob, {0, 0}, withButton(mods)));
        for (auto p : path)
            knob.mouseDrag(mouseAt(knob, p, withButton(mods), {0, 0}, true));
        knob.mouseUp(mouseAt(knob, *(path.end() - 1), withButton(mods), {0, 0}, true));
        return knob.getValue();
    }
    float wheel(float delta, int mods = 0)
    {
        juce::MouseWheelDetails w{};
        w.deltaY = delta;
        knob.mouseWheelMove(mouseAt(knob, {1, 1}, juce::ModifierKeys(mods)), w);
        return knob.getValue();
    }
};
} // namespace

TEST_F(DragFixture, ContinuousDragAndWheelMoveAtTheDocumentedRates)
{
    struct Case
    {
        std::initializer_list<juce::Point<float>> path;
        int mods;
        float expected;
    };
    // 20 up beats 10 right; fine; a tie goes to the horizontal movement (left decreases); steps accumulate.
    for (const auto& c : {Case{{{10, -20}}, 0, 0.6f}, Case{{{10, -20}}, M::shiftModifier, 0.51f},
                          Case{{{-30, 30}}, 0, 0.35f}, Case{{{0, -100}, {0, -200}}, 0, 1.0f}})
    {
        knob.setValue(0.5f, false);
        EXPECT_NEAR(drag(c.path, c.mods), c.expected, 1e-6f) << c.expected;
    }
    knob.setValue(0.5f, false);
    EXPECT_NEAR(wheel(1.0f), 0.65f, 1e-6f);
    EXPECT_NEAR(wheel(1.0f, M::shiftModifier), 0.665f, 1e-6f);
    EXPECT_NEAR(wheel(inf), 0.665f, 1e-6f);
}

TEST_F(DragFixture, SteppedControlsStayWithinTheirStepsWrapWhenAskedAndLimitOnlyNotifyingChanges)
{
    knob.setStepCount(10);
    knob.setContinuous(false);
    EXPECT_FLOAT_EQ(knob.getMaxValue(), 0.009f);
    EXPECT_NEAR(drag({{0, -50}}), 0.001f, 1e-6f); // one step per 50 pixels
    EXPECT_FLOAT_EQ(drag({{0, -5000}}), 0.009f);
    knob.setWrap(true);
    knob.setValue(0.009f, false);
    EXPECT_FLOAT_EQ(drag({{0, -60}}), 0.0f);
    EXPECT_FLOAT_EQ(drag({{0, 60}}), 0.009f);
    knob.setValue(inf, true); // would wrap to 0 if not refused
    EXPECT_FLOAT_EQ(knob.getValue(), 0.009f);

    VkJuceDragControl limited("m_limited");
    limited.setLimits(true, 0.2f, 0.7f);
    limited.setValue(0.9f, true);
    EXPECT_FLOAT_EQ(limited.getValue(), 0.7f);
    limited.setValue(0.1f, true);
    EXPECT_FLOAT_EQ(limited.getValue(), 0.2f);
    limited.setValue(0.95f, false); // the editor's own updates show the parameter as it is
    EXPECT_FLOAT_EQ(limited.getValue(), 0.95f);
}

TEST_F(DragFixture, ADragIsOneHostGestureAndOneUndoStepAndTheResetModifierFreezesIt)
{
    knob.attachToParameter(3, editor.get());
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

    knob.setDefaultValue(0.25f);
    knob.setValue(0.8f, false);
    EXPECT_FLOAT_EQ(drag({{0, -40}, {0, -80}}, M::ctrlModifier), 0.25f);
}

TEST_F(DragFixture, TypingOpensOnlyWhenUnlockedAndConvertibleAndIsOneCompleteHostGesture)
{
    {
        CapturingLogger logger;
        knob.mouseDoubleClick(mouseAt(knob, {1, 1}));
        EXPECT_TRUE(logger.lines.isEmpty()); // locked: nothing at all
        EXPECT_FALSE(knob.isEditing());
        knob.setTextEntryLocked(false);
        knob.mouseDoubleClick(mouseAt(knob, {1, 1}));
        EXPECT_EQ(logger.lines, juce::StringArray("VkJuceDragControl::mouseDoubleClick warning: ignored as "
                                                  "m_fnpConvertStringToParam not set for m_knob"));
        EXPECT_FALSE(knob.isEditing());
    }
    knob.attachToParameter(4, editor.get());
    knob.textEntered("0.3"); // without a conversion function: nothing
    EXPECT_FLOAT_EQ(knob.getValue(), TestProcessor::kMainDefaults[4]);

    knob.setConvertFunction([](const juce::String& s) { return s.getFloatValue(); });
    processor.log().clear();
    knob.textEntered("0.3");
    EXPECT_FLOAT_EQ(processor.getParameterRecord(4).getValue(), 0.3f);
    EXPECT_EQ(hostEvents(processor, 4), (Events{"begin 4", "change 4", "end 4"}));
    EXPECT_FALSE(processor.getParameterRecord(4).gestureHeld.load());
    knob.textEntered("");
    knob.textEntered("7"); // clamped
    EXPECT_FLOAT_EQ(knob.getValue(), 1.0f);
    knob.setConvertFunction([](const juce::String&) { return std::numeric_limits<float>::quiet_NaN(); });
    knob.textEntered("nan");
    EXPECT_FLOAT_EQ(processor.getParameterRecord(4).getValue(), 1.0f);
}

TEST_F(DragFixture, TheImageFrameFollowsTheValueAndTheGesture)
{
    juce::Image strip(juce::Image::ARGB, 8, 40, true); // five frames of 8 x 8, frame k red = 50 k
    for (int k = 0; k < 5; ++k)
        strip.clear({0, 8 * k, 8, 8}, juce::Colour((uint8_t)(50 * k), (uint8_t)0, (uint8_t)0));
    const auto uploadedBytes = [this]
    {
        editor->getOglComponent().renderOpenGL();
        if (gl.uploads.empty())
            return std::set<uint8_t>{};
        const auto& px = gl.uploads.back().pixels;
        return std::set<uint8_t>(px.begin(), px.end());
    };
    knob.setStepCount(5);
    knob.setStateImage(strip, 0);
    knob.setValue(0.5f, false); // int(5 x 0.5) = frame 2
    editor->getOglComponent().setRenderingEnabled(true);
    EXPECT_EQ(uploadedBytes(), (std::set<uint8_t>{0, 100, 255}));
    ASSERT_EQ(gl.uploads.size(), 1u);
    EXPECT_EQ(gl.uploads.back().height, 8);
    knob.setValue(1.0f, false); // limited to the last frame
    EXPECT_EQ(uploadedBytes(), (std::set<uint8_t>{0, 200, 255}));
    EXPECT_FALSE(knob.isActive());
    knob.setStateImage(strip, 1);
    knob.mouseDown(mouseAt(knob, {0, 0}));
    EXPECT_TRUE(knob.isActive());
    knob.mouseUp(mouseAt(knob, {0, 0}));
    EXPECT_FALSE(knob.isActive());
}

TEST(TextEdit, AClickOpensTheEditorAndTypedTextIsStoredAndAnnounced)
{
    EditorHarness h;
    VkJuceTextEdit field("m_name");
    field.setBounds(5, 5, 100, 16);
    h.editor->addControl(&field, -1);
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

TEST(TextEdit, AListenerMayDeleteTheControlWhileItReceivesTheTypedText)
{
    // The typed text reaches the control's listeners from inside the editor's focus handling; one that
    // deletes the control (and with it the editor) must not leave that handling running on freed memory.
    EditorHarness h;
    struct Deleter : VkJuceControl::Listener
    {
        std::vector<std::unique_ptr<VkJuceControl>> owned;
        juce::StringArray seen;
        void controlValueChanged(VkJuceControl* c) override
        {
            auto* field = dynamic_cast<VkJuceTextEdit*>(c);
            seen.add(field != nullptr ? field->getText() : juce::String(c->getValue()));
            owned.erase(std::remove_if(owned.begin(), owned.end(), [c](auto& o) { return o.get() == c; }),
                        owned.end());
        }
    } deleter;

    auto field = std::make_unique<VkJuceTextEdit>("m_name");
    auto knob = std::make_unique<VkJuceDragControl>("m_knob");
    knob->setTextEntryLocked(false);
    knob->setConvertFunction([](const juce::String& s) { return s.getFloatValue(); });
    for (VkJuceControl* c : {(VkJuceControl*)field.get(), (VkJuceControl*)knob.get()})
    {
        c->setBounds(5, 5, 40, 16);
        h.editor->addControl(c, -1);
        c->addListener(&deleter);
    }
    field->mouseDown(mouseAt(*field, {2, 2}));
    knob->mouseDoubleClick(mouseAt(*knob, {2, 2}));
    const std::vector<ModalTextEditor*> editors{&field->getTextEditor(), &knob->getTextEditor()};
    editors[0]->setText("Wide Mix", false);
    editors[1]->setText("0.25", false);
    deleter.owned.push_back(std::move(field));
    deleter.owned.push_back(std::move(knob));

    juce::Thread::sleep(ModalTextEditor::settleTimeMs + 50); // a focus loss before that ends nothing
    for (auto* e : editors)
        e->focusLost(juce::Component::focusChangedByMouseClick);
    EXPECT_TRUE(deleter.owned.empty());
    EXPECT_EQ(deleter.seen, juce::StringArray("Wide Mix", "0.25"));
}
