// Transform routines for the x86-64 baseline (SSE2): two twiddle indices per vector.

#include "fft/fft_kernels.h"

#include <emmintrin.h>

namespace
{

struct Vec
{
    using Type = __m128d;
    static constexpr uint32_t kWidth = 2;

    static Type load(const double* p) { return _mm_loadu_pd(p); }
    static Type loadReversed(const double* p)
    {
        const Type v = _mm_loadu_pd(p);
        return _mm_shuffle_pd(v, v, 1);
    }
    static void store(double* p, Type v) { _mm_storeu_pd(p, v); }
    static void storeReversed(double* p, Type v) { _mm_storeu_pd(p, _mm_shuffle_pd(v, v, 1)); }
    static Type add(Type a, Type b) { return _mm_add_pd(a, b); }
    static Type sub(Type a, Type b) { return _mm_sub_pd(a, b); }
    static Type mul(Type a, Type b) { return _mm_mul_pd(a, b); }
    static Type broadcast(double x) { return _mm_set1_pd(x); }
    // Lane j of p0 .. p3 forms the four doubles at dst + 4 * group[j].
    static void storeGroups(double* dst, const uint32_t* group, Type p0, Type p1, Type p2, Type p3)
    {
        double* first = dst + 4 * group[0];
        double* second = dst + 4 * group[1];
        _mm_storeu_pd(first, _mm_unpacklo_pd(p0, p1));
        _mm_storeu_pd(first + 2, _mm_unpacklo_pd(p2, p3));
        _mm_storeu_pd(second, _mm_unpackhi_pd(p0, p1));
        _mm_storeu_pd(second + 2, _mm_unpackhi_pd(p2, p3));
    }

    // The converse: lane j of s0 .. s3 is read from the four doubles at src + 4 * group[j].
    static void loadGroups(const double* src, const uint32_t* group, Type& s0, Type& s1, Type& s2, Type& s3)
    {
        const double* first = src + 4 * group[0];
        const double* second = src + 4 * group[1];
        const Type firstLow = _mm_loadu_pd(first);
        const Type firstHigh = _mm_loadu_pd(first + 2);
        const Type secondLow = _mm_loadu_pd(second);
        const Type secondHigh = _mm_loadu_pd(second + 2);
        s0 = _mm_unpacklo_pd(firstLow, secondLow);
        s1 = _mm_unpackhi_pd(firstLow, secondLow);
        s2 = _mm_unpacklo_pd(firstHigh, secondHigh);
        s3 = _mm_unpackhi_pd(firstHigh, secondHigh);
    }
};

} // namespace

#include "fft/fft_kernel_stages.inl"

void fftForwardSse2(FftSizeInstance& instance, double* out, const double* in)
{
    forwardTransform(instance, out, in);
}

void fftInverseSse2(FftSizeInstance& instance, const double* in, double* out)
{
    inverseTransform(instance, in, out);
}
