#include "fft/fft_kernels.h"

bool fftIsaSupported(FftIsa isa)
{
    switch (isa)
    {
    case FftIsa::Sse2:
        return true;
    case FftIsa::Avx:
        return __builtin_cpu_supports("avx");
    }
    return false;
}

FftIsa fftBestIsa()
{
    return fftIsaSupported(FftIsa::Avx) ? FftIsa::Avx : FftIsa::Sse2;
}

void fftForwardN(FftIsa isa, FftSizeInstance& instance, double* out, const double* in)
{
    if (isa == FftIsa::Avx)
        fftForwardAvx(instance, out, in);
    else
        fftForwardSse2(instance, out, in);
}

void fftForwardN(FftSizeInstance& instance, double* out, const double* in)
{
    fftForwardN(fftBestIsa(), instance, out, in);
}

void fftInverseN(FftIsa isa, FftSizeInstance& instance, const double* in, double* out)
{
    if (isa == FftIsa::Avx)
        fftInverseAvx(instance, in, out);
    else
        fftInverseSse2(instance, in, out);
}

void fftInverseN(FftSizeInstance& instance, const double* in, double* out)
{
    fftInverseN(fftBestIsa(), instance, in, out);
}

void fftScaleN(FftSizeInstance& instance, double* data)
{
    // 1/n is a power of two, so both the reciprocal and every product are exact.
    const double factor = 1.0 / static_cast<double>(instance.workLength);
    const uint32_t n = instance.workLength;
    for (uint32_t i = 0; i < n; ++i)
        data[i] *= factor;
}
