// The cost of one editor frame on the machine's OpenGL driver (Mesa llvmpipe under Xvfb on the build
// machines, where the "GPU" is the CPU): a full frame of the product editor with every display active (the
// stereo-field graph and its overlay fed by a playing signal, the balance trail, the level indicators),
// beside an empty frame (clear only) as the floor the driver imposes. Times include glFinish, so that the
// rasterisation llvmpipe defers is counted; they are milliseconds of the render thread per frame.
//
// Needs DISPLAY (e.g. Xvfb with Mesa); without one every benchmark reports an error and skips.

#include "tools/screenshot/editor_capture.h"

#include "processor/vk_wrapper_type.h"
#include "product/latiphonix_parameters.h"
#include "vk_ogl_component.h"

#include <benchmark/benchmark.h>
#include <juce_opengl/juce_opengl.h>

#include <memory>

namespace
{
using namespace latiphonix;

// One editor window shared by the benchmarks, fed with audio between frames.
struct Session
{
    Session()
    {
        processor.reset(dynamic_cast<LatiphonixProcessor*>(createPluginFilter(vk::kWrapperVst3)));
        processor->setRateAndBufferSizeDetails(48000.0, 512);
        processor->prepareToPlay(48000.0, 512);
        processor->setParameterInternal(kAnalysis, 1.0f, false, false, false);
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
    // Runs work on the render thread with the context current and returns its milliseconds; -1 if the
    // render thread did not take it.
    double onRenderThread(const std::function<void()>& work)
    {
        auto done = std::make_shared<std::atomic<double>>(-2.0);
        editor->getOglComponent().getContext().executeOnGLThread(
            [work, done](juce::OpenGLContext&)
            {
                const double start = juce::Time::getMillisecondCounterHiRes();
                work();
                juce::gl::glFinish();
                done->store(juce::Time::getMillisecondCounterHiRes() - start);
            },
            false);
        if (!pumpUntil([&] { return done->load() > -2.0; }, 5000))
            return -1.0;
        return done->load();
    }

    std::unique_ptr<LatiphonixProcessor> processor;
    std::unique_ptr<CapturingEditor> editor;
    juce::AudioBuffer<float> buffer{2, 512};
    juce::MidiBuffer midi;
    juce::Random random{5};
    juce::int64 played = 0;
    bool ready = false;
};

Session* session()
{
    static const bool displayReady = prepareDisplay();
    static std::unique_ptr<juce::ScopedJuceInitialiser_GUI> gui;
    static std::unique_ptr<Session> s;
    if (s == nullptr && displayReady)
    {
        gui = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
        s = std::make_unique<Session>();
    }
    return s != nullptr && s->ready ? s.get() : nullptr;
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
    for (auto _ : state)
    {
        // Two blocks of audio per frame, as at 48 kHz and about 47 frames a second.
        s->feed();
        s->feed();
        const double ms = s->onRenderThread(
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
        if (ms < 0.0)
        {
            state.SkipWithError("the render thread did not run the frame");
            return;
        }
        state.SetIterationTime(ms / 1000.0);
    }
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
    return 0;
}
