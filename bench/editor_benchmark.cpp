// The cost of one editor frame on the machine's OpenGL driver (Mesa llvmpipe under Xvfb on the build
// machines, where the "GPU" is the CPU): a full frame of the product editor with every display active (the
// stereo-field graph and its overlay fed by a playing signal, the balance trail, the level indicators),
// beside an empty frame (clear only) as the floor the driver imposes. Times include glFinish, so that the
// rasterisation llvmpipe defers is counted; they are milliseconds of the render thread per frame.
// The counter cpu_ms is the CPU time the frame costs: the render thread's own plus that of the driver's
// rasteriser threads, which do most of the work on a software driver and run in parallel (so it can exceed
// the wall time), and which a busy machine does not inflate the way it inflates the wall time.
//
// Needs DISPLAY (e.g. Xvfb with Mesa); without one every benchmark reports an error and skips.

#include "tools/screenshot/editor_capture.h"

#include "processor/vk_wrapper_type.h"
#include "product/latiphonix_parameters.h"
#include "vk_ogl_component.h"

#include <benchmark/benchmark.h>
#include <juce_opengl/juce_opengl.h>

#include <dirent.h>
#include <fstream>
#include <memory>
#include <string>
#include <time.h>
#include <vector>

namespace
{
using namespace latiphonix;

double cpuMs(clockid_t clock)
{
    timespec t{};
    return clock_gettime(clock, &t) == 0 ? (double)t.tv_sec * 1e3 + (double)t.tv_nsec * 1e-6 : 0.0;
}

// [render thread] CPU milliseconds used so far by the calling thread and the driver's rasteriser threads
// (Mesa names them "llvmpipe-N"; they are found once and live as long as the context). A thread's CPU clock
// is named by its id the way glibc's pthread_getcpuclockid names it.
double renderCpuMs()
{
    static const std::vector<clockid_t> rasterisers = []
    {
        std::vector<clockid_t> clocks;
        if (DIR* dir = opendir("/proc/self/task"))
        {
            while (const dirent* entry = readdir(dir))
            {
                const pid_t tid = (pid_t)std::atoi(entry->d_name);
                std::string name;
                if (tid > 0 &&
                    std::getline(std::ifstream("/proc/self/task/" + std::string(entry->d_name) + "/comm"),
                                 name) &&
                    name.rfind("llvmpipe", 0) == 0)
                    clocks.push_back((clockid_t)((~(unsigned)tid << 3) | 6u));
            }
            closedir(dir);
        }
        return clocks;
    }();
    double total = cpuMs(CLOCK_THREAD_CPUTIME_ID);
    for (const clockid_t clock : rasterisers)
        total += cpuMs(clock);
    return total;
}

// Wall and CPU milliseconds of one frame.
struct FrameCost
{
    double wallMs = -2.0, cpuMs = 0.0;
};

// One editor window shared by the benchmarks, fed with audio between frames.
struct Session
{
    Session()
    {
        processor.reset(dynamic_cast<LatiphonixProcessor*>(createPluginFilter(vk::kWrapperVst3)));
        processor->setRateAndBufferSizeDetails(48000.0, 512);
        processor->prepareToPlay(48000.0, 512);
        processor->setParameterInternal(kAnalysis, 1.0f, false, false, false);
        // The editor as it is used: without the overlay menu a new instance opens over the controls.
        processor->setParameterInternal(kShowMenu, 0.0f, false, false, false);
        editor = std::make_unique<CapturingEditor>(*processor);
        ready = editor->openWindow();
        // Enough signal for every display to have something to draw.
        for (int i = 0; i < 200; ++i)
            feed();
        editor->pump(300);
    }
    ~Session()
    {
        processor->editorBeingDeleted(editor.get());
        editor.reset();
    }
    void feed()
    {
        fillDemoBlock(buffer, 48000.0, played, random);
        processor->processBlock(buffer, midi);
        played += 512;
    }
    // Runs work on the render thread with the context current and returns what it cost; wallMs is -1 if
    // the render thread did not take it.
    FrameCost onRenderThread(const std::function<void()>& work)
    {
        auto cost = std::make_shared<FrameCost>();
        auto done = std::make_shared<std::atomic<bool>>(false);
        editor->getOglComponent().getContext().executeOnGLThread(
            [work, cost, done](juce::OpenGLContext&)
            {
                juce::gl::glFinish(); // nothing of an earlier frame left to rasterise
                const double cpuStart = renderCpuMs();
                const double start = juce::Time::getMillisecondCounterHiRes();
                work();
                juce::gl::glFinish();
                cost->wallMs = juce::Time::getMillisecondCounterHiRes() - start;
                cost->cpuMs = renderCpuMs() - cpuStart;
                done->store(true);
            },
            false);
        if (!pumpUntil([&] { return done->load(); }, 5000))
            return {-1.0, 0.0};
        return *cost;
    }

    std::unique_ptr<LatiphonixProcessor> processor;
    std::unique_ptr<CapturingEditor> editor;
    juce::AudioBuffer<float> buffer{2, 512};
    juce::MidiBuffer midi;
    juce::Random random{5};
    juce::int64 played = 0;
    bool ready = false;
};

// The framework and the session, made by the first benchmark that runs. Ended by main: left to the exit
// handlers, the framework's shutdown would delete its singletons after statics they use are gone.
struct SessionHolder
{
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> gui;
    std::unique_ptr<Session> s;
};

SessionHolder& sessionHolder()
{
    static SessionHolder holder;
    return holder;
}

Session* session()
{
    static const bool displayReady = prepareDisplay();
    auto& h = sessionHolder();
    if (h.s == nullptr && displayReady)
    {
        h.gui = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
        h.s = std::make_unique<Session>();
    }
    return h.s != nullptr && h.s->ready ? h.s.get() : nullptr;
}

// The editor and processor first, then the framework.
void endSession()
{
    auto& h = sessionHolder();
    h.s.reset();
    h.gui.reset();
}

enum class Frame
{
    empty,
    withoutGraphs,
    full
};

void run(benchmark::State& state, Frame kind)
{
    auto* s = session();
    if (s == nullptr)
    {
        state.SkipWithError("no X display with OpenGL (set DISPLAY)");
        return;
    }
    auto& ogl = s->editor->getOglComponent();
    const bool full = kind != Frame::empty;
    // As with Analysis off: the two graphs hidden, everything else drawn.
    s->editor->getGraph()->setVisible(kind != Frame::withoutGraphs);
    s->editor->getBalanceGraph()->setVisible(kind != Frame::withoutGraphs);
    s->editor->pump(50);
    double cpuTotal = 0.0;
    for (auto _ : state)
    {
        // Two blocks of audio per frame, as at 48 kHz and about 47 frames a second.
        s->feed();
        s->feed();
        const FrameCost cost = s->onRenderThread(
            [&ogl, full]
            {
                if (full)
                {
                    ogl.renderOpenGL();
                }
                else
                {
                    juce::gl::glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
                    juce::gl::glClear(juce::gl::GL_COLOR_BUFFER_BIT);
                }
            });
        if (cost.wallMs < 0.0)
        {
            state.SkipWithError("the render thread did not run the frame");
            return;
        }
        state.SetIterationTime(cost.wallMs / 1000.0);
        cpuTotal += cost.cpuMs;
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuTotal, benchmark::Counter::kAvgIterations);
}

void BM_EditorFrameEmpty(benchmark::State& state)
{
    run(state, Frame::empty);
}
void BM_EditorFrameWithoutGraphs(benchmark::State& state)
{
    run(state, Frame::withoutGraphs);
}
void BM_EditorFrameFull(benchmark::State& state)
{
    run(state, Frame::full);
}
BENCHMARK(BM_EditorFrameEmpty)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);
BENCHMARK(BM_EditorFrameWithoutGraphs)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);
BENCHMARK(BM_EditorFrameFull)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    endSession();
    return 0;
}
