// The VST 2.4 module's editor in a raw host's X window, opened through the wrapper's editor calls the way
// Linux hosts open it: effEditGetRect, effEditOpen with the host's X window, effEditIdle while it shows,
// effEditClose. The editor draws into the window, asks the host to follow its size, takes real pointer
// input (XTest) with the host seeing the edit, each click in the next idle call while frames draw, and opens
// and closes a hundred times. Once with a test module whose processor has a small editor, once with the
// product module (skipped while it has none).
// Needs DISPLAY (Xvfb + Mesa).

#include "swap_counter.h"
#include "vst2_raw_host.h"
#include "x11_host_window.h"

#include "tests/gui/gl_driver_pin.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

namespace
{

bool hasDisplay()
{
    const char* d = std::getenv("DISPLAY");
    return d != nullptr && *d != 0;
}

[[maybe_unused]] const bool atomsReadyBeforeAModuleStarts = hasDisplay() && vk::test::prepareWindowServer();

bool near(vk::test::Rgb p, int r, int g, int b)
{
    return std::abs(p.r - r) < 8 && std::abs(p.g - g) < 8 && std::abs(p.b - b) < 8;
}

class Vst2Editor : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        if (!hasDisplay())
            GTEST_SKIP() << "DISPLAY is not set: start Xvfb to open editors";
        ASSERT_TRUE(m_host.loaded()) << m_host.error();
        ASSERT_NE(m_host.create(), nullptr);
        m_host.onSizeWindow = [this](int w, int h) { m_window.resize(w, h); };
        m_host.dispatch(Vst2::effOpen);
        // Once the effect is open its editor flag tells whether an editor opens.
        if ((m_host.effect()->flags & Vst2::effFlagsHasEditor) == 0)
            GTEST_SKIP() << "the module reports no editor yet";
    }

    // The editor's rectangle as the wrapper reports it.
    std::pair<int, int> editorSize()
    {
        Vst2::ERect* rect = nullptr;
        m_host.dispatch(Vst2::effEditGetRect, 0, 0, &rect);
        return rect == nullptr ? std::make_pair(0, 0)
                               : std::make_pair(rect->right - rect->left, rect->bottom - rect->top);
    }

    // Opens the editor in the host's window at the size the wrapper reports.
    bool open()
    {
        const auto [w, h] = editorSize();
        if (w <= 0 || h <= 0)
            return false;
        m_window.resize(w, h);
        const bool opened = m_host.dispatch(Vst2::effEditOpen, 0, 0, m_window.handle()) != 0;
        // The module and the OpenGL driver stay loaded to the end, so that a leak report names them.
        dlopen(GetParam(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        vk::test::pinGlDriverLibraries();
        return opened;
    }

    // Idles the editor, as a host's UI loop does, until `done` holds or the time is up.
    template <typename Condition>
    bool idleUntil(Condition done, std::chrono::seconds limit = std::chrono::seconds(20))
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done())
        {
            if (std::chrono::steady_clock::now() > end)
                return false;
            m_host.dispatch(Vst2::effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    // Whether the window shows the colour at (x, y) in a frame drawn after this call.
    bool shows(int x, int y, int r, int g, int b)
    {
        const vk::test::ShownAfterNow drawnAfterNow;
        return idleUntil([&] { return drawnAfterNow() && near(m_window.pixel(x, y), r, g, b); });
    }

    ScopedHome m_home;
    RawVst2Host m_host{GetParam()};
    vk::test::X11HostWindow m_window{50, 50};
};

// The test module's editor only: its controls are known.
using Vst2TestEditor = Vst2Editor;

TEST(Vst2EditorFlag, AnOpenEffectAnnouncesAnEditorExactlyWhenOneOpens)
{
    ScopedHome home;
    for (const char* module : {VK_VST2_EDITOR_TEST_MODULE, VK_VST2_MODULE})
    {
        RawVst2Host host(module);
        ASSERT_TRUE(host.loaded()) << host.error();
        ASSERT_NE(host.create(), nullptr);
        host.dispatch(Vst2::effOpen);
        const bool announced = (host.effect()->flags & Vst2::effFlagsHasEditor) != 0;
        Vst2::ERect* rect = nullptr;
        host.dispatch(Vst2::effEditGetRect, 0, 0, &rect);
        EXPECT_EQ(announced, rect != nullptr) << module;
        EXPECT_TRUE(announced || std::string(module) != VK_VST2_EDITOR_TEST_MODULE);
    }
}

TEST_P(Vst2Editor, OpensDrawsAndClosesAHundredTimes)
{
    for (int i = 0; i < 100; ++i)
    {
        ASSERT_TRUE(open()) << "cycle " << i;
        ASSERT_EQ(m_window.childCount(), 1) << "cycle " << i;
        // Something other than the window's black is drawn.
        if (i == 0 || i == 99)
        {
            const auto [w, h] = editorSize();
            EXPECT_TRUE(idleUntil(
                [&]
                {
                    for (int y = 0; y < h; y += 7)
                        for (int x = 0; x < w; x += 7)
                            if (!near(m_window.pixel(x, y), 0, 0, 0))
                                return true;
                    return false;
                }))
                << "cycle " << i;
        }
        m_host.dispatch(Vst2::effEditIdle);
        m_host.dispatch(Vst2::effEditClose);
        ASSERT_EQ(m_window.childCount(), 0) << "cycle " << i;
    }
}

// No window, or a window id the X server does not know: refused, and the host lives on (the X library's
// default error handler would end it). The editor still opens in a real window afterwards.
TEST_P(Vst2Editor, OpenWithoutARealWindowIsRefused)
{
    for (std::uintptr_t window : {std::uintptr_t(0), std::uintptr_t(0x1fffff0), std::uintptr_t(0x3ffffffff)})
    {
        EXPECT_EQ(m_host.dispatch(Vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window)), 0) << window;
        m_host.dispatch(Vst2::effEditIdle);
        m_host.dispatch(Vst2::effEditClose);
    }
    EXPECT_TRUE(open());
    m_host.dispatch(Vst2::effEditClose);
}

// Hosts idle an editor at their own pace (Qtractor about 20 times a second); its frames keep theirs.
TEST_P(Vst2Editor, DrawsAtItsOwnPaceWhileTheHostDoesNotIdle)
{
    ASSERT_TRUE(open());
    // Mapping the window and making the context take the host's idle.
    ASSERT_TRUE(idleUntil(vk::test::ShownAfterNow()));
    m_host.dispatch(Vst2::effEditIdle);
    // Twenty frames come without another idle call: an editor drawn only when the host idles shows none. At
    // its pace that takes a third of a second; a loaded machine running a sanitizer build takes longer.
    const auto before = vk::test::swappedFrames();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (vk::test::swappedFrames() - before < 20 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GE(vk::test::swappedFrames() - before, 20) << "frames without effEditIdle";
    m_host.dispatch(Vst2::effEditClose);
}

TEST_P(Vst2TestEditor, FollowsTheEditorsSizeAndTakesPointerInput)
{
    ASSERT_TRUE(open());
    EXPECT_EQ(editorSize(), std::make_pair(200, 120));
    EXPECT_TRUE(shows(30, 25, 0, 255, 0)); // parameter 5 is 0.75: on
    EXPECT_TRUE(shows(120, 30, 0, 0, 255));

    // Host automation reaches the screen, and makes the editor grow: the host is asked to follow.
    m_host.effect()->setParameter(m_host.effect(), 3, 0.9f);
    EXPECT_TRUE(shows(120, 30, 255, 255, 0));
    m_host.effect()->setParameter(m_host.effect(), 6, 1.0f);
    EXPECT_TRUE(idleUntil([&] { return m_window.size() == std::make_pair(260, 150); }));
    EXPECT_EQ(editorSize(), std::make_pair(260, 150));

    if (m_window.hasXTest())
    {
        m_host.resetCallbackCounts();
        m_window.click(30, 25);
        EXPECT_TRUE(idleUntil([&] { return m_host.effect()->getParameter(m_host.effect(), 5) == 0.0f; }));
        EXPECT_TRUE(shows(30, 25, 255, 0, 0));
        EXPECT_TRUE(idleUntil([&] { return m_host.callbackCount(Vst2::audioMasterEndEdit) >= 1; }));
        EXPECT_EQ(m_host.callbackCount(Vst2::audioMasterBeginEdit), 1);
        EXPECT_GE(m_host.callbackCount(Vst2::audioMasterAutomate), 1);
        EXPECT_EQ(m_host.callbackCount(Vst2::audioMasterEndEdit), 1);
    }
    m_host.dispatch(Vst2::effEditClose);
    EXPECT_EQ(m_window.childCount(), 0);
}

// Qtractor idles an editor about 20 times a second while its frames draw at their own pace. Any call on the
// editor's X connection (the render thread's buffer swaps among them) may take a click's events off the
// socket into the X library's queue; every click still takes effect in the first idle call after it.
TEST_P(Vst2TestEditor, TakesEachClickInTheNextIdleCallWhileFramesDraw)
{
    if (!m_window.hasXTest())
        GTEST_SKIP() << "the X server has no XTest extension";
    ASSERT_TRUE(open());
    ASSERT_TRUE(shows(30, 25, 0, 255, 0));
    auto* effect = m_host.effect();
    const auto framesBefore = vk::test::swappedFrames();
    constexpr int kMostIdleCalls = 40; // two seconds at 20 Hz
    for (int i = 0; i < 10; ++i)
    {
        const float before = effect->getParameter(effect, 5);
        m_window.click(30, 25); // returns once the server has taken the click
        int idleCalls = 0;
        while (effect->getParameter(effect, 5) == before && idleCalls < kMostIdleCalls)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            m_host.dispatch(Vst2::effEditIdle);
            ++idleCalls;
        }
        EXPECT_EQ(idleCalls, 1) << "idle calls until click " << i << " took effect";
    }
    EXPECT_GE(vk::test::swappedFrames() - framesBefore, 10) << "frames drawn meanwhile";
    m_host.dispatch(Vst2::effEditClose);
}

// The product's editor only.
using Vst2ProductEditor = Vst2Editor;

// Showing a value is not an edit: the host's Phase Shift and Phase Invert (values off the phase knob's
// 1 % grid included) come through the editor opening, idling while audio plays and the host automates the
// shift, and closing bit for bit, and the host is told of no edit at all.
TEST_P(Vst2ProductEditor, ShowingThePhaseTellsTheHostOfNoEdit)
{
    constexpr int phaseShift = 26, phaseInvert = 27;
    ASSERT_EQ(m_host.dispatchForText(Vst2::effGetParamName, phaseShift).rfind("Phase", 0), 0u);
    auto* effect = m_host.effect();
    m_host.dispatch(Vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
    m_host.dispatch(Vst2::effSetBlockSize, 0, 256);
    m_host.dispatch(Vst2::effMainsChanged, 0, 1);
    std::vector<float> left(256, 0.25f), right(256, -0.125f);
    const auto play = [&]
    {
        float* channels[2] = {left.data(), right.data()};
        effect->processReplacing(effect, channels, channels, 256);
    };

    for (auto [invert, shift] : {std::pair<float, float>{0.0f, 0.997f}, {0.0f, 0.7777f}, {1.0f, 0.7777f}})
    {
        SCOPED_TRACE(std::to_string(shift) + (invert != 0.0f ? " inverted" : ""));
        effect->setParameter(effect, phaseInvert, invert);
        effect->setParameter(effect, phaseShift, shift);
        m_host.resetCallbackCounts();
        ASSERT_TRUE(open());
        int idles = 0;
        const float automation[] = {0.3331f, 0.997f, 0.0049f, shift};
        idleUntil(
            [&]
            {
                play();
                if (++idles % 20 == 0 && idles <= 80)
                    effect->setParameter(effect, phaseShift, automation[idles / 20 - 1]);
                return idles >= 150;
            });
        m_host.dispatch(Vst2::effEditClose);

        EXPECT_EQ(effect->getParameter(effect, phaseShift), shift);
        EXPECT_EQ(effect->getParameter(effect, phaseInvert), invert);
        EXPECT_EQ(m_host.automatedIndexes(), std::vector<int>{});
        EXPECT_EQ(m_host.callbackCount(Vst2::audioMasterBeginEdit), 0);
    }
    m_host.dispatch(Vst2::effMainsChanged, 0, 0);
}

std::string moduleName(const ::testing::TestParamInfo<const char*>& info)
{
    return std::string(info.param) == VK_VST2_EDITOR_TEST_MODULE ? "TestModule" : "Product";
}

INSTANTIATE_TEST_SUITE_P(Modules, Vst2Editor, ::testing::Values(VK_VST2_EDITOR_TEST_MODULE, VK_VST2_MODULE),
                         moduleName);
INSTANTIATE_TEST_SUITE_P(Modules, Vst2TestEditor, ::testing::Values(VK_VST2_EDITOR_TEST_MODULE), moduleName);
INSTANTIATE_TEST_SUITE_P(Modules, Vst2ProductEditor, ::testing::Values(VK_VST2_MODULE), moduleName);

} // namespace
