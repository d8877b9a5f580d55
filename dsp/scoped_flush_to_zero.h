#pragma once

// Flush-to-zero and denormals-are-zero for the life of the object; the caller's SSE control and status
// register comes back as it was (exception flags included).
//
// Recursive filters fed a constant decay towards zero through the denormal range, where each operation
// costs many times its normal time; nothing audible lives there, and not every host sets this mode.
//
// Threads: affects only the calling thread; no allocation.

#include <xmmintrin.h>

class ScopedFlushToZero
{
public:
    static constexpr unsigned kFlushToZero = 0x8000u;
    static constexpr unsigned kDenormalsAreZero = 0x0040u;

    ScopedFlushToZero() noexcept : m_saved(_mm_getcsr())
    {
        _mm_setcsr(m_saved | kFlushToZero | kDenormalsAreZero);
    }
    ~ScopedFlushToZero() { _mm_setcsr(m_saved); }
    ScopedFlushToZero(const ScopedFlushToZero&) = delete;
    ScopedFlushToZero& operator=(const ScopedFlushToZero&) = delete;

private:
    const unsigned m_saved;
};
