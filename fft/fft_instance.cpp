#include "fft/fft_instance.h"

#include <cmath>
#include <mutex>
#include <new>

namespace
{

// Angular steps of the cosine tables, written out so that every build starts from the same doubles
// (2*pi/n for n <= 4096; the larger sizes share the 4096-point table).
constexpr double kCosineStep256 = 0.02454369260617026;
constexpr double kCosineStep512 = 0.01227184630308513;
constexpr double kCosineStep1024 = 0.006135923151542565;
constexpr double kCosineStep2048 = 0.0030679615757712823;
constexpr double kCosineStep4096 = 0.0015339807878856412;

// 2*pi/8192: the rotation of level 1, which every size from 8192 up shares.
constexpr double kRotationAngle8192 = 0.0007669903939428206;
constexpr double kHalfPi = 1.5707963267948966;

// Cache-line alignment keeps the vector loads and stores of the transforms from straddling lines.
constexpr std::align_val_t kBufferAlignment{64};

double* allocateDoubles(uint32_t count)
{
    return new (kBufferAlignment) double[count];
}

void freeDoubles(double* p)
{
    ::operator delete[](p, kBufferAlignment);
}

double cosineStep(int sizeClass)
{
    switch (sizeClass)
    {
    case 8:
        return kCosineStep256;
    case 9:
        return kCosineStep512;
    case 10:
        return kCosineStep1024;
    case 11:
        return kCosineStep2048;
    default:
        return kCosineStep4096;
    }
}

// Twiddle k of the stage of block size m = 4q has stride d = T/q in the table of T entries: its cosine is
// entry k*d and its sine entry T - k*d.
void fillStageTwiddles(FftSizeInstance& instance)
{
    const uint32_t length = instance.cosineLength;
    const double* table = instance.cosineTable;
    for (uint32_t i = 0; i < instance.stageTwiddleLength; ++i)
    {
        instance.stageCosines[i] = 0.0;
        instance.stageSines[i] = 0.0;
    }
    for (uint32_t q = 4; q <= length; q *= 2)
    {
        const uint32_t stride = length / q;
        for (uint32_t k = 1; k < q; ++k)
        {
            instance.stageCosines[q + k] = table[k * stride];
            instance.stageSines[q + k] = table[length - k * stride];
        }
    }
}

// The twiddles of every level of one size class, as the recurrence of the stage formulas produces them.
// Freed when the module is unloaded (after the pool's instances, which were built after it).
struct SharedLevelTwiddles
{
    SharedLevelTwiddles() = default;
    SharedLevelTwiddles(const SharedLevelTwiddles&) = delete;
    SharedLevelTwiddles& operator=(const SharedLevelTwiddles&) = delete;
    ~SharedLevelTwiddles()
    {
        for (FftLevelTwiddles& level : levels)
        {
            freeDoubles(const_cast<double*>(level.cosines));
            freeDoubles(const_cast<double*>(level.sines));
        }
    }

    std::once_flag built;
    FftLevelTwiddles levels[kFftMaxTwiddleLevels];
};

void buildLevelTwiddles(SharedLevelTwiddles& shared, const FftSizeInstance& instance)
{
    for (int j = 1; j <= instance.levelCount; ++j)
    {
        // Levels built before an allocation failed are kept for the next attempt.
        if (shared.levels[j - 1].cosines != nullptr)
            continue;
        const FftTwiddleLevel& level = instance.levels[j - 1];
        const uint32_t q = 1024u << j;
        double* cosines = allocateDoubles(q);
        double* sines = nullptr;
        try
        {
            sines = allocateDoubles(q);
        }
        catch (...)
        {
            freeDoubles(cosines);
            throw;
        }
        double c = 1.0;
        double s = 0.0;
        cosines[0] = c;
        sines[0] = s;
        for (uint32_t k = 1; k < q; ++k)
        {
            const double nextC = c * level.rotationCos - s * level.rotationSin;
            const double nextS = s * level.rotationCos + c * level.rotationSin;
            c = nextC;
            s = nextS;
            cosines[k] = c;
            sines[k] = s;
        }
        shared.levels[j - 1] = FftLevelTwiddles{cosines, sines, q, level.rotationCos, level.rotationSin};
    }
}

// Built at most once per size class.
void attachLevelTwiddles(FftSizeInstance& instance, int sizeClass)
{
    static SharedLevelTwiddles shared[kFftMaxSizeClass + 1];
    SharedLevelTwiddles& row = shared[sizeClass];
    std::call_once(row.built, [&] { buildLevelTwiddles(row, instance); });
    for (int j = 0; j < kFftMaxTwiddleLevels; ++j)
        instance.levelTwiddles[j] = row.levels[j];
}

} // namespace

FftSizeInstance::FftSizeInstance(int sizeClass)
{
    const uint32_t n = 1u << sizeClass;
    const uint32_t cosineEntries = sizeClass <= 12 ? n / 4 : 1024;

    try
    {
        workBuffer = allocateDoubles(n);
        workLength = n;
        bitReverseTable = new uint32_t[n / 4];
        bitReverseLength = n / 4;
        cosineTable = allocateDoubles(cosineEntries);
        cosineLength = cosineEntries;
        stageCosines = allocateDoubles(2 * cosineEntries);
        stageSines = allocateDoubles(2 * cosineEntries);
        stageTwiddleLength = 2 * cosineEntries;
    }
    catch (...)
    {
        freeArrays();
        throw;
    }

    levelCount = sizeClass > 12 ? sizeClass - 12 : 1;
    for (FftTwiddleLevel& level : levels)
        level = FftTwiddleLevel{1.0, 0.0, 1.0, 0.0};

    bitReverseTable[0] = 0;
    for (uint32_t i = 1; i < n / 4; ++i)
    {
        uint32_t v = 4 * i;
        uint32_t r = 0;
        for (int bit = 0; bit < sizeClass; ++bit)
        {
            r = 2 * r + (v & 1u);
            v >>= 1;
        }
        bitReverseTable[i] = r;
    }

    const double step = cosineStep(sizeClass);
    for (uint32_t i = 0; i < cosineEntries; ++i)
        cosineTable[i] = std::cos(static_cast<double>(i) * step);
    fillStageTwiddles(*this);

    if (sizeClass == 13)
        levels[0] = FftTwiddleLevel{1.0, 0.0, std::cos(kRotationAngle8192), std::sin(kRotationAngle8192)};
    else if (sizeClass > 13)
        fftInitRotationPairs(*this, sizeClass - 12);

    if (sizeClass > 12)
    {
        try
        {
            attachLevelTwiddles(*this, sizeClass);
        }
        catch (...)
        {
            freeArrays();
            throw;
        }
    }
}

FftSizeInstance::~FftSizeInstance()
{
    freeArrays();
}

void FftSizeInstance::freeArrays()
{
    freeDoubles(stageSines);
    stageSines = nullptr;
    freeDoubles(stageCosines);
    stageCosines = nullptr;
    stageTwiddleLength = 0;
    freeDoubles(cosineTable);
    cosineTable = nullptr;
    cosineLength = 0;
    delete[] bitReverseTable;
    bitReverseTable = nullptr;
    bitReverseLength = 0;
    freeDoubles(workBuffer);
    workBuffer = nullptr;
    workLength = 0;
}

void fftInitRotationPairs(FftSizeInstance& instance, int levelCount)
{
    for (int j = 1; j <= levelCount; ++j)
    {
        const double angle = kHalfPi / static_cast<double>(1024 << j);
        FftTwiddleLevel& level = instance.levels[j - 1];
        level.rotationCos = std::cos(angle);
        level.rotationSin = std::sin(angle);
    }
}
