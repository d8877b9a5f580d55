// The OpenGL component's frame: enabling, the writer lock, the child walk, the projection, the profiler item.
#include "recording_gl_api.h"
#include "test_editor_fixture.h"
#include "vk_ogl_child_component.h"

#include <gtest/gtest.h>

#include <thread>

using namespace vk;
using vk::test::RecordingGlApi;
using vk::test::TestEditor;

namespace
{
struct CountingChild : VkOglChildComponent
{
    explicit CountingChild(const juce::String& n) : VkOglChildComponent(n) {}
    ~CountingChild() override { leaveRenderWalk(); }
    void render(int elapsedMs) override
    {
        ++renders;
        lastElapsed = elapsedMs;
        sawRenderingNow = isRenderingNow();
    }
    int renders = 0;
    int lastElapsed = -1;
    bool sawRenderingNow = false;
};

struct ComponentFixture : ::testing::Test
{
    RecordingGlApi gl;
    TestEditor editor{&gl, 300, 200};
    VkOglComponent& ogl = editor.ogl;
};
} // namespace

TEST_F(ComponentFixture, NothingIsDrawnBeforeRenderingIsEnabledAndTheFirstFrameStartsTheTimer)
{
    ogl.renderOpenGL();
    EXPECT_EQ(gl.names(), (std::vector<std::string>{"clearColor", "clear"}));
    EXPECT_FALSE(editor.timerStarted);
    EXPECT_EQ(ogl.getFrameCount(), 0);

    ogl.setRenderingEnabled(true);
    ogl.renderOpenGL();
    ogl.renderOpenGL();
    EXPECT_EQ(editor.timerStarts, 1);
    EXPECT_EQ(editor.overlayCalls, 2);
    EXPECT_EQ(ogl.getFrameCount(), 2);
}

TEST_F(ComponentFixture, AFrameThatMeetsAWriterDrawsNothingAndItsTimeCountsIntoTheNextFrame)
{
    CountingChild child("m_child");
    child.setOglOwner(&editor);
    ogl.addAndMakeVisible(child);
    ogl.setRenderingEnabled(true);
    ogl.renderOpenGL();
    {
        ScopedReadWriteGuard writer(ogl.getLock(), ScopedReadWriteGuard::exclusive,
                                    ScopedReadWriteGuard::oneAttempt, "test");
        ogl.renderOpenGL();
        EXPECT_EQ(child.renders, 1);
        EXPECT_EQ(ogl.getFrameCount(), 1);
        juce::Thread::sleep(40);
    }
    ogl.renderOpenGL();
    EXPECT_EQ(child.renders, 2);
    EXPECT_GE(child.lastElapsed, 40);
    EXPECT_TRUE(child.sawRenderingNow);
    EXPECT_FALSE(child.isRenderingNow());
    ogl.removeChildComponent(&child);
}

TEST_F(ComponentFixture, ChildrenAreWalkedInOrderInsideTheirOwnMatrixAndHiddenOnesAreSkipped)
{
    ogl.setRenderingEnabled(true);
    ogl.renderOpenGL(); // settles the projection of the editor's first size
    CountingChild a("a"), b("b"), nested("nested");
    for (auto* c : {&a, &b, &nested})
        c->setOglOwner(&editor);
    ogl.addAndMakeVisible(a);
    ogl.addChildComponent(b); // invisible
    b.addAndMakeVisible(nested);
    a.setBounds(5, 7, 10, 10);
    b.setBounds(20, 30, 10, 10);
    gl.clearCalls();
    ogl.renderOpenGL();
    EXPECT_EQ((std::vector<int>{a.renders, b.renders, nested.renders}), (std::vector<int>{1, 0, 0}))
        << "the invisible child is not descended into";
    EXPECT_EQ(std::make_pair(gl.count("pushMatrix"), gl.count("popMatrix")), std::make_pair(2, 2));
    const auto t = gl.only("translatef");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].args, (std::vector<double>{5, 7, 0}));
    EXPECT_EQ(t[1].args, (std::vector<double>{20, 30, 0}));

    b.setVisible(true);
    ogl.renderOpenGL();
    EXPECT_EQ(nested.renders, 1);
    b.removeChildComponent(&nested);
    ogl.removeAllChildren();
}

TEST_F(ComponentFixture, ProjectionMapsPixelsWithYDownAndResizingReRunsContextSetUp)
{
    gl.clearCalls();
    ogl.setOrthoProjection();
    const auto m = gl.only("loadMatrixf").at(0).args;
    EXPECT_FLOAT_EQ((float)m[0], 2.0f / 300);
    EXPECT_FLOAT_EQ((float)m[5], -2.0f / 200);
    EXPECT_EQ(std::make_pair(m[12], m[13]), std::make_pair(-1.0, 1.0));
    EXPECT_EQ(gl.only("viewport").at(0).args, (std::vector<double>{0, 0, 300, 200}));

    VkOglComponent empty(&gl);
    gl.clearCalls();
    empty.setOrthoProjection();
    EXPECT_EQ(std::make_pair(gl.count("viewport"), gl.count("loadMatrixf")), std::make_pair(1, 0));

    ogl.setRenderingEnabled(true);
    ogl.renderOpenGL();
    editor.setSize(320, 240);
    EXPECT_TRUE(ogl.isProjectionDirty());
    gl.clearCalls();
    ogl.renderOpenGL();
    EXPECT_FALSE(ogl.isProjectionDirty());
    EXPECT_EQ(gl.count("texEnvf"), 1);
    EXPECT_FLOAT_EQ((float)gl.only("loadMatrixf").at(0).args[0], 2.0f / 320);
}

TEST_F(ComponentFixture, DrawnFramesAreTimedByTheRenderProfilerItemOnlyWhileProfiling)
{
    VkJuceProfilerItem item("Editor_render", true);
    editor.profilerItem = &item;
    ogl.setRenderingEnabled(true);

    ogl.renderOpenGL();
    EXPECT_EQ(item.getAverageInterval(), 0.0) << "a disabled item keeps its values";

    item.setEnabled(true);
    for (int i = 0; i < 3; ++i)
    {
        ogl.renderOpenGL();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Every frame started and stopped a measurement: the intervals between starts have been averaged.
    EXPECT_GT(item.getAverageInterval(), 0.0);
    EXPECT_TRUE(item.getReportLine().startsWith("Editor_render "));

    // A frame skipped because a writer holds the lock is not a drawn frame and is not timed.
    const double intervalBefore = item.getAverageInterval();
    {
        ScopedReadWriteGuard writer(ogl.getLock(), ScopedReadWriteGuard::exclusive,
                                    ScopedReadWriteGuard::spinUntilAcquired, "test");
        ogl.renderOpenGL();
    }
    EXPECT_EQ(item.getAverageInterval(), intervalBefore);
}

TEST_F(ComponentFixture, AnOpaqueBackgroundIsDrawnWithoutBlendingAndATranslucentOneWithIt)
{
    ogl.setRenderingEnabled(true);
    // Whether blending is on when the background's quad begins.
    auto blendingAtQuad = [&]
    {
        bool blending = false;
        for (const auto& c : gl.calls)
        {
            if ((c.name == "enable" || c.name == "disable") && c.args[0] == GlEnum::blend)
                blending = c.name == "enable";
            else if (c.name == "begin")
                return blending;
        }
        ADD_FAILURE() << "no quad drawn";
        return false;
    };
    juce::Image image(juce::Image::ARGB, 300, 200, false);
    image.clear(image.getBounds(), juce::Colours::darkgrey);
    ogl.getBackground().setImage(image);
    ogl.renderOpenGL();
    EXPECT_TRUE(ogl.getBackground().isOpaque());
    EXPECT_FALSE(blendingAtQuad());

    // One translucent pixel and the background mixes with what lies beneath again.
    image = image.createCopy();
    image.setPixelAt(7, 5, juce::Colours::darkgrey.withAlpha(0.5f));
    ogl.getBackground().setImage(image);
    gl.clearCalls();
    ogl.renderOpenGL();
    EXPECT_FALSE(ogl.getBackground().isOpaque());
    EXPECT_TRUE(blendingAtQuad());
}
