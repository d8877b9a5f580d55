// The frequency graph across threads: the message thread changes ranges, band settings, curve lengths and
// observers while the render thread draws and updates the curves and an audio thread pushes spectra. Run
// under ThreadSanitizer; the render thread never waits for a source.
#include "editor_test_support.h"
#include "message_pump.h"
#include "recorded_frame_test_support.h"

#include "c_freq_graph.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace vk;
using namespace vk::test;

namespace
{
constexpr int kHalf = 512;

class UpdatingGraph : public CFreqGraph
{
public:
    ~UpdatingGraph() override { leaveRenderWalk(); }
    // As a product graph does: every frame updates its curves and reads them back for drawing.
    void paintGraph(bool) override
    {
        updateCurveBallistic(0, 0, true, true, false);
        updateCurveSmoothed(1, 0, true, false, false);
        auto* curve = getCurve(0);
        const Range x = getXDisplayRange();
        const float* values = curve->getValues(0);
        for (int i = 0; i < curve->getLength(); ++i)
            if (!std::isfinite(values[i]) || values[i] < 0.0f || !(x.max - x.min >= minimumFrequencySpan))
                bad.fetch_add(1);
        frames.fetch_add(1);
    }
    std::atomic<int> frames{0};
    std::atomic<int> bad{0};
};
} // namespace

TEST(FreqGraphThreads, RangesChangeOnTheMessageThreadWhileTheRenderThreadDraws)
{
    TestProcessor processor;
    processor.setRateAndBufferSizeDetails(32000.0, 512);
    RecordingGlApi gl;
    ProcessorOwner owner(&gl, &processor);
    VkJuceObserverFrequencyDomain left(2 * kHalf, 22005.0f), right(2 * kHalf, 22005.0f);
    UpdatingGraph graph;
    graph.setOglOwner(&owner);
    graph.setBounds(0, 0, 400, 100);
    graph.setSource(0, &left);
    graph.setSource(1, &right);

    std::atomic<bool> stop{false};
    std::thread audio(
        [&]
        {
            std::vector<VkJuceObserverFrequencyDomain::Bin> bins(kHalf + 1);
            for (int n = 0; !stop.load(); ++n)
            {
                for (int i = 0; i <= kHalf; ++i)
                    bins[(size_t)i] = {(double)((i + n) % 97), 0.0};
                left.pushSpectrum(2 * kHalf, bins.data());
                right.pushSpectrum(2 * kHalf, bins.data());
                std::this_thread::yield();
            }
        });
    std::thread render(
        [&]
        {
            while (!stop.load())
                graph.render(15);
        });

    // The message thread: ranges, drags, band settings, lengths, observers and clears, in a bounded loop.
    graph.mouseDown(mouseAt(graph, {200, 95}));
    for (int n = 0; n < 3000; ++n)
    {
        const float f = (float)(n % 100);
        graph.setXDisplayRange(20.0f + f * 100.0f, 22000.0f - f * 50.0f);
        graph.setYDisplayRange(-100.0f + f * 0.5f, -f * 0.2f, true);
        graph.mouseDrag(mouseAt(graph, {200.0f + (float)(n % 37) * 7.0f, 95.0f - (float)(n % 23) * 11.0f}));
        graph.setBandRatio(n % 3 == 0 ? 0.0f : (n % 3 == 1 ? -1.0f : 1.5f));
        graph.setBandTable(n % 9);
        if (n % 50 == 0)
            graph.setCurveLength(300 + n % 200);
        if (n % 97 == 0)
            graph.setCurveExtras(n % 2 == 0);
        if (n % 101 == 0)
            graph.clearCurves();
        graph.setCurveRiseTime((float)(n % 5) * 0.1f);
    }
    // With the curves' own observers off again the render thread reads the fed sources; a bounded wait
    // (generous, whatever the scheduler does) for it to have drawn and read them.
    graph.setCurveExtras(false);
    pumpUntil([&] { return graph.frames.load() >= 10 && left.getReadCount() > 0; }, 60000);
    stop.store(true);
    audio.join();
    render.join();
    graph.mouseUp(mouseAt(graph, {200, 95}));

    EXPECT_GE(graph.frames.load(), 10);
    EXPECT_EQ(graph.bad.load(), 0);
    EXPECT_GT(left.getReadCount(), 0);
}
