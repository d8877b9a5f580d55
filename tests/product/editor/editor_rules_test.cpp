// The product editor's rules between controls and parameters: the phase knob, the auto-level countdown,
// the level indicators, Analysis, the readouts, undo/redo greying and the A/B copy direction.

#include "editor_test_support.h"

#include "product/editor/editor_rules.h"
#include "tests/gui/editor_test_support.h"

#include <algorithm>

namespace latiphonix::test
{
namespace
{

float phaseValueForFrame(int frame)
{
    return (float)frame / 101.0f;
}

TEST_F(EditorTest, PhaseKnobFramesSetInvertAndShiftAndNameThem)
{
    open();
    auto& phase = control("m_dragPhase");
    struct Case
    {
        int frame;
        float invert, shift;
        const char* text;
    };
    for (const Case& c :
         {Case{101, 1.0f, 0.0f, "Phase Shift: Invert"}, Case{51, 0.0f, 0.5f, "Phase Shift: 50%"},
          Case{0, 1.0f, 0.0f, "Phase Shift: Invert"}, Case{1, 0.0f, 0.0f, "Phase Shift: Off"}})
    {
        SCOPED_TRACE(c.frame);
        phase.beginChangeGesture();
        phase.setValue(phaseValueForFrame(c.frame), true);
        phase.endChangeGesture();
        EXPECT_FLOAT_EQ(get(kPhaseInvert), c.invert);
        EXPECT_FLOAT_EQ(get(kPhaseShift), c.shift);
        editor->showParameterText({}, kPhaseShift);
        EXPECT_EQ(readout(), c.text);
    }
}

// Closing the editor in the middle of drags ends every host gesture begun, the phase drag's two included.
TEST_F(EditorTest, ClosingTheEditorDuringDragsEndsEveryHostGestureBegun)
{
    open();
    RecordingListener host;
    processor->addListener(&host);
    const std::pair<const char*, float> drags[] = {{"m_dragPhase", phaseValueForFrame(27)},
                                                   {"m_dragAcuity", 0.3f}};
    for (auto [name, value] : drags)
    {
        control(name).beginChangeGesture();
        control(name).setValue(value, true);
    }
    processor->editorBeingDeleted(editor.get());
    editor.reset();
    processor->removeListener(&host);

    const auto events = host.events();
    for (int index : {kPhaseInvert, kPhaseShift, kAcuity})
    {
        SCOPED_TRACE(index);
        const auto ends = std::count(events.begin(), events.end(), "end " + std::to_string(index));
        EXPECT_EQ(std::count(events.begin(), events.end(), "begin " + std::to_string(index)), ends);
        EXPECT_EQ(ends, 1);
        EXPECT_FALSE(processor->getParameterRecord(index).gestureHeld.load());
    }
}

// The knob shows the host's phase on its own grid and never writes it back: showing is not an edit.
TEST_F(EditorTest, PhaseFromTheHostIsShownOnTheKnobsGridAndNeverWritten)
{
    open();
    EXPECT_FALSE(processor->canUndo());

    RecordingListener host;
    processor->addListener(&host);
    const int undoSteps = processor->getNumUndoTransactions() + 1; // the host's own change below
    processor->setParameter(kPhaseShift, 0.257f);
    update();
    EXPECT_NEAR(control("m_dragPhase").getValue() * 101.0f, 27.0f, 1e-4f);
    editor->showParameterText({}, kPhaseShift);
    EXPECT_EQ(readout(), "Phase Shift: 26%");

    // Automation playing on: shown each time, written never.
    for (float shift : {0.7777f, 0.257f, 0.3331f, 0.257f})
    {
        processor->setParameter(kPhaseShift, shift);
        update();
        EXPECT_EQ(get(kPhaseShift), shift);
    }
    EXPECT_EQ(host.events(), std::vector<std::string>{});
    EXPECT_EQ(processor->getNumUndoTransactions(), undoSteps);

    // Invert from the host keeps the knob at the end it is nearer to, and the shift as it is.
    processor->setParameter(kPhaseInvert, 1.0f);
    update();
    EXPECT_FLOAT_EQ(control("m_dragPhase").getValue(), 0.0f);
    EXPECT_EQ(get(kPhaseShift), 0.257f);
    EXPECT_EQ(host.events(), std::vector<std::string>{});
    processor->removeListener(&host);
}

TEST_F(EditorTest, AShiftNearTheTopStaysAShiftWhenTheEditorShowsIt)
{
    // From a preset before the editor opens, and from the host while it is open: 99.5 % and more shows as
    // the largest shift, never as an inversion, and the value stays as it is.
    set(kPhaseInvert, 0.0f, kPhaseShift, 0.995f);
    open();
    EXPECT_FLOAT_EQ(get(kPhaseInvert), 0.0f);
    EXPECT_EQ(get(kPhaseShift), 0.995f);
    for (float shift : {0.996f, 1.0f, 0.9949f})
    {
        SCOPED_TRACE(shift);
        processor->setParameter(kPhaseShift, 0.5f);
        update();
        processor->setParameter(kPhaseShift, shift);
        update();
        EXPECT_FLOAT_EQ(get(kPhaseInvert), 0.0f);
        EXPECT_EQ(get(kPhaseShift), shift);
        EXPECT_NEAR(control("m_dragPhase").getValue() * 101.0f, 100.0f, 1e-4f);
        editor->showParameterText({}, kPhaseShift);
        EXPECT_EQ(readout(), "Phase Shift: 99%");
    }
    // The knob itself still reaches the inversion at its end.
    auto& phase = control("m_dragPhase");
    phase.beginChangeGesture();
    phase.setValue(1.0f, true);
    phase.endChangeGesture();
    EXPECT_FLOAT_EQ(get(kPhaseInvert), 1.0f);
    EXPECT_FLOAT_EQ(get(kPhaseShift), 0.0f);
}

TEST_F(EditorTest, AutoLevelCountsDownThreeSecondsAndIgnoresClicksMeanwhile)
{
    manualNow = 10000000;
    open();
    auto& display = control("m_btnAutoLevel");
    auto& overlay = control("m_btnAutoInvisibleOverlay");
    const auto frame = [&] { return (int)(display.getValue() * 1000.0f + 0.5f); };
    EXPECT_EQ(frame(), 0);

    overlay.setValue(1.0f - overlay.getValue(), true); // a click
    EXPECT_TRUE(algo().isAnalysisRunning());
    EXPECT_TRUE(processor->isRefreshAllPending());
    const auto start = algo().getAnalysisStartMs();
    for (auto [offset, expected] :
         {std::pair<int, int>{0, 4}, {999, 4}, {1000, 3}, {1999, 3}, {2000, 2}, {2999, 2}})
    {
        manualNow = start + offset;
        update();
        EXPECT_EQ(frame(), expected) << offset;
    }
    // A click during the countdown changes nothing.
    overlay.setValue(1.0f - overlay.getValue(), true);
    EXPECT_EQ(algo().getAnalysisStartMs(), start);
    EXPECT_FLOAT_EQ(get(kAutoLevel), 0.0f);

    // After the analysis the trim is on (frame 1); a click switches it off (frame 0).
    manualNow = start + 3000;
    settle(1024);
    EXPECT_FALSE(algo().isAnalysisRunning());
    algo().applyFinishedAnalysis(); // the processor's timer hands the result over
    update();
    EXPECT_EQ(frame(), 1);
    overlay.setValue(1.0f - overlay.getValue(), true);
    EXPECT_FLOAT_EQ(get(kAutoLevel), 0.0f);
    update();
    EXPECT_EQ(frame(), 0);
}

TEST_F(EditorTest, LevelIndicatorsFallOneFramePerTickAndJumpUpAtOnce)
{
    open();
    auto& in = control("m_dragLevelIn");
    const auto frame = [&] { return (int)(in.getValue() * 1000.0f + 0.5f); };
    ASSERT_FLOAT_EQ(algo().getInputMeter(), 0.0f);
    in.setValue(0.029f, false);
    for (int expected = 28; expected >= 0; --expected)
    {
        editor->onTimerTick();
        ASSERT_EQ(frame(), expected);
    }
    editor->onTimerTick();
    EXPECT_EQ(frame(), 0);

    set(kAnalysis, 1.0f);
    StereoSignal loud{makeNoise(4096, 0.9f, 7), makeNoise(4096, 0.9f, 8)};
    run(loud);
    const float meter = algo().getInputMeter();
    ASSERT_GT(meter, 0.5f);
    editor->onTimerTick();
    EXPECT_EQ(frame(), (int)(meter * 30.0f));
    EXPECT_GT((int)(control("m_dragLevelOut").getValue() * 1000.0f + 0.5f), 0);
}

TEST_F(EditorTest, AnalysisOffHidesBothGraphsAndBlanksTheBalanceReadout)
{
    set(kAnalysis, 1.0f);
    open();
    auto& balance = dynamic_cast<vk::VkJuceButton&>(control("m_textBalanceReadout"));
    EXPECT_TRUE(editor->getGraph()->isVisible());
    EXPECT_TRUE(editor->getBalanceGraph()->isVisible());

    set(kAnalysis, 0.0f);
    update();
    EXPECT_FALSE(editor->getGraph()->isVisible());
    EXPECT_FALSE(editor->getBalanceGraph()->isVisible());
    EXPECT_EQ(balance.getText(0), " ");
    editor->onTimerTick(); // the readout is not refreshed while Analysis is off
    EXPECT_EQ(balance.getText(0), " ");

    set(kAnalysis, 1.0f);
    update();
    EXPECT_TRUE(editor->getGraph()->isVisible());
    EXPECT_TRUE(editor->getBalanceGraph()->isVisible());
    frame();
    editor->onTimerTick();
    EXPECT_EQ(balance.getText(0), "0"); // no measurement yet: the marker sits in the middle
}

TEST_F(EditorTest, TheBalanceReadoutIsOnlyAText)
{
    open();
    set(kBalance, 0.5f);
    update();
    auto& label = control("m_textBalanceReadout");
    const auto at = label.getLocalBounds().getCentre().toFloat();
    for (int click = 0; click < 3; ++click)
    {
        label.mouseDown(vk::test::mouseAt(label, at, juce::ModifierKeys::leftButtonModifier, at));
        label.mouseUp(vk::test::mouseAt(label, at, juce::ModifierKeys::leftButtonModifier, at));
    }
    EXPECT_FLOAT_EQ(get(kBalance), 0.5f);
    EXPECT_FALSE(processor->canUndo());
}

TEST_F(EditorTest, UndoRedoGreyingPresetNameAndCopyDirection)
{
    open();
    EXPECT_TRUE(control("m_btnUndo").isGreyedOut());
    EXPECT_EQ(dynamic_cast<vk::VkJuceTextEdit&>(control("m_textEditPresetName")).getText(),
              processor->getProgramName(processor->getCurrentProgram()));

    auto& width = control("m_dragLinearWidth");
    width.beginChangeGesture();
    width.setValue(0.25f, true);
    width.endChangeGesture();
    update();
    EXPECT_FALSE(control("m_btnUndo").isGreyedOut());
    EXPECT_TRUE(control("m_btnRedo").isGreyedOut());

    auto& aToB = dynamic_cast<vk::VkJuceButton&>(control("m_btnAToB"));
    const auto aImage = aToB.getStateImage(0);
    set(kAB, 1.0f);
    update();
    const auto bImage = aToB.getStateImage(0);
    EXPECT_NE(aImage.getPixelData(), bImage.getPixelData());
    set(kAB, 0.0f);
    update();
    // Back to the A->B picture: the same pixels as before.
    EXPECT_EQ(aToB.getStateImage(0).getPixelAt(22, 5), aImage.getPixelAt(22, 5));
}

TEST_F(EditorTest, ATypedPresetNameRenamesTheProgramAndTheCurrentPreset)
{
    open();
    auto& field = dynamic_cast<vk::VkJuceTextEdit&>(control("m_textEditPresetName"));
    field.textEntered("Wide Drums");
    EXPECT_EQ(processor->getProgramName(processor->getCurrentProgram()), "Wide Drums");
    juce::String folder, file;
    processor->getCurrentProgramInfo(folder, file);
    EXPECT_EQ(file, "Wide Drums");
    editor->showParameterText("ignored", kPresetNext);
    EXPECT_EQ(readout(), "Wide Drums");
}

TEST_F(EditorTest, EveryParameterTextFitsTheReadoutBox)
{
    // Each parameter's widest text over its whole range (a choice is k / 1000), as the editor shows it (also
    // those it never shows: all 35), drawn with the real fonts: its glyphs stay inside the 220-pixel box.
    open();
    auto& label = control("m_textReadout");
    const auto drawnExtent = [&](vk::VkJuceControl& drawn)
    {
        gl.clearCalls();
        drawn.render(0);
        std::pair<double, double> extent{0.0, 0.0};
        for (const auto& call : gl.only("vertex2f"))
            extent = {std::min(extent.first, call.args[0]), std::max(extent.second, call.args[0])};
        return extent;
    };
    for (int index = 0; index < kNumParameters; ++index)
    {
        std::pair<double, double> widest{0.0, 0.0};
        juce::String widestText;
        for (int k = 0; k <= 1000; ++k)
        {
            processor->setParameter(index, float(k) / 1000.0f);
            editor->showParameterText(
                processor->getParameterName(index) + ": " + processor->getParameterText(index), index);
            if (const auto e = drawnExtent(label); e.second - e.first >= widest.second - widest.first)
                std::tie(widest, widestText) = std::make_pair(e, readout());
        }
        EXPECT_TRUE(widest.first >= 0.0 && widest.second <= label.getWidth() && widest.second > 0.0)
            << widestText << " drawn from " << widest.first << " to " << widest.second;
    }
    // A preset name too long even for the smallest font is cut to fit.
    processor->changeProgramName(processor->getCurrentProgram(), juce::String::repeatedString("Wide ", 20));
    update();
    editor->showParameterText({}, kPresetNext);
    EXPECT_LE(drawnExtent(label).second, label.getWidth()) << readout();
    EXPECT_TRUE(readout().startsWith("Wide Wide") && readout().endsWith("...")) << readout();
    // The balance readout's widest text in its 50-pixel box.
    auto& balance = dynamic_cast<vk::VkJuceButton&>(control("m_textBalanceReadout"));
    balance.setText(editor_rules::balanceReadoutText(200), vk::VkJuceButton::allStates);
    EXPECT_LE(drawnExtent(balance).second, balance.getWidth());
}

} // namespace
} // namespace latiphonix::test
