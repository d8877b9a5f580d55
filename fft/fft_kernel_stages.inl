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

// The recurrence is run ahead in runs of this many twiddles, which the vector loops then read.
constexpr uint32_t kRecurrenceRun = 64;

constexpr uint32_t W = Vec::kWidth;
using VType = typename Vec::Type;

inline uint32_t minOf(uint32_t a, uint32_t b)
{
    return a < b ? a : b;
}

inline uint32_t sizeClassOfLength(uint32_t n)
{
    return static_cast<uint32_t>(__builtin_ctz(n));
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

// Contiguous copies: entry k - first of c and s is twiddle k.
struct StagedTwiddles
{
    const double* c;
    const double* s;
    uint32_t first;

    VType cosAt(uint32_t k) const { return Vec::load(c + (k - first)); }
    VType sinAt(uint32_t k) const { return Vec::load(s + (k - first)); }
};

// The instance's per-stage copy of the table twiddles of block size m = 4q.
inline StagedTwiddles tableTwiddles(const FftSizeInstance& instance, uint32_t q)
{
    return StagedTwiddles{instance.stageCosines + q, instance.stageSines + q, 0};
}

struct Nothing
{
    void operator()() const {}
};

// ---- Twiddle recurrence -----------------------------------------------------------------------------------

// The recurrence of a level serves a whole stage at once: every block restarts it from (1, 0) with the same
// rotation, so all blocks of a stage see the same twiddles; the level ends on the twiddle of k = q - 1, as
// after the last block. It is produced in runs of kRecurrenceRun twiddles. Its steps form one serial chain of
// dependent products and sums, so rather than running a run and then its butterflies, the steps of run r + 1
// are interleaved with the butterflies of run r, which do not depend on them: the processor then overlaps
// the chain with the butterfly work. The chain state lives in locals so that it stays in registers.
//
// butterflies(b, kBegin, kEnd, twiddles, between) runs the twiddle indices [kBegin, kEnd) of block b and
// calls between() once per vector.
template <class Butterflies>
inline void runRecurrentStage(uint32_t n, uint32_t m, FftTwiddleLevel& level, const Butterflies& butterflies)
{
    const uint32_t q = m / 4;
    const uint32_t blocks = n / m;
    const double rc = level.rotationCos;
    const double rs = level.rotationSin;
    // Enough steps per vector that the next run is complete within the vectors of the first W blocks.
    const uint32_t perVector = blocks >= W ? 1 : W / blocks;
    alignas(32) double cRun[2][kRecurrenceRun];
    alignas(32) double sRun[2][kRecurrenceRun];
    double c = 1.0;
    double s = 0.0;
    uint32_t fill = 1;
    uint32_t fillEnd = minOf(kRecurrenceRun, q);
    double* cFill = cRun[0];
    double* sFill = sRun[0];

    const auto step = [&]
    {
        const double nextC = c * rc - s * rs;
        const double nextS = s * rc + c * rs;
        c = nextC;
        s = nextS;
        cFill[fill] = nextC;
        sFill[fill] = nextS;
        ++fill;
    };
    const auto between = [&]
    {
        for (uint32_t j = 0; j < perVector && fill < fillEnd; ++j)
            step();
    };

    while (fill < fillEnd)
        step();
    uint32_t parity = 0;
    for (uint32_t runStart = 0; runStart < q; runStart += kRecurrenceRun)
    {
        const uint32_t nextStart = runStart + kRecurrenceRun;
        cFill = cRun[parity ^ 1];
        sFill = sRun[parity ^ 1];
        fill = 0;
        fillEnd = nextStart < q ? minOf(kRecurrenceRun, q - nextStart) : 0;
        const StagedTwiddles twiddles{cRun[parity], sRun[parity], runStart};
        const uint32_t kBegin = runStart == 0 ? 1 : runStart;
        const uint32_t kEnd = minOf(nextStart, q);
        for (uint32_t b = 0; b < n; b += m)
            butterflies(b, kBegin, kEnd, twiddles, between);
        while (fill < fillEnd)
            step();
        parity ^= 1;
    }
    level.currentCos = c;
    level.currentSin = s;
}

// ---- Forward stages ---------------------------------------------------------------------------------------

// The radix-4 stages visit the quarter index r in tiles so that both sides of the permutation are cache
// friendly: r = hi * 2^(B - t) + mid * 2^t + lo (B = log2(n/4) bits, t = tile bits) maps to the group
// rev(lo) * 2^(B - t) + rev(mid) * 2^t + rev(hi). For one mid, the tile reads 2^t runs of 2^t contiguous
// inputs per quarter and writes 2^t runs of 2^t contiguous groups, so every cache line it touches is
// used whole while it is still in L1, instead of each line being fetched twice for half-line writes.
// The groups are independent, so the visiting order changes no result.
// Below kRadix4TiledFrom points both buffers fit in L1 and the plain ascending order is faster.
constexpr uint32_t kRadix4TileBits = 4;
constexpr uint32_t kRadix4TiledFrom = 8192;

// Calls body(r) for vectors of quarter indices r .. r + W - 1 covering 0 .. n/4 - 1, tile by tile.
template <class Body>
inline void forEachRadix4Vector(uint32_t n, const Body& body)
{
    const uint32_t n4 = n / 4;
    if (n < kRadix4TiledFrom)
    {
        for (uint32_t r = 0; r < n4; r += W)
            body(r);
        return;
    }
    const uint32_t quarterBits = sizeClassOfLength(n4);
    const uint32_t tileBits = minOf(kRadix4TileBits, quarterBits / 2);
    const uint32_t tile = 1u << tileBits;
    const uint32_t hiStride = 1u << (quarterBits - tileBits);
    for (uint32_t mid = 0; mid < hiStride; mid += tile)
    {
        for (uint32_t hi = 0; hi < n4; hi += hiStride)
        {
            for (uint32_t lo = 0; lo < tile; lo += W)
                body(hi + mid + lo);
        }
    }
}

// Radix 4 with bit-reversed reading. Group i reads in[r + j*n/4] with r = bitReverse[i]; the table is its own
// inverse (it reverses L - 2 bits), so visiting r and writing group bitReverse[r] turns the scattered reads
// into contiguous vector loads.
inline void forwardRadix4(const FftSizeInstance& instance, double* dst, const double* in, uint32_t n)
{
    const uint32_t* bitReverse = instance.bitReverseTable;
    const uint32_t n4 = n / 4;
    forEachRadix4Vector(n,
                        [&](uint32_t r)
                        {
                            const VType a0 = Vec::load(in + r);
                            const VType a1 = Vec::load(in + r + n4);
                            const VType a2 = Vec::load(in + r + 2 * n4);
                            const VType a3 = Vec::load(in + r + 3 * n4);
                            const VType e = Vec::add(a0, a2);
                            const VType f = Vec::add(a1, a3);
                            Vec::storeGroups(dst, bitReverse + r, Vec::add(e, f), Vec::sub(a0, a2),
                                             Vec::sub(e, f), Vec::sub(a1, a3));
                        });
}

// The butterflies of block size 8 on registers whose two lanes hold two independent blocks.
inline void forwardMerge8Registers(const __m128d* x, __m128d* d)
{
    const __m128d root = _mm_set1_pd(kSqrtHalf);
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
}

// Loads `count` positions of the blocks at b and b + count (a 2x2 transpose puts the same position of both
// blocks in one vector), and stores them back the same way.
inline void loadBlockPair(const double* src, uint32_t b, int count, __m128d* x)
{
    for (int p = 0; p < count; p += 2)
    {
        const __m128d first = _mm_loadu_pd(src + b + p);
        const __m128d second = _mm_loadu_pd(src + b + count + p);
        x[p] = _mm_unpacklo_pd(first, second);
        x[p + 1] = _mm_unpackhi_pd(first, second);
    }
}

inline void storeBlockPair(double* dst, uint32_t b, int count, const __m128d* d)
{
    for (int p = 0; p < count; p += 2)
    {
        _mm_storeu_pd(dst + b + p, _mm_unpacklo_pd(d[p], d[p + 1]));
        _mm_storeu_pd(dst + b + count + p, _mm_unpackhi_pd(d[p], d[p + 1]));
    }
}

// The three twiddles of block size 16, broadcast.
struct Twiddles16
{
    explicit Twiddles16(const FftSizeInstance& instance)
    {
        const uint32_t length = instance.cosineLength;
        const uint32_t stride = length / 4;
        for (uint32_t k = 1; k < 4; ++k)
        {
            c[k] = _mm_set1_pd(instance.cosineTable[k * stride]);
            s[k] = _mm_set1_pd(instance.cosineTable[length - k * stride]);
        }
    }
    __m128d c[4];
    __m128d s[4];
};

inline void forwardMerge16Registers(const Twiddles16& t, const __m128d* x, __m128d* d)
{
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
        const __m128d tRe = _mm_sub_pd(_mm_mul_pd(t.c[k], reB), _mm_mul_pd(t.s[k], imB));
        const __m128d tIm = _mm_add_pd(_mm_mul_pd(t.c[k], imB), _mm_mul_pd(t.s[k], reB));
        d[k] = _mm_add_pd(reA, tRe);
        d[8 - k] = _mm_sub_pd(reA, tRe);
        d[8 + k] = _mm_add_pd(tIm, imA);
        d[16 - k] = _mm_sub_pd(tIm, imA);
    }
}

// Block size 8, two blocks at a time.
inline void forwardMerge8(double* dst, const double* src, uint32_t begin, uint32_t end)
{
    for (uint32_t b = begin; b < end; b += 16)
    {
        __m128d x[8];
        __m128d d[8];
        loadBlockPair(src, b, 8, x);
        forwardMerge8Registers(x, d);
        storeBlockPair(dst, b, 8, d);
    }
}

// Block size 16, two blocks at a time.
inline void forwardMerge16(const FftSizeInstance& instance, double* dst, const double* src, uint32_t begin,
                           uint32_t end)
{
    const Twiddles16 t(instance);
    for (uint32_t b = begin; b < end; b += 32)
    {
        __m128d x[16];
        __m128d d[16];
        loadBlockPair(src, b, 16, x);
        forwardMerge16Registers(t, x, d);
        storeBlockPair(dst, b, 16, d);
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
// between(), called once per vector, lets independent work be interleaved with the butterflies.
template <class Twiddles, class Between = Nothing>
inline void forwardButterflies(double* d, const double* x, uint32_t m, uint32_t kBegin, uint32_t kEnd,
                               const Twiddles& twiddles, const Between& between = Between())
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
        between();
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

// The level's twiddles computed ahead, or null when its rotation is no longer the one they came from.
inline const FftLevelTwiddles* precomputedTwiddles(const FftSizeInstance& instance, uint32_t m,
                                                   const FftTwiddleLevel& level)
{
    const FftLevelTwiddles& t = instance.levelTwiddles[sizeClassOfLength(m) - 13];
    const bool current = t.cosines != nullptr && t.length == m / 4 && t.rotationCos == level.rotationCos &&
                         t.rotationSin == level.rotationSin;
    return current ? &t : nullptr;
}

// The level ends on the twiddle of k = q - 1, as the recurrence would leave it.
inline void finishLevel(FftTwiddleLevel& level, const FftLevelTwiddles& t)
{
    level.currentCos = t.cosines[t.length - 1];
    level.currentSin = t.sines[t.length - 1];
}

inline void forwardMergeRecurrent(double* dst, const double* src, uint32_t n, uint32_t m,
                                  FftTwiddleLevel& level)
{
    forwardMergeEnds(dst, src, 0, n, m);
    runRecurrentStage(
        n, m, level,
        [&](uint32_t b, uint32_t kBegin, uint32_t kEnd, const StagedTwiddles& twiddles, const auto& between)
        { forwardButterflies(dst + b, src + b, m, kBegin, kEnd, twiddles, between); });
}

// One table stage over the blocks in [begin, end).
inline void forwardTableStage(const FftSizeInstance& instance, double* dst, const double* src, uint32_t begin,
                              uint32_t end, uint32_t m)
{
    if (m == 8)
        forwardMerge8(dst, src, begin, end);
    else if (m == 16)
        forwardMerge16(instance, dst, src, begin, end);
    else
        forwardMerge(dst, src, begin, end, m, tableTwiddles(instance, m / 4));
}

// ---- Inverse stages ---------------------------------------------------------------------------------------

// Radix 4 with bit-reversed writing, visited like forwardRadix4 so that the writes are contiguous.
inline void inverseRadix4(const FftSizeInstance& instance, double* out, const double* src, uint32_t n)
{
    const uint32_t* bitReverse = instance.bitReverseTable;
    const uint32_t n4 = n / 4;
    const VType two = Vec::broadcast(2.0);
    forEachRadix4Vector(n,
                        [&](uint32_t r)
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
                        });
}

inline void inverseSplit8Registers(const __m128d* x, __m128d* d)
{
    const __m128d root = _mm_set1_pd(kSqrtHalf);
    const __m128d two = _mm_set1_pd(2.0);
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
}

inline void inverseSplit16Registers(const Twiddles16& t, const __m128d* x, __m128d* d)
{
    const __m128d two = _mm_set1_pd(2.0);
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
        d[8 + k] = _mm_add_pd(_mm_mul_pd(u, t.c[k]), _mm_mul_pd(v, t.s[k]));
        d[12 + k] = _mm_sub_pd(_mm_mul_pd(v, t.c[k]), _mm_mul_pd(u, t.s[k]));
    }
}

// Block sizes 16 and 8 in one pass over [begin, end), in place: the two lanes hold the blocks of 16 at b and
// b + 16, and each half of them is a block of 8 of its own. Both stages make exactly their own operations;
// the block-16 results only skip the round trip through the other buffer, which the radix-4 stage that
// follows rewrites whole.
inline void inverseSplit16And8InPlace(const FftSizeInstance& instance, double* data, uint32_t begin,
                                      uint32_t end)
{
    const Twiddles16 t(instance);
    for (uint32_t b = begin; b < end; b += 32)
    {
        __m128d x[16];
        __m128d y[16];
        __m128d d[16];
        loadBlockPair(data, b, 16, x);
        inverseSplit16Registers(t, x, y);
        inverseSplit8Registers(y, d);
        inverseSplit8Registers(y + 8, d + 8);
        storeBlockPair(data, b, 16, d);
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

// between(), called once per vector, lets independent work be interleaved with the butterflies.
template <class Twiddles, class Between = Nothing>
inline void inverseButterflies(double* d, const double* x, uint32_t m, uint32_t kBegin, uint32_t kEnd,
                               const Twiddles& twiddles, const Between& between = Between())
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
        between();
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
    inverseSplitEnds(dst, src, 0, n, m);
    runRecurrentStage(
        n, m, level,
        [&](uint32_t b, uint32_t kBegin, uint32_t kEnd, const StagedTwiddles& twiddles, const auto& between)
        { inverseButterflies(dst + b, src + b, m, kBegin, kEnd, twiddles, between); });
}

// A stage longer than the cosine table: its twiddles from the shared level table when they are current,
// from the recurrence otherwise. Both give the same bits.
inline void forwardLevelStage(const FftSizeInstance& instance, double* dst, const double* src, uint32_t n,
                              uint32_t m, FftTwiddleLevel& level)
{
    if (const FftLevelTwiddles* t = precomputedTwiddles(instance, m, level))
    {
        forwardMerge(dst, src, 0, n, m, StagedTwiddles{t->cosines, t->sines, 0});
        finishLevel(level, *t);
        return;
    }
    forwardMergeRecurrent(dst, src, n, m, level);
}

inline void inverseLevelStage(const FftSizeInstance& instance, double* dst, const double* src, uint32_t n,
                              uint32_t m, FftTwiddleLevel& level)
{
    if (const FftLevelTwiddles* t = precomputedTwiddles(instance, m, level))
    {
        inverseSplit(dst, src, 0, n, m, StagedTwiddles{t->cosines, t->sines, 0});
        finishLevel(level, *t);
        return;
    }
    inverseSplitRecurrent(dst, src, n, m, level);
}

inline void inverseTableStage(const FftSizeInstance& instance, double* dst, const double* src, uint32_t begin,
                              uint32_t end, uint32_t m)
{
    inverseSplit(dst, src, begin, end, m, tableTwiddles(instance, m / 4));
}

// ---- Stage plans ------------------------------------------------------------------------------------------

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
            forwardTableStage(instance, dst, src, begin, begin + span, m);
            src = dst;
        }
        latest = src;
    }

    for (uint32_t m = 2 * span; m <= n; m *= 2)
    {
        double* dst = alternate(latest, out, work);
        if (m <= 4096)
            forwardTableStage(instance, dst, latest, 0, n, m);
        else
            forwardLevelStage(instance, dst, latest, n, m, levelOf(instance, m));
        latest = dst;
    }
}

inline void inverseTransform(FftSizeInstance& instance, const double* in, double* out)
{
    const uint32_t n = instance.workLength;
    double* const work = instance.workBuffer;

    const uint32_t span = minOf(n, kDepthFirstSpan);
    const double* src = in;
    double* dst = firstDestination(instance, out);
    for (uint32_t m = n; m > span; m /= 2)
    {
        if (m <= 4096)
            inverseTableStage(instance, dst, src, 0, n, m);
        else
            inverseLevelStage(instance, dst, src, n, m, levelOf(instance, m));
        src = dst;
        dst = alternate(dst, out, work);
    }

    const double* latest = src;
    for (uint32_t begin = 0; begin < n; begin += span)
    {
        // The chunk always has stages of block size 32 and more, so the last of them writes one of ours.
        const double* chunkSrc = src;
        double* chunkDst = dst;
        double* written = dst;
        for (uint32_t m = span; m >= 32; m /= 2)
        {
            inverseTableStage(instance, chunkDst, chunkSrc, begin, begin + span, m);
            written = chunkDst;
            chunkSrc = chunkDst;
            chunkDst = alternate(chunkDst, out, work);
        }
        // Block sizes 16 and 8 would write the other buffer and then this one again.
        inverseSplit16And8InPlace(instance, written, begin, begin + span);
        latest = written;
    }

    inverseRadix4(instance, out, latest, n);
}

} // namespace
