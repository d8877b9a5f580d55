// The band-bank schedule with 256-bit registers: one register per group of four slots, the left lanes in
// its lower half and the right lanes in its upper half. Built with -mavx (no FMA, so every product and sum
// stays a separate rounding, as in the 128-bit build); called only when the processor supports AVX.

#include "product/latiphonix_band_bank.h"

#include <immintrin.h>

namespace
{

struct AvxOps
{
    using Vec = __m256;
    static __m256 load(const float* p) noexcept { return _mm256_load_ps(p); }
    static void store(float* p, __m256 v) noexcept { _mm256_store_ps(p, v); }
    static __m256 set1(float f) noexcept { return _mm256_set1_ps(f); }
    static __m256 loadGain(const float* p) noexcept
    {
        return _mm256_broadcast_ps(reinterpret_cast<const __m128*>(p));
    }
    static void storeGain(float* p, __m256 v) noexcept { _mm_store_ps(p, _mm256_castps256_ps128(v)); }
    static __m256 loadInput(const float* l, const float* r) noexcept
    {
        return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(l)), _mm_loadu_ps(r), 1);
    }
    // Per half: [carry[Lane], out0, out1, out2].
    template <int Lane>
    static __m256 shiftIn(__m256 carry, __m256 out) noexcept
    {
        const __m256 t = _mm256_shuffle_ps(carry, out, _MM_SHUFFLE(0, 0, Lane, Lane));
        return _mm256_shuffle_ps(t, out, _MM_SHUFFLE(2, 1, 2, 0));
    }
    static __m256 mask(int base, int length) noexcept
    {
        const __m256 s =
            _mm256_set1_ps(float(base)) - _mm256_setr_ps(0.0f, 1.0f, 2.0f, 3.0f, 0.0f, 1.0f, 2.0f, 3.0f);
        return _mm256_and_ps(_mm256_cmp_ps(s, _mm256_setzero_ps(), _CMP_GE_OQ),
                             _mm256_cmp_ps(s, _mm256_set1_ps(float(length)), _CMP_LT_OQ));
    }
    static __m256 select(__m256 m, __m256 a, __m256 b) noexcept { return _mm256_blendv_ps(b, a, m); }
};

} // namespace

#include "product/latiphonix_band_kernel.h"

void latiphonixBandKernelAvx(LatiphonixBandData& data, int length, int active) noexcept
{
    BankKernel<AvxOps>::process(data, length, active);
}

bool latiphonixBandKernelHasAvx() noexcept
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}
