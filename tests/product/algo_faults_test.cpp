#include "product_test_support.h"

#include <limits>

using namespace latiphonix;

namespace
{

class NonFiniteInputTest : public ProductTest
{
protected:
    // Every path that keeps state is on.
    void SetUp() override
    {
        ProductTest::SetUp();
        prepare(48000.0, 512);
        set(kIidEnabled, 1.0f, kResolution, 0.009f, kItdEnabled, 1.0f, kItdFill, 1.0f, kItdWidth, 1.0f,
            kPhaseShift, 0.5f, kDynamics, 1.0f, kAnalysis, 1.0f);
        tick();
        settle(40 * 1024);
    }

    // Runs `blocks` blocks of noise and reports whether all of them came out finite.
    bool runFinite(int blocks, unsigned seed)
    {
        for (int b = 0; b < blocks; ++b)
        {
            auto signal = makeMonoNoise(512, 0.5f, seed + unsigned(b));
            run(signal);
            if (!allFinite(signal))
                return false;
        }
        return true;
    }
};

TEST_F(NonFiniteInputTest, NanAndInfinityDoNotStayInTheOutput)
{
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()})
    {
        auto signal = makeMonoNoise(512, 0.5f, 7);
        signal.left[100] = bad;
        signal.right[300] = bad;
        run(signal);
        // The bad block itself never reaches the host as non-finite samples.
        ASSERT_TRUE(allFinite(signal)) << bad;
        // The next blocks are clean and carry the signal again.
        auto next = makeMonoNoise(1024, 0.5f, 8);
        run(next);
        EXPECT_GT(energy(next.left, 512), 1.0);
        EXPECT_TRUE(runFinite(300, 9)) << bad;
        EXPECT_GE(algo().getInputMeter(), 0.0f);
        EXPECT_LE(algo().getInputMeter(), 1.0f);
    }
}

TEST_F(NonFiniteInputTest, BypassedProcessorRecoversToo)
{
    set(kBypass, 1.0f);
    settle(110 * 1024);
    auto signal = makeMonoNoise(512, 0.5f, 17);
    signal.left[5] = std::numeric_limits<float>::quiet_NaN();
    run(signal);
    EXPECT_TRUE(runFinite(4, 18));
    // Leaving bypass brings back the filters that saw the bad sample.
    set(kBypass, 0.0f);
    EXPECT_TRUE(runFinite(300, 19));
}

} // namespace
