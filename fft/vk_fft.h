#pragma once

/** Fixed-size real FFTs in double precision.

    Sizes: n = 2^L with L = 8 .. 17 (256, 512, ... 131072). Any other n is ignored: the call returns at once,
    reads nothing and writes nothing.

    Layout (split half-spectrum, n doubles):
        [0]              Re X_0 (DC)
        [k]              Re X_k        for 1 <= k <= n/2 - 1
        [n/2]            Re X_{n/2} (Nyquist)
        [n/2 + k]        Im X_k        for 1 <= k <= n/2 - 1, ascending k (not mirrored)
    Im X_0 and Im X_{n/2} are zero and not stored; bins above n/2 are the conjugates of those below.

    Sign and scaling:
        forward  X_k = sum_j x_j * e^(+2*pi*i*j*k/n)      (positive exponent, unnormalised)
        inverse  y_j = sum_k X_k * e^(-2*pi*i*j*k/n)      (unnormalised: inverse(forward(x)) = n * x)
        scale    data[i] *= 1/n                           (exact: 1/n is a power of two)

    Aliasing: `in` is never written, and `in` and `out` must be distinct, non-overlapping arrays for every
    size (the first stage writes `out` before all of `in` has been read).

    Results are bit-for-bit reproducible: every product and sum is a separate double operation in a fixed
    order, whichever instruction set (SSE2 or AVX, chosen at run time) computes them.

    Threads: [any thread]. Each call borrows one of sixteen preallocated instances of its size for its
    duration; a call allocates nothing (it uses about 18 KB of stack) and makes no system call unless the pool
    lock is contended (then it yields the processor). A seventeenth concurrent caller of one size waits until
    an instance is free. The instances (about 39 MB in all) are built before main() and freed at exit.
*/

/** out := split half-spectrum of in (n doubles each). */
void fftForward(int n, double* out, const double* in);

/** out := n times the real signal whose split half-spectrum is in (n doubles each). */
void fftInverse(int n, const double* in, double* out);

/** data[i] := data[i] * (1/n), in place. */
void fftScale(int n, double* data);

/** Marks every pool instance free. [any thread] Only while no transform of any size is running. */
void fftResetPool();
