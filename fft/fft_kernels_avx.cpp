// Transform routines for processors with AVX: four twiddle indices per vector. This file is built with -mavx
// and is only entered after a run-time check (fftIsaSupported); it uses no standard-library templates, whose
// AVX-built copies the linker could otherwise pick for the rest of the program.

#include "fft/fft_kernels.h"

#include <immintrin.h>

namespace
{

struct Vec
{
    using Type = __m256d;
    static constexpr uint32_t kWidth = 4;

    static Type reverse(Type v)
    {
        const Type halvesSwapped = _mm256_permute2f128_pd(v, v, 1);
        return _mm256_permute_pd(halvesSwapped, 0x5);
    }
    static Type load(const double* p) { return _mm256_loadu_pd(p); }
    static Type loadReversed(const double* p) { return reverse(_mm256_loadu_pd(p)); }
    static void store(double* p, Type v) { _mm256_storeu_pd(p, v); }
    static void storeReversed(double* p, Type v) { _mm256_storeu_pd(p, reverse(v)); }
    static Type add(Type a, Type b) { return _mm256_add_pd(a, b); }
    static Type sub(Type a, Type b) { return _mm256_sub_pd(a, b); }
    static Type mul(Type a, Type b) { return _mm256_mul_pd(a, b); }
    static Type broadcast(double x) { return _mm256_set1_pd(x); }
    // Lane j of p0 .. p3 forms the four doubles at dst + 4 * group[j] (a 4x4 transpose).
    static void storeGroups(double* dst, const uint32_t* group, Type p0, Type p1, Type p2, Type p3)
    {
        const Type even01 = _mm256_unpacklo_pd(p0, p1);
        const Type odd01 = _mm256_unpackhi_pd(p0, p1);
        const Type even23 = _mm256_unpacklo_pd(p2, p3);
        const Type odd23 = _mm256_unpackhi_pd(p2, p3);
        _mm256_storeu_pd(dst + 4 * group[0], _mm256_permute2f128_pd(even01, even23, 0x20));
        _mm256_storeu_pd(dst + 4 * group[1], _mm256_permute2f128_pd(odd01, odd23, 0x20));
        _mm256_storeu_pd(dst + 4 * group[2], _mm256_permute2f128_pd(even01, even23, 0x31));
        _mm256_storeu_pd(dst + 4 * group[3], _mm256_permute2f128_pd(odd01, odd23, 0x31));
    }

    // The converse: lane j of s0 .. s3 is read from the four doubles at src + 4 * group[j].
    static void loadGroups(const double* src, const uint32_t* group, Type& s0, Type& s1, Type& s2, Type& s3)
    {
        const Type g0 = _mm256_loadu_pd(src + 4 * group[0]);
        const Type g1 = _mm256_loadu_pd(src + 4 * group[1]);
        const Type g2 = _mm256_loadu_pd(src + 4 * group[2]);
        const Type g3 = _mm256_loadu_pd(src + 4 * group[3]);
        const Type low02 = _mm256_permute2f128_pd(g0, g2, 0x20);
        const Type low13 = _mm256_permute2f128_pd(g1, g3, 0x20);
        const Type high02 = _mm256_permute2f128_pd(g0, g2, 0x31);
        const Type high13 = _mm256_permute2f128_pd(g1, g3, 0x31);
        s0 = _mm256_unpacklo_pd(low02, low13);
        s1 = _mm256_unpackhi_pd(low02, low13);
        s2 = _mm256_unpacklo_pd(high02, high13);
        s3 = _mm256_unpackhi_pd(high02, high13);
    }
};

} // namespace

#include "fft/fft_kernel_stages.inl"

void fftForwardAvx(FftSizeInstance& instance, double* out, const double* in)
{
    forwardTransform(instance, out, in);
    _mm256_zeroupper();
}

void fftInverseAvx(FftSizeInstance& instance, const double* in, double* out)
{
    inverseTransform(instance, in, out);
    _mm256_zeroupper();
}
