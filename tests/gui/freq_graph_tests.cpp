// The frequency graph: axis and note-name figures, the band tables, the per-pixel and band curve updates
// against a direct computation on synthetic spectra, bin indices that stay inside the source at every sample
// rate, the ballistic and averaged updates, and the zoom bars' zones and minimum spans under any drag.
#include "editor_test_support.h"
#include "recorded_frame_test_support.h"

#include "c_freq_graph.h"
#include "freq_axis.h"
#include "freq_band_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace vk;
using namespace vk::test;

namespace
{
constexpr int kHalf = 512; // the observer's half size: 1024-point frames
using Span = std::pair<float, float>;

void pushPowers(VkJuceObserverFrequencyDomain& observer, const std::function<double(int)>& power)
{
    std::vector<VkJuceObserverFrequencyDomain::Bin> bins(kHalf + 1);
    for (int i = 0; i <= kHalf; ++i)
        bins[(size_t)i] = {std::sqrt(power(i)), 0.0};
    observer.setNoMerge();
    ASSERT_TRUE(observer.pushSpectrum(2 * kHalf, bins.data()));
}

class RecordingGraph : public CFreqGraph
{
public:
    using CFreqGraph::CFreqGraph;
    ~RecordingGraph() override { leaveRenderWalk(); }
    void paintUnderlay() override { hooks.push_back("underlay"); }
    void paintGraph(bool foreground) override { hooks.push_back(foreground ? "graph true" : "graph false"); }
    void onRightClick(const juce::MouseEvent&, double hz) override { rightClickHz = hz; }
    std::vector<std::string> hooks;
    double rightClickHz = 0.0;
};

struct GraphFixture : ::testing::Test
{
    TestProcessor processor;
    RecordingGlApi gl;
    ProcessorOwner owner{&gl, &processor};
    ManualDisplayClock clock;
    VkJuceObserverFrequencyDomain observer{2 * kHalf, 22005.0f};
    RecordingGraph graph{clock};

    void SetUp() override
    {
        processor.setRateAndBufferSizeDetails(44100.0, 512);
        graph.setOglOwner(&owner);
        graph.setBounds(0, 0, 1000, 200);
        graph.setSource(0, &observer);
    }
    float* values() { return graph.getCurve(0)->getValues(0); }
    static Span span(CFreqGraph::Range r) { return {r.min, r.max}; }
    // The straight update (attack and release 0: every pixel shows the new amplitude); returns pixel 500.
    float update(bool holdEnd = false)
    {
        graph.updateCurveSmoothed(0, 0, false, holdEnd, false);
        return values()[500];
    }
    float ballistic(bool on = true)
    {
        graph.updateCurveBallistic(0, 0, on, false, false);
        return values()[500];
    }
    double binsPerHz() const { return 2.0 * kHalf / processor.getSampleRate(); }
    // pos of pixel i as the update walks it: b fmin q^(i + 1).
    double position(int i) const { return binsPerHz() * 20.0 * std::pow(1100.0, (i + 1.0) / 1000); }
    juce::MouseEvent at(float x, float y, int mods = 0) { return mouseAt(graph, {x, y}, withButton(mods)); }
};
} // namespace

TEST(FreqAxis, FrequenciesNotesAndLabels)
{
    EXPECT_NEAR(FreqAxis::frequencyAtPixel(0, 1000, 20, 22000), 20.0, 1e-9);
    EXPECT_NEAR(FreqAxis::frequencyAtPixel(500, 1000, 20, 22000), 663.3, 0.05);
    EXPECT_NEAR(FreqAxis::frequencyAtPixel(1000, 1000, 20, 22000), 22000.0, 1e-6);
    EXPECT_NEAR(FreqAxis::pixelOfFrequency(663.325, 1000, 20, 22000), 500.0, 1e-3);
    EXPECT_EQ(FreqAxis::noteNumber(440.0), 49);
    EXPECT_EQ(FreqAxis::noteNumber(261.6), 40);
    // Below key 1, zero, infinite and absurd frequencies have no name.
    const std::pair<double, const char*> names[] = {{440.0, "A4"}, {261.6, "C4"}, {466.2, "A#4"}, {26.0, ""},
                                                    {0.0, ""},     {kInf, ""},    {1.0e30, ""}};
    for (auto [hz, name] : names)
        EXPECT_EQ(FreqAxis::noteName(hz), name) << hz;
    EXPECT_NEAR(FreqAxis::snapToNote(450.0), 440.0, 1e-6);
    EXPECT_EQ(FreqAxis::frequencyLabel(1234.4, 0), "1234Hz");
    EXPECT_EQ(FreqAxis::frequencyLabel(440.0, 4), "A4");
    EXPECT_EQ(FreqAxis::frequencyLabel(std::nan(""), 0), "0Hz");
}

TEST(FreqBandTables, CriticalBandsAndEvenlySpacedPerceptualRows)
{
    int count = 0;
    const float* row5 = FreqBandTables::getRow(5, count);
    ASSERT_EQ(count, 26);
    EXPECT_EQ((std::vector<float>{row5[0], row5[4], row5[24], row5[25]}),
              (std::vector<float>{100.0f, 510.0f, 20500.0f, FreqBandTables::endMark}));
    for (int row : {0, 4, -1, 9})
    {
        EXPECT_EQ(FreqBandTables::getRow(row, count) == nullptr, row < 0 || row > 8);
        EXPECT_EQ(count, 0);
    }
    EXPECT_EQ(FreqBandTables::getReferenceFrequency(2), 440.0f);
    EXPECT_EQ(FreqBandTables::getReferenceFrequency(6), 1000.0f);

    struct Expected
    {
        int row, edges;
        float first, last;
    };
    for (const auto& e : {Expected{6, 77, 28.06f, 19339.07f}, Expected{7, 32, 51.72f, 20101.32f},
                          Expected{8, 95, 31.86f, 20101.32f}})
    {
        const float* r = FreqBandTables::getRow(e.row, count);
        ASSERT_EQ(count, e.edges + 1) << e.row;
        EXPECT_EQ((std::vector<float>{r[0], r[e.edges - 1], r[e.edges]}),
                  (std::vector<float>{e.first, e.last, FreqBandTables::endMark}));
        // Equal steps of the ear's resolution (ERB rate): each band as wide, perceptually, as the next.
        auto erb = [](double f) { return 21.4 * std::log10(1.0 + 0.00437 * f); };
        const double step = (erb(e.last) - erb(e.first)) / (e.edges - 1);
        for (int i = 1; i < e.edges; ++i)
            EXPECT_NEAR(erb(r[i]) - erb(r[i - 1]), step, 1e-4) << e.row << " " << i;
    }
}

TEST_F(GraphFixture, PerPixelUpdateOfOneBinAFlatSpectrumASweepAndInterpolatedNarrowPixels)
{
    // One bin: 300 (12.9 kHz) lies where pixels are two bins wide, so exactly one pixel shows it: the first
    // whose right edge passes bin 300.
    pushPowers(observer, [](int i) { return i == 300 ? 1.0 : 0.0; });
    update();
    std::vector<int> lit;
    for (int i = 0; i < 1000; ++i)
        if (values()[i] != 0.0f)
            lit.push_back(i);
    ASSERT_EQ(lit.size(), 1u);
    EXPECT_EQ(values()[lit[0]], 1.0f);
    int expected = 0;
    while (position(expected) + 1.0 < 301.0)
        ++expected;
    EXPECT_NEAR(lit[0], expected, 1);
    EXPECT_FLOAT_EQ(graph.getPeakValue(), 1.0f);

    // Flat: every pixel up to the last full bin shows the level; past it 0, or the last value with holdEnd.
    pushPowers(observer, [](int) { return 1e-4; });
    update();
    int firstPast = 0;
    while (firstPast < 1000 && (int)(position(firstPast) + 1.0) < kHalf - 1)
        ++firstPast;
    ASSERT_LT(firstPast, 1000) << "22 kHz lies in the last bins at 44.1 kHz";
    for (int i = 0; i < 1000; ++i)
        ASSERT_FLOAT_EQ(values()[i], i < firstPast ? 0.01f : 0.0f) << i;
    update(true);
    EXPECT_FLOAT_EQ(values()[999], 0.01f);

    // A sweep (amplitude 0.001 per bin): each pixel follows its position within about one bin.
    pushPowers(observer, [](int i) { return (0.001 * i) * (0.001 * i); });
    update();
    for (int i = 0; i < firstPast; ++i)
    {
        ASSERT_NEAR(values()[i], 0.001 * position(i), 0.0021) << i;
        ASSERT_GE(values()[i], values()[std::max(0, i - 1)]) << i;
    }

    // Amplitude 0.1 up to bin 3, 1 from bin 4: the pixels between bins 4 and 5 rise geometrically.
    pushPowers(observer, [](int i) { return i <= 3 ? 0.01 : 1.0; });
    update();
    int checked = 0;
    for (int i = 1; i < 1000; ++i)
        if ((int)(position(i) + 1.0) == 4 && (int)(position(i - 1) + 1.0) == 4)
        {
            EXPECT_NEAR(values()[i], std::exp((4.0 - position(i)) * std::log(0.1)), 1e-5) << i;
            ++checked;
        }
    EXPECT_GT(checked, 20);
}

TEST_F(GraphFixture, CriticalBandTableGivesTwentyFiveFlatSteps)
{
    pushPowers(observer, [](int i) { return (0.001 * i) * (0.001 * i); });
    graph.setBandRatio(-1.0f);
    graph.setBandTable(5);
    update();
    int count = 0;
    const float* edges = FreqBandTables::getRow(5, count);
    auto pixelOf = [](double hz)
    { return std::min(999, (int)((std::log(hz) - std::log(20.0)) / std::log(1100.0) * 1000.0)); };
    int from = pixelOf(100.0);
    for (int i = 0; i < from; ++i)
        ASSERT_EQ(values()[i], 0.0f);
    for (int band = 0; band < 25; ++band)
    {
        const int to = pixelOf(edges[band + 1]);
        const int lo = (int)(edges[band] * binsPerHz());
        const int top = std::max(lo, std::min((int)(edges[band + 1] * binsPerHz()), kHalf) - 1);
        for (int x = from; x <= to; ++x)
            ASSERT_FLOAT_EQ(values()[x], (float)(0.001 * top)) << band << " " << x;
        from = to + 1;
    }
    EXPECT_EQ(from, 1000);

    // Octave bands aligned to 1 kHz: the first, from 11.05 Hz, ends at 22.1 Hz.
    graph.setBandRatio(2.0f);
    graph.setBandTable(0);
    update();
    const double first = 1000.0 / 64.0 / std::sqrt(2.0);
    EXPECT_EQ(graph.getFirstBandWidth(), pixelOf(first * 2.0));
    for (int k = 3; k < 10; ++k)
    {
        const int x = pixelOf(first * std::pow(2.0, k + 1));
        EXPECT_NE(values()[x], values()[x + 1]) << "a step at each octave edge " << k;
        EXPECT_EQ(values()[x], values()[x - 1]);
    }

    // Ratios that would never reach the range are refused.
    for (float ratio : {1.0f, 0.5f, -3.0f})
        graph.setBandRatio(ratio);
    EXPECT_EQ(graph.getBandRatio(), 2.0f);
}

TEST_F(GraphFixture, BinIndicesStayInsideTheSourceAtEverySampleRate)
{
    // Display ranges above the Nyquist frequency of 22.05 and 32 kHz streams, and band tables reaching
    // 20.5 kHz, read only the source's N + 1 values (ASan watches the observer's buffers).
    pushPowers(observer, [](int i) { return 1.0 + i; });
    TestEditor noProcessorOwner(&gl);
    for (double rate : {22050.0, 32000.0, 0.0, -1.0})
    {
        if (rate == 0.0)
            graph.setOglOwner(&noProcessorOwner); // no processor: rate 1, so 1024 bins per hertz
        else
            graph.setOglOwner(&owner);
        // A processor reporting 0 is read as 44.1 kHz.
        processor.setRateAndBufferSizeDetails(std::max(rate, 0.0), 512);
        for (auto [lo, hi] : {Span{20.0f, 22000.0f}, {15000.0f, 22000.0f}, {21990.0f, 22000.0f}})
        {
            graph.setXDisplayRange(lo, hi);
            for (float ratio : {0.0f, -1.0f, 2.0f, 1.06f})
                for (int row : {0, 4, 5, 6, 7, 8})
                {
                    graph.setBandRatio(ratio);
                    graph.setBandTable(row);
                    update(true);
                    graph.updateCurveBallistic(0, 0, true, false, true);
                    for (int i = 0; i < 1000; ++i)
                        ASSERT_TRUE(std::isfinite(values()[i]) && values()[i] >= 0.0f) << rate << " " << i;
                }
        }
    }
    graph.setLeftMargin(true, 5000); // wider than the plot: nothing to update
    update();
}

TEST_F(GraphFixture, BallisticAveragedAndSmoothedUpdates)
{
    ballistic();
    EXPECT_EQ(observer.getReadCount(), 0) << "no data yet: skipped, not awaited";
    graph.setCurveRiseTime(1.0f); // 20 dB per second
    EXPECT_EQ(graph.getFallRate(), 20.0f / 0.3f);
    pushPowers(observer, [](int) { return 1e-4; });
    EXPECT_FLOAT_EQ(ballistic(), 0.01f) << "the first read jumps to the spectrum";
    EXPECT_EQ(observer.getReadCount(), 1);
    EXPECT_TRUE(observer.wasReadSincePush());
    EXPECT_EQ(observer.getLastReadTime(), clock.nowMs());
    pushPowers(observer, [](int) { return 1.0; });
    EXPECT_FALSE(observer.wasReadSincePush());
    clock.advance(100);
    EXPECT_NEAR(ballistic(), 0.01 * std::pow(10.0, 0.1), 1e-6) << "+2 dB in 100 ms";
    pushPowers(observer, [](int) { return 1e-6; });
    clock.advance(300);
    EXPECT_NEAR(ballistic(), 0.01 * std::pow(10.0, 0.1) * 0.1, 1e-6) << "-20 dB in 300 ms";
    clock.advance(10);
    EXPECT_NEAR(ballistic(false), 0.001, 1e-6) << "without ballistics: within a factor of 1000 per update";

    // Gain, and the curve's own gain when the source asks for it.
    EXPECT_FALSE(observer.setGain(-1.0f));
    ASSERT_TRUE(observer.setGain(4.0f));
    EXPECT_NEAR(update(), 0.004, 1e-7);
    graph.getCurve(0)->setSourceGain(0, 0.5f);
    observer.setUseCurveGain(true);
    EXPECT_NEAR(update(), 0.002, 1e-7);
    observer.setUseCurveGain(false);
    ASSERT_TRUE(observer.setGain(1.0f));

    graph.setAveraging(true);
    pushPowers(observer, [](int) { return 1e-4; });
    update();
    pushPowers(observer, [](int) { return 9e-4; });
    EXPECT_NEAR(update(), 0.02, 1e-6) << "the mean of 0.01 and 0.03";
    graph.setXDisplayRange(30.0f, 20000.0f); // restarts the average
    EXPECT_NEAR(update(), 0.03, 1e-6);
    graph.setFixedAverage(true, 0.75f);
    pushPowers(observer, [](int) { return 1e-4; });
    EXPECT_NEAR(update(), 0.25 * 0.01 + 0.75 * 0.03, 1e-6);
    graph.setAveraging(false);
    graph.setAttackRelease(0.5f, 0.9f);
    pushPowers(observer, [](int) { return 0.0; });
    graph.updateCurveSmoothed(0, 0, true, false, false);
    EXPECT_NEAR(values()[500], 0.9 * (0.25 * 0.01 + 0.75 * 0.03), 1e-6) << "release towards silence";
}

TEST_F(GraphFixture, ZonesMoveOneEndAndEveryDragKeepsTheMinimumSpan)
{
    graph.setXDisplayRange(100.0f, 10000.0f);
    // Zones off (initially): a drag on the bottom bar moves both ends.
    graph.mouseMove(at(100, 195));
    EXPECT_EQ(std::make_pair(graph.getMouseMode(), graph.getBarZone()), std::make_pair(1, 1));
    graph.mouseDown(at(100, 195));
    EXPECT_EQ(graph.getMouseMode(), 3);
    graph.mouseDrag(at(150, 195));
    EXPECT_LT(graph.getXDisplayRange().min, 100.0f);
    EXPECT_LT(graph.getXDisplayRange().max, 10000.0f);
    graph.mouseUp(at(150, 195));

    // Zones on: the left quarter changes only the lower limit, the right quarter only the upper one.
    graph.setZonesOn(true);
    graph.setXDisplayRange(100.0f, 10000.0f);
    graph.mouseDown(at(100, 195));
    EXPECT_EQ(graph.getBarZone(), 0);
    graph.mouseDrag(at(100, 150));
    const auto r = graph.getXDisplayRange();
    EXPECT_GT(r.min, 100.0f);
    EXPECT_EQ(r.max, 10000.0f);
    graph.mouseDown(at(900, 195));
    graph.mouseDrag(at(900, 150));
    EXPECT_EQ(graph.getXDisplayRange().min, r.min);
    EXPECT_LT(graph.getXDisplayRange().max, 10000.0f);

    // However far the drags go, 10 Hz and finite values remain; Ctrl on the bottom bar restores the view.
    graph.setZonesOn(false);
    graph.mouseDown(at(500, 195));
    const Span drags[] = {{500.0f, -100000.0f}, {500.0f, -1.0e9f}, {-1.0e9f, 5.0f}, {1.0e9f, 1.0e9f},
                          {kNaN, 195.0f},       {500.0f, kInf},    {-kInf, -kInf},  {500.0f, 195.0f}};
    for (auto [x, y] : drags)
    {
        graph.mouseDrag(at(x, y));
        const auto d = graph.getXDisplayRange();
        ASSERT_TRUE(std::isfinite(d.min) && std::isfinite(d.max)) << x << " " << y;
        ASSERT_TRUE(d.max - d.min >= 10.0f && d.min >= 20.0f && d.max <= 22000.0f) << x << " " << y;
    }
    graph.mouseDown(at(500, 195, juce::ModifierKeys::ctrlModifier));
    EXPECT_EQ(span(graph.getXDisplayRange()), (Span{20.0f, 22000.0f}));

    // The side bar zooms the level axis down to 5 dB, never further; Ctrl restores it.
    graph.setSideBar(true, 25);
    graph.mouseDown(at(990, 100));
    EXPECT_EQ(graph.getMouseMode(), 4);
    for (float x : {1990.0f, 5000.0f, -1.0e9f, kNaN, 3000.0f})
    {
        graph.mouseDrag(at(x, 100));
        const auto y = graph.getYDisplayRange();
        ASSERT_TRUE(std::isfinite(y.min) && std::isfinite(y.max)) << x;
        ASSERT_TRUE(y.max - y.min >= 5.0f && y.min >= -100.0f && y.max <= 0.0f) << x;
    }
    graph.mouseDown(at(990, 100, juce::ModifierKeys::ctrlModifier));
    EXPECT_EQ(span(graph.getYDisplayRange()), (Span{-100.0f, 0.0f}));
}

TEST_F(GraphFixture, RangesRefuseWhatCannotBeDrawnAndDriveTheAttachedParameters)
{
    for (auto [lo, hi] :
         {Span{0.0f, 100.0f}, {-5.0f, 100.0f}, {100.0f, 105.0f}, {100.0f, 50.0f}, {kNaN, 100.0f}})
        graph.setXRange(lo, hi, CFreqGraph::noView, CFreqGraph::noView);
    EXPECT_EQ(span(graph.getXRange()), (Span{20.0f, 22000.0f}));
    graph.setYRange(-10.0f, -8.0f, CFreqGraph::noView, CFreqGraph::noView);
    EXPECT_EQ(graph.getYRange().min, -100.0f);
    graph.setXDisplayRange(500.0f, 502.0f);
    EXPECT_EQ(graph.getXDisplayRange().max - graph.getXDisplayRange().min, 10.0f);

    graph.setAttachedParameter(CFreqGraph::xDisplayMinParameter, 3);
    graph.setAttachedParameter(CFreqGraph::xDisplayMaxParameter, 4);
    graph.setAttachedParameter(CFreqGraph::yDisplayMinParameter, 5);
    graph.setAttachedParameter(CFreqGraph::yDisplayMaxParameter, 6);
    const auto value = [this](int i) { return processor.getParameterRecord(i).getValue(); };
    graph.setXDisplayRange(1119.0f, 11010.0f);
    EXPECT_NEAR(value(3), 0.05f, 1e-6f);
    EXPECT_NEAR(value(4), 0.5f, 1e-6f);
    graph.setYDisplayRange(-80.0f, -20.0f, false);
    EXPECT_EQ(value(5), TestProcessor::kMainDefaults[5]);
    graph.setYDisplayRange(-90.0f, -20.0f, true);
    EXPECT_NEAR(value(5), 0.1f, 1e-6f);
    EXPECT_NEAR(value(6), 0.8f, 1e-6f);

    // A range change clears the held values of the first two sources.
    graph.getCurve(0)->getHeldValues(0)[10] = 1.0f;
    graph.getCurve(0)->getHeldValues(2)[10] = 1.0f;
    graph.setXDisplayRange(200.0f, 2000.0f);
    EXPECT_EQ(graph.getCurve(0)->getHeldValues(0)[10], 0.0f);
    EXPECT_EQ(graph.getCurve(0)->getHeldValues(2)[10], 1.0f);
}

TEST_F(GraphFixture, CurvesHooksReadoutAndClicks)
{
    EXPECT_EQ(graph.getNumCurves(), 1);
    EXPECT_EQ(graph.getCurve(1), nullptr);
    EXPECT_EQ(graph.getCurve(-1), nullptr);
    graph.ensureCurves(1000);
    EXPECT_EQ(graph.getNumCurves(), CFreqGraph::maxCurves);
    graph.setBounds(0, 0, 640, 200);
    EXPECT_EQ(graph.getCurve(0)->getLength(), 640) << "one point per pixel";
    EXPECT_EQ(graph.getCurve(63)->getLength(), 640);
    graph.render(15);
    EXPECT_EQ(graph.hooks, (std::vector<std::string>{"underlay", "graph false"}));
    graph.setBounds(0, 0, 0, 200);
    graph.render(15);
    EXPECT_EQ(graph.hooks.size(), 2u);
    graph.setBounds(0, 0, 1000, 200);

    // Observers of a curve's own exist only for sources it has; a runaway one starts over.
    graph.setCurveExtras(true);
    auto* own = graph.getCurve(0)->getObserver(0);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->getHalfSize(), kHalf);
    EXPECT_EQ(graph.getCurve(0)->getObserver(1), nullptr);
    pushPowers(*own, [](int i) { return i == 7 ? 4.0e12 : 0.0; });
    graph.setCurveExtras(true);
    EXPECT_FALSE(own->isDataReady());
    graph.setCurveExtras(false);
    EXPECT_EQ(graph.getCurve(0)->getObserver(0), nullptr);

    // Readout in hertz, then as note names; a right click in note mode snaps to the key.
    graph.setReadoutOn(true);
    graph.mouseMove(at(500, 100));
    EXPECT_EQ(graph.getReadoutText(), "663Hz");
    graph.setBandTable(4);
    graph.mouseMove(at(441, 100));
    EXPECT_EQ(graph.getReadoutText(), "A4");
    graph.mouseDown(mouseAt(graph, {441, 100}, juce::ModifierKeys(juce::ModifierKeys::rightButtonModifier)));
    EXPECT_NEAR(graph.rightClickHz, 440.0, 1e-3);
    graph.mouseExit(at(441, 100));
    EXPECT_EQ(graph.getReadoutText(), "");
    EXPECT_EQ(graph.getMouseMode(), 0);

    // A click on the plot clears the curves and their sources.
    pushPowers(observer, [](int) { return 1.0; });
    ASSERT_NE(update(), 0.0f);
    graph.mouseDown(at(500, 100));
    EXPECT_EQ(values()[500], 0.0f);
    EXPECT_FALSE(observer.isDataReady());
    EXPECT_TRUE(observer.isCleared());
}
