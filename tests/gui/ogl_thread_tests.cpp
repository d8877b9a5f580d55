// Hand-overs between the message thread and the render thread (and the frame pacer's thread): children that
// come and go while frames walk the tree, the texture registry, the per-component render-tree lock and the
// pacer's frame requests. Frames run headless on a thread of the test's own.
#include "frame_pacer.h"
#include "message_pump.h"
#include "ogl_draw_helpers.h"
#include "recording_gl_api.h"
#include "test_editor_fixture.h"
#include "vk_ogl_child_component.h"
#include "vk_ogl_component_texture.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>

using namespace vk;
using namespace vk::test;

namespace
{
/** Holds one frame inside a child's render() until released, or until a bounded wait runs out. */
struct Parking
{
    std::atomic<bool> armed{false}, released{false};
    juce::WaitableEvent entered, release;
    int boundMs = 10000;

    void parkIfArmed()
    {
        if (!armed.exchange(false))
            return;
        entered.signal();
        released.store(release.wait(boundMs));
    }
};

/** Signals when it is destroyed; declared before the members it watches, so it goes right after them. */
struct Sentinel
{
    juce::WaitableEvent* gone = nullptr;
    ~Sentinel()
    {
        if (gone != nullptr)
            gone->signal();
    }
};

/** A control as later ones are written: members of its own that render() reads, and the one call first in
    its destructor. */
struct MemberChild : VkOglChildComponent
{
    explicit MemberChild(Parking* p = nullptr) : VkOglChildComponent("m_memberChild"), parking(p) {}
    ~MemberChild() override { leaveRenderWalk(); }
    void render(int) override
    {
        if (parking != nullptr)
            parking->parkIfArmed();
        sum.fetch_add(std::accumulate(values.begin(), values.end(), 0));
        renders.fetch_add(1);
    }
    Parking* parking;
    Sentinel sentinel;
    std::vector<int> values = std::vector<int>(64, 1);
    std::atomic<int64_t> sum{0};
    std::atomic<int> renders{0};
};

/** A menu screen: OpenGL children owned as members. */
struct Screen : VkOglChildComponent
{
    explicit Screen(Parking* p = nullptr) : VkOglChildComponent("m_screen"), inner(p)
    {
        addAndMakeVisible(inner);
        addAndMakeVisible(second);
    }
    ~Screen() override { leaveRenderWalk(); }
    void render(int) override { title.fetch_add((int)caption.length()); }
    std::string caption = "Screen with a caption long enough to live on the heap";
    std::atomic<int> title{0};
    MemberChild second;
    MemberChild inner; // goes first
};

void addTo(TestEditor& editor, VkOglChildComponent& child)
{
    child.setOglOwner(&editor);
    for (auto* c : child.getChildren())
        if (auto* ogl = dynamic_cast<VkOglChildComponent*>(c))
            ogl->setOglOwner(&editor);
    editor.ogl.addAndMakeVisible(child);
}

/** Draws frames on a thread of its own until destroyed; only that thread touches the recording GL table. */
class FrameThread
{
public:
    FrameThread(VkOglComponent& c, RecordingGlApi& g)
        : thread(
              [this, &c, &g]
              {
                  while (!stop.load())
                  {
                      g.clearCalls();
                      c.renderOpenGL();
                      frames.fetch_add(1);
                  }
              })
    {
    }
    ~FrameThread()
    {
        stop.store(true);
        thread.join();
    }
    bool drewSome()
    {
        return pumpUntil([this] { return frames.load() >= 10; });
    }

private:
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
    std::thread thread;
};

struct WalkFixture : ::testing::Test
{
    RecordingGlApi gl;
    TestEditor editor{&gl, 300, 200};

    void SetUp() override { editor.ogl.setRenderingEnabled(true); }
};
} // namespace

// The frame is held inside a child's render() while the message thread destroys the child (or the screen
// owning it as a member). The members may go only after that frame has left: the destruction waits, and
// the frame, released only by the members' destruction, runs into its bounded wait instead.
TEST_F(WalkFixture, AChildOrScreenBeingDestroyedLeavesTheWalkBeforeItsMembersGo)
{
    const auto destroyWhileAFrameDrawsIt = [this](auto victim, MemberChild& parked)
    {
        Parking parking;
        parking.boundMs = 500; // with the walk sound this always runs out: the members go after the frame
        parked.parking = &parking;
        parked.sentinel.gone = &parking.release;
        addTo(editor, *victim);
        parking.armed = true;
        std::thread frame([this] { editor.ogl.renderOpenGL(); });
        const bool entered = parking.entered.wait(10000);
        if (entered)
            victim.reset();
        frame.join();
        ASSERT_TRUE(entered);
        EXPECT_FALSE(parking.released.load()) << "render() ran on a child whose members were already gone";
        EXPECT_TRUE(editor.ogl.getRenderChildren().get().empty());
    };
    auto child = std::make_unique<MemberChild>();
    auto& parkedChild = *child;
    destroyWhileAFrameDrawsIt(std::move(child), parkedChild);
    EXPECT_EQ(editor.ogl.getFrameCount(), 1);
    auto screen = std::make_unique<Screen>();
    auto& parkedInner = screen->inner;
    destroyWhileAFrameDrawsIt(std::move(screen), parkedInner);
}

TEST_F(WalkFixture, ChildrenComingAndGoingOnTheMessageThreadDoNotDisturbFramesOnAnotherThread)
{
    std::vector<std::unique_ptr<MemberChild>> children;
    for (int i = 0; i < 8; ++i)
    {
        children.push_back(std::make_unique<MemberChild>());
        children.back()->setOglOwner(&editor);
    }
    {
        FrameThread frames(editor.ogl, gl);
        for (int round = 0; round < 300; ++round)
        {
            for (auto& c : children)
                editor.ogl.addAndMakeVisible(*c);
            children[(size_t)round % children.size()]->toBack();
            editor.ogl.removeAllChildren();
            // Children and whole screens that go away while frames run.
            auto temp = std::make_unique<MemberChild>();
            addTo(editor, *temp);
            auto screen = std::make_unique<Screen>();
            addTo(editor, *screen);
            if (round % 2 == 0)
                screen->removeChildComponent(&screen->second);
        }
        ASSERT_TRUE(frames.drewSome());
    }
    EXPECT_EQ(editor.ogl.getNumChildComponents(), 0);
    EXPECT_TRUE(editor.ogl.getRenderChildren().get().empty());
    for (auto& c : children)
        EXPECT_EQ(c->sum.load(), 64 * (int64_t)c->renders.load());
}

// Frames read copies of the children's bounds and visibility, which the message thread updates with every
// change; juce's own members change under the frame's feet.
TEST_F(WalkFixture, ChildrenMovedShownAndHiddenWhileFramesRunAreDrawnWhereTheMessageThreadPutThem)
{
    MemberChild moving, blinking;
    addTo(editor, moving);
    addTo(editor, blinking);
    {
        FrameThread frames(editor.ogl, gl);
        for (int i = 0; i < 2000; ++i)
        {
            moving.setBounds(i % 50, 2 * (i % 50), 10 + i % 7, 10);
            blinking.setVisible(i % 2 == 0);
        }
        ASSERT_TRUE(frames.drewSome());
    }
    EXPECT_EQ(moving.getRenderBounds(), juce::Rectangle<int>(49, 98, 10 + 1999 % 7, 10));
    EXPECT_EQ(getLocalBoundsOf(moving), juce::Rectangle<int>(0, 0, 10 + 1999 % 7, 10));
    EXPECT_FALSE(blinking.isRenderVisible());

    gl.clearCalls();
    const int blinkingRenders = blinking.renders.load();
    editor.ogl.renderOpenGL();
    ASSERT_GT(gl.count("translatef"), 0);
    EXPECT_EQ(gl.only("translatef").front().args, (std::vector<double>{49, 98, 0}));
    EXPECT_EQ(blinking.renders.load(), blinkingRenders);
    editor.ogl.removeAllChildren();
}

TEST_F(WalkFixture, AChildThatLeftTheWalkIsNotPutBackByItsParentsLaterChanges)
{
    MemberChild leaving, staying;
    addTo(editor, leaving);
    addTo(editor, staying);
    leaving.leaveRenderWalk();
    leaving.leaveRenderWalk(); // a derived class of a derived class calls it again
    staying.toBack();          // the parent's copy is rebuilt
    EXPECT_EQ(editor.ogl.getRenderChildren().get(), (std::vector<VkOglChildComponent*>{&staying}));
    editor.ogl.renderOpenGL();
    EXPECT_EQ(leaving.renders.load(), 0);
    EXPECT_EQ(staying.renders.load(), 1);
    editor.ogl.removeAllChildren();
}

// A frame of one editor is held inside its walk; another editor's frame must still draw at once.
TEST(RenderTreeLock, EachOpenGLComponentWalksItsTreeUnderItsOwnLock)
{
    RecordingGlApi glA, glB;
    TestEditor a{&glA}, b{&glB};
    Parking parking;
    MemberChild held(&parking), unheld;
    addTo(a, held);
    addTo(b, unheld);
    a.ogl.setRenderingEnabled(true);
    b.ogl.setRenderingEnabled(true);

    parking.armed = true;
    std::thread frameA([&] { a.ogl.renderOpenGL(); });
    const bool entered = parking.entered.wait(10000);
    if (entered)
        b.ogl.renderOpenGL(); // waits for the held walk only if the two trees share a lock
    parking.release.signal();
    frameA.join();
    ASSERT_TRUE(entered);
    EXPECT_TRUE(parking.released.load()) << "the other editor's frame waited for this editor's walk";
    EXPECT_EQ(unheld.renders.load(), 1);
    EXPECT_EQ(held.renders.load(), 1);
    a.ogl.removeAllChildren();
    b.ogl.removeAllChildren();
}

TEST(TextureRegistry, StaysConsistentWhileTexturesComeAndGoOnAnotherThread)
{
    RecordingGlApi gl;
    TestEditor editor{&gl};
    const int before = editor.ogl.getNumRegisteredTextures();
    std::atomic<bool> stop{false}, walking{false};
    std::thread churn(
        [&]
        {
            while (!walking) // start only once the registry is being walked, so the two really overlap
                std::this_thread::yield();
            for (int i = 0; i < 3000; ++i)
            {
                VkOglComponentTexture t;
                t.setOglOwner(&editor);
                t.markDirty();
            }
            stop = true;
        });
    do
    {
        editor.ogl.newOpenGLContextCreated(); // walks the registry
        walking = true;
    } while (!stop);
    churn.join();
    EXPECT_EQ(editor.ogl.getNumRegisteredTextures(), before);
}

// The pacer's own thread asks for each frame: a host that runs the message loop only when it idles the
// editor, or not at all for a while, does not set the frame rate. No request follows stop.
TEST(FramePacer, AsksForFramesWhileTheMessageLoopIsIdleAndNeverAfterStop)
{
    ASSERT_TRUE(juce::MessageManager::getInstance()->isThisTheMessageThread());
    std::atomic<int> requests{0}, onMessageThread{0};
    std::atomic<bool> frameWanted{false}, stopRender{false};
    FramePacer pacer(
        [&]
        {
            onMessageThread.fetch_add(juce::MessageManager::getInstance()->isThisTheMessageThread() ? 1 : 0);
            requests.fetch_add(1);
            frameWanted.store(true);
        });
    std::thread render( // draws a frame of 2 ms for each request
        [&]
        {
            while (!stopRender.load())
                if (frameWanted.exchange(false))
                    pacer.frameFinished(2);
                else
                    std::this_thread::yield();
        });

    pacer.start();
    // The message loop does not run here.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (requests.load() < 5 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    pacer.stop();
    const int atStop = requests.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    while (juce::dispatchNextMessageOnSystemQueue(true))
    {
    }
    stopRender.store(true);
    render.join();
    EXPECT_GE(atStop, 5);
    EXPECT_EQ(onMessageThread.load(), 0);
    EXPECT_EQ(requests.load(), atStop);
    EXPECT_FALSE(pacer.isRunning());
}
