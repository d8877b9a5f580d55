// Button modes by their value encoding, the scalable button's patches and gradients, and the pop-up trigger.
#include "editor_test_support.h"
#include "recorded_frame_test_support.h"

#include "controls/vk_juce_pop_up_trigger_button.h"
#include "controls/vk_juce_scalable_button.h"
#include "platform/vk_launcher.h"

#include <gtest/gtest.h>

using namespace vk;
using namespace vk::test;

namespace
{
struct ButtonFixture : ::testing::Test, EditorHarness
{
    // How many colours were set inside primitives.
    int coloursInsidePrimitives() const
    {
        int n = 0;
        bool inside = false;
        for (const auto& c : gl.calls)
        {
            inside = c.name == "begin" ? true : (c.name == "end" ? false : inside);
            n += inside && c.name == "color4f" ? 1 : 0;
        }
        return n;
    }
    void frame(int count = 1)
    {
        editor->getOglComponent().setRenderingEnabled(true);
        for (int i = 0; i < count; ++i)
        {
            gl.clearCalls();
            editor->getOglComponent().renderOpenGL();
        }
    }
    VkJuceButton& add(VkJuceButton& b, juce::Rectangle<int> bounds = {0, 0, 10, 10})
    {
        b.setBounds(bounds);
        editor->addControl(&b, -1);
        return b;
    }
};
} // namespace

TEST_F(ButtonFixture, ChoiceTogglesAndMomentaryButtonsFollowTheirEncoding)
{
    VkJuceButton choice("choice");
    choice.setChoice(3);
    for (float v : {0.0025f, 0.003f, 0.0034f, 0.0024f, 0.0035f, 0.0f})
    {
        choice.setValue(v, false);
        EXPECT_EQ(choice.isOn(), v >= 0.0025f && v < 0.0035f) << v;
    }
    pressAndRelease(choice);
    EXPECT_FLOAT_EQ(choice.getValue(), 0.003f);
    pressAndRelease(choice); // not deselectable: stays selected
    EXPECT_FLOAT_EQ(choice.getValue(), 0.003f);
    choice.setDeselectable(true);
    pressAndRelease(choice);
    EXPECT_FLOAT_EQ(choice.getValue(), 0.0f);

    VkJuceButton toggle("toggle");
    toggle.setValue(0.5f, false);
    EXPECT_TRUE(toggle.isOn());
    pressAndRelease(toggle);
    EXPECT_FLOAT_EQ(toggle.getValue(), 0.0f);

    VkJuceButton push("push");
    push.setMomentary(true);
    push.mouseDown(mouseAt(push, {2, 2}));
    EXPECT_FLOAT_EQ(push.getValue(), 1.0f);
    push.mouseUp(mouseAt(push, {2, 2}, withButton(0), {2, 2}));
    EXPECT_FLOAT_EQ(push.getValue(), 0.0f);
}

TEST_F(ButtonFixture, RectangleAndImageModesDrawTheStateOfTheValueUnlessAWriterHoldsTheLock)
{
    VkJuceButton b("rect");
    add(b, {10, 10, 30, 20});
    b.setFillColour(juce::Colours::red, 0);
    b.setFillColour(juce::Colour((uint8_t)0, (uint8_t)255, (uint8_t)0, (uint8_t)128), 1);
    frame();
    auto rects = drawnRects(gl);
    ASSERT_FALSE(rects.empty());
    const auto& r = rects.back();
    EXPECT_EQ((std::vector<float>{(float)r.x1, (float)r.y1, (float)r.x2, (float)r.y2, r.r, r.g, r.b, r.a}),
              (std::vector<float>{0, 0, 30, 20, 1, 0, 0, 1}));

    b.setValue(1.0f, false);
    b.setGreyedOut(true); // dim alpha 0.5 on top of the fill's own alpha
    frame();
    rects = drawnRects(gl);
    ASSERT_FALSE(rects.empty());
    EXPECT_NEAR(rects.back().g, 1.0, 1e-6);
    EXPECT_NEAR(rects.back().a, 128.0 / 255.0 * 0.5, 1e-2);

    gl.clearCalls();
    {
        ScopedReadWriteGuard writer(editor->getOglComponent().getLock(), ScopedReadWriteGuard::exclusive,
                                    ScopedReadWriteGuard::oneAttempt, "test");
        b.render(0);
    }
    EXPECT_EQ(gl.count("recti"), 0);
    b.render(0);
    EXPECT_EQ(gl.count("recti"), 1);

    // Text alone makes a rectangle; an off image makes an image button.
    VkJuceButton label("label"), pictured("pictured");
    label.setText("Mid", VkJuceButton::allStates);
    EXPECT_TRUE(label.isRectangleMode());
    pictured.setStateImage(juce::Image(juce::Image::ARGB, 4, 4, true), 0);
    pictured.setText("Mid", VkJuceButton::allStates);
    EXPECT_FALSE(pictured.isRectangleMode());
    EXPECT_EQ(pictured.getImageBounds(), juce::Rectangle<int>(0, 0, 4, 4));
}

TEST(ColourGradient, StopsAreSortedAndInterpolatedByDistance)
{
    VkJuceColourGradient g;
    EXPECT_EQ(g.getColourAt(0.3f), juce::Colours::white);
    g.addStop(1.0f, juce::Colour(200, 0, 0));
    g.addStop(0.0f, juce::Colour(0, 0, 100));
    EXPECT_EQ(g.getStop(0).position, 0.0f);
    EXPECT_EQ(g.getColourAt(-1.0f), juce::Colour(0, 0, 100));
    EXPECT_EQ(g.getColourAt(2.0f), juce::Colour(200, 0, 0));
    const auto quarter = g.getColourAt(0.25f); // 3/4 of the lower colour
    EXPECT_NEAR(quarter.getRed(), 50, 1);
    EXPECT_NEAR(quarter.getBlue(), 75, 1);
    g.setStopPosition(0.5f, 7); // ignored
    g.setStopPosition(2.0f, 0); // moves past the other stop and is sorted behind it
    EXPECT_EQ(g.getStop(1).colour, juce::Colour(0, 0, 100));
    EXPECT_EQ(g.getColourAt(0.5f, 0.0f), g.getColourAt(0.5f));
}

TEST_F(ButtonFixture, ScalableButtonsDrawNinePatchesOnlyWhenTheBordersFit)
{
    VkJuceScalableButton b("scalable");
    b.setStateImage(juce::Image(juce::Image::ARGB, 16, 16, true), 0);
    add(b, {0, 0, 7, 40}); // narrower than twice the 4-pixel border
    frame();
    EXPECT_EQ(gl.count("vertex2f"), 0);
    b.setBounds(0, 0, 60, 40);
    frame();
    EXPECT_EQ(gl.count("vertex2f"), 36);
    EXPECT_EQ(b.getTypeName(), "ResizableButton");

    VkJuceColourGradient g(true);
    for (auto [position, colour] : {std::pair{0.0f, juce::Colours::black},
                                    {0.1f, juce::Colours::red},
                                    {0.9f, juce::Colours::red},
                                    {1.0f, juce::Colours::white}})
        g.addStop(position, colour);
    b.setGradient(g, 0);
    // Stops moved to 0, 4/60, 56/60 and 1: the left corner patch runs from black to red.
    EXPECT_EQ(b.getCornerColour(0, 0), juce::Colours::black);
    EXPECT_EQ(b.getCornerColour(0, 1), juce::Colours::red);
    EXPECT_EQ(b.getCornerColour(0, 5), juce::Colours::white);
    frame();
    EXPECT_EQ(coloursInsidePrimitives(), 36); // one per vertex
}

TEST_F(ButtonFixture, APopUpOpensOverTheEditorAndClosesByItsButtonsAsConfigured)
{
    editor->setSize(400, 300);
    VkJucePopUpTriggerButton trigger("m_btnPresets");
    add(trigger, {10, 250, 80, 30});
    struct Counter : VkJuceControl::Listener
    {
        int starts = 0, ends = 0;
        void controlDragStarted(VkJuceControl*) override { ++starts; }
        void controlDragEnded(VkJuceControl*) override { ++ends; }
    } counter;
    trigger.addListener(&counter);

    pressAndRelease(trigger);
    ASSERT_TRUE(trigger.isPopUpOpen());
    EXPECT_EQ(trigger.getValue(), 0.0f); // no value toggling
    EXPECT_EQ(trigger.getBackgroundButton().getBounds(), editor->getLocalBounds());
    EXPECT_EQ(trigger.getPopUpButton().getBounds(), editor->getLocalBounds().reduced(30));
    EXPECT_EQ(trigger.getCloseButton().getBounds(), juce::Rectangle<int>(370 - 74, 280 - 28, 52, 16));
    EXPECT_EQ(trigger.getCloseButton().getText(0), "Close");
    EXPECT_EQ(trigger.getBackgroundButton().getName(), "m_btnPresets.m_btnPopUpBackground");
    EXPECT_EQ(counter.ends, 0);

    pressAndRelease(trigger.getPopUpButton()); // inside the pop-up: stays open
    EXPECT_TRUE(trigger.isPopUpOpen());
    pressAndRelease(trigger.getBackgroundButton());
    EXPECT_FALSE(trigger.isPopUpOpen());
    EXPECT_FALSE(trigger.getBackgroundButton().isVisible());
    EXPECT_EQ(counter.starts, 1);
    EXPECT_EQ(counter.ends, 1);

    trigger.setCloseOnBackgroundClick(false);
    pressAndRelease(trigger);
    pressAndRelease(trigger.getBackgroundButton());
    EXPECT_TRUE(trigger.isPopUpOpen());
    pressAndRelease(trigger.getCloseButton());
    EXPECT_FALSE(trigger.isPopUpOpen());
    EXPECT_EQ(counter.starts, counter.ends);
}

TEST_F(ButtonFixture, BlinkingSwapsTheImagesEveryIntervalAndRestoresThemWhenStopped)
{
    VkJuceButton b("blink");
    const juce::Image off(juce::Image::ARGB, 10, 10, true), on(juce::Image::ARGB, 10, 10, true);
    b.setStateImage(off, 0);
    b.setStateImage(on, 1);
    add(b);
    b.setBlinking(true, 0); // every frame that comes at least a millisecond later
    for (int i = 0; i < 5; ++i)
    {
        if (i == 3)
            b.setBlinking(false, 0);
        juce::Thread::sleep(2);
        frame();
        EXPECT_EQ(b.getStateImage(0), i == 0 || i == 2 ? on : off) << i;
    }
}

TEST_F(ButtonFixture, TheHoverOverlayFadesInAndOutByItsStepsPerFrame)
{
    VkJuceButton b("hover");
    b.setStateImage(juce::Image(juce::Image::ARGB, 10, 10, true), 0);
    b.setStateImage(juce::Image(juce::Image::ARGB, 10, 10, true), 2);
    add(b);
    b.mouseEnter(mouseAt(b, {1, 1}));
    frame(3);
    EXPECT_NEAR(b.getFadeLevel(), 0.3f, 1e-5f);
    frame(20);
    EXPECT_FLOAT_EQ(b.getFadeLevel(), 1.0f);
    b.mouseExit(mouseAt(b, {20, 20}));
    frame();
    EXPECT_NEAR(b.getFadeLevel(), 0.9f, 1e-5f);

    // A one-shot fade goes up to full once and back down without the mouse.
    frame(20);
    b.startOneShotFade(0.5f, 0.25f);
    frame(2);
    EXPECT_FLOAT_EQ(b.getFadeLevel(), 1.0f);
    EXPECT_FALSE(b.isHovering());
    frame(4);
    EXPECT_FLOAT_EQ(b.getFadeLevel(), 0.0f);

    b.setGreyedOut(true); // greyed out: entering does not light it
    b.mouseEnter(mouseAt(b, {1, 1}));
    EXPECT_FALSE(b.isHovering());
}

TEST_F(ButtonFixture, ALinkGoesToTheDesktopOpenerAsOneArgumentOnAClickOnly)
{
    std::vector<std::vector<std::string>> launched;
    platform::setLauncherOverride(
        [&](const std::vector<std::string>& arguments)
        {
            launched.push_back(arguments);
            return true;
        });
    // A shell would run what "$(...)" holds; the opener must see it as characters of the address.
    const std::string link = "https://example.invalid/a b?q=$(true)";
    VkJuceButton b("link");
    add(b, {0, 0, 40, 20});
    b.setLink(link);
    pressAndRelease(b);
    b.setGreyedOut(true);
    pressAndRelease(b);
    b.setGreyedOut(false);
    b.mouseDown(mouseAt(b, {5, 5}));
    b.mouseUp(mouseAt(b, {30, 5}, withButton(0), {5, 5}, true)); // a drag opens nothing
    platform::setLauncherOverride({});

    const std::vector<std::string> expected{"xdg-open", link};
    EXPECT_EQ(launched, (std::vector<std::vector<std::string>>{expected, expected}));
}
