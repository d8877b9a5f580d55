// The VST3 editor view in a real X window (Xvfb + Mesa), driven the way a Linux host drives it: every view
// call on the host's UI thread, whose run loop the plug frame offers and which then drives the editor.
// The editor renders into the host's window, follows its own size through the frame, takes real pointer
// input (XTest) and shows host automation; a hundred open/close cycles leave nothing behind.

#include "display_test_support.h"
#include "editor_test_support.h"
#include "view_test_editor.h"
#include "vst3_run_loop_host.h"
#include "x11_host_window.h"

#include "formats/identity/vk_plugin_identity.h"
#include "formats/vst3/vst3_controller.h"
#include "formats/vst3/vst3_editor_view.h"
#include "formats/vst3/vst3_message_thread.h"
#include "formats/vst3/vst3_module_factory.h"
#include "formats/vst3/vst3_processor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace vk;
using namespace vk::test;

// The SDK's interfaces have no virtual destructors by design; the fakes below live on the stack.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace
{
[[maybe_unused]] const bool atomsReadyBeforeJuceStarts = hasDisplay() && internWindowManagerAtoms();

template <typename Condition>
bool waitUntil(Condition condition, std::chrono::seconds limit = std::chrono::seconds(30))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The host's edit log.
class EditLog : public IComponentHandler
{
public:
    tresult PLUGIN_API beginEdit(ParamID id) override { return add("begin " + std::to_string(id)); }
    tresult PLUGIN_API performEdit(ParamID id, ParamValue) override
    {
        return add("perform " + std::to_string(id));
    }
    tresult PLUGIN_API endEdit(ParamID id) override { return add("end " + std::to_string(id)); }
    tresult PLUGIN_API restartComponent(int32) override { return kResultOk; }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

    std::vector<std::string> events(ParamID id)
    {
        std::lock_guard<std::mutex> g(m_lock);
        std::vector<std::string> out;
        const std::string suffix = " " + std::to_string(id);
        for (const auto& e : m_events)
            if (e.size() > suffix.size() && e.compare(e.size() - suffix.size(), suffix.size(), suffix) == 0)
                out.push_back(e);
        return out;
    }
    void clear()
    {
        std::lock_guard<std::mutex> g(m_lock);
        m_events.clear();
    }

private:
    tresult add(std::string e)
    {
        std::lock_guard<std::mutex> g(m_lock);
        m_events.push_back(std::move(e));
        return kResultOk;
    }
    std::mutex m_lock;
    std::vector<std::string> m_events;
};

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
        ++resizes;
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
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

    std::atomic<int> resizes{0};

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
                auto& factory = vk::vst3::moduleFactory();
                void* obj = nullptr;
                factory.createInstance(reinterpret_cast<const char*>(vk::identity::kProcessorClassId.data()),
                                       IComponent::iid, &obj);
                m_component = static_cast<IComponent*>(obj);
                factory.createInstance(reinterpret_cast<const char*>(vk::identity::kControllerClassId.data()),
                                       IEditController::iid, &obj);
                m_controller = static_cast<IEditController*>(obj);
                // No run loop in the host context: only the view's frame may offer one.
                m_component->initialize(nullptr);
                m_controller->initialize(nullptr);
                m_controller->setComponentHandler(&m_edits);
            });
    }
    void TearDown() override
    {
        if (m_controller != nullptr)
            m_loop.call(
                [&]
                {
                    m_controller->setComponentHandler(nullptr);
                    m_controller->terminate();
                    m_controller->release();
                    m_component->terminate();
                    m_component->release();
                });
        EXPECT_EQ(vk::vst3::liveFrameworkUsers(), 0);
        vk::vst3::finishMessageThread();
        pinGlDriverLibraries();
    }

    // Opens the view in the host's window; the first frames are drawn before it returns.
    IPlugView* open(HostFrame& frame, X11HostWindow& window)
    {
        IPlugView* view = nullptr;
        tresult attached = kResultFalse;
        m_loop.call(
            [&]
            {
                view = m_controller->createView(ViewType::kEditor);
                if (view == nullptr)
                    return;
                view->setFrame(&frame);
                attached = view->attached(window.handle(), kPlatformTypeX11EmbedWindowID);
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

    // Waits for the window to show `colour` at (x, y).
    bool shows(X11HostWindow& window, int x, int y, juce::Colour colour)
    {
        return waitUntil([&] { return near(window.pixel(x, y), colour); }, std::chrono::seconds(10));
    }

    ScopedDataFolders m_folders;
    RunLoopHost m_loop;
    EditLog m_edits;
    IComponent* m_component = nullptr;
    IEditController* m_controller = nullptr;
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
    X11HostWindow window(50, 50);
    ASSERT_TRUE(window.valid());
    HostFrame frame(m_loop, window);
    IPlugView* view = open(frame, window);
    ASSERT_NE(view, nullptr);

    // The host's window took the editor's size through the frame.
    int w = 0, h = 0;
    window.size(w, h);
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 120);
    ViewRect r;
    m_loop.call([&] { view->getSize(&r); });
    EXPECT_EQ(r.getWidth(), 200);
    EXPECT_EQ(r.getHeight(), 120);
    EXPECT_EQ(window.childCount(), 1);
    // The frame's run loop drives the framework while the view is attached.
    EXPECT_TRUE(waitUntil([] { return vk::vst3::hostRunLoopIsMessageThread(); }));
    EXPECT_TRUE(shows(window, 30, 25, juce::Colours::lime)); // parameter 5 is 0.75: on
    EXPECT_TRUE(shows(window, 120, 30, juce::Colours::blue));

    // The editor changes its size (host automation makes it grow): the frame follows, and the host's
    // constraint check gets that size.
    m_loop.call([&] { m_controller->setParamNormalized(ViewEditor::kSizeParameter, 1.0); });
    EXPECT_TRUE(waitUntil(
        [&]
        {
            window.size(w, h);
            return w == 260 && h == 150;
        }));
    m_loop.call([&] { view->getSize(&r); });
    EXPECT_EQ(r.getWidth(), 260);
    EXPECT_EQ(r.getHeight(), 150);
    ViewRect asked(0, 0, 400, 400);
    m_loop.call(
        [&]
        {
            EXPECT_EQ(view->canResize(), kResultFalse);
            EXPECT_EQ(view->checkSizeConstraint(&asked), kResultTrue);
        });
    EXPECT_EQ(asked.getWidth(), 260);
    EXPECT_EQ(asked.getHeight(), 150);
    EXPECT_TRUE(shows(window, 30, 25, juce::Colours::lime));

    close(view);
    EXPECT_EQ(ViewEditor::open.load(), nullptr);
    EXPECT_EQ(window.childCount(), 0);
    // Removed, the view withdraws the run loop: the module's own thread takes over again.
    EXPECT_FALSE(vk::vst3::hostRunLoopIsMessageThread());
}

TEST_F(Vst3EditorView, WithoutARunLoopTheModulesOwnThreadDrivesTheEditor)
{
    X11HostWindow window(200, 120);
    ASSERT_TRUE(window.valid());
    HostFrame frame(m_loop, window, false);
    IPlugView* view = open(frame, window);
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(vk::vst3::hostRunLoopIsMessageThread());
    EXPECT_TRUE(shows(window, 30, 25, juce::Colours::lime));
    // Host automation reaches the screen while the host's thread does nothing for the module.
    m_loop.call([&] { m_controller->setParamNormalized(3, 0.9); });
    EXPECT_TRUE(shows(window, 120, 30, juce::Colours::yellow));
    if (window.hasXTest())
    {
        m_edits.clear();
        window.click(30, 25);
        EXPECT_TRUE(shows(window, 30, 25, juce::Colours::red));
        EXPECT_TRUE(waitUntil([&] { return m_edits.events(5).size() >= 3; }));
        EXPECT_EQ(m_edits.events(5), (std::vector<std::string>{"begin 5", "perform 5", "end 5"}));
    }
    close(view);
    EXPECT_EQ(ViewEditor::open.load(), nullptr);
}

TEST_F(Vst3EditorView, PointerInputReachesTheProcessorAndTheHostAndAutomationMovesTheControl)
{
    X11HostWindow window(200, 120);
    ASSERT_TRUE(window.valid());
    if (!window.hasXTest())
        GTEST_SKIP() << "the X server has no XTest extension";
    HostFrame frame(m_loop, window);
    IPlugView* view = open(frame, window);
    ASSERT_NE(view, nullptr);
    void* audio = nullptr;
    m_component->queryInterface(IAudioProcessor::iid, &audio);
    auto* wrapper = static_cast<VST3Processor*>(static_cast<IAudioProcessor*>(audio));
    ASSERT_NE(wrapper->getProcessor(), nullptr);
    auto& processor = *wrapper->getProcessor();
    wrapper->release();
    ASSERT_TRUE(shows(window, 30, 25, juce::Colours::lime));

    m_edits.clear();
    window.click(30, 25);
    EXPECT_TRUE(waitUntil([&] { return processor.getParameterRecord(5).getValue() == 0.0f; }));
    EXPECT_TRUE(shows(window, 30, 25, juce::Colours::red));
    EXPECT_TRUE(waitUntil([&] { return m_edits.events(5).size() >= 3; }));
    EXPECT_EQ(m_edits.events(5), (std::vector<std::string>{"begin 5", "perform 5", "end 5"}));

    // Host automation moves the knob on screen (0.9 is its second frame).
    m_loop.call([&] { m_controller->setParamNormalized(3, 0.0); });
    EXPECT_TRUE(shows(window, 120, 30, juce::Colours::blue));
    m_edits.clear();
    window.drag(120, 30, 0, -120); // 0.5 per 100 pixels upwards
    EXPECT_TRUE(waitUntil([&] { return processor.getParameterRecord(3).getValue() > 0.55f; }))
        << processor.getParameterRecord(3).getValue() << " " << ::testing::PrintToString(m_edits.events(3));
    EXPECT_TRUE(shows(window, 120, 30, juce::Colours::yellow));
    EXPECT_TRUE(waitUntil([&] { return !m_edits.events(3).empty() && m_edits.events(3).back() == "end 3"; }));
    const auto events = m_edits.events(3);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front(), "begin 3");
    EXPECT_NE(std::find(events.begin(), events.end(), "perform 3"), events.end());

    m_loop.call([&] { m_controller->setParamNormalized(3, 0.0); });
    EXPECT_TRUE(shows(window, 120, 30, juce::Colours::blue));
    close(view);
}

TEST_F(Vst3EditorView, AHundredOpenCloseCyclesLeaveNothingOpen)
{
    X11HostWindow window(200, 120);
    ASSERT_TRUE(window.valid());
    HostFrame frame(m_loop, window);
    for (int i = 0; i < 100; ++i)
    {
        IPlugView* view = open(frame, window);
        ASSERT_NE(view, nullptr) << "cycle " << i;
        close(view);
        ASSERT_EQ(ViewEditor::open.load(), nullptr) << "cycle " << i;
    }
    EXPECT_EQ(window.childCount(), 0);
    // Only the controller, processor wrapper and processor are left.
    EXPECT_EQ(vk::vst3::liveFrameworkUsers(), 2);
}

TEST_F(Vst3EditorView, TheEditorClosesWhenTheHostReleasesTheProcessorBeforeTheView)
{
    X11HostWindow window(200, 120);
    ASSERT_TRUE(window.valid());
    HostFrame frame(m_loop, window);
    IPlugView* view = open(frame, window);
    ASSERT_NE(view, nullptr);
    m_loop.call(
        [&]
        {
            m_component->terminate();
            m_component->release();
            m_component = nullptr;
        });
    EXPECT_TRUE(waitUntil([] { return ViewEditor::open.load() == nullptr; }));
    close(view);
    m_loop.call(
        [&]
        {
            m_controller->setComponentHandler(nullptr);
            m_controller->terminate();
            m_controller->release();
            m_controller = nullptr;
        });
}
