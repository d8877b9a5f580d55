// The band-bank schedule with 128-bit registers (SSE2, part of every x86-64 processor): a left and a
// right register per group of four slots.

#include "product/latiphonix_band_bank.h"

#include <xmmintrin.h>

namespace
{

struct Pair
{
    __m128 l, r;
};

inline Pair operator+(Pair a, Pair b) noexcept
{
    return {a.l + b.l, a.r + b.r};
}
inline Pair operator-(Pair a, Pair b) noexcept
{
    return {a.l - b.l, a.r - b.r};
}
inline Pair operator*(Pair a, Pair b) noexcept
{
    return {a.l * b.l, a.r * b.r};
}

// [carry[Lane], out0, out1, out2]
template <int Lane>
inline __m128 shift(__m128 carry, __m128 out) noexcept
{
    const __m128 t = _mm_shuffle_ps(carry, out, _MM_SHUFFLE(0, 0, Lane, Lane));
    return _mm_shuffle_ps(t, out, _MM_SHUFFLE(2, 1, 2, 0));
}

struct SseOps
{
    using Vec = Pair;
    static Pair load(const float* p) noexcept { return {_mm_load_ps(p), _mm_load_ps(p + 4)}; }
    static void store(float* p, Pair v) noexcept
    {
        _mm_store_ps(p, v.l);
        _mm_store_ps(p + 4, v.r);
    }
    static Pair set1(float f) noexcept { return {_mm_set1_ps(f), _mm_set1_ps(f)}; }
    static Pair loadGain(const float* p) noexcept { return {_mm_load_ps(p), _mm_load_ps(p)}; }
    static void storeGain(float* p, Pair v) noexcept { _mm_store_ps(p, v.l); }
    static Pair loadInput(const float* l, const float* r) noexcept
    {
        return {_mm_loadu_ps(l), _mm_loadu_ps(r)};
    }
    template <int Lane>
    static Pair shiftIn(Pair carry, Pair out) noexcept
    {
        return {shift<Lane>(carry.l, out.l), shift<Lane>(carry.r, out.r)};
    }
    // Lanes whose sample index (base, base - 1, base - 2, base - 3) lies in [0, length).
    static Pair mask(int base, int length) noexcept
    {
        const __m128 s = _mm_set1_ps(float(base)) - _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f);
        const __m128 m =
            _mm_and_ps(_mm_cmpge_ps(s, _mm_setzero_ps()), _mm_cmplt_ps(s, _mm_set1_ps(float(length))));
        return {m, m};
    }
    static Pair select(Pair m, Pair a, Pair b) noexcept
    {
        return {_mm_or_ps(_mm_and_ps(m.l, a.l), _mm_andnot_ps(m.l, b.l)),
                _mm_or_ps(_mm_and_ps(m.r, a.r), _mm_andnot_ps(m.r, b.r))};
    }
};

} // namespace

#include "product/latiphonix_band_kernel.h"

void latiphonixBandKernelSse(LatiphonixBandData& data, int length, int active) noexcept
{
    BankKernel<SseOps>::process(data, length, active);
}
