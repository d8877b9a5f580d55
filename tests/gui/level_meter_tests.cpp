// The peak ballistics against an injected clock, and the level meter's segments as drawn on the recording
// GL table: lit, dim and marker segments, the clip blink, both directions, the placeholder, and scales that
// must never make a frame loop without end.
#include "editor_test_support.h"
#include "recorded_frame_test_support.h"

#include "vk_juce_dynamic_display_level_meter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vk;
using namespace vk::test;

namespace
{
struct FixedSource : VkJuceDisplaySource
{
    std::atomic<float> value{-100.0f};
    float getValue() const override { return value.load(); }
};

constexpr float litA = 160.0f / 255.0f;
constexpr float dimA = 50.0f / 255.0f;

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
};

bool isRed(const DrawnRect& r)
{
    return r.r == 1.0f && r.g == 0.0f;
}
bool isWhite(const DrawnRect& r)
{
    return r.r == 1.0f && r.g == 1.0f && r.b == 1.0f;
}
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
    slow.push(std::numeric_limits<float>::quiet_NaN());

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
    EXPECT_EQ(rects[0].y1, 118);
    EXPECT_EQ(rects[0].y2, 119);
    EXPECT_EQ(rects[0].x2, 20);
    for (int i = 0; i < 48; ++i) // -60..-59 up to -13..-12
        EXPECT_NEAR(rects[(size_t)i].a, litA, 1e-3f) << i;
    EXPECT_TRUE(isRed(rects[47])) << "the segment holding the level takes the level's colour";
    EXPECT_FALSE(isRed(rects[48])) << "the others take the colour of their top";
    for (size_t i = 48; i < 60; ++i)
        EXPECT_NEAR(rects[i].a, dimA, 1e-3f) << i;

    source.value = -12.0f;
    meter.resetBallistics();
    rects = frame();
    EXPECT_NEAR(rects[47].a, litA, 1e-3f);
    EXPECT_FALSE(isRed(rects[47])) << "-13..-12 does not hold -12";
    EXPECT_NEAR(rects[48].a, dimA, 1e-3f) << "-12..-11 is dim at exactly -12";

    meter.setSegmentAlphas(160, 90, 50);
    source.value = -12.3f;
    rects = frame();
    EXPECT_NEAR(rects[47].a, 90.0f / 255.0f, 1e-3f) << "partly lit just below the level";
    EXPECT_NEAR(rects[46].a, litA, 1e-3f);
}

TEST_F(MeterFixture, SlowMarkerHoldsTwoSecondsThenFallsAndTheFastOneAfterATenth)
{
    meter.setShowFastMarker(true);
    source.value = -3.0f;
    frame();
    source.value = -100.0f; // silence
    clock.advance(1900);
    auto rects = frame();
    EXPECT_EQ(rects[57].a, 1.0f) << "slow marker still in -3..-2";

    clock.advance(850); // 2.75 s: slow at -13, fast at -3 - 13.33 x 2.65
    rects = frame();
    EXPECT_EQ(rects[47].a, 1.0f) << "slow marker in -13..-12";
    EXPECT_NEAR(meter.getFastBallistics().getCurrentValue(), -3.0f - 13.3333f * 2.65f, 0.02f);
    EXPECT_NEAR(rects[57].a, dimA, 1e-3f);

    // A press with reset on click starts both over at the level now.
    meter.setResetOnClick(true);
    meter.mouseDown(mouseAt(meter, {5, 5}));
    source.value = -30.5f;
    rects = frame();
    EXPECT_EQ(rects[29].a, 1.0f) << "-31..-30 holds the new peak";
    EXPECT_NEAR(rects[47].a, dimA, 1e-3f);
}

TEST_F(MeterFixture, OverMaximumIsFullScaleAndThePeakBlinksWhite)
{
    source.value = 6.0f;
    clock.set(1000000); // millisecond clock modulo 500 = 0: blink phase on
    auto rects = frame();
    ASSERT_EQ(rects.size(), 60u);
    for (size_t i = 0; i < 59; ++i)
        EXPECT_NEAR(rects[i].a, litA, 1e-3f);
    EXPECT_EQ(rects[59].a, 1.0f);
    EXPECT_TRUE(isWhite(rects[59]));
    clock.advance(250);
    rects = frame();
    EXPECT_FALSE(isWhite(rects[59]));
    clock.advance(250);
    EXPECT_TRUE(isWhite(frame()[59]));
    meter.setClipBlink(false);
    EXPECT_FALSE(isWhite(frame()[59]));
}

TEST_F(MeterFixture, A61PixelMeterDrawsEverySegmentOnePixelTall)
{
    meter.setBounds(0, 0, 10, 61);
    source.value = -20.0f;
    const auto rects = frame();
    ASSERT_EQ(rects.size(), 60u);
    for (const auto& r : rects)
        EXPECT_EQ(r.y2 - r.y1, 1);
    EXPECT_NEAR(meter.getScale(), 61.0f / 60.0f, 1e-6f);
    EXPECT_EQ(meter.getOffset(), 0);
}

TEST_F(MeterFixture, HorizontalMeterRunsFromTheLeftEdge)
{
    meter.setOrientation(0);
    meter.setOrientation(7); // ignored
    meter.setBounds(0, 0, 120, 8);
    source.value = -30.0f;
    const auto rects = frame();
    ASSERT_EQ(rects.size(), 60u);
    EXPECT_EQ(rects[0].x1, 0);
    EXPECT_EQ(rects[0].x2, 1);
    EXPECT_EQ(rects[0].y2, 8);
    EXPECT_EQ(rects[59].x1, 118);
    EXPECT_EQ(meter.getOffset(), 120);
}

TEST_F(MeterFixture, ReversedMeterFillsFromTheTop)
{
    meter.setReversed(true);
    meter.setShowPeakMarker(false);
    source.value = -12.3f;
    const auto rects = frame();
    ASSERT_EQ(rects.size(), 60u);
    EXPECT_EQ(rects[0].y1, 0) << "drawn from the maximum down";
    for (size_t i = 0; i < 12; ++i)
        EXPECT_NEAR(rects[i].a, litA, 1e-3f) << i;
    for (size_t i = 12; i < 60; ++i)
        EXPECT_NEAR(rects[i].a, dimA, 1e-3f) << i;
}

TEST_F(MeterFixture, WithoutASourceOnlyThePlaceholderIsDrawn)
{
    meter.setDataSource(nullptr);
    const auto rects = frame();
    ASSERT_EQ(rects.size(), 5u); // outline of four, one inset fill
    EXPECT_NEAR(rects[0].g, 128.0f / 255.0f, 1e-3f);
    EXPECT_NEAR(rects[0].a, 200.0f / 255.0f, 1e-3f);
    EXPECT_EQ(rects[4].x1, 1);
    EXPECT_EQ(rects[4].x2, 19);
    EXPECT_NEAR(rects[4].a, 50.0f / 255.0f, 1e-3f);
}

TEST_F(MeterFixture, ScalesThatCannotBeDrawnNeverLoopWithoutEnd)
{
    source.value = -10.0f;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float size : {0.0f, -1.0f, nan, inf, -inf})
    {
        meter.setSegmentSize(size);
        EXPECT_TRUE(frame().empty()) << size;
    }
    meter.setSegmentSize(1e-30f); // coarsened to the most segments a frame draws
    EXPECT_LE(frame().size(), (size_t)VkJuceDynamicDisplayLevelMeter::maxSegments + 1);
    meter.setSegmentSize(1.0f);
    for (auto [lo, hi] : {std::pair{0.0f, 0.0f}, {0.0f, -60.0f}, {nan, 0.0f}, {-60.0f, inf}, {-1e30f, 0.0f}})
    {
        meter.setMinimum(lo);
        meter.setMaximum(hi);
        EXPECT_TRUE(frame().empty()) << lo << " " << hi;
    }
    meter.setMinimum(-60.0f);
    meter.setMaximum(0.0f);
    source.value = nan; // an unfed source reads as silence
    const auto rects = frame();
    ASSERT_EQ(rects.size(), 60u);
    EXPECT_NEAR(rects[0].a, dimA, 1e-3f);
}
