// The frequency graph: axis and note-name figures, the band tables, the per-pixel and band curve updates
// against a direct computation on synthetic spectra (one bin, flat, a sweep, a step), bin indices that stay
// inside the source at every sample rate, the ballistic and averaged updates, and the zoom bars' zones and
// minimum spans under any drag.
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
    // The straight update: attack and release 0, so every pixel shows the new amplitude.
    void update(bool holdEnd = false) { graph.updateCurveSmoothed(0, 0, false, holdEnd, false); }
    double binsPerHz() const { return 2.0 * kHalf / processor.getSampleRate(); }
    // pos of pixel i as the update walks it: b fmin q^(i + 1).
    double position(int i, double fmin = 20.0, double fmax = 22000.0, int pixels = 1000) const
    {
        return binsPerHz() * fmin * std::pow(fmax / fmin, (i + 1.0) / pixels);
    }
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
    EXPECT_EQ(FreqAxis::noteName(440.0), "A4");
    EXPECT_EQ(FreqAxis::noteNumber(261.6), 40);
    EXPECT_EQ(FreqAxis::noteName(261.6), "C4");
    EXPECT_EQ(FreqAxis::noteName(466.2), "A#4");
    EXPECT_EQ(FreqAxis::noteName(26.0), "") << "below key 1";
    EXPECT_EQ(FreqAxis::noteName(0.0), "");
    EXPECT_EQ(FreqAxis::noteName(std::numeric_limits<double>::infinity()), "");
    EXPECT_EQ(FreqAxis::noteName(1.0e30), "");
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
    EXPECT_EQ(row5[0], 100.0f);
    EXPECT_EQ(row5[4], 510.0f);
    EXPECT_EQ(row5[24], 20500.0f);
    EXPECT_EQ(row5[25], FreqBandTables::endMark);
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
        EXPECT_EQ(r[0], e.first);
        EXPECT_EQ(r[e.edges - 1], e.last);
        EXPECT_EQ(r[e.edges], FreqBandTables::endMark);
        // Equal steps of the ear's resolution (ERB rate): each band as wide, perceptually, as the next.
        auto erb = [](double f) { return 21.4 * std::log10(1.0 + 0.00437 * f); };
        const double step = (erb(e.last) - erb(e.first)) / (e.edges - 1);
        for (int i = 1; i < e.edges; ++i)
            EXPECT_NEAR(erb(r[i]) - erb(r[i - 1]), step, 1e-4) << e.row << " " << i;
    }
}

TEST_F(GraphFixture, PerPixelUpdateOfOneBinAFlatSpectrumAndASweep)
{
    // One bin: 300 (12.9 kHz) lies where pixels are two bins wide, so exactly one pixel shows it.
    pushPowers(observer, [](int i) { return i == 300 ? 1.0 : 0.0; });
    update();
    int lit = -1, nonZero = 0;
    for (int i = 0; i < 1000; ++i)
        if (values()[i] != 0.0f)
        {
            ++nonZero;
            lit = i;
        }
    EXPECT_EQ(nonZero, 1);
    EXPECT_EQ(values()[lit], 1.0f);
    // Directly: the first pixel whose right edge passes bin 300.
    int expected = 0;
    while (position(expected) + 1.0 < 301.0)
        ++expected;
    EXPECT_NEAR(lit, expected, 1);
    EXPECT_FLOAT_EQ(graph.getPeakValue(), 1.0f);

    // Flat: every pixel up to the last full bin shows the level; past it 0, or the last value with holdEnd.
    pushPowers(observer, [](int) { return 1e-4; });
    update();
    int firstPast = 0;
    while (firstPast < 1000 && (int)(position(firstPast) + 1.0) < kHalf - 1)
        ++firstPast;
    ASSERT_LT(firstPast, 1000) << "22 kHz lies in the last bins at 44.1 kHz";
    for (int i = 0; i < firstPast; ++i)
        ASSERT_FLOAT_EQ(values()[i], 0.01f) << i;
    for (int i = firstPast; i < 1000; ++i)
        ASSERT_EQ(values()[i], 0.0f) << i;
    update(true);
    EXPECT_FLOAT_EQ(values()[999], 0.01f);

    // A sweep (amplitude 0.001 per bin): each pixel follows its position within about one bin.
    pushPowers(observer, [](int i) { return (0.001 * i) * (0.001 * i); });
    update();
    for (int i = 0; i < firstPast; ++i)
        ASSERT_NEAR(values()[i], 0.001 * position(i), 0.0021) << i;
    for (int i = 1; i < firstPast; ++i)
        ASSERT_GE(values()[i], values()[i - 1]) << i;
}

TEST_F(GraphFixture, PixelsNarrowerThanABinAreInterpolatedInTheLogDomain)
{
    // Amplitude 0.1 up to bin 3, 1 from bin 4: the pixels between bins 4 and 5 rise geometrically.
    pushPowers(observer, [](int i) { return i <= 3 ? 0.01 : 1.0; });
    update();
    int checked = 0;
    for (int i = 1; i < 1000; ++i)
    {
        if ((int)(position(i) + 1.0) != 4 || (int)(position(i - 1) + 1.0) != 4)
            continue;
        const double frac = position(i) + 1.0 - 4.0;
        EXPECT_NEAR(values()[i], std::exp((1.0 - frac) * std::log(0.1)), 1e-5) << i;
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
    const double b = binsPerHz();
    auto pixelOf = [](double hz)
    { return std::min(999, (int)((std::log(hz) - std::log(20.0)) / std::log(1100.0) * 1000.0)); };
    int from = pixelOf(100.0);
    for (int i = 0; i < from; ++i)
        ASSERT_EQ(values()[i], 0.0f);
    for (int band = 0; band < 25; ++band)
    {
        const int to = pixelOf(edges[band + 1]);
        const int lo = (int)(edges[band] * b);
        const int top = std::max(lo, std::min((int)(edges[band + 1] * b), kHalf) - 1);
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
    graph.setBandRatio(1.0f);
    graph.setBandRatio(0.5f);
    graph.setBandRatio(-3.0f);
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
        if (rate > 0.0)
        {
            processor.setRateAndBufferSizeDetails(rate, 512);
        }
        else if (rate == 0.0)
        {
            graph.setOglOwner(&noProcessorOwner); // no processor: rate 1, so 1024 bins per hertz
        }
        else
        {
            processor.setRateAndBufferSizeDetails(0.0, 512); // reports 0: read as 44.1 kHz
            graph.setOglOwner(&owner);
        }
        for (auto [lo, hi] : {std::pair{20.0f, 22000.0f}, {15000.0f, 22000.0f}, {21990.0f, 22000.0f}})
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
    // A left margin wider than the plot leaves nothing to update.
    graph.setLeftMargin(true, 5000);
    update();
}

TEST_F(GraphFixture, BallisticUpdateWaitsForDataAndRisesAndFallsAtTheSetRates)
{
    graph.updateCurveBallistic(0, 0, true, false, false);
    EXPECT_EQ(observer.getReadCount(), 0) << "no data yet: skipped, not awaited";

    graph.setCurveRiseTime(1.0f); // 20 dB per second
    EXPECT_EQ(graph.getFallRate(), 20.0f / 0.3f);
    pushPowers(observer, [](int) { return 1e-4; });
    graph.updateCurveBallistic(0, 0, true, false, false);
    EXPECT_EQ(observer.getReadCount(), 1);
    EXPECT_TRUE(observer.wasReadSincePush());
    EXPECT_EQ(observer.getLastReadTime(), clock.nowMs());
    EXPECT_FLOAT_EQ(values()[500], 0.01f) << "the first read jumps to the spectrum";

    pushPowers(observer, [](int) { return 1.0; });
    EXPECT_FALSE(observer.wasReadSincePush());
    clock.advance(100);
    graph.updateCurveBallistic(0, 0, true, false, false);
    EXPECT_NEAR(values()[500], 0.01 * std::pow(10.0, 0.1), 1e-6) << "+2 dB in 100 ms";

    pushPowers(observer, [](int) { return 1e-6; });
    clock.advance(300);
    graph.updateCurveBallistic(0, 0, true, false, false);
    EXPECT_NEAR(values()[500], 0.01 * std::pow(10.0, 0.1) * 0.1, 1e-6) << "-20 dB in 300 ms";

    // Without ballistics the curve follows within a factor of 1000 per update.
    clock.advance(10);
    graph.updateCurveBallistic(0, 0, false, false, false);
    EXPECT_NEAR(values()[500], 0.001, 1e-6);

    // Gain, and the curve's own gain when the source asks for it.
    EXPECT_FALSE(observer.setGain(-1.0f));
    ASSERT_TRUE(observer.setGain(4.0f));
    update();
    EXPECT_NEAR(values()[500], 0.004, 1e-7);
    graph.getCurve(0)->setSourceGain(0, 0.5f);
    observer.setUseCurveGain(true);
    update();
    EXPECT_NEAR(values()[500], 0.002, 1e-7);
}

TEST_F(GraphFixture, AveragingAndSmoothing)
{
    graph.setAveraging(true);
    pushPowers(observer, [](int) { return 1e-4; });
    update();
    pushPowers(observer, [](int) { return 9e-4; });
    update();
    EXPECT_NEAR(values()[500], 0.02, 1e-6) << "the mean of 0.01 and 0.03";
    graph.setXDisplayRange(30.0f, 20000.0f); // restarts the average
    update();
    EXPECT_NEAR(values()[500], 0.03, 1e-6);
    graph.setFixedAverage(true, 0.75f);
    pushPowers(observer, [](int) { return 1e-4; });
    update();
    EXPECT_NEAR(values()[500], 0.25 * 0.01 + 0.75 * 0.03, 1e-6);

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
    EXPECT_EQ(graph.getMouseMode(), 1);
    EXPECT_EQ(graph.getBarZone(), 1);
    graph.mouseDown(at(100, 195));
    EXPECT_EQ(graph.getMouseMode(), 3);
    graph.mouseDrag(at(150, 195));
    auto r = graph.getXDisplayRange();
    EXPECT_LT(r.min, 100.0f);
    EXPECT_LT(r.max, 10000.0f);
    graph.mouseUp(at(150, 195));

    // Zones on: the left quarter changes only the lower limit, the right quarter only the upper one.
    graph.setZonesOn(true);
    graph.setXDisplayRange(100.0f, 10000.0f);
    graph.mouseDown(at(100, 195));
    EXPECT_EQ(graph.getBarZone(), 0);
    graph.mouseDrag(at(100, 150));
    r = graph.getXDisplayRange();
    EXPECT_GT(r.min, 100.0f);
    EXPECT_EQ(r.max, 10000.0f);
    graph.mouseDown(at(900, 195));
    graph.mouseDrag(at(900, 150));
    EXPECT_EQ(graph.getXDisplayRange().min, r.min);
    EXPECT_LT(graph.getXDisplayRange().max, 10000.0f);

    // However far the drags go, 10 Hz and finite values remain.
    graph.setZonesOn(false);
    graph.mouseDown(at(500, 195));
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (auto [x, y] : {std::pair{500.0f, -100000.0f},
                        {500.0f, -1.0e9f},
                        {-1.0e9f, 5.0f},
                        {1.0e9f, 1.0e9f},
                        {nan, 195.0f},
                        {500.0f, inf},
                        {-inf, -inf},
                        {500.0f, 195.0f}})
    {
        graph.mouseDrag(at(x, y));
        r = graph.getXDisplayRange();
        ASSERT_TRUE(std::isfinite(r.min) && std::isfinite(r.max)) << x << " " << y;
        ASSERT_GE(r.max - r.min, 10.0f) << x << " " << y;
        ASSERT_GE(r.min, 20.0f);
        ASSERT_LE(r.max, 22000.0f);
    }
    // Ctrl on the bottom bar restores the view.
    graph.mouseDown(at(500, 195, juce::ModifierKeys::ctrlModifier));
    EXPECT_EQ(graph.getXDisplayRange().min, 20.0f);
    EXPECT_EQ(graph.getXDisplayRange().max, 22000.0f);

    // The side bar zooms the level axis down to 5 dB, never further; Ctrl restores it.
    graph.setSideBar(true, 25);
    graph.mouseDown(at(990, 100));
    EXPECT_EQ(graph.getMouseMode(), 4);
    for (float x : {1990.0f, 5000.0f, -1.0e9f, nan, 3000.0f})
    {
        graph.mouseDrag(at(x, 100));
        const auto y = graph.getYDisplayRange();
        ASSERT_TRUE(std::isfinite(y.min) && std::isfinite(y.max));
        ASSERT_GE(y.max - y.min, 5.0f);
        ASSERT_GE(y.min, -100.0f);
        ASSERT_LE(y.max, 0.0f);
    }
    graph.mouseDown(at(990, 100, juce::ModifierKeys::ctrlModifier));
    EXPECT_EQ(graph.getYDisplayRange().min, -100.0f);
    EXPECT_EQ(graph.getYDisplayRange().max, 0.0f);
}

TEST_F(GraphFixture, RangesRefuseWhatCannotBeDrawnAndDriveTheAttachedParameters)
{
    for (auto [lo, hi] : {std::pair{0.0f, 100.0f},
                          {-5.0f, 100.0f},
                          {100.0f, 105.0f},
                          {100.0f, 50.0f},
                          {std::nanf(""), 100.0f}})
        graph.setXRange(lo, hi, CFreqGraph::noView, CFreqGraph::noView);
    EXPECT_EQ(graph.getXRange().min, 20.0f);
    EXPECT_EQ(graph.getXRange().max, 22000.0f);
    graph.setYRange(-10.0f, -8.0f, CFreqGraph::noView, CFreqGraph::noView);
    EXPECT_EQ(graph.getYRange().min, -100.0f);
    graph.setXDisplayRange(500.0f, 502.0f);
    EXPECT_EQ(graph.getXDisplayRange().max - graph.getXDisplayRange().min, 10.0f);

    graph.setAttachedParameter(CFreqGraph::xDisplayMinParameter, 3);
    graph.setAttachedParameter(CFreqGraph::xDisplayMaxParameter, 4);
    graph.setAttachedParameter(CFreqGraph::yDisplayMinParameter, 5);
    graph.setAttachedParameter(CFreqGraph::yDisplayMaxParameter, 6);
    graph.setXDisplayRange(1119.0f, 11010.0f);
    EXPECT_NEAR(processor.getParameterRecord(3).getValue(), 0.05f, 1e-6f);
    EXPECT_NEAR(processor.getParameterRecord(4).getValue(), 0.5f, 1e-6f);
    graph.setYDisplayRange(-80.0f, -20.0f, false);
    EXPECT_EQ(processor.getParameterRecord(5).getValue(), TestProcessor::kMainDefaults[5]);
    graph.setYDisplayRange(-90.0f, -20.0f, true);
    EXPECT_NEAR(processor.getParameterRecord(5).getValue(), 0.1f, 1e-6f);
    EXPECT_NEAR(processor.getParameterRecord(6).getValue(), 0.8f, 1e-6f);

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
    update();
    ASSERT_NE(values()[500], 0.0f);
    graph.mouseDown(at(500, 100));
    EXPECT_EQ(values()[500], 0.0f);
    EXPECT_FALSE(observer.isDataReady());
    EXPECT_TRUE(observer.isCleared());
}
