#include "fft_reference.h"

#include <cstdint>

namespace
{

const double kSqrtHalf = 0.7071067811865476;

int log2Of(int n)
{
    int l = 0;
    while ((1 << l) < n)
        ++l;
    return l;
}

// Twiddle (c, s) of index k for block size m: cosine table up to 4096 points, level recurrence above.
void twiddle(FftSizeInstance& instance, int m, int k, double& c, double& s)
{
    if (m <= 4096)
    {
        const int length = static_cast<int>(instance.cosineLength);
        const int stride = 4 * length / m;
        c = instance.cosineTable[k * stride];
        s = instance.cosineTable[length - k * stride];
        return;
    }
    FftTwiddleLevel& level = instance.levels[log2Of(m) - 12 - 1];
    const double cNew = level.currentCos * level.rotationCos - level.currentSin * level.rotationSin;
    const double sNew = level.currentSin * level.rotationCos + level.currentCos * level.rotationSin;
    level.currentCos = cNew;
    level.currentSin = sNew;
    c = cNew;
    s = sNew;
}

void resetLevelIfRecurrent(FftSizeInstance& instance, int m)
{
    if (m > 4096)
    {
        FftTwiddleLevel& level = instance.levels[log2Of(m) - 12 - 1];
        level.currentCos = 1.0;
        level.currentSin = 0.0;
    }
}

void mergeStage(FftSizeInstance& instance, int n, int m, const double* S, double* D)
{
    const int h = m / 2;
    const int q = m / 4;
    for (int b = 0; b < n; b += m)
    {
        resetLevelIfRecurrent(instance, m);
        D[b] = S[b] + S[b + h];
        D[b + h] = S[b] - S[b + h];
        D[b + q] = S[b + q];
        D[b + h + q] = S[b + h + q];
        for (int k = 1; k <= q - 1; ++k)
        {
            const double ReA = S[b + k];
            const double ImA = S[b + q + k];
            const double ReB = S[b + h + k];
            const double ImB = S[b + h + q + k];
            double t_re;
            double t_im;
            if (m == 8)
            {
                t_re = (ReB - ImB) * kSqrtHalf;
                t_im = (ImB + ReB) * kSqrtHalf;
            }
            else
            {
                double c;
                double s;
                twiddle(instance, m, k, c, s);
                t_re = c * ReB - s * ImB;
                t_im = c * ImB + s * ReB;
            }
            D[b + k] = ReA + t_re;
            D[b + h - k] = ReA - t_re;
            D[b + h + k] = t_im + ImA;
            D[b + m - k] = t_im - ImA;
        }
    }
}

void splitStage(FftSizeInstance& instance, int n, int m, const double* S, double* D)
{
    const int h = m / 2;
    const int q = m / 4;
    for (int b = 0; b < n; b += m)
    {
        resetLevelIfRecurrent(instance, m);
        D[b] = S[b] + S[b + h];
        D[b + h] = S[b] - S[b + h];
        D[b + q] = 2.0 * S[b + q];
        D[b + h + q] = 2.0 * S[b + h + q];
        for (int k = 1; k <= q - 1; ++k)
        {
            D[b + k] = S[b + k] + S[b + h - k];
            D[b + q + k] = S[b + h + k] - S[b + m - k];
            const double u = S[b + k] - S[b + h - k];
            const double v = S[b + h + k] + S[b + m - k];
            if (m == 8)
            {
                D[b + 5] = (v + u) * kSqrtHalf;
                D[b + 7] = (v - u) * kSqrtHalf;
            }
            else
            {
                double c;
                double s;
                twiddle(instance, m, k, c, s);
                D[b + h + k] = u * c + v * s;
                D[b + h + q + k] = v * c - u * s;
            }
        }
    }
}

} // namespace

void referenceForward(FftSizeInstance& instance, double* out, const double* in)
{
    const int n = static_cast<int>(instance.workLength);
    const int L = log2Of(n);
    double* work = instance.workBuffer;

    double* D = ((L - 1) % 2 == 1) ? out : work;
    for (int i = 0; i < n / 4; ++i)
    {
        const int r = static_cast<int>(instance.bitReverseTable[i]);
        const double a0 = in[r];
        const double a1 = in[r + n / 4];
        const double a2 = in[r + n / 2];
        const double a3 = in[r + 3 * n / 4];
        const double e = a0 + a2;
        const double f = a1 + a3;
        D[4 * i] = e + f;
        D[4 * i + 1] = a0 - a2;
        D[4 * i + 2] = e - f;
        D[4 * i + 3] = a1 - a3;
    }

    for (int stage = 2; stage <= L - 1; ++stage)
    {
        const int m = 1 << (stage + 1);
        double* S = D;
        D = (S == out) ? work : out;
        mergeStage(instance, n, m, S, D);
    }
}

void referenceInverse(FftSizeInstance& instance, const double* in, double* out)
{
    const int n = static_cast<int>(instance.workLength);
    const int L = log2Of(n);
    double* work = instance.workBuffer;

    const double* S = in;
    double* D = ((L - 1) % 2 == 1) ? out : work;
    for (int m = n; m >= 8; m /= 2)
    {
        splitStage(instance, n, m, S, D);
        S = D;
        D = (D == out) ? work : out;
    }

    for (int i = 0; i < n / 4; ++i)
    {
        const double S0 = S[4 * i];
        const double S1 = S[4 * i + 1];
        const double S2 = S[4 * i + 2];
        const double S3 = S[4 * i + 3];
        const int r = static_cast<int>(instance.bitReverseTable[i]);
        const double e = S0 + S2;
        const double f = S0 - S2;
        out[r] = e + 2.0 * S1;
        out[r + n / 2] = e - 2.0 * S1;
        out[r + n / 4] = f + 2.0 * S3;
        out[r + 3 * n / 4] = f - 2.0 * S3;
    }
}
