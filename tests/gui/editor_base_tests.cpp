// The editor base and the control base over the framework's test processor, drawn through a recording GL
// table: the value and gesture path to the host, host mouse-event offers, the timer, the parameter-map
// versions and the faults of the change path.
#include "editor_test_support.h"

#include "controls/host_modifiers.h"
#include "controls/vk_juce_button.h"
#include "platform/vk_message_box.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vk;
using namespace vk::test;

namespace
{
using Events = std::vector<std::string>;

struct EditorFixture : ::testing::Test
{
    ScopedDataFolders folders;
    TestProcessor processor;
    RecordingGlApi gl;
    std::unique_ptr<TestEditorBase> editor = std::make_unique<TestEditorBase>(processor, &gl);
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
    void click(VkJuceButton& b, juce::ModifierKeys mods = withButton(0))
    {
        b.mouseDown(mouseAt(b, {5, 5}, mods));
        b.mouseUp(mouseAt(b, {5, 5}, mods, {5, 5}));
    }
};

struct ListenerThatDeletes : VkJuceControl::Listener
{
    std::unique_ptr<VkJuceButton>* owner = nullptr;
    int calls = 0;
    void controlValueChanged(VkJuceControl*) override
    {
        ++calls;
        owner->reset();
    }
};

struct CountingListener : VkJuceControl::Listener
{
    int values = 0, starts = 0, ends = 0;
    void controlValueChanged(VkJuceControl*) override { ++values; }
    void controlDragStarted(VkJuceControl*) override { ++starts; }
    void controlDragEnded(VkJuceControl*) override { ++ends; }
};
} // namespace

TEST_F(EditorFixture, HostListenersAreOfferedEventsFromTheLastAddedUntilOneTakesIt)
{
    Events log;
    RecordingHostListener first(log, "first", true), second(log, "second", false), third(log, "third", false);
    editor->addListener(&first);
    editor->addListener(&second);
    editor->addListener(&second); // listed once
    editor->addListener(nullptr);
    editor->addListener(&third);
    ASSERT_EQ(editor->getNumListeners(), 3);
    EXPECT_EQ(editor->getListener(3), nullptr);
    EXPECT_EQ(editor->getListener(-1), nullptr);

    auto button = boundButton(3);
    const auto e = mouseAt(*button, {1, 1});
    EXPECT_TRUE(editor->handleParameterMouseDrag(e, 3));
    EXPECT_EQ(log, (Events{"third drag 3", "second drag 3", "first drag 3"}));

    // Taken by the host: the button neither changes nor opens a gesture.
    log.clear();
    click(*button);
    EXPECT_EQ(log, (Events{"third down 3", "second down 3", "first down 3", "third up 3", "second up 3",
                           "first up 3"}));
    EXPECT_EQ(button->getValue(), TestProcessor::kMainDefaults[3]);
    EXPECT_TRUE(hostEvents(processor, 3).empty());
}

TEST_F(EditorFixture, OnlyBoundProductParametersAreOfferedToTheHost)
{
    Events log;
    RecordingHostListener taker(log, "host", true);
    editor->addListener(&taker);

    auto unbound = boundButton(VkJuceControl::noParameter, "unbound");
    auto framework = boundButton(9100, "menu");
    click(*unbound);
    click(*framework);
    EXPECT_TRUE(log.empty());
    // Neither was taken, so both toggled; the unbound one changed no parameter.
    EXPECT_EQ(unbound->getValue(), 1.0f);
    EXPECT_EQ(framework->getValue(), 1.0f);
    EXPECT_EQ(processor.getParameterRecord(9100).getValue(), 1.0f);
    EXPECT_FALSE(editor->isControlRegistered(unbound.get()));
}

TEST_F(EditorFixture, AClickIsOneHostGestureAndOneUndoStep)
{
    processor.log().clear();
    auto button = boundButton(5);
    ASSERT_EQ(button->getValue(), TestProcessor::kMainDefaults[5]);
    click(*button); // 0.75 -> 0
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), 0.0f);
    EXPECT_EQ(hostEvents(processor, 5), (Events{"begin 5", "change 5", "end 5"}));
    EXPECT_FALSE(processor.getParameterRecord(5).gestureHeld.load());

    click(*button); // 0 -> 1
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), 1.0f);
    processor.setParameterInternal(processor.getUndoParameterId(), 1.0f, true, false, false);
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), 0.0f);
    processor.setParameterInternal(processor.getUndoParameterId(), 1.0f, true, false, false);
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), TestProcessor::kMainDefaults[5]);
}

TEST_F(EditorFixture, AChangeWithoutGestureReachesTheHostAsItsOwnBeginEndPair)
{
    processor.log().clear();
    auto button = boundButton(4);
    button->setValue(0.9f, true); // typed text and similar changes open no gesture
    EXPECT_EQ(hostEvents(processor, 4), (Events{"begin 4", "change 4", "end 4"}));
    EXPECT_FALSE(processor.getParameterRecord(4).gestureHeld.load());

    // A later host gesture on another parameter is not held open by it.
    processor.log().clear();
    auto other = boundButton(6);
    click(*other);
    EXPECT_EQ(hostEvents(processor, 6), (Events{"begin 6", "change 6", "end 6"}));
    EXPECT_TRUE(hostEvents(processor, 4).empty());
}

TEST_F(EditorFixture, ShowProfilingSwitchesTheProfilerAndClosesTheMenu)
{
    processor.setParameterInternal(9100, 1.0f, true, false, false);
    auto button = boundButton(9108);
    click(*button);
    EXPECT_TRUE(processor.getProfiler().isEnabled());
    EXPECT_EQ(processor.getParameterRecord(9100).getValue(), 0.0f);
    EXPECT_NE(editor->getRenderProfilerItem(), nullptr);
    click(*button);
    EXPECT_FALSE(processor.getProfiler().isEnabled());
    EXPECT_EQ(editor->getRenderProfilerItem(), nullptr);
}

TEST_F(EditorFixture, TheTimerSkipsItsTickWhileTheEditorLockIsHeldAndCatchesUpAfter)
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
    // Host changes reach the control without being sent back as edits.
    EXPECT_EQ(hostEvents(processor, 3), (Events{}));
}

TEST_F(EditorFixture, TheLastChangedParameterIsShownOnceAsNameAndText)
{
    processor.setParameter(4, 0.25f);
    editor->timerCallback();
    ASSERT_EQ(editor->shownTexts.size(), 1u);
    EXPECT_EQ(editor->shownTexts[0], "Param 4: 0.25");
    EXPECT_EQ(editor->shownIndexes[0], 4);
    processor.setRefreshAll(true);
    editor->timerCallback(); // index reset to 9999: nothing more
    EXPECT_EQ(editor->shownTexts.size(), 1u);
}

TEST_F(EditorFixture, TheDisablingScreenCoversTheEditorWhileTheHostFlagIsRaised)
{
    auto button = boundButton(3);
    editor->timerCallback();
    EXPECT_FALSE(editor->getDisablingScreen().isVisible());
    processor.handleVendorCommand(VkJuceProcessorBase::kVendorCommandIndex, 217, nullptr, 0.0f);
    editor->timerCallback();
    auto& screen = editor->getDisablingScreen();
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
    EXPECT_TRUE(processor.isParamMapVersionKnown(false));
    EXPECT_TRUE(processor.isParamMapVersionKnown(true));
    EXPECT_FALSE(processor.canUndo());
    EXPECT_FALSE(processor.isProgramModified());
    EXPECT_EQ(processor.isProgramMarkedModified(), markedBefore);
    EXPECT_TRUE(processor.log().eventsStartingWith("change").empty());
    EXPECT_TRUE(processor.log().eventsStartingWith("begin").empty());
    EXPECT_EQ(notices, 0);
}

TEST_F(EditorFixture, ANewerSessionIsWarnedAboutOncePerProcess)
{
    // A session saved by a newer build carries version 2.
    {
        TestProcessor newer;
        newer.setParameterInternal(2, 0.002f, false, false, false);
        juce::MemoryBlock state;
        newer.getStateInformation(state);
        processor.setStateInformation(state.getData(), (int)state.getSize());
    }
    ASSERT_TRUE(processor.isParamMapVersionKnown(false));
    editor->checkParamMapVersions();
    editor->checkParamMapVersions();
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(lastNoticeTitle, "WARNING");
    EXPECT_FLOAT_EQ(processor.getParameterRecord(2).getValue(), 0.002f); // kept for the newer build

    editor.reset();
    TestEditorBase second(processor, &gl);
    second.checkParamMapVersions();
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(VkJuceEditorBase::getNewerSessionWarningText().contains(
        "saved with a newer version of Latiphonix3 than the one you have installed."));
}

TEST_F(EditorFixture, HostModifiersFollowProToolsOrEveryOtherHost)
{
    using M = juce::ModifierKeys;
    EXPECT_TRUE(HostModifiers::isFineHeld(M(M::ctrlModifier), true));
    EXPECT_FALSE(HostModifiers::isFineHeld(M(M::shiftModifier), true));
    EXPECT_TRUE(HostModifiers::isResetHeld(M(M::altModifier), true));
    EXPECT_FALSE(HostModifiers::isResetHeld(M(M::ctrlModifier), true));
    EXPECT_TRUE(HostModifiers::isFineHeld(M(M::shiftModifier), false));
    EXPECT_FALSE(HostModifiers::isFineHeld(M(M::ctrlModifier), false));
    EXPECT_TRUE(HostModifiers::isResetHeld(M(M::ctrlModifier), false));
    EXPECT_FALSE(HostModifiers::isResetHeld(M(M::altModifier), false));

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

TEST_F(EditorFixture, ValuesAreClampedAndNonFiniteValuesNeverStored)
{
    VkJuceButton button("b");
    CountingListener counter;
    button.addListener(&counter);
    button.setValue(1.7f, true);
    EXPECT_EQ(button.getValue(), 1.0f);
    EXPECT_EQ(counter.values, 1);
    button.setValue(1.0f, true);
    EXPECT_EQ(counter.values, 1);
    button.setValue(std::numeric_limits<float>::quiet_NaN(), true);
    button.setValue(-std::numeric_limits<float>::infinity(), true);
    EXPECT_EQ(button.getValue(), 1.0f);
    EXPECT_EQ(counter.values, 1);
}

TEST_F(EditorFixture, AnInvertedControlShowsAndResetsTheComplement)
{
    processor.getParameterRecord(6).value = 0.25f;
    processor.getParameterRecord(6).defaultValue = 1.0f;
    VkJuceButton button("inv");
    button.setInverted(true);
    button.attachToParameter(6, editor.get());
    EXPECT_FLOAT_EQ(button.getValue(), 0.75f);
    EXPECT_FLOAT_EQ(button.getDefaultValue(), 0.0f);
    button.setValue(0.1f, true);
    EXPECT_FLOAT_EQ(processor.getParameterRecord(6).getValue(), 0.9f);
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
    click(*button);
    EXPECT_EQ(button->getValue(), v);
    EXPECT_EQ(counter.starts, 1);
    EXPECT_EQ(counter.ends, 1);
    EXPECT_FLOAT_EQ(button->getAlpha(), 0.5f);
}

TEST_F(EditorFixture, AListenerMayDeleteTheControlItIsNotifiedBy)
{
    auto button = std::make_unique<VkJuceButton>("doomed");
    button->attachToParameter(3, editor.get());
    editor->addControl(button.get(), -1);
    CountingListener earlier; // asked after the deleting one, so never reached
    ListenerThatDeletes deleter;
    deleter.owner = &button;
    button->addListener(&earlier);
    button->addListener(&deleter);
    ASSERT_TRUE(editor->isControlRegistered(button.get()));
    button->setValue(0.3f, true);
    EXPECT_EQ(button, nullptr);
    EXPECT_EQ(deleter.calls, 1);
    EXPECT_EQ(earlier.values, 0);
    EXPECT_EQ(editor->getNumRegisteredControls(), 0);
    editor->timerCallback(); // no stale control is updated
}

TEST_F(EditorFixture, ControlsOutlivingTheEditorForgetIt)
{
    auto button = boundButton(3);
    editor.reset();
    EXPECT_EQ(button->getOglOwner(), nullptr);
    EXPECT_EQ(button->getNumListeners(), 0);
    click(*button); // no owner editor, no processor: only the value changes
    EXPECT_NE(button->getValue(), TestProcessor::kMainDefaults[3]);
}

TEST_F(EditorFixture, HoveringShowsABoundParameterOnly)
{
    auto bound = boundButton(4);
    auto unbound = boundButton(VkJuceControl::noParameter, "unbound");
    unbound->mouseEnter(mouseAt(*unbound, {1, 1}));
    EXPECT_TRUE(editor->shownTexts.empty());
    bound->mouseEnter(mouseAt(*bound, {1, 1}));
    ASSERT_EQ(editor->shownTexts.size(), 1u);
    EXPECT_EQ(editor->shownTexts[0], "Param 4: 0.5");
}

TEST(OpenGlDriverCheck, OnlyDriversBelowVersionTwoWithoutNonPowerOfTwoTexturesAreOld)
{
    EXPECT_TRUE(VkJuceEditorBase::isOpenGlDriverTooOld("1.4 Mesa 7.0", "GL_ARB_multitexture"));
    EXPECT_FALSE(
        VkJuceEditorBase::isOpenGlDriverTooOld("1.5", "GL_ARB_texture_non_power_of_two GL_EXT_bgra"));
    EXPECT_FALSE(VkJuceEditorBase::isOpenGlDriverTooOld("4.5 (Compatibility Profile) Mesa 22.3.6", ""));
    EXPECT_FALSE(VkJuceEditorBase::isOpenGlDriverTooOld("2.1", ""));
}

TEST(OpenGlDriverCheck, TheWarningIsNotShownAgainOnceTheUserSaidSo)
{
    ScopedDataFolders folders;
    struct CapturingLogger : juce::Logger
    {
        void logMessage(const juce::String& message) override { lines.add(message); }
        juce::StringArray lines;
    } logger;
    juce::Logger::setCurrentLogger(&logger);
    int shown = 0;
    bool offered = false;
    platform::setNoticePresenterOverride(
        [&](const juce::String& title, const juce::String& text, bool offerDoNotShowAgain,
            platform::NoticeAnswer answer)
        {
            ++shown;
            offered = offerDoNotShowAgain;
            EXPECT_EQ(title, "Warning");
            EXPECT_TRUE(
                text.startsWith("The plugin has detected that your graphics driver does not support"));
            answer(true);
        });
    VkJuceEditorBase::showOpenGlDriverWarning();
    VkJuceEditorBase::showOpenGlDriverWarning();
    platform::setNoticePresenterOverride({});
    juce::Logger::setCurrentLogger(nullptr);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(offered);
    EXPECT_EQ(logger.lines,
              juce::StringArray({"OpenGL incompatibility detected, windows message returned: 1",
                                 "OpenGL incompatibility detected, windows message returned: -1"}));
}
