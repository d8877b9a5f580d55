#include "product/latiphonix_itd_band.h"

#include "product_test_support.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr float kRate = 48000.0f;
constexpr int kFade = 480;

// The band's output for `x`, block by block.
std::vector<float> filtered(LatiphonixItdBand& band, std::vector<float> x, int blockSize = 64)
{
    for (int start = 0; start < int(x.size()); start += blockSize)
        band.process(x.data() + start, std::min(blockSize, int(x.size()) - start));
    return x;
}

float peak(const std::vector<float>& x)
{
    float p = 0.0f;
    for (float v : x)
        p = std::max(p, std::abs(v));
    return p;
}

TEST(ItdBandTest, CornerMovesFadeToTheNewPairStartedFromRestAndUnchangedCornersKeepTheirPast)
{
    struct Move
    {
        float fromLow, fromHigh, toLow, toHigh;
    };
    // Far moves down and up of either corner, at the extremes the bounds reach; last, no move at all.
    for (const Move m : {Move{23520.0f, 20.0f, 20.0f, 20.0f}, Move{20.0f, 20.0f, 23520.0f, 20.0f},
                         Move{23520.0f, 20.0f, 23520.0f, 9000.0f}, Move{3000.0f, 2000.0f, 200.0f, 20.0f},
                         Move{8000.0f, 100.0f, 8000.0f, 100.0f}})
    {
        SCOPED_TRACE(testing::Message() << m.toLow << " " << m.toHigh);
        const bool moved = m.toLow != m.fromLow || m.toHigh != m.fromHigh;
        LatiphonixItdBand band, reference;
        band.reset(m.fromLow, m.fromHigh, kRate);
        const auto noise = makeNoise(9600, 0.5f, 3u);
        filtered(band, noise);
        // Past the fade the output is the new pair's alone, as if it had run from the move on; without a move
        // the pair goes on with its past.
        reference.reset(m.toLow, m.toHigh, kRate);
        if (!moved)
            filtered(reference, noise);

        ASSERT_TRUE(band.retune(m.toLow, m.toHigh, kRate, kFade));
        EXPECT_EQ(band.isFading(), moved);
        if (moved) // a second move waits for the first
        {
            EXPECT_FALSE(band.retune(m.fromLow, m.fromHigh, kRate, kFade));
        }
        const auto next = makeNoise(4800, 0.5f, 4u);
        const auto out = filtered(band, next, 37);
        EXPECT_FALSE(band.isFading());
        EXPECT_LT(peak(out), 1.0f);
        const auto alone = filtered(reference, next);
        for (std::size_t i = moved ? kFade : 0; i < out.size(); ++i)
            ASSERT_EQ(out[i], alone[i]) << i;
    }
}

} // namespace
