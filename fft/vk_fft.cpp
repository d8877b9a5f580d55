#include "fft/vk_fft.h"

#include "fft/fft_kernels.h"
#include "fft/fft_pool.h"

namespace
{

// Size class of n, or -1 for any n that is not one of the ten sizes.
int sizeClassOf(int n)
{
    if (n <= 0 || (n & (n - 1)) != 0)
        return -1;
    const int sizeClass = __builtin_ctz(static_cast<unsigned>(n));
    return fftIsSizeClass(sizeClass) ? sizeClass : -1;
}

} // namespace

void fftForward(int n, double* out, const double* in)
{
    const int sizeClass = sizeClassOf(n);
    if (sizeClass < 0)
        return;
    const int slot = fftAcquireInstanceWaiting(sizeClass);
    fftForwardN(fftPoolInstance(sizeClass, slot), out, in);
    fftReleaseInstance(sizeClass, slot);
}

void fftInverse(int n, const double* in, double* out)
{
    const int sizeClass = sizeClassOf(n);
    if (sizeClass < 0)
        return;
    const int slot = fftAcquireInstanceWaiting(sizeClass);
    fftInverseN(fftPoolInstance(sizeClass, slot), in, out);
    fftReleaseInstance(sizeClass, slot);
}

void fftScale(int n, double* data)
{
    const int sizeClass = sizeClassOf(n);
    if (sizeClass < 0)
        return;
    const int slot = fftAcquireInstanceWaiting(sizeClass);
    fftScaleN(fftPoolInstance(sizeClass, slot), data);
    fftReleaseInstance(sizeClass, slot);
}
