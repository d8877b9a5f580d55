#include "dsp/scoped_flush_to_zero.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{

constexpr unsigned kBothModes = ScopedFlushToZero::kFlushToZero | ScopedFlushToZero::kDenormalsAreZero;
constexpr unsigned kDefaultMode = 0x1F80u; // every exception masked, round to nearest
constexpr unsigned kRoundDown = 0x2000u;
constexpr unsigned kInexactFlag = 0x0020u;
constexpr unsigned kStatusFlags = 0x003Fu;
constexpr float kDenormal = std::numeric_limits<float>::min() / 4.0f;

// Kept from the compiler, so that the arithmetic runs under the mode of the moment.
float opaque(float x)
{
    volatile float v = x;
    return v;
}

// Whatever a case leaves behind, the next test starts from the mode this one started with.
struct KeepMode
{
    const unsigned saved = _mm_getcsr();
    ~KeepMode() { _mm_setcsr(saved); }
};

TEST(ScopedFlushToZeroTest, SetsBothModesForItsLifeAndGivesTheCallersRegisterBack)
{
    const KeepMode keep;
    for (unsigned caller : {kDefaultMode, kDefaultMode | kRoundDown | kInexactFlag,
                            kDefaultMode | ScopedFlushToZero::kFlushToZero,
                            kDefaultMode | ScopedFlushToZero::kDenormalsAreZero})
    {
        _mm_setcsr(caller);
        {
            const ScopedFlushToZero guard;
            const unsigned inside = _mm_getcsr();
            EXPECT_EQ(inside & kBothModes, kBothModes) << caller;
            // Masks and rounding stay the caller's.
            EXPECT_EQ(inside & ~(kBothModes | kStatusFlags), caller & ~(kBothModes | kStatusFlags)) << caller;
            // A denormal result is flushed to zero, and a denormal operand reads as zero.
            EXPECT_EQ(opaque(std::numeric_limits<float>::min()) * opaque(0.25f), 0.0f) << caller;
            EXPECT_EQ(opaque(kDenormal) * opaque(8.0f), 0.0f) << caller;
        }
        // The flags raised inside (inexact, underflow) are gone with the rest of the guard's mode.
        EXPECT_EQ(_mm_getcsr(), caller);
        if ((caller & kBothModes) == 0)
        {
            EXPECT_EQ(opaque(kDenormal) * opaque(8.0f), 2.0f * std::numeric_limits<float>::min()) << caller;
        }
    }
}

} // namespace
