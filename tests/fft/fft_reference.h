#pragma once

#include "fft/fft_instance.h"

/** A literal transcription of the transform stages, one plain loop per formula, kept deliberately free of
    any optimisation. The library's kernels must produce exactly its bits. Like the library, it uses the
    instance's work buffer, tables and twiddle levels (and leaves them in the same state). */
void referenceForward(FftSizeInstance& instance, double* out, const double* in);
void referenceInverse(FftSizeInstance& instance, const double* in, double* out);
