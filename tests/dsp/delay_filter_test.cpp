#include "dsp/delay_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(DelayFilter, ImpulseComesOutExactlyDelaySamplesLater)
{
    CDelayFilter<float> line(65536);
    line.setDelay(100);
    int arrival = -1;
    for (int n = 0; n < 70000; ++n) // runs past the ring's wrap
    {
        const float y = line.process(n == 65500 ? 1.0f : 0.0f);
        if (y != 0.0f)
        {
            EXPECT_EQ(arrival, -1);
            EXPECT_EQ(y, 1.0f);
            arrival = n;
        }
    }
    EXPECT_EQ(arrival, 65600);
}

TEST(DelayFilter, DelayIsHeldInsideTheRing)
{
    CDelayFilter<float> line(16383);
    line.setDelay(20000);
    EXPECT_EQ(line.getDelay(), 16383);
    line.setDelay(-5);
    EXPECT_EQ(line.getDelay(), 0);
    EXPECT_EQ(line.process(0.5f), 0.5f); // a delay of 0 returns the sample just written

    CDelayFilter<float> full(4, true);
    EXPECT_EQ(full.getDelay(), 4);
    for (float x : {1.0f, 2.0f, 3.0f, 4.0f})
        EXPECT_EQ(full.process(x), 0.0f);
    EXPECT_EQ(full.process(5.0f), 1.0f); // the longest delay still reads history
}

TEST(DelayFilter, ClearAndStateCopy)
{
    CDelayFilter<float> a(8), b(8), other(9);
    a.setDelay(3);
    for (float x : {1.0f, 2.0f, 3.0f, 4.0f, 5.0f})
        a.process(x);
    ASSERT_TRUE(b.copyStateFrom(a));
    EXPECT_EQ(b.getDelay(), 3);
    for (float x : {6.0f, 7.0f, 8.0f, 9.0f, 10.0f, 11.0f, 12.0f, 13.0f, 14.0f, 15.0f})
        EXPECT_EQ(a.process(x), b.process(x));
    EXPECT_FALSE(other.copyStateFrom(a));

    a.clear();
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(a.process(0.0f), 0.0f);
}

TEST(FloatDelayFilter, CubicReadBetweenSamples)
{
    CFloatDelayFilter<float> line;
    line.setDelay(2.5f);
    // History, oldest first: 1, 2, 4, 8, 16, 32. The read sits between 4 (3 back) and 8 (2 back).
    float y = 0.0f;
    for (float x : {1.0f, 2.0f, 4.0f, 8.0f, 16.0f, 32.0f})
        y = line.processFractional(x);
    // Catmull-Rom at t = 0.5 over 2, 4, 8, 16: (-2 + 9*4 + 9*8 - 16) / 16.
    EXPECT_FLOAT_EQ(y, (-2.0f + 36.0f + 72.0f - 16.0f) / 16.0f);

    line.setDelay(2.0f); // whole delays read the sample itself
    EXPECT_EQ(line.processFractional(64.0f), 16.0f);
}

TEST(FloatDelayFilter, ConstantAndLinearSignalsPassUnchanged)
{
    CFloatDelayFilter<float> line, ramp;
    line.setDelay(7.25f);
    ramp.setDelay(3.5f);
    for (int n = 0; n < 200; ++n)
    {
        const float y = line.processFractional(0.75f), r = ramp.processFractional(float(n));
        if (n > 10)
        {
            EXPECT_FLOAT_EQ(y, 0.75f) << n;
            EXPECT_NEAR(r, float(n) - 3.5f, 1e-4f) << n;
        }
    }
}

TEST(FloatDelayFilter, HostileDelaysStayInsideTheRing)
{
    CFloatDelayFilter<float> line;
    line.setDelay(1.0e9f);
    EXPECT_EQ(line.getFractionalDelay(), 65536.0f);
    line.setDelay(-3.0f);
    EXPECT_EQ(line.getFractionalDelay(), 0.0f);
    line.setDelay(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(line.getFractionalDelay(), 0.0f);

    // A delay just above 0 right after the ring wraps lands within float rounding of the ring size.
    line.setDelay(1.0e-6f);
    for (int n = 0; n < 65537; ++n)
        line.write(1.0f);
    EXPECT_TRUE(std::isfinite(line.readFractional()));

    line.setDelay(65536.0f);
    for (int n = 0; n < 10; ++n)
        EXPECT_TRUE(std::isfinite(line.processFractional(1.0f)));
}

TEST(FloatDelayFilter, StateCopyKeepsTheFractionalDelay)
{
    CFloatDelayFilter<float> a, b;
    a.setDelay(1.5f);
    for (float x : {1.0f, -1.0f, 2.0f, 0.5f})
        a.processFractional(x);
    ASSERT_TRUE(b.copyStateFrom(a));
    EXPECT_EQ(b.getFractionalDelay(), 1.5f);
    for (float x : {3.0f, 0.0f, -2.0f})
        EXPECT_EQ(a.processFractional(x), b.processFractional(x));
}
