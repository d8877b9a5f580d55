// The VST3 editor view in a real X window (Xvfb + Mesa), driven the way a Linux host drives it: every view
// call on the host's UI thread, whose run loop the plug frame offers and which then drives the editor.
// The editor renders into the host's window, follows its own size through the frame, takes real pointer
// input (XTest) and shows host automation; a hundred open/close cycles leave nothing behind.

#include "display_test_support.h"
#include "swap_counter.h"
#include "view_test_editor.h"
#include "vst3_run_loop_host.h"
#include "vst3_test_support.h"
#include "x11_host_window.h"

#include "formats/vst3/vst3_controller.h"
#include "formats/vst3/vst3_editor_view.h"
#include "formats/vst3/vst3_message_thread.h"

#include <gtest/gtest.h>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace vk;
using namespace vk::test;

namespace
{
[[maybe_unused]] const bool atomsReadyBeforeJuceStarts = hasDisplay() && internWindowManagerAtoms();

// The host's frame around the view: offers the host's run loop, and sizes the host's window.
class HostFrame : public IPlugFrame
{
public:
    // Without `offersRunLoop` the frame answers no IRunLoop, as a host without one.
    HostFrame(RunLoopHost& loop, X11HostWindow& window, bool offersRunLoop = true)
        : m_loop(loop), m_window(window), m_offersRunLoop(offersRunLoop)
    {
    }

    tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* r) override
    {
        if (onResize)
            onResize();
        m_window.resize(r->getWidth(), r->getHeight());
        return view->onSize(r);
    }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (m_offersRunLoop && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
            return m_loop.queryInterface(iid, obj);
        *obj = nullptr;
        return kNoInterface;
    }
    VK_NO_REFCOUNT

    // Runs first in each resizeView, as the host's own code would.
    std::function<void()> onResize;

private:
    RunLoopHost& m_loop;
    X11HostWindow& m_window;
    const bool m_offersRunLoop;
};

bool near(Rgb a, juce::Colour b)
{
    return std::abs(a.r - b.getRed()) < 8 && std::abs(a.g - b.getGreen()) < 8 &&
           std::abs(a.b - b.getBlue()) < 8;
}

class Vst3EditorView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!hasDisplay())
            GTEST_SKIP() << "DISPLAY is not set: start Xvfb to run the editor view tests";
        ASSERT_TRUE(internWindowManagerAtoms());
        vk::vst3::setProcessorFactory(&createEditorProcessor);
        m_loop.call(
            [&]
            {
                // No run loop in the host context: only the view's frame may offer one.
                m_instance.create(nullptr, false);
                m_instance.controller->setComponentHandler(&m_edits);
            });
    }
    void TearDown() override
    {
        if (m_instance.controller != nullptr)
            m_loop.call(
                [&]
                {
                    m_instance.destroyController();
                    m_instance.destroyProcessor(false);
                });
        EXPECT_EQ(vk::vst3::liveFrameworkUsers(), 0);
        vk::vst3::finishMessageThread();
        pinGlDriverLibraries();
    }

    // Opens the view in a new host window of this size (again in the same window when no size is given);
    // the first frames are drawn before it returns.
    IPlugView* open(int width = 0, int height = 0, bool offersRunLoop = true)
    {
        if (width > 0)
        {
            m_window = std::make_unique<X11HostWindow>(width, height);
            m_frame = std::make_unique<HostFrame>(m_loop, *m_window, offersRunLoop);
        }
        if (!m_window->valid())
            return nullptr;
        IPlugView* view = nullptr;
        tresult attached = kResultFalse;
        m_loop.call(
            [&]
            {
                view = m_controller->createView(ViewType::kEditor);
                if (view == nullptr)
                    return;
                view->setFrame(m_frame.get());
                attached = view->attached(m_window->handle(), kPlatformTypeX11EmbedWindowID);
            });
        EXPECT_EQ(attached, kResultOk);
        EXPECT_TRUE(waitUntil(
            []
            {
                return ViewEditor::open.load() != nullptr &&
                       ViewEditor::open.load()->getOglComponent().getFrameCount() >= 2;
            }));
        // While a context is open the driver is loaded: kept loaded, its leak reports keep their names.
        pinGlDriverLibraries();
        return view;
    }
    void close(IPlugView* view)
    {
        m_loop.call(
            [&]
            {
                view->removed();
                view->setFrame(nullptr);
                view->release();
            });
    }
    std::pair<int, int> sizeOf(IPlugView* view)
    {
        ViewRect r;
        m_loop.call([&] { view->getSize(&r); });
        return {r.getWidth(), r.getHeight()};
    }

    // Waits for the window to show `colour` at (x, y) in a frame drawn after this call.
    bool shows(int x, int y, juce::Colour colour)
    {
        const ShownAfterNow drawnAfterNow;
        return waitUntil([&] { return drawnAfterNow() && near(m_window->pixel(x, y), colour); });
    }

    // A click on the button turns it off on screen, and the host sees one begin/perform/end.
    void clickTheButton()
    {
        m_edits.clear();
        m_window->click(30, 25);
        EXPECT_TRUE(shows(30, 25, juce::Colours::red));
        EXPECT_TRUE(waitUntil([&] { return m_edits.of(5).size() >= 3; }));
        EXPECT_EQ(m_edits.of(5), (std::vector<std::string>{"begin 5", "perform 5", "end 5"}));
    }

    // The host heard of one touch of parameter `id`: a begin, edits, then an end.
    void expectOneTouch(ParamID id)
    {
        const auto end = "end " + std::to_string(id);
        EXPECT_TRUE(waitUntil([&] { return m_edits.count(end) > 0; }));
        const auto events = m_edits.of(id);
        ASSERT_GE(events.size(), 3u) << ::testing::PrintToString(events);
        EXPECT_EQ(events.front(), "begin " + std::to_string(id)) << ::testing::PrintToString(events);
        EXPECT_EQ(events.back(), end);
        EXPECT_EQ(std::count(events.begin(), events.end(), "perform " + std::to_string(id)),
                  std::ptrdiff_t(events.size() - 2))
            << ::testing::PrintToString(events);
    }

    ScopedDataFolders m_folders;
    RunLoopHost m_loop;
    HostEdits m_edits;
    Instance m_instance;
    IEditController*& m_controller = m_instance.controller;
    std::unique_ptr<X11HostWindow> m_window;
    std::unique_ptr<HostFrame> m_frame;
};

} // namespace

TEST_F(Vst3EditorView, OnlyTheEditorViewInAnX11WindowIsOffered)
{
    m_loop.call(
        [&]
        {
            EXPECT_EQ(m_controller->createView("other"), nullptr);
            EXPECT_EQ(m_controller->createView(nullptr), nullptr);
            IPlugView* view = m_controller->createView(ViewType::kEditor);
            ASSERT_NE(view, nullptr);
            EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
            EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
            EXPECT_EQ(view->attached(reinterpret_cast<void*>(1), kPlatformTypeHWND), kResultFalse);
            EXPECT_EQ(ViewEditor::open.load(), nullptr);
            // Without a parent the editor is made but shown nowhere, until the view is removed.
            EXPECT_EQ(view->attached(nullptr, kPlatformTypeX11EmbedWindowID), kResultFalse);
            EXPECT_NE(ViewEditor::open.load(), nullptr);
            view->removed();
            EXPECT_EQ(ViewEditor::open.load(), nullptr);
            view->release();
        });
}

TEST_F(Vst3EditorView, RendersInTheHostWindowFollowsItsSizeAndCloses)
{
    IPlugView* view = open(50, 50);
    ASSERT_NE(view, nullptr);

    // The host's window took the editor's size through the frame.
    EXPECT_EQ(m_window->size(), std::make_pair(200, 120));
    EXPECT_EQ(sizeOf(view), std::make_pair(200, 120));
    EXPECT_EQ(m_window->childCount(), 1);
    // The frame's run loop drives the framework while the view is attached.
    EXPECT_TRUE(waitUntil([] { return vk::vst3::hostRunLoopIsMessageThread(); }));
    EXPECT_TRUE(shows(30, 25, juce::Colours::lime)); // parameter 5 is 0.75: on
    EXPECT_TRUE(shows(120, 30, juce::Colours::blue));

    // The editor changes its size (host automation makes it grow): the frame follows, and the host's
    // constraint check gets that size.
    m_loop.call([&] { m_controller->setParamNormalized(ViewEditor::kSizeParameter, 1.0); });
    EXPECT_TRUE(waitUntil([&] { return m_window->size() == std::make_pair(260, 150); }));
    EXPECT_EQ(sizeOf(view), std::make_pair(260, 150));
    ViewRect asked(0, 0, 400, 400);
    m_loop.call(
        [&]
        {
            EXPECT_EQ(view->canResize(), kResultFalse);
            EXPECT_EQ(view->checkSizeConstraint(&asked), kResultTrue);
        });
    EXPECT_EQ(asked.getWidth(), 260);
    EXPECT_EQ(asked.getHeight(), 150);
    EXPECT_TRUE(shows(30, 25, juce::Colours::lime));

    close(view);
    EXPECT_EQ(ViewEditor::open.load(), nullptr);
    EXPECT_EQ(m_window->childCount(), 0);
    // Removed, the view withdraws the run loop: the module's own thread takes over again.
    EXPECT_FALSE(vk::vst3::hostRunLoopIsMessageThread());
}

TEST_F(Vst3EditorView, AHostThreadSettingUpWhileTheFrameIsAskedToResizeIsNotBlocked)
{
    // The editor asks the host's frame to follow its new size from its timer on the host's loop; the host
    // has another of its threads set the instance up meanwhile and waits for it there. The set-up holds
    // the message thread's work off, so the size request must not hold it.
    IPlugView* view = open(50, 50);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(waitUntil([] { return vk::vst3::hostRunLoopIsMessageThread(); }));
    std::thread setUp;
    std::atomic<bool> setUpDone{false};
    std::atomic<bool> setUpInTime{false};
    std::atomic<bool> resized{false};
    m_frame->onResize = [&]
    {
        if (setUp.joinable())
            return;
        setUp = std::thread(
            [&]
            {
                m_instance.setUp();
                setUpDone.store(true);
            });
        setUpInTime.store(waitUntil([&] { return setUpDone.load(); }, std::chrono::seconds(10)));
        resized.store(true);
    };
    m_loop.call([&] { m_controller->setParamNormalized(ViewEditor::kSizeParameter, 1.0); });
    ASSERT_TRUE(waitUntil([&] { return resized.load(); }));
    setUp.join();
    EXPECT_TRUE(setUpInTime.load()) << "the host's thread waited for the loop, which waited for it";
    m_loop.call([&] { m_frame->onResize = nullptr; });
    close(view);
}

TEST_F(Vst3EditorView, WithoutARunLoopTheModulesOwnThreadDrivesTheEditor)
{
    IPlugView* view = open(200, 120, false);
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(vk::vst3::hostRunLoopIsMessageThread());
    EXPECT_TRUE(shows(30, 25, juce::Colours::lime));
    // Host automation reaches the screen while the host's thread does nothing for the module.
    m_loop.call([&] { m_controller->setParamNormalized(3, 0.9); });
    EXPECT_TRUE(shows(120, 30, juce::Colours::yellow));
    if (m_window->hasXTest())
        clickTheButton();
    close(view);
    EXPECT_EQ(ViewEditor::open.load(), nullptr);
}

TEST_F(Vst3EditorView, PointerInputReachesTheProcessorAndTheHostAndAutomationMovesTheControl)
{
    IPlugView* view = open(200, 120);
    ASSERT_NE(view, nullptr);
    if (!m_window->hasXTest())
    {
        close(view);
        GTEST_SKIP() << "the X server has no XTest extension";
    }
    auto& processor = *m_instance.processor();
    ASSERT_TRUE(shows(30, 25, juce::Colours::lime));
    clickTheButton();
    EXPECT_TRUE(waitUntil([&] { return processor.getParameterRecord(5).getValue() == 0.0f; }));

    // Host automation moves the knob on screen (0.9 is its second frame).
    m_loop.call([&] { m_controller->setParamNormalized(3, 0.0); });
    EXPECT_TRUE(shows(120, 30, juce::Colours::blue));
    m_edits.clear();
    m_window->drag(120, 30, 0, -120); // 0.5 per 100 pixels upwards
    EXPECT_TRUE(waitUntil([&] { return processor.getParameterRecord(3).getValue() > 0.55f; }))
        << processor.getParameterRecord(3).getValue() << " " << ::testing::PrintToString(m_edits.of(3));
    EXPECT_TRUE(shows(120, 30, juce::Colours::yellow));
    // The whole drag is one touch of the control for the host.
    expectOneTouch(3);

    m_loop.call([&] { m_controller->setParamNormalized(3, 0.0); });
    EXPECT_TRUE(shows(120, 30, juce::Colours::blue));
    close(view);
}

TEST_F(Vst3EditorView, AnEditorClosedMidDragEndsTheHostsTouch)
{
    IPlugView* view = open(200, 120);
    ASSERT_NE(view, nullptr);
    if (!m_window->hasXTest())
    {
        close(view);
        GTEST_SKIP() << "the X server has no XTest extension";
    }
    ASSERT_TRUE(shows(120, 30, juce::Colours::blue));
    m_edits.clear();
    m_window->drag(120, 30, 0, -120, false);
    EXPECT_TRUE(waitUntil([&] { return m_edits.count("perform 3") > 0; }));
    EXPECT_EQ(m_edits.count("end 3"), 0) << "the user still holds the control";
    close(view);
    m_window->releaseButton();
    expectOneTouch(3);
}

TEST_F(Vst3EditorView, AHundredOpenCloseCyclesLeaveNothingOpen)
{
    for (int i = 0; i < 100; ++i)
    {
        IPlugView* view = i == 0 ? open(200, 120) : open();
        ASSERT_NE(view, nullptr) << "cycle " << i;
        close(view);
        ASSERT_EQ(ViewEditor::open.load(), nullptr) << "cycle " << i;
    }
    EXPECT_EQ(m_window->childCount(), 0);
    // Only the controller, processor wrapper and processor are left.
    EXPECT_EQ(vk::vst3::liveFrameworkUsers(), 2);
}

// The processor has one editor: a second view of the controller is refused while the first shows it, and
// both close cleanly. Before attaching, a view answers the size the editor will open at, without making it.
TEST_F(Vst3EditorView, ASecondViewIsRefusedWhileTheFirstShowsTheEditorAndSizesAreKnownBeforeAttaching)
{
    IPlugView* early = nullptr;
    m_loop.call([&] { early = m_controller->createView(ViewType::kEditor); });
    ASSERT_NE(early, nullptr);
    EXPECT_EQ(sizeOf(early), std::make_pair(200, 120));
    EXPECT_EQ(ViewEditor::open.load(), nullptr);
    m_loop.call([&] { early->release(); });

    IPlugView* first = open(50, 50);
    ASSERT_NE(first, nullptr);
    auto otherWindow = std::make_unique<X11HostWindow>(200, 120);
    IPlugView* second = nullptr;
    m_loop.call(
        [&]
        {
            second = m_controller->createView(ViewType::kEditor);
            ASSERT_NE(second, nullptr);
            EXPECT_EQ(second->attached(otherWindow->handle(), kPlatformTypeX11EmbedWindowID), kResultFalse);
            EXPECT_EQ(second->attached(nullptr, kPlatformTypeX11EmbedWindowID), kResultFalse);
        });
    EXPECT_EQ(sizeOf(second), std::make_pair(200, 120));
    EXPECT_EQ(otherWindow->childCount(), 0);
    otherWindow.reset(); // it lies over the first view's window

    close(second);
    EXPECT_NE(ViewEditor::open.load(), nullptr); // the first view still shows it
    EXPECT_TRUE(shows(30, 25, juce::Colours::lime));
    // ... and still closes it when the processor goes first.
    m_loop.call([&] { m_instance.destroyProcessor(false); });
    EXPECT_TRUE(waitUntil([] { return ViewEditor::open.load() == nullptr; }));
    close(first);
    m_loop.call([&] { m_instance.destroyController(); });
}

TEST_F(Vst3EditorView, TheEditorClosesWhenTheHostReleasesTheProcessorBeforeTheView)
{
    IPlugView* view = open(200, 120);
    ASSERT_NE(view, nullptr);
    m_loop.call([&] { m_instance.destroyProcessor(false); });
    EXPECT_TRUE(waitUntil([] { return ViewEditor::open.load() == nullptr; }));
    close(view);
    m_loop.call([&] { m_instance.destroyController(); });
}
