// The editor base and the control base over the framework's test processor, drawn through a recording GL
// table: the value and gesture path to the host, host mouse-event offers, the timer, the parameter-map
// versions and the faults of the change path.
#include "editor_test_support.h"
#include "message_pump.h"

#include "controls/host_modifiers.h"
#include "controls/vk_juce_button.h"
#include "controls/vk_juce_drag_control.h"
#include "platform/vk_message_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace vk;
using namespace vk::test;

namespace
{
using Events = std::vector<std::string>;

struct EditorFixture : ::testing::Test, EditorHarness
{
    int notices = 0;
    juce::String lastNoticeTitle;

    void SetUp() override
    {
        VkJuceEditorBase::resetOncePerProcessWarningsForTests();
        platform::setNoticePresenterOverride(
            [this](const juce::String& title, const juce::String&, bool, platform::NoticeAnswer)
            {
                ++notices;
                lastNoticeTitle = title;
            });
    }
    void TearDown() override { platform::setNoticePresenterOverride({}); }

    // A bound button in the editor, as a product editor places it.
    std::unique_ptr<VkJuceButton> boundButton(int index, const juce::String& name = "m_btn")
    {
        auto b = std::make_unique<VkJuceButton>(name);
        b->setBounds(10, 10, 40, 20);
        b->attachToParameter(index, editor.get());
        editor->addControl(b.get(), -1);
        return b;
    }
    void undo() { processor.setParameterInternal(processor.getUndoParameterId(), 1.0f, true, false, false); }
};

struct CountingListener : VkJuceControl::Listener
{
    int values = 0, starts = 0, ends = 0;
    std::unique_ptr<VkJuceButton>* deletes = nullptr;
    void controlValueChanged(VkJuceControl*) override
    {
        ++values;
        if (deletes != nullptr)
            deletes->reset();
    }
    void controlDragStarted(VkJuceControl*) override { ++starts; }
    void controlDragEnded(VkJuceControl*) override { ++ends; }
};
} // namespace

TEST_F(EditorFixture, HostListenersAreOfferedEventsFromTheLastAddedUntilOneTakesIt)
{
    Events log;
    RecordingHostListener first(log, "first", true), second(log, "second", false), third(log, "third", false);
    for (auto* l : std::initializer_list<juce::AudioProcessorEditorListener*>{&first, &second, &second,
                                                                              nullptr, &third})
        editor->addListener(l); // the second once, no null
    ASSERT_EQ(editor->getNumListeners(), 3);
    EXPECT_EQ(editor->getListener(3), nullptr);
    EXPECT_EQ(editor->getListener(-1), nullptr);

    auto button = boundButton(3);
    EXPECT_TRUE(editor->handleParameterMouseDrag(mouseAt(*button, {1, 1}), 3));
    EXPECT_EQ(log, (Events{"third drag 3", "second drag 3", "first drag 3"}));

    // Taken by the host: the button neither changes nor opens a gesture.
    log.clear();
    pressAndRelease(*button);
    EXPECT_EQ(log, (Events{"third down 3", "second down 3", "first down 3", "third up 3", "second up 3",
                           "first up 3"}));
    EXPECT_EQ(button->getValue(), TestProcessor::kMainDefaults[3]);
    EXPECT_TRUE(hostEvents(processor, 3).empty());

    // Unbound and framework parameters are not offered: both toggle, the unbound one changing no parameter.
    log.clear();
    auto unbound = boundButton(VkJuceControl::noParameter, "unbound");
    auto framework = boundButton(9100, "menu");
    pressAndRelease(*unbound);
    pressAndRelease(*framework);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(unbound->getValue(), 1.0f);
    EXPECT_EQ(framework->getValue(), 1.0f);
    EXPECT_EQ(processor.getParameterRecord(9100).getValue(), 1.0f);
    EXPECT_FALSE(editor->isControlRegistered(unbound.get()));
}

TEST_F(EditorFixture, AClickOrAChangeWithoutGestureIsOneHostGestureAndOneUndoStep)
{
    processor.log().clear();
    auto button = boundButton(5);
    ASSERT_EQ(button->getValue(), TestProcessor::kMainDefaults[5]);
    pressAndRelease(*button); // 0.75 -> 0
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), 0.0f);
    EXPECT_EQ(hostEvents(processor, 5), (Events{"begin 5", "change 5", "end 5"}));
    EXPECT_FALSE(processor.getParameterRecord(5).gestureHeld.load());
    pressAndRelease(*button); // 0 -> 1
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), 1.0f);
    undo();
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), 0.0f);
    undo();
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), TestProcessor::kMainDefaults[5]);

    // Typed text and similar changes open no gesture: the change is its own begin/end pair, and a later
    // host gesture on another parameter is not held open by it.
    processor.log().clear();
    auto typed = boundButton(4);
    typed->setValue(0.9f, true);
    EXPECT_EQ(hostEvents(processor, 4), (Events{"begin 4", "change 4", "end 4"}));
    EXPECT_FALSE(processor.getParameterRecord(4).gestureHeld.load());
    processor.log().clear();
    auto other = boundButton(6);
    pressAndRelease(*other);
    EXPECT_EQ(hostEvents(processor, 6), (Events{"begin 6", "change 6", "end 6"}));
    EXPECT_TRUE(hostEvents(processor, 4).empty());
}

TEST_F(EditorFixture, ShowProfilingSwitchesTheProfilerAndClosesTheMenu)
{
    processor.setParameterInternal(9100, 1.0f, true, false, false);
    auto button = boundButton(9108);
    pressAndRelease(*button);
    EXPECT_TRUE(processor.getProfiler().isEnabled());
    EXPECT_EQ(processor.getParameterRecord(9100).getValue(), 0.0f);
    EXPECT_NE(editor->getRenderProfilerItem(), nullptr);
    pressAndRelease(*button);
    EXPECT_FALSE(processor.getProfiler().isEnabled());
    EXPECT_EQ(editor->getRenderProfilerItem(), nullptr);
}

TEST_F(EditorFixture, TheTimerSkipsItsTickWhileTheEditorLockIsHeldAndShowsTheLastChangeOnce)
{
    auto button = boundButton(3);
    processor.setParameter(3, 0.6f); // the host automates
    ASSERT_TRUE(processor.isRefreshAllPending());
    {
        ScopedReadWriteGuard held(editor->getEditorLock(), ScopedReadWriteGuard::exclusive,
                                  ScopedReadWriteGuard::oneAttempt, "test");
        ASSERT_TRUE(held.isAcquired());
        editor->timerCallback();
        EXPECT_EQ(editor->ticks, 0);
        EXPECT_TRUE(processor.isRefreshAllPending());
        EXPECT_EQ(button->getValue(), TestProcessor::kMainDefaults[3]);
    }
    editor->timerCallback();
    EXPECT_EQ(editor->ticks, 1);
    EXPECT_FALSE(processor.isRefreshAllPending());
    EXPECT_EQ(button->getValue(), 0.6f);
    EXPECT_EQ(hostEvents(processor, 3), (Events{})) << "host changes are not sent back as edits";

    editor->shownTexts.clear();
    processor.setParameter(4, 0.25f);
    editor->timerCallback();
    EXPECT_EQ(editor->shownTexts, (Events{"Param 4: 0.25"}));
    EXPECT_EQ(editor->shownIndexes.back(), 4);
    processor.setRefreshAll(true);
    editor->timerCallback(); // index reset to 9999: nothing more
    EXPECT_EQ(editor->shownTexts.size(), 1u);

    // Hovering shows a bound parameter only.
    auto unbound = boundButton(VkJuceControl::noParameter, "unbound");
    auto bound = boundButton(4);
    unbound->mouseEnter(mouseAt(*unbound, {1, 1}));
    EXPECT_EQ(editor->shownTexts.size(), 1u);
    bound->mouseEnter(mouseAt(*bound, {1, 1}));
    EXPECT_EQ(editor->shownTexts, (Events{"Param 4: 0.25", "Param 4: 0.25"}));
}

TEST_F(EditorFixture, TheDisablingScreenCoversTheEditorWhileTheHostFlagIsRaised)
{
    auto button = boundButton(3);
    editor->timerCallback();
    auto& screen = editor->getDisablingScreen();
    EXPECT_FALSE(screen.isVisible());
    processor.handleVendorCommand(VkJuceProcessorBase::kVendorCommandIndex, 217, nullptr, 0.0f);
    editor->timerCallback();
    EXPECT_TRUE(screen.isVisible());
    EXPECT_EQ(screen.getBounds(), editor->getLocalBounds());
    auto& ogl = editor->getOglComponent();
    EXPECT_EQ(ogl.getChildComponent(ogl.getNumChildComponents() - 1), &screen);
    EXPECT_EQ(ogl.getComponentAt(20, 20), &screen);
    processor.handleVendorCommand(VkJuceProcessorBase::kVendorCommandIndex, 218, nullptr, 0.0f);
    editor->timerCallback();
    EXPECT_FALSE(screen.isVisible());
}

TEST_F(EditorFixture, OpeningTheEditorWritesTheMapVersionAsStateNotAsAnEdit)
{
    processor.writeParamMapVersion(2, 0.0f); // a session from before versions existed
    processor.setCurrentProgramInfo({}, {}); // the program as loaded is the reference for "modified"
    processor.log().clear();
    ASSERT_FALSE(processor.isParamMapVersionKnown(false));
    ASSERT_FALSE(processor.isProgramModified());
    const bool markedBefore = processor.isProgramMarkedModified();
    editor->checkParamMapVersions();
    EXPECT_FLOAT_EQ(processor.getParameterRecord(2).getValue(), 0.001f);
    EXPECT_FLOAT_EQ(processor.getParameterRecord(9003).getValue(), 0.001f);
    EXPECT_TRUE(processor.isParamMapVersionKnown(false) && processor.isParamMapVersionKnown(true));
    EXPECT_FALSE(processor.canUndo());
    EXPECT_FALSE(processor.isProgramModified());
    EXPECT_EQ(processor.isProgramMarkedModified(), markedBefore);
    EXPECT_TRUE(processor.log().eventsStartingWith("change").empty());
    EXPECT_TRUE(processor.log().eventsStartingWith("begin").empty());
    EXPECT_EQ(notices, 0);
}

TEST_F(EditorFixture, ANewerSessionIsWarnedAboutOncePerProcess)
{
    { // a session saved by a newer build carries version 2
        TestProcessor newer;
        newer.setParameterInternal(2, 0.002f, false, false, false);
        juce::MemoryBlock state;
        newer.getStateInformation(state);
        processor.setStateInformation(state.getData(), (int)state.getSize());
    }
    ASSERT_TRUE(processor.isParamMapVersionKnown(false));
    editor->checkParamMapVersions();
    editor->checkParamMapVersions();
    EXPECT_EQ(notices, 0); // not while the caller may hold the editor's locks
    ASSERT_TRUE(pumpUntil([this] { return notices == 1; }));
    EXPECT_EQ(lastNoticeTitle, "WARNING");
    EXPECT_FLOAT_EQ(processor.getParameterRecord(2).getValue(), 0.002f); // kept for the newer build

    editor.reset();
    TestEditorBase second(processor, &gl);
    second.checkParamMapVersions();
    pumpUntil([] { return false; }, 50);
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(VkJuceEditorBase::getNewerSessionWarningText().contains(
        "saved with a newer version of Latiphonix3 than the one you have installed."));
}

TEST_F(EditorFixture, HostModifiersFollowProToolsOrEveryOtherHost)
{
    using M = juce::ModifierKeys;
    // {modifier, in Pro Tools, fine, reset}
    const std::tuple<int, bool, bool, bool> cases[] = {
        {M::ctrlModifier, true, true, false},  {M::shiftModifier, true, false, false},
        {M::altModifier, true, false, true},   {M::shiftModifier, false, true, false},
        {M::ctrlModifier, false, false, true}, {M::altModifier, false, false, false}};
    for (const auto& [mod, proTools, fine, reset] : cases)
    {
        EXPECT_EQ(HostModifiers::isFineHeld(M(mod), proTools), fine) << mod << proTools;
        EXPECT_EQ(HostModifiers::isResetHeld(M(mod), proTools), reset) << mod << proTools;
    }

    // This test runs outside Pro Tools: Shift is fine, Ctrl resets.
    ASSERT_FALSE(processor.isHostProTools());
    auto button = boundButton(3);
    EXPECT_FLOAT_EQ(button->getDragSpeedFactor(mouseAt(*button, {}, withButton(M::shiftModifier))), 0.1f);
    EXPECT_FLOAT_EQ(button->getDragSpeedFactor(mouseAt(*button, {}, withButton(M::ctrlModifier))), 1.0f);
    button->setValue(0.8f, false);
    EXPECT_FALSE(button->resetToDefaultOnClick(mouseAt(*button, {}, withButton(M::altModifier))));
    EXPECT_TRUE(button->resetToDefaultOnClick(mouseAt(*button, {}, withButton(M::ctrlModifier))));
    EXPECT_FLOAT_EQ(button->getValue(), TestProcessor::kMainDefaults[3]);
}

TEST_F(EditorFixture, ValuesAreClampedNonFiniteValuesNeverStoredAndInvertedControlsShowTheComplement)
{
    VkJuceButton button("b");
    CountingListener counter;
    button.addListener(&counter);
    for (float v :
         {1.7f, 1.0f, std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity()})
        button.setValue(v, true);
    EXPECT_EQ(button.getValue(), 1.0f);
    EXPECT_EQ(counter.values, 1);

    processor.getParameterRecord(6).value = 0.25f;
    processor.getParameterRecord(6).defaultValue = 1.0f;
    VkJuceButton inverted("inv");
    inverted.setInverted(true);
    inverted.attachToParameter(6, editor.get());
    EXPECT_FLOAT_EQ(inverted.getValue(), 0.75f);
    EXPECT_FLOAT_EQ(inverted.getDefaultValue(), 0.0f);
    inverted.setValue(0.1f, true);
    EXPECT_FLOAT_EQ(processor.getParameterRecord(6).getValue(), 0.9f);
}

// The host hears the end of every drag: also when a control goes, or the editor closes, in the middle of one.
TEST_F(EditorFixture, DestroyingAControlOrTheEditorDuringADragEndsEveryOpenHostGesture)
{
    processor.log().clear();
    auto button = boundButton(5);
    auto idle = boundButton(6); // no gesture open: nothing reaches the host for it
    VkJuceDragControl knob("m_knob");
    auto gone = std::make_unique<VkJuceDragControl>("m_gone");
    for (auto [control, index] :
         {std::pair<VkJuceControl*, int>{button.get(), 5}, {&knob, 3}, {gone.get(), 7}})
    {
        if (index != 5)
        {
            control->setBounds(60, 10, 40, 40);
            control->attachToParameter(index, editor.get());
            editor->addControl(control, -1);
        }
        control->mouseDown(mouseAt(*control, {5, 5}));
        ASSERT_TRUE(control->isInGesture()) << index;
    }
    const int registered = editor->getNumRegisteredControls();
    gone.reset();
    EXPECT_EQ(editor->getNumRegisteredControls(), registered - 1);
    EXPECT_EQ(hostEvents(processor, 7), (Events{"begin 7", "end 7"}));

    editor.reset();
    for (int index : {5, 3, 7})
    {
        SCOPED_TRACE(index);
        const auto events = hostEvents(processor, index);
        const std::string end = "end " + std::to_string(index);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.front(), "begin " + std::to_string(index));
        EXPECT_EQ(events.back(), end);
        EXPECT_EQ(std::count(events.begin(), events.end(), end), 1);
        EXPECT_FALSE(processor.getParameterRecord(index).gestureHeld.load());
    }
    EXPECT_TRUE(hostEvents(processor, 6).empty());
    EXPECT_FALSE(button->isInGesture() || knob.isInGesture());
}

TEST_F(EditorFixture, GreyingOutDuringAGestureEndsItAndGreyedButtonsIgnoreTheMouse)
{
    processor.log().clear();
    auto button = boundButton(7);
    CountingListener counter;
    button->addListener(&counter);
    button->mouseDown(mouseAt(*button, {5, 5}));
    ASSERT_TRUE(button->isInGesture());
    button->setGreyedOut(true);
    EXPECT_FALSE(button->isInGesture());
    EXPECT_EQ(counter.ends, 1);
    EXPECT_EQ(hostEvents(processor, 7).back(), "end 7");
    const float v = button->getValue();
    pressAndRelease(*button);
    EXPECT_EQ(button->getValue(), v);
    EXPECT_EQ(counter.starts, 1);
    EXPECT_EQ(counter.ends, 1);
    EXPECT_FLOAT_EQ(button->getAlpha(), 0.5f);
}

TEST_F(EditorFixture, AListenerMayDeleteTheControlItIsNotifiedByAndControlsOutlivingTheEditorForgetIt)
{
    auto button = boundButton(3, "doomed");
    CountingListener earlier, deleter; // the earlier one is asked after the deleting one: never reached
    deleter.deletes = &button;
    button->addListener(&earlier);
    button->addListener(&deleter);
    ASSERT_TRUE(editor->isControlRegistered(button.get()));
    button->setValue(0.3f, true);
    EXPECT_EQ(button, nullptr);
    EXPECT_EQ(deleter.values, 1);
    EXPECT_EQ(earlier.values, 0);
    EXPECT_EQ(editor->getNumRegisteredControls(), 0);
    editor->timerCallback(); // no stale control is updated

    auto survivor = boundButton(3);
    editor.reset();
    EXPECT_EQ(survivor->getOglOwner(), nullptr);
    EXPECT_EQ(survivor->getNumListeners(), 0);
    pressAndRelease(*survivor); // no owner editor, no processor: only the value changes
    EXPECT_NE(survivor->getValue(), TestProcessor::kMainDefaults[3]);
}

TEST(OpenGlDriverCheck, OnlyOldDriversAreWarnedAboutAndNotAgainOnceTheUserSaidSo)
{
    EXPECT_TRUE(VkJuceEditorBase::isOpenGlDriverTooOld("1.4 Mesa 7.0", "GL_ARB_multitexture"));
    EXPECT_FALSE(
        VkJuceEditorBase::isOpenGlDriverTooOld("1.5", "GL_ARB_texture_non_power_of_two GL_EXT_bgra"));
    EXPECT_FALSE(VkJuceEditorBase::isOpenGlDriverTooOld("4.5 (Compatibility Profile) Mesa 22.3.6", ""));
    EXPECT_FALSE(VkJuceEditorBase::isOpenGlDriverTooOld("2.1", ""));

    ScopedDataFolders folders;
    CapturingLogger logger;
    int shown = 0;
    platform::setNoticePresenterOverride(
        [&](const juce::String& title, const juce::String& text, bool offerDoNotShowAgain,
            platform::NoticeAnswer answer)
        {
            ++shown;
            EXPECT_TRUE(offerDoNotShowAgain);
            EXPECT_EQ(title, "Warning");
            EXPECT_TRUE(
                text.startsWith("The plugin has detected that your graphics driver does not support"));
            answer(true);
        });
    VkJuceEditorBase::showOpenGlDriverWarning();
    VkJuceEditorBase::showOpenGlDriverWarning();
    platform::setNoticePresenterOverride({});
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(logger.lines,
              juce::StringArray({"OpenGL incompatibility detected, windows message returned: 1",
                                 "OpenGL incompatibility detected, windows message returned: -1"}));
}
