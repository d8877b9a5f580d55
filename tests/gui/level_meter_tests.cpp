// The peak ballistics against an injected clock, and the level meter's segments as drawn on the recording
// GL table: lit, dim and marker segments, the clip blink, both directions, the placeholder, and scales that
// must never make a frame loop without end.
#include "editor_test_support.h"
#include "recorded_frame_test_support.h"

#include "vk_juce_dynamic_display_level_meter.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <tuple>

using namespace vk;
using namespace vk::test;

namespace
{
constexpr float litA = 160.0f / 255.0f, dimA = 50.0f / 255.0f;

struct FixedSource : VkJuceDisplaySource
{
    std::atomic<float> value{-100.0f};
    float getValue() const override { return value.load(); }
};

struct MeterFixture : ::testing::Test
{
    RecordingGlApi gl;
    TestEditor owner{&gl};
    ManualDisplayClock clock;
    FixedSource source;
    VkJuceDynamicDisplayLevelMeter meter{"meter", clock};

    void SetUp() override
    {
        meter.setOglOwner(&owner);
        meter.setBounds(0, 0, 20, 120); // 2 pixels per dB
        meter.setDataSource(&source);
        // Levels at or below -12.2 dB red, above green: tells "colour of the level" from "colour of the top".
        meter.getColourTable().set(0, -12.2f, juce::Colours::red);
        meter.getColourTable().set(1, 150.0f, juce::Colours::green);
    }
    std::vector<DrawnRect> frame()
    {
        gl.clearCalls();
        owner.ogl.getStateCache().resetAll(); // as every frame starts
        meter.render(15);
        return drawnRects(gl);
    }
    static bool isRed(const DrawnRect& r) { return r.r == 1.0f && r.g == 0.0f; }
    static bool isWhite(const DrawnRect& r) { return r.r == 1.0f && r.g == 1.0f && r.b == 1.0f; }
    // Segments [from, to) drawn with alpha a.
    static void expectAlpha(const std::vector<DrawnRect>& rects, size_t from, size_t to, float a)
    {
        ASSERT_GE(rects.size(), to);
        for (size_t i = from; i < to; ++i)
            EXPECT_NEAR(rects[i].a, a, 1e-3f) << i;
    }
};
} // namespace

TEST(Ballistics, HoldThenFallAtTheSetRateOnTheInjectedClock)
{
    ManualDisplayClock clock;
    VkJuceBallistics slow(2.0f, 1.5f, 1.0f, clock), fast(0.1f, 1.5f, 1.0f, clock);
    EXPECT_EQ(slow.get(), -1000.0f);
    EXPECT_NEAR(slow.getFallRate(), 13.3333f, 1e-3f);
    slow.push(-3.0f);
    fast.push(-3.0f);
    slow.push(-20.0f); // below the held value: ignored
    slow.push(kNaN);
    clock.advance(99);
    EXPECT_EQ(fast.get(), -3.0f);
    clock.advance(1);
    EXPECT_EQ(fast.get(), -3.0f); // released now, nothing has fallen yet
    clock.advance(1000);
    EXPECT_NEAR(fast.get(), -3.0f - 13.3333f, 1e-3f);
    clock.set(1000000 + 1999);
    EXPECT_EQ(slow.get(), -3.0f);
    clock.set(1000000 + 2750);
    EXPECT_NEAR(slow.get(), -3.0f - 10.0f, 1e-3f);
    clock.advance(1500);
    EXPECT_NEAR(slow.get(), -33.0f, 1e-3f);

    VkJuceBallistics forever(VkJuceBallistics::holdForever, 0.0f, 1.0f, clock);
    forever.push(-6.0f);
    clock.advance(3600000);
    EXPECT_EQ(forever.get(), -6.0f);
    forever.setFallTime(0.0f);
    EXPECT_EQ(forever.getFallRate(), 1000000.0f);
    forever.setFallTime(-1.0f); // refused
    EXPECT_EQ(forever.getFallRate(), 1000000.0f);

    VkJuceBallistics floorMeter(0.0f, 1.0f, -1.0f, clock);
    EXPECT_EQ(floorMeter.get(), 1000.0f);
    floorMeter.push(-10.0f);
    clock.advance(500);
    EXPECT_NEAR(floorMeter.get(), 0.0f, 1e-3f); // rises by 20 dB per second
}

TEST_F(MeterFixture, LevelLightsTheSegmentsBelowItAndDimsTheRest)
{
    meter.setShowPeakMarker(false);
    source.value = -12.3f;
    auto rects = frame();
    ASSERT_EQ(rects.size(), 60u);
    // Bottom up: -60..-59 is the first; vertical, 1 segment = 2 pixels less a 1-pixel gap.
    EXPECT_EQ(std::make_tuple(rects[0].y1, rects[0].y2, rects[0].x2), std::make_tuple(118, 119, 20));
    expectAlpha(rects, 0, 48, litA); // -60..-59 up to -13..-12
    expectAlpha(rects, 48, 60, dimA);
    EXPECT_TRUE(isRed(rects[47])) << "the segment holding the level takes the level's colour";
    EXPECT_FALSE(isRed(rects[48])) << "the others take the colour of their top";

    source.value = -12.0f;
    meter.resetBallistics();
    rects = frame();
    expectAlpha(rects, 47, 48, litA);
    EXPECT_FALSE(isRed(rects[47])) << "-13..-12 does not hold -12";
    expectAlpha(rects, 48, 49, dimA); // -12..-11 is dim at exactly -12

    meter.setSegmentAlphas(160, 90, 50);
    source.value = -12.3f;
    rects = frame();
    expectAlpha(rects, 47, 48, 90.0f / 255.0f); // partly lit just below the level
    expectAlpha(rects, 46, 47, litA);
}

TEST_F(MeterFixture, SlowMarkerHoldsTwoSecondsThenFallsAndTheFastOneAfterATenth)
{
    meter.setShowFastMarker(true);
    source.value = -3.0f;
    frame();
    source.value = -100.0f; // silence
    clock.advance(1900);
    EXPECT_EQ(frame().at(57).a, 1.0f) << "slow marker still in -3..-2";
    clock.advance(850); // 2.75 s: slow at -13, fast at -3 - 13.33 x 2.65
    auto rects = frame();
    EXPECT_EQ(rects.at(47).a, 1.0f) << "slow marker in -13..-12";
    EXPECT_NEAR(meter.getFastBallistics().getCurrentValue(), -3.0f - 13.3333f * 2.65f, 0.02f);
    expectAlpha(rects, 57, 58, dimA);

    // A press with reset on click starts both over at the level now.
    meter.setResetOnClick(true);
    meter.mouseDown(mouseAt(meter, {5, 5}));
    source.value = -30.5f;
    rects = frame();
    EXPECT_EQ(rects.at(29).a, 1.0f) << "-31..-30 holds the new peak";
    expectAlpha(rects, 47, 48, dimA);
}

TEST_F(MeterFixture, OverMaximumIsFullScaleAndThePeakBlinksWhite)
{
    source.value = 6.0f;
    clock.set(1000000); // millisecond clock modulo 500 = 0: blink phase on
    auto rects = frame();
    ASSERT_EQ(rects.size(), 60u);
    expectAlpha(rects, 0, 59, litA);
    EXPECT_EQ(rects[59].a, 1.0f);
    EXPECT_TRUE(isWhite(rects[59]));
    clock.advance(250);
    EXPECT_FALSE(isWhite(frame()[59]));
    clock.advance(250);
    EXPECT_TRUE(isWhite(frame()[59]));
    meter.setClipBlink(false);
    EXPECT_FALSE(isWhite(frame()[59]));
}

TEST_F(MeterFixture, SmallHorizontalAndReversedMetersLayTheirSegmentsOut)
{
    meter.setBounds(0, 0, 10, 61);
    source.value = -20.0f;
    auto rects = frame();
    ASSERT_EQ(rects.size(), 60u);
    for (const auto& r : rects)
        EXPECT_EQ(r.y2 - r.y1, 1) << "a 61-pixel meter draws every segment one pixel tall";
    EXPECT_NEAR(meter.getScale(), 61.0f / 60.0f, 1e-6f);
    EXPECT_EQ(meter.getOffset(), 0);

    meter.setOrientation(0);
    meter.setOrientation(7); // ignored
    meter.setBounds(0, 0, 120, 8);
    source.value = -30.0f;
    rects = frame();
    ASSERT_EQ(rects.size(), 60u);
    EXPECT_EQ(std::make_tuple(rects[0].x1, rects[0].x2, rects[0].y2, rects[59].x1),
              std::make_tuple(0, 1, 8, 118));
    EXPECT_EQ(meter.getOffset(), 120);

    meter.setOrientation(1);
    meter.setBounds(0, 0, 20, 120);
    meter.setReversed(true);
    meter.setShowPeakMarker(false);
    meter.resetBallistics();
    source.value = -12.3f;
    rects = frame();
    ASSERT_EQ(rects.size(), 60u);
    EXPECT_EQ(rects[0].y1, 0) << "drawn from the maximum down";
    expectAlpha(rects, 0, 12, litA);
    expectAlpha(rects, 12, 60, dimA);
}

TEST_F(MeterFixture, WithoutASourceOnlyThePlaceholderIsDrawn)
{
    meter.setDataSource(nullptr);
    const auto rects = frame();
    ASSERT_EQ(rects.size(), 5u); // outline of four, one inset fill
    EXPECT_NEAR(rects[0].g, 128.0f / 255.0f, 1e-3f);
    EXPECT_NEAR(rects[0].a, 200.0f / 255.0f, 1e-3f);
    EXPECT_EQ(std::make_pair(rects[4].x1, rects[4].x2), std::make_pair(1, 19));
    EXPECT_NEAR(rects[4].a, 50.0f / 255.0f, 1e-3f);
}

TEST_F(MeterFixture, ScalesThatCannotBeDrawnNeverLoopWithoutEnd)
{
    source.value = -10.0f;
    for (float size : {0.0f, -1.0f, kNaN, kInf, -kInf})
    {
        meter.setSegmentSize(size);
        EXPECT_TRUE(frame().empty()) << size;
    }
    meter.setSegmentSize(1e-30f); // coarsened to the most segments a frame draws
    EXPECT_LE(frame().size(), (size_t)VkJuceDynamicDisplayLevelMeter::maxSegments + 1);
    meter.setSegmentSize(1.0f);
    const std::pair<float, float> ranges[] = {
        {0.0f, 0.0f}, {0.0f, -60.0f}, {kNaN, 0.0f}, {-60.0f, kInf}, {-1e30f, 0.0f}};
    for (auto [lo, hi] : ranges)
    {
        meter.setMinimum(lo);
        meter.setMaximum(hi);
        EXPECT_TRUE(frame().empty()) << lo << " " << hi;
    }
    meter.setMinimum(-60.0f);
    meter.setMaximum(0.0f);
    source.value = kNaN; // an unfed source reads as silence
    const auto rects = frame();
    ASSERT_EQ(rects.size(), 60u);
    expectAlpha(rects, 0, 1, dimA);
}

TEST(Ballistics, AClockSetBackCountsAsNoTimeAndInfinitiesAreNeverHeld)
{
    ManualDisplayClock clock;
    struct Step
    {
        int advanceMs;
        float expected;
    };
    // Held 2 s, then falling: a fallen peak never rises again when the clock goes back and falls on from
    // the earlier time; a held one holds on from where the clock stands now, not lengthened by the step back.
    const std::pair<float, std::vector<Step>> runs[] = {
        {-3.0f, {{3000, -16.3333f}, {-10000, -16.3333f}, {1500, -36.3333f}}},
        {-6.0f, {{-5000, -6.0f}, {2000, -6.0f}, {1500, -26.0f}}}};
    for (const auto& [pushed, steps] : runs)
    {
        VkJuceBallistics ballistics(2.0f, 1.5f, 1.0f, clock);
        ballistics.push(pushed);
        for (const Step& step : steps)
        {
            clock.advance(step.advanceMs);
            EXPECT_NEAR(ballistics.get(), step.expected, 1e-3f) << pushed << " after " << step.advanceMs;
        }
    }

    VkJuceBallistics peak(0.0f, 1.0f, 1.0f, clock), floorMeter(0.0f, 1.0f, -1.0f, clock);
    for (auto* b : {&peak, &floorMeter})
    {
        for (float v : {-20.0f, kInf, -kInf, kNaN})
            b->push(v);
        EXPECT_EQ(b->getCurrentValue(), -20.0f);
    }
    clock.advance(500);
    EXPECT_NEAR(peak.get(), -30.0f, 1e-3f);
}

TEST_F(MeterFixture, AnInfiniteLevelReadsAsSilenceAndPinsNoMarker)
{
    meter.setShowFastMarker(true);
    for (float v : {kInf, kNaN, -kInf})
    {
        source.value = v;
        const auto rects = frame();
        ASSERT_EQ(rects.size(), 60u) << v;
        expectAlpha(rects, 0, 60, dimA); // nothing lit, no marker held at the top
    }
}

TEST_F(MeterFixture, NarrowScalesFarFromZeroKeepTheirSegmentsOnTheMeter)
{
    // 2^-7 dB over 512 pixels: 65536 pixels per dB, 0 dB 2^32 pixels away. One segment fills the meter.
    meter.setMinimum(65536.0f - 0.0078125f);
    meter.setMaximum(65536.0f);
    source.value = 65536.0f;
    for (const auto& [orientation, w, h, corners] : {std::tuple{0, 512, 20, std::array{0, 0, 511, 20}},
                                                     std::tuple{1, 20, 512, std::array{0, 0, 20, 511}}})
    {
        meter.setOrientation(orientation);
        meter.setBounds(0, 0, w, h);
        const auto rects = frame();
        ASSERT_EQ(rects.size(), 1u) << orientation;
        EXPECT_EQ((std::array{rects[0].x1, rects[0].y1, rects[0].x2, rects[0].y2}), corners) << orientation;
    }
    // Scales so narrow that pixels per dB overflow a float: still drawn, and only near the meter.
    meter.setMinimum(-1e-38f);
    meter.setMaximum(0.0f);
    meter.setSegmentSize(1e-38f);
    for (const auto& r : frame())
        for (int v : {r.x1, r.y1, r.x2, r.y2})
            EXPECT_LE(std::llabs((long long)v), 1LL << 30);
}
