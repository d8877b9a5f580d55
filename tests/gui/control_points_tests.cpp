// The control-points controller over the editor base and the test processor: picking distance, clicks
// passing through, binding to the handle under the pointer before the host sees the press, the reset
// modifier, and the handles drawn on the recording GL table (order, fade, keep-inside, corners).
#include "editor_test_support.h"
#include "recorded_frame_test_support.h"

#include "vk_juce_control_points_controller.h"

#include <gtest/gtest.h>

using namespace vk;
using namespace vk::test;

namespace
{
using Events = std::vector<std::string>;

class TestController : public VkJuceControlPointsController
{
public:
    using VkJuceControlPointsController::VkJuceControlPointsController;
    ~TestController() override { leaveRenderWalk(); }
    void updatePoints() override { ++updates; }
    int updates = 0;
};

struct ControllerFixture : ::testing::Test, EditorHarness
{
    ManualDisplayClock clock;
    TestController controller{clock};

    void SetUp() override
    {
        controller.setBounds(0, 0, 300, 200);
        editor->addControl(&controller, -1);
        controller.getTexture(0).setImage(juce::Image(juce::Image::ARGB, 8, 8, true));
        for (int i = 0; i < 2; ++i)
        {
            VkControlPoint p;
            p.x = 100.0f + 100.0f * (float)i;
            p.y = 100.0f;
            p.size = 8.0f;
            p.parameterIndex = 3 + i;
            p.texture = &controller.getTexture(0);
            p.colourHighlighted = juce::Colours::red;
            controller.setPoint(i, p);
        }
        controller.setPointCount(2);
    }
    void TearDown() override { editor->forgetControl(&controller); }

    std::vector<DrawnQuad> frame()
    {
        gl.clearCalls();
        editor->getOglComponent().getStateCache().resetAll(); // as every frame starts
        controller.render(15);
        return drawnQuads(gl);
    }
    int pick(float x, float y)
    {
        controller.pickPoint(x, y);
        return controller.getSelectedPoint();
    }
    void press(float x, float y, juce::ModifierKeys mods = withButton(0))
    {
        controller.pickPoint(x, y);
        pressAndRelease(controller, mods, {x, y});
    }
    template <typename Change>
    void changePoint(int i, Change change)
    {
        auto p = controller.getPoint(i);
        change(p);
        controller.setPoint(i, p);
    }
};
} // namespace

TEST_F(ControllerFixture, HandlesArePickedWithinFourteenPixels)
{
    // 200 squared pixels exactly at (110, 110): not below the limit.
    const std::tuple<float, float, int> picks[] = {
        {114, 100, 0}, {115, 100, -1}, {100, 86, 0}, {110, 110, -1}};
    for (auto [x, y, picked] : picks)
        EXPECT_EQ(pick(x, y), picked) << x << " " << y;

    // Offsets move the centre; invisible and zero-size handles cannot be picked; a tie goes to the first.
    changePoint(1, [](VkControlPoint& p) { p.xOffset = -90.0f; });
    EXPECT_EQ(pick(105, 100), 0);
    changePoint(1, [](VkControlPoint& p) { p.visible = false; });
    EXPECT_EQ(pick(111, 100), 0);
    changePoint(0, [](VkControlPoint& p) { p.size = 0.0f; });
    EXPECT_EQ(pick(100, 100), -1);
    controller.setPointCount(99); // handles past the count do not exist
    EXPECT_EQ(controller.getPointCount(), VkJuceControlPointsController::maxPoints);
}

TEST_F(ControllerFixture, ClicksBetweenHandlesPassThroughUnlessCaught)
{
    EXPECT_FALSE(controller.hitTest(150, 150));
    editor->shownIndexes.clear();
    EXPECT_TRUE(controller.hitTest(205, 100));
    EXPECT_EQ(editor->shownIndexes, (std::vector<int>{4})) << "the hovered handle's parameter is shown";
    controller.setShowValueOnHover(false);
    EXPECT_TRUE(controller.hitTest(95, 100));
    EXPECT_EQ(editor->shownIndexes.size(), 1u);
    controller.setCatchAllClicks(true);
    EXPECT_TRUE(controller.hitTest(150, 150));
    EXPECT_EQ(controller.getSelectedPoint(), -1);
}

TEST_F(ControllerFixture, APressBindsToTheHandleBeforeTheHostSeesIt)
{
    processor.log().clear();
    press(100, 100);
    EXPECT_EQ(controller.getParameterIndex(), 3);
    EXPECT_EQ(hostEvents(processor, 3), (Events{"begin 3", "end 3"}));

    // A release away from any handle after no press ends nothing.
    processor.log().clear();
    press(10, 10);
    EXPECT_TRUE(hostEvents(processor, 3).empty());
    EXPECT_EQ(controller.getParameterIndex(), 3);

    // A host that takes the press is asked about the handle under the pointer, not the previous one.
    Events log;
    RecordingHostListener taker(log, "host", true);
    editor->addListener(&taker);
    processor.log().clear();
    press(200, 100);
    EXPECT_EQ(log, (Events{"host down 4", "host up 4"}));
    EXPECT_EQ(controller.getParameterIndex(), 4);
    EXPECT_TRUE(hostEvents(processor, 4).empty());
    EXPECT_FALSE(controller.isInGesture());
}

TEST_F(ControllerFixture, TheResetModifierSetsTheDefaultAndStillOpensAGesture)
{
    processor.setParameterInternal(4, 0.9f, true, false, false);
    processor.log().clear();
    controller.pickPoint(200, 100);
    controller.mouseDown(mouseAt(controller, {200, 100}, withButton(juce::ModifierKeys::ctrlModifier)));
    EXPECT_EQ(processor.getParameterRecord(4).getValue(), TestProcessor::kMainDefaults[4]);
    EXPECT_TRUE(controller.isInGesture());
    controller.mouseUp(mouseAt(controller, {200, 100}));
    EXPECT_EQ(hostEvents(processor, 4), (Events{"begin 4", "change 4", "end 4"}));
    processor.setParameterInternal(4, 0.9f, true, false, false);
    press(200, 100); // without the modifier the value stays
    EXPECT_EQ(processor.getParameterRecord(4).getValue(), 0.9f);

    // Setting a handle's parameter clamps, and skips unbound and unchanged values.
    processor.log().clear();
    controller.setPointParameter(VkJuceControl::noParameter, 0.3f);
    controller.setPointParameter(3, TestProcessor::kMainDefaults[3]);
    EXPECT_TRUE(hostEvents(processor, 3).empty());
    controller.setPointParameter(3, 7.0f);
    controller.setPointParameter(3, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(processor.getParameterRecord(3).getValue(), 1.0f);
}

TEST_F(ControllerFixture, TheSelectedHandleIsDrawnLastAsARotatedTexturedQuad)
{
    controller.pickPoint(200, 100);
    auto quads = frame();
    EXPECT_EQ(controller.updates, 1);
    ASSERT_EQ(quads.size(), 2u);
    // Handle 1 last, highlighted (red, alpha 1); handle 0 at rest (white, alpha 0.5).
    EXPECT_NEAR(quads[1].vertices[0], 200.0f - 8.0f, 0.01f);
    EXPECT_EQ(std::make_tuple(quads[1].r, quads[1].g, quads[1].a), std::make_tuple(1.0f, 0.0f, 1.0f));
    EXPECT_EQ(quads[0].g, 1.0f);
    EXPECT_NEAR(quads[0].a, 0.5f, 0.01f);
    // Angle 0: an axis-aligned square of side 2 x size; texture corners (0,0) (0,t) (u,t) (u,0).
    const std::vector<float> corners{92, 92, 92, 108, 108, 108, 108, 92};
    for (size_t i = 0; i < 8; ++i)
        EXPECT_NEAR(quads[0].vertices[i], corners[i], 0.01f) << i;
    EXPECT_EQ(quads[0].texCoords, (std::vector<float>{0, 0, 0, 1, 1, 1, 1, 0}));
    // A quarter turn swaps the corners round.
    changePoint(0, [](VkControlPoint& p) { p.angle = juce::MathConstants<float>::halfPi; });
    quads = frame();
    EXPECT_NEAR(quads[0].vertices[0], 108.0f, 0.01f);
    EXPECT_NEAR(quads[0].vertices[1], 92.0f, 0.01f);
}

TEST_F(ControllerFixture, AHandleFadesBackToRestFrom50To250MillisecondsAfterLosingTheHighlight)
{
    controller.setPointCount(1);
    controller.pickPoint(100, 100);
    frame();
    controller.pickPoint(10, 10);
    // {ms after, alpha, green}; full values are exact.
    const std::tuple<int, float, float> fades[] = {
        {0, 1, 0}, {50, 1, 0}, {150, 0.75f, 0.5f}, {250, 0.5f, 1}, {5000, 0.5f, 1}};
    for (auto [ms, a, g] : fades)
    {
        clock.set(1000000 + ms);
        const auto q = frame().at(0);
        EXPECT_NEAR(q.a, a, a == 1.0f ? 0.0f : 0.01f) << ms;
        EXPECT_NEAR(q.g, g, g == 1.0f ? 0.0f : 0.01f) << ms;
    }
}

TEST_F(ControllerFixture, KeepInsideSkipsHandlesThatWouldLeaveTheBounds)
{
    controller.setPointCount(1);
    changePoint(0, [](VkControlPoint& p) { p.x = 5.0f; });
    EXPECT_EQ(frame().size(), 1u);
    changePoint(0, [](VkControlPoint& p) { p.keepInside = true; });
    EXPECT_TRUE(frame().empty());
    changePoint(0, [](VkControlPoint& p) { p.x = 8.0f; }); // touches the edge: still inside
    EXPECT_EQ(frame().size(), 1u);
    changePoint(0, [](VkControlPoint& p) { p.texture = nullptr; }); // no image: nothing to draw
    EXPECT_TRUE(frame().empty());
}
