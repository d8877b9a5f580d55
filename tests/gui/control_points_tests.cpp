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

struct ControllerFixture : ::testing::Test
{
    ScopedDataFolders folders;
    TestProcessor processor;
    RecordingGlApi gl;
    std::unique_ptr<TestEditorBase> editor = std::make_unique<TestEditorBase>(processor, &gl, 300, 200);
    ManualDisplayClock clock;
    TestController controller{clock};

    void SetUp() override
    {
        controller.setBounds(0, 0, 300, 200);
        editor->addControl(&controller, -1);
        juce::Image handle(juce::Image::ARGB, 8, 8, true);
        controller.getTexture(0).setImage(handle);
        controller.setPoint(0, point(100, 100, 3));
        controller.setPoint(1, point(200, 100, 4));
        controller.setPointCount(2);
    }
    void TearDown() override { editor->forgetControl(&controller); }

    VkControlPoint point(float x, float y, int parameter)
    {
        VkControlPoint p;
        p.x = x;
        p.y = y;
        p.size = 8.0f;
        p.parameterIndex = parameter;
        p.texture = &controller.getTexture(0);
        p.colourHighlighted = juce::Colours::red;
        return p;
    }
    std::vector<DrawnQuad> frame()
    {
        gl.clearCalls();
        editor->getOglComponent().getStateCache().resetAll(); // as every frame starts
        controller.render(15);
        return drawnQuads(gl);
    }
    void press(float x, float y, juce::ModifierKeys mods = withButton(0))
    {
        controller.pickPoint(x, y);
        controller.mouseDown(mouseAt(controller, {x, y}, mods));
        controller.mouseUp(mouseAt(controller, {x, y}, mods, {x, y}));
    }
};
} // namespace

TEST_F(ControllerFixture, HandlesArePickedWithinFourteenPixels)
{
    controller.pickPoint(114, 100);
    EXPECT_EQ(controller.getSelectedPoint(), 0);
    controller.pickPoint(115, 100);
    EXPECT_EQ(controller.getSelectedPoint(), -1);
    controller.pickPoint(100, 86);
    EXPECT_EQ(controller.getSelectedPoint(), 0);
    controller.pickPoint(110, 110); // 200 squared pixels exactly: not below the limit
    EXPECT_EQ(controller.getSelectedPoint(), -1);

    // Offsets move the centre; invisible and zero-size handles cannot be picked; a tie goes to the first.
    auto p = controller.getPoint(1);
    p.xOffset = -90.0f;
    controller.setPoint(1, p);
    controller.pickPoint(105, 100);
    EXPECT_EQ(controller.getSelectedPoint(), 0);
    p.visible = false;
    controller.setPoint(1, p);
    controller.pickPoint(111, 100);
    EXPECT_EQ(controller.getSelectedPoint(), 0);
    auto q = controller.getPoint(0);
    q.size = 0.0f;
    controller.setPoint(0, q);
    controller.pickPoint(100, 100);
    EXPECT_EQ(controller.getSelectedPoint(), -1);

    // Handles past the count do not exist.
    controller.setPointCount(99);
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
    processor.log().clear();

    // A release away from any handle after no press ends nothing.
    controller.pickPoint(10, 10);
    controller.mouseDown(mouseAt(controller, {10, 10}));
    controller.mouseUp(mouseAt(controller, {10, 10}));
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

    // Without the modifier the value stays.
    processor.setParameterInternal(4, 0.9f, true, false, false);
    press(200, 100);
    EXPECT_EQ(processor.getParameterRecord(4).getValue(), 0.9f);
}

TEST_F(ControllerFixture, SetPointParameterClampsSkipsUnboundAndUnchanged)
{
    processor.log().clear();
    controller.setPointParameter(VkJuceControl::noParameter, 0.3f);
    controller.setPointParameter(3, TestProcessor::kMainDefaults[3]); // unchanged
    EXPECT_TRUE(hostEvents(processor, 3).empty());
    controller.setPointParameter(3, 7.0f);
    EXPECT_EQ(processor.getParameterRecord(3).getValue(), 1.0f);
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
    EXPECT_EQ(quads[1].r, 1.0f);
    EXPECT_EQ(quads[1].g, 0.0f);
    EXPECT_EQ(quads[1].a, 1.0f);
    EXPECT_EQ(quads[0].g, 1.0f);
    EXPECT_NEAR(quads[0].a, 0.5f, 0.01f);
    // Angle 0: an axis-aligned square of side 2 x size; texture corners (0,0) (0,t) (u,t) (u,0).
    const std::vector<float> corners{92, 92, 92, 108, 108, 108, 108, 92};
    for (size_t i = 0; i < 8; ++i)
        EXPECT_NEAR(quads[0].vertices[i], corners[i], 0.01f) << i;
    EXPECT_EQ(quads[0].texCoords, (std::vector<float>{0, 0, 0, 1, 1, 1, 1, 0}));

    // A quarter turn swaps the corners round.
    auto p = controller.getPoint(0);
    p.angle = juce::MathConstants<float>::halfPi;
    controller.setPoint(0, p);
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
    auto alphaAt = [&](int64_t ms)
    {
        clock.set(1000000 + ms);
        return frame()[0];
    };
    EXPECT_EQ(alphaAt(0).a, 1.0f);
    EXPECT_EQ(alphaAt(50).a, 1.0f);
    const auto half = alphaAt(150);
    EXPECT_NEAR(half.a, 0.75f, 0.01f);
    EXPECT_NEAR(half.g, 0.5f, 0.01f);
    const auto rest = alphaAt(250);
    EXPECT_NEAR(rest.a, 0.5f, 0.01f);
    EXPECT_EQ(rest.g, 1.0f);
    EXPECT_NEAR(alphaAt(5000).a, 0.5f, 0.01f);
}

TEST_F(ControllerFixture, KeepInsideSkipsHandlesThatWouldLeaveTheBounds)
{
    controller.setPointCount(1);
    auto p = controller.getPoint(0);
    p.x = 5.0f;
    controller.setPoint(0, p);
    EXPECT_EQ(frame().size(), 1u);
    p.keepInside = true;
    controller.setPoint(0, p);
    EXPECT_TRUE(frame().empty());
    p.x = 8.0f; // touches the edge: still inside
    controller.setPoint(0, p);
    EXPECT_EQ(frame().size(), 1u);
    p.texture = nullptr; // no image: nothing to draw
    controller.setPoint(0, p);
    EXPECT_TRUE(frame().empty());
}
