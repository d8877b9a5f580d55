// Stage loops of the real FFT, written once over a vector type `Vec` that the including translation unit
// defines (one unit per instruction set, each built with its own target flags). Everything here has internal
// linkage so that code built for one instruction set is never merged with, or called from, another.
//
// Bit-exactness: each product and each sum is a separate double operation on the operands the stage formulas
// name, in their order of evaluation. Vector lanes only ever hold independent twiddle indices k or
// independent blocks, never parts of one sum, so vectorising changes no result. Within a stage the blocks
// and the indices k are independent, so the order in which they are visited is free; that is what allows
// the early stages to be run chunk by chunk while the chunk is still in the L1 cache.

#include "fft/fft_instance.h"

#include <cstdint>
#include <emmintrin.h>

namespace
{

constexpr double kSqrtHalf = 0.7071067811865476;

// Stages of blocks up to this size run chunk by chunk (all of them on one chunk, then the next chunk), so a
// chunk of both buffers stays in L1 across those stages.
constexpr uint32_t kDepthFirstSpan = 1024;

// Table twiddles whose stride is not 1 are gathered once per call into contiguous arrays, stage m at offset
// q = m/4; the largest such stage has q = 512.
constexpr uint32_t kStagedTwiddles = 1024;

// The recurrence is run ahead in runs of this many twiddles, which the vector loops then read.
constexpr uint32_t kRecurrenceRun = 64;

constexpr uint32_t W = Vec::kWidth;
using VType = typename Vec::Type;

inline uint32_t minOf(uint32_t a, uint32_t b)
{
    return a < b ? a : b;
}

inline double* alternate(double* buffer, double* out, double* work)
{
    return buffer == out ? work : out;
}

// Calls body(k) for vectors of indices k .. k + W - 1 covering [kBegin, kEnd) (at least W indices). Apart
// from the first and the last, vectors start at multiples of W, so that loads and stores at block offsets
// that are multiples of W stay aligned; the first and last overlap their neighbours, and the lanes they
// repeat get the same operands and so write the same bits.
template <class Body>
inline void forEachVector(uint32_t kBegin, uint32_t kEnd, const Body& body)
{
    body(kBegin);
    uint32_t k = (kBegin + W) & ~(W - 1);
    for (; k + W <= kEnd; k += W)
        body(k);
    if (k < kEnd)
        body(kEnd - W);
}

// ---- Twiddle sources, as vectors of twiddles k .. k + W - 1 ----------------------------------------------

// Stride 1 (the block size that spans the whole table): cosines ascending, sines descending from entry T.
struct DirectTwiddles
{
    const double* table;
    uint32_t length;

    VType cosAt(uint32_t k) const { return Vec::load(table + k); }
    VType sinAt(uint32_t k) const { return Vec::loadReversed(table + length - k - (W - 1)); }
};

// Contiguous copies: entry k - first of c and s is twiddle k.
struct StagedTwiddles
{
    const double* c;
    const double* s;
    uint32_t first;

    VType cosAt(uint32_t k) const { return Vec::load(c + (k - first)); }
    VType sinAt(uint32_t k) const { return Vec::load(s + (k - first)); }
};

// Copies of the table twiddles of every stage 32 <= m < 4*T, gathered once per call.
struct TwiddleStaging
{
    alignas(32) double c[kStagedTwiddles];
    alignas(32) double s[kStagedTwiddles];

    void build(const FftSizeInstance& instance)
    {
        const uint32_t length = instance.cosineLength;
        const double* table = instance.cosineTable;
        for (uint32_t q = 8; q < length; q *= 2)
        {
            const uint32_t stride = length / q;
            forEachVector(1, q,
                          [&](uint32_t k)
                          {
                              Vec::store(c + q + k, Vec::gather(table + k * stride, stride));
                              Vec::store(s + q + k,
                                         Vec::gatherReversed(table + length - (k + W - 1) * stride, stride));
                          });
        }
    }

    StagedTwiddles forStage(uint32_t q) const { return StagedTwiddles{c + q, s + q, 0}; }
};

// ---- Forward stages ---------------------------------------------------------------------------------------

// Radix 4 with bit-reversed reading. Group i reads in[r + j*n/4] with r = bitReverse[i]; the table is its own
// inverse (it reverses L - 2 bits), so visiting r in ascending order and writing group bitReverse[r] turns
// the scattered reads into contiguous vector loads.
inline void forwardRadix4(const FftSizeInstance& instance, double* dst, const double* in, uint32_t n)
{
    const uint32_t* bitReverse = instance.bitReverseTable;
    const uint32_t n4 = n / 4;
    for (uint32_t r = 0; r < n4; r += W)
    {
        const VType a0 = Vec::load(in + r);
        const VType a1 = Vec::load(in + r + n4);
        const VType a2 = Vec::load(in + r + 2 * n4);
        const VType a3 = Vec::load(in + r + 3 * n4);
        const VType e = Vec::add(a0, a2);
        const VType f = Vec::add(a1, a3);
        Vec::storeGroups(dst, bitReverse + r, Vec::add(e, f), Vec::sub(a0, a2), Vec::sub(e, f),
                         Vec::sub(a1, a3));
    }
}

// Block size 8, two blocks at a time: a 2x2 transpose puts the same position of both blocks in one vector.
inline void forwardMerge8(double* dst, const double* src, uint32_t begin, uint32_t end)
{
    const __m128d root = _mm_set1_pd(kSqrtHalf);
    for (uint32_t b = begin; b < end; b += 16)
    {
        __m128d x[8];
        for (int p = 0; p < 8; p += 2)
        {
            const __m128d first = _mm_loadu_pd(src + b + p);
            const __m128d second = _mm_loadu_pd(src + b + 8 + p);
            x[p] = _mm_unpacklo_pd(first, second);
            x[p + 1] = _mm_unpackhi_pd(first, second);
        }
        __m128d d[8];
        d[0] = _mm_add_pd(x[0], x[4]);
        d[4] = _mm_sub_pd(x[0], x[4]);
        d[2] = x[2];
        d[6] = x[6];
        const __m128d tRe = _mm_mul_pd(_mm_sub_pd(x[5], x[7]), root);
        const __m128d tIm = _mm_mul_pd(_mm_add_pd(x[7], x[5]), root);
        d[1] = _mm_add_pd(x[1], tRe);
        d[3] = _mm_sub_pd(x[1], tRe);
        d[5] = _mm_add_pd(tIm, x[3]);
        d[7] = _mm_sub_pd(tIm, x[3]);
        for (int p = 0; p < 8; p += 2)
        {
            _mm_storeu_pd(dst + b + p, _mm_unpacklo_pd(d[p], d[p + 1]));
            _mm_storeu_pd(dst + b + 8 + p, _mm_unpackhi_pd(d[p], d[p + 1]));
        }
    }
}

// Block size 16, two blocks at a time as above; its three twiddles are broadcast.
inline void forwardMerge16(const FftSizeInstance& instance, double* dst, const double* src, uint32_t begin,
                           uint32_t end)
{
    const uint32_t length = instance.cosineLength;
    const uint32_t stride = length / 4;
    __m128d c[4];
    __m128d s[4];
    for (uint32_t k = 1; k < 4; ++k)
    {
        c[k] = _mm_set1_pd(instance.cosineTable[k * stride]);
        s[k] = _mm_set1_pd(instance.cosineTable[length - k * stride]);
    }
    for (uint32_t b = begin; b < end; b += 32)
    {
        __m128d x[16];
        for (int p = 0; p < 16; p += 2)
        {
            const __m128d first = _mm_loadu_pd(src + b + p);
            const __m128d second = _mm_loadu_pd(src + b + 16 + p);
            x[p] = _mm_unpacklo_pd(first, second);
            x[p + 1] = _mm_unpackhi_pd(first, second);
        }
        __m128d d[16];
        d[0] = _mm_add_pd(x[0], x[8]);
        d[8] = _mm_sub_pd(x[0], x[8]);
        d[4] = x[4];
        d[12] = x[12];
        for (int k = 1; k < 4; ++k)
        {
            const __m128d reA = x[k];
            const __m128d imA = x[4 + k];
            const __m128d reB = x[8 + k];
            const __m128d imB = x[12 + k];
            const __m128d tRe = _mm_sub_pd(_mm_mul_pd(c[k], reB), _mm_mul_pd(s[k], imB));
            const __m128d tIm = _mm_add_pd(_mm_mul_pd(c[k], imB), _mm_mul_pd(s[k], reB));
            d[k] = _mm_add_pd(reA, tRe);
            d[8 - k] = _mm_sub_pd(reA, tRe);
            d[8 + k] = _mm_add_pd(tIm, imA);
            d[16 - k] = _mm_sub_pd(tIm, imA);
        }
        for (int p = 0; p < 16; p += 2)
        {
            _mm_storeu_pd(dst + b + p, _mm_unpacklo_pd(d[p], d[p + 1]));
            _mm_storeu_pd(dst + b + 16 + p, _mm_unpackhi_pd(d[p], d[p + 1]));
        }
    }
}

inline void forwardMergeEnds(double* dst, const double* src, uint32_t begin, uint32_t end, uint32_t m)
{
    const uint32_t h = m / 2;
    const uint32_t q = m / 4;
    for (uint32_t b = begin; b < end; b += m)
    {
        const double* x = src + b;
        double* d = dst + b;
        d[0] = x[0] + x[h];
        d[h] = x[0] - x[h];
        d[q] = x[q];
        d[h + q] = x[h + q];
    }
}

// Twiddle indices kBegin .. kEnd - 1 (at least W of them) of one block of size m, W at a time.
template <class Twiddles>
inline void forwardButterflies(double* d, const double* x, uint32_t m, uint32_t kBegin, uint32_t kEnd,
                               const Twiddles& twiddles)
{
    const uint32_t h = m / 2;
    const uint32_t q = m / 4;
    const auto butterfly = [&](uint32_t kk)
    {
        const VType reA = Vec::load(x + kk);
        const VType imA = Vec::load(x + q + kk);
        const VType reB = Vec::load(x + h + kk);
        const VType imB = Vec::load(x + h + q + kk);
        const VType c = twiddles.cosAt(kk);
        const VType s = twiddles.sinAt(kk);
        const VType tRe = Vec::sub(Vec::mul(c, reB), Vec::mul(s, imB));
        const VType tIm = Vec::add(Vec::mul(c, imB), Vec::mul(s, reB));
        Vec::store(d + kk, Vec::add(reA, tRe));
        Vec::storeReversed(d + h - kk - (W - 1), Vec::sub(reA, tRe));
        Vec::store(d + h + kk, Vec::add(tIm, imA));
        Vec::storeReversed(d + m - kk - (W - 1), Vec::sub(tIm, imA));
    };
    forEachVector(kBegin, kEnd, butterfly);
}

template <class Twiddles>
inline void forwardMerge(double* dst, const double* src, uint32_t begin, uint32_t end, uint32_t m,
                         const Twiddles& twiddles)
{
    forwardMergeEnds(dst, src, begin, end, m);
    for (uint32_t b = begin; b < end; b += m)
        forwardButterflies(dst + b, src + b, m, 1, m / 4, twiddles);
}

// Runs the level's recurrence once for the whole stage. Every block restarts it from (1, 0) with the same
// rotation, so all blocks see the same twiddles; the level ends on the twiddle of k = q - 1, as after the
// last block.
struct Recurrence
{
    explicit Recurrence(FftTwiddleLevel& recurrenceLevel) : level(recurrenceLevel) {}

    FftTwiddleLevel& level;
    double c = 1.0;
    double s = 0.0;
    alignas(32) double cRun[kRecurrenceRun];
    alignas(32) double sRun[kRecurrenceRun];

    StagedTwiddles advance(uint32_t first, uint32_t count)
    {
        const double rc = level.rotationCos;
        const double rs = level.rotationSin;
        for (uint32_t j = 0; j < count; ++j)
        {
            const double nextC = c * rc - s * rs;
            const double nextS = s * rc + c * rs;
            c = nextC;
            s = nextS;
            cRun[j] = c;
            sRun[j] = s;
        }
        return StagedTwiddles{cRun, sRun, first};
    }

    void finish()
    {
        level.currentCos = c;
        level.currentSin = s;
    }
};

inline void forwardMergeRecurrent(double* dst, const double* src, uint32_t n, uint32_t m,
                                  FftTwiddleLevel& level)
{
    const uint32_t q = m / 4;
    forwardMergeEnds(dst, src, 0, n, m);
    Recurrence recurrence(level);
    for (uint32_t k = 1; k < q; k = (k + kRecurrenceRun) & ~(kRecurrenceRun - 1))
    {
        const uint32_t count = minOf((k + kRecurrenceRun) & ~(kRecurrenceRun - 1), q) - k;
        const StagedTwiddles twiddles = recurrence.advance(k, count);
        for (uint32_t b = 0; b < n; b += m)
            forwardButterflies(dst + b, src + b, m, k, k + count, twiddles);
    }
    recurrence.finish();
}

// One table stage over the blocks in [begin, end).
inline void forwardTableStage(const FftSizeInstance& instance, const TwiddleStaging& staging, double* dst,
                              const double* src, uint32_t begin, uint32_t end, uint32_t m)
{
    if (m == 8)
        forwardMerge8(dst, src, begin, end);
    else if (m == 16)
        forwardMerge16(instance, dst, src, begin, end);
    else if (m == 4 * instance.cosineLength)
        forwardMerge(dst, src, begin, end, m, DirectTwiddles{instance.cosineTable, instance.cosineLength});
    else
        forwardMerge(dst, src, begin, end, m, staging.forStage(m / 4));
}

// ---- Inverse stages ---------------------------------------------------------------------------------------

// Radix 4 with bit-reversed writing, visited like forwardRadix4 so that the writes are contiguous.
inline void inverseRadix4(const FftSizeInstance& instance, double* out, const double* src, uint32_t n)
{
    const uint32_t* bitReverse = instance.bitReverseTable;
    const uint32_t n4 = n / 4;
    const VType two = Vec::broadcast(2.0);
    for (uint32_t r = 0; r < n4; r += W)
    {
        VType s0;
        VType s1;
        VType s2;
        VType s3;
        Vec::loadGroups(src, bitReverse + r, s0, s1, s2, s3);
        const VType e = Vec::add(s0, s2);
        const VType f = Vec::sub(s0, s2);
        const VType twiceS1 = Vec::mul(two, s1);
        const VType twiceS3 = Vec::mul(two, s3);
        Vec::store(out + r, Vec::add(e, twiceS1));
        Vec::store(out + r + 2 * n4, Vec::sub(e, twiceS1));
        Vec::store(out + r + n4, Vec::add(f, twiceS3));
        Vec::store(out + r + 3 * n4, Vec::sub(f, twiceS3));
    }
}

inline void inverseSplit8(double* dst, const double* src, uint32_t begin, uint32_t end)
{
    const __m128d root = _mm_set1_pd(kSqrtHalf);
    const __m128d two = _mm_set1_pd(2.0);
    for (uint32_t b = begin; b < end; b += 16)
    {
        __m128d x[8];
        for (int p = 0; p < 8; p += 2)
        {
            const __m128d first = _mm_loadu_pd(src + b + p);
            const __m128d second = _mm_loadu_pd(src + b + 8 + p);
            x[p] = _mm_unpacklo_pd(first, second);
            x[p + 1] = _mm_unpackhi_pd(first, second);
        }
        __m128d d[8];
        d[0] = _mm_add_pd(x[0], x[4]);
        d[4] = _mm_sub_pd(x[0], x[4]);
        d[2] = _mm_mul_pd(two, x[2]);
        d[6] = _mm_mul_pd(two, x[6]);
        d[1] = _mm_add_pd(x[1], x[3]);
        d[3] = _mm_sub_pd(x[5], x[7]);
        const __m128d u = _mm_sub_pd(x[1], x[3]);
        const __m128d v = _mm_add_pd(x[5], x[7]);
        d[5] = _mm_mul_pd(_mm_add_pd(v, u), root);
        d[7] = _mm_mul_pd(_mm_sub_pd(v, u), root);
        for (int p = 0; p < 8; p += 2)
        {
            _mm_storeu_pd(dst + b + p, _mm_unpacklo_pd(d[p], d[p + 1]));
            _mm_storeu_pd(dst + b + 8 + p, _mm_unpackhi_pd(d[p], d[p + 1]));
        }
    }
}

inline void inverseSplit16(const FftSizeInstance& instance, double* dst, const double* src, uint32_t begin,
                           uint32_t end)
{
    const uint32_t length = instance.cosineLength;
    const uint32_t stride = length / 4;
    __m128d c[4];
    __m128d s[4];
    for (uint32_t k = 1; k < 4; ++k)
    {
        c[k] = _mm_set1_pd(instance.cosineTable[k * stride]);
        s[k] = _mm_set1_pd(instance.cosineTable[length - k * stride]);
    }
    const __m128d two = _mm_set1_pd(2.0);
    for (uint32_t b = begin; b < end; b += 32)
    {
        __m128d x[16];
        for (int p = 0; p < 16; p += 2)
        {
            const __m128d first = _mm_loadu_pd(src + b + p);
            const __m128d second = _mm_loadu_pd(src + b + 16 + p);
            x[p] = _mm_unpacklo_pd(first, second);
            x[p + 1] = _mm_unpackhi_pd(first, second);
        }
        __m128d d[16];
        d[0] = _mm_add_pd(x[0], x[8]);
        d[8] = _mm_sub_pd(x[0], x[8]);
        d[4] = _mm_mul_pd(two, x[4]);
        d[12] = _mm_mul_pd(two, x[12]);
        for (int k = 1; k < 4; ++k)
        {
            d[k] = _mm_add_pd(x[k], x[8 - k]);
            d[4 + k] = _mm_sub_pd(x[8 + k], x[16 - k]);
            const __m128d u = _mm_sub_pd(x[k], x[8 - k]);
            const __m128d v = _mm_add_pd(x[8 + k], x[16 - k]);
            d[8 + k] = _mm_add_pd(_mm_mul_pd(u, c[k]), _mm_mul_pd(v, s[k]));
            d[12 + k] = _mm_sub_pd(_mm_mul_pd(v, c[k]), _mm_mul_pd(u, s[k]));
        }
        for (int p = 0; p < 16; p += 2)
        {
            _mm_storeu_pd(dst + b + p, _mm_unpacklo_pd(d[p], d[p + 1]));
            _mm_storeu_pd(dst + b + 16 + p, _mm_unpackhi_pd(d[p], d[p + 1]));
        }
    }
}

inline void inverseSplitEnds(double* dst, const double* src, uint32_t begin, uint32_t end, uint32_t m)
{
    const uint32_t h = m / 2;
    const uint32_t q = m / 4;
    for (uint32_t b = begin; b < end; b += m)
    {
        const double* x = src + b;
        double* d = dst + b;
        d[0] = x[0] + x[h];
        d[h] = x[0] - x[h];
        d[q] = 2.0 * x[q];
        d[h + q] = 2.0 * x[h + q];
    }
}

template <class Twiddles>
inline void inverseButterflies(double* d, const double* x, uint32_t m, uint32_t kBegin, uint32_t kEnd,
                               const Twiddles& twiddles)
{
    const uint32_t h = m / 2;
    const uint32_t q = m / 4;
    const auto butterfly = [&](uint32_t kk)
    {
        const VType lo = Vec::load(x + kk);
        const VType loMirror = Vec::loadReversed(x + h - kk - (W - 1));
        const VType hi = Vec::load(x + h + kk);
        const VType hiMirror = Vec::loadReversed(x + m - kk - (W - 1));
        const VType c = twiddles.cosAt(kk);
        const VType s = twiddles.sinAt(kk);
        Vec::store(d + kk, Vec::add(lo, loMirror));
        Vec::store(d + q + kk, Vec::sub(hi, hiMirror));
        const VType u = Vec::sub(lo, loMirror);
        const VType v = Vec::add(hi, hiMirror);
        Vec::store(d + h + kk, Vec::add(Vec::mul(u, c), Vec::mul(v, s)));
        Vec::store(d + h + q + kk, Vec::sub(Vec::mul(v, c), Vec::mul(u, s)));
    };
    forEachVector(kBegin, kEnd, butterfly);
}

template <class Twiddles>
inline void inverseSplit(double* dst, const double* src, uint32_t begin, uint32_t end, uint32_t m,
                         const Twiddles& twiddles)
{
    inverseSplitEnds(dst, src, begin, end, m);
    for (uint32_t b = begin; b < end; b += m)
        inverseButterflies(dst + b, src + b, m, 1, m / 4, twiddles);
}

inline void inverseSplitRecurrent(double* dst, const double* src, uint32_t n, uint32_t m,
                                  FftTwiddleLevel& level)
{
    const uint32_t q = m / 4;
    inverseSplitEnds(dst, src, 0, n, m);
    Recurrence recurrence(level);
    for (uint32_t k = 1; k < q; k = (k + kRecurrenceRun) & ~(kRecurrenceRun - 1))
    {
        const uint32_t count = minOf((k + kRecurrenceRun) & ~(kRecurrenceRun - 1), q) - k;
        const StagedTwiddles twiddles = recurrence.advance(k, count);
        for (uint32_t b = 0; b < n; b += m)
            inverseButterflies(dst + b, src + b, m, k, k + count, twiddles);
    }
    recurrence.finish();
}

inline void inverseTableStage(const FftSizeInstance& instance, const TwiddleStaging& staging, double* dst,
                              const double* src, uint32_t begin, uint32_t end, uint32_t m)
{
    if (m == 8)
        inverseSplit8(dst, src, begin, end);
    else if (m == 16)
        inverseSplit16(instance, dst, src, begin, end);
    else if (m == 4 * instance.cosineLength)
        inverseSplit(dst, src, begin, end, m, DirectTwiddles{instance.cosineTable, instance.cosineLength});
    else
        inverseSplit(dst, src, begin, end, m, staging.forStage(m / 4));
}

// ---- Stage plans ------------------------------------------------------------------------------------------

inline uint32_t sizeClassOfLength(uint32_t n)
{
    return static_cast<uint32_t>(__builtin_ctz(n));
}

// Stages alternate between out and the work buffer and the last one must write out, so with L - 1 stages
// the first writes out exactly when L - 1 is odd.
inline double* firstDestination(FftSizeInstance& instance, double* out)
{
    return ((sizeClassOfLength(instance.workLength) - 1) & 1) ? out : instance.workBuffer;
}

inline FftTwiddleLevel& levelOf(FftSizeInstance& instance, uint32_t m)
{
    return instance.levels[sizeClassOfLength(m) - 13];
}

inline void forwardTransform(FftSizeInstance& instance, double* out, const double* in)
{
    const uint32_t n = instance.workLength;
    double* const work = instance.workBuffer;
    TwiddleStaging staging;
    staging.build(instance);

    double* const first = firstDestination(instance, out);
    forwardRadix4(instance, first, in, n);

    const uint32_t span = minOf(n, kDepthFirstSpan);
    double* latest = first;
    for (uint32_t begin = 0; begin < n; begin += span)
    {
        double* src = first;
        for (uint32_t m = 8; m <= span; m *= 2)
        {
            double* dst = alternate(src, out, work);
            forwardTableStage(instance, staging, dst, src, begin, begin + span, m);
            src = dst;
        }
        latest = src;
    }

    for (uint32_t m = 2 * span; m <= n; m *= 2)
    {
        double* dst = alternate(latest, out, work);
        if (m <= 4096)
            forwardTableStage(instance, staging, dst, latest, 0, n, m);
        else
            forwardMergeRecurrent(dst, latest, n, m, levelOf(instance, m));
        latest = dst;
    }
}

inline void inverseTransform(FftSizeInstance& instance, const double* in, double* out)
{
    const uint32_t n = instance.workLength;
    double* const work = instance.workBuffer;
    TwiddleStaging staging;
    staging.build(instance);

    const uint32_t span = minOf(n, kDepthFirstSpan);
    const double* src = in;
    double* dst = firstDestination(instance, out);
    for (uint32_t m = n; m > span; m /= 2)
    {
        if (m <= 4096)
            inverseTableStage(instance, staging, dst, src, 0, n, m);
        else
            inverseSplitRecurrent(dst, src, n, m, levelOf(instance, m));
        src = dst;
        dst = alternate(dst, out, work);
    }

    const double* latest = src;
    for (uint32_t begin = 0; begin < n; begin += span)
    {
        const double* chunkSrc = src;
        double* chunkDst = dst;
        for (uint32_t m = span; m >= 8; m /= 2)
        {
            inverseTableStage(instance, staging, chunkDst, chunkSrc, begin, begin + span, m);
            chunkSrc = chunkDst;
            chunkDst = alternate(chunkDst, out, work);
        }
        latest = chunkSrc;
    }

    inverseRadix4(instance, out, latest, n);
}

} // namespace
