#pragma once

#include "fft/fft_instance.h"

/** Instruction sets the transform routines are built for. Every set produces the same bits; they differ
    only in speed. */
enum class FftIsa
{
    Sse2,
    Avx,
};

/** True when this processor (and operating system) can run routines built for isa. [any thread] */
bool fftIsaSupported(FftIsa isa);

/** The fastest supported set. [any thread] */
FftIsa fftBestIsa();

/** out := split half-spectrum of in, using the instance of size n = instance.workLength for its work buffer
    and tables. [any thread, instance borrowed] No allocation; rewrites the work buffer and, for n >= 8192,
    the current pair of every level. in and out must not overlap. */
void fftForwardN(FftIsa isa, FftSizeInstance& instance, double* out, const double* in);
void fftForwardN(FftSizeInstance& instance, double* out, const double* in);

/** out := n times the real signal whose split half-spectrum is in. Same contract as fftForwardN. */
void fftInverseN(FftIsa isa, FftSizeInstance& instance, const double* in, double* out);
void fftInverseN(FftSizeInstance& instance, const double* in, double* out);

/** data[i] *= 1/n for the instance's n. [any thread] No allocation; the instance is not read beyond its size.
 */
void fftScaleN(FftSizeInstance& instance, double* data);

// Per-instruction-set entry points, defined in translation units built with matching compiler flags.
void fftForwardSse2(FftSizeInstance& instance, double* out, const double* in);
void fftInverseSse2(FftSizeInstance& instance, const double* in, double* out);
void fftForwardAvx(FftSizeInstance& instance, double* out, const double* in);
void fftInverseAvx(FftSizeInstance& instance, const double* in, double* out);
