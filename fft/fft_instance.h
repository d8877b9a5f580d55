#pragma once

#include <cstdint>

/** One step of the twiddle recurrence that serves a stage of 8192 points or more.

    `rotationCos`/`rotationSin` are fixed at construction; `currentCos`/`currentSin` are rewritten by every
    transform that uses the level and hold the last twiddle it produced. */
struct FftTwiddleLevel
{
    double currentCos;
    double currentSin;
    double rotationCos;
    double rotationSin;
};

/** The twiddles k = 0 .. q - 1 of the stage a level serves, exactly as its recurrence produces them from
    (1, 0) with the rotation below. Every transform restarts the recurrence from (1, 0), so they never change:
    they are computed once per size class, when its first instance is built, and shared read-only by all its
    instances until the module is unloaded. A transform reads them only while the level's rotation is the
    one they were computed with; otherwise it runs the recurrence itself. */
struct FftLevelTwiddles
{
    const double* cosines = nullptr;
    const double* sines = nullptr;
    uint32_t length = 0;
    double rotationCos = 0.0;
    double rotationSin = 0.0;
};

/** Smallest and largest supported size class (log2 of the transform size). */
constexpr int kFftMinSizeClass = 8;
constexpr int kFftMaxSizeClass = 17;

/** Levels kept by every instance: one per stage longer than the 4096-point cosine table, at most five. */
constexpr int kFftMaxTwiddleLevels = kFftMaxSizeClass - 12;

/** True for the ten size classes the library supports. [any thread] */
constexpr bool fftIsSizeClass(int sizeClass)
{
    return sizeClass >= kFftMinSizeClass && sizeClass <= kFftMaxSizeClass;
}

/** Size class of n, or -1 when n is not a supported size. [any thread] No allocation. */
constexpr int fftSizeClassOf(int n)
{
    for (int sizeClass = kFftMinSizeClass; sizeClass <= kFftMaxSizeClass; ++sizeClass)
    {
        if (n == (1 << sizeClass))
            return sizeClass;
    }
    return -1;
}

/** Everything one transform of n = 2^L points needs besides its input and output: a scratch buffer and
    the tables, so that a call computes no cosine, sine or bit reversal and allocates nothing.

    The work buffer and the current pair of every level change during a call, so an instance serves one
    call at a time; the pool lends it out exclusively. Each owned array comes with its element count; the
    pointer is null and the count 0 when the array is absent. */
struct FftSizeInstance
{
    /** Builds every table of the size class (8 .. 17). [any thread] Allocates 9*n + 40*cosineLength bytes;
        the first instance of a size class from 8192 up also allocates the shared level twiddles (about 8*n
        bytes, kept until the module is unloaded). If an allocation fails, what was allocated is freed
        and std::bad_alloc propagates. */
    explicit FftSizeInstance(int sizeClass);

    /** Frees the per-stage twiddles, the cosine table, the bit-reversal table and the work buffer, in that
        order. */
    ~FftSizeInstance();

    FftSizeInstance(const FftSizeInstance&) = delete;
    FftSizeInstance& operator=(const FftSizeInstance&) = delete;

    /** Second buffer between which the stages alternate; contents mean nothing between calls. */
    double* workBuffer = nullptr;
    uint32_t workLength = 0;

    /** Entry i is the L-bit reversal of 4*i: where the radix-4 stage reads (forward) or writes (inverse). */
    uint32_t* bitReverseTable = nullptr;
    uint32_t bitReverseLength = 0;

    /** cos(2*pi*i/n) for n <= 4096 (n/4 entries); cos(2*pi*i/4096) (1024 entries) for larger n, whose
        longer stages use the recurrence of `levels` instead. Sines are read from the mirrored index. */
    double* cosineTable = nullptr;
    uint32_t cosineLength = 0;

    /** The cosine table's twiddles regrouped per stage so that the transforms read them with unit stride:
        for every table stage of block size m = 4q (16 <= m <= 4*cosineLength), entry q + k holds the
        cosine (`stageCosines`) and the sine (`stageSines`) of twiddle k = 1 .. q - 1, copied bit for bit
        from `cosineTable`. Entries 0 .. 3 and q + 0 are unused (zero). 2*cosineLength entries each. */
    double* stageCosines = nullptr;
    double* stageSines = nullptr;
    uint32_t stageTwiddleLength = 0;

    /** Level j (1-based) serves the stage of block size 4096 * 2^j; levels[0] is level 1. Sizes up to
        4096 keep one level that is never read. */
    FftTwiddleLevel levels[kFftMaxTwiddleLevels];
    int levelCount = 0;

    /** The shared twiddles of each level (see FftLevelTwiddles); empty for sizes up to 4096. */
    FftLevelTwiddles levelTwiddles[kFftMaxTwiddleLevels];

private:
    void freeArrays();
};

/** Sets the rotation of levels 1 .. levelCount to (cos, sin) of (pi/2) / (1024 * 2^j), that is 2*pi/m for
    the stage of block size m = 4096 * 2^j. [any thread, instance not in use] No allocation. */
void fftInitRotationPairs(FftSizeInstance& instance, int levelCount);
