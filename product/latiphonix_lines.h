#pragma once

// The stereo algorithm's delay lines, opened up so that a run of samples can work on a ring through
// locals (a cursor) instead of reloading the line's fields after every sample store.

#include "dsp/delay_filter.h"

#include <cstddef>

// A ring and its write position, copied out of a line for a run and written back after it. The writes
// and reads are the lines' own, step for step.
struct LatiphonixRingCursor
{
    float* ring;
    int position;
    int maxLength;

    inline void write(float x) noexcept
    {
        if (++position > maxLength)
            position = 0;
        ring[position] = x;
    }

    inline float readAt(int delay) const noexcept
    {
        int r = position - delay;
        if (r < 0)
            r += maxLength + 1;
        return ring[r];
    }

    // CFloatDelayFilter's four-point cubic read at a fractional delay.
    inline float readFractional(float delay) const noexcept
    {
        const int ringSize = maxLength + 1;
        float pos = float(position) - delay;
        while (pos < 0.0f)
            pos += float(ringSize);
        int i = int(pos);
        const float t = pos - float(i);
        if (i >= ringSize)
            i -= ringSize;
        const int im1 = i > 0 ? i - 1 : maxLength;
        const int ip1 = i + 1 > maxLength ? i + 1 - ringSize : i + 1;
        const int ip2 = i + 2 > maxLength ? i + 2 - ringSize : i + 2;

        const float ym1 = ring[im1];
        const float y0 = ring[i];
        const float y1 = ring[ip1];
        const float y2 = ring[ip2];
        return ((((y0 - y1) * 1.5f + (y2 - ym1) * 0.5f) * t + (ym1 - 2.5f * y0 + 2.0f * y1 - 0.5f * y2)) * t +
                (y1 - ym1) * 0.5f) *
                   t +
               y0;
    }
};

// A whole-sample line read at any delay: the ITD line is read at two delays while it cross-fades, so a
// second buffer and its copy per change are not needed.
class LatiphonixTapLine : public CDelayFilter<float>
{
public:
    explicit LatiphonixTapLine(int maxLength) : CDelayFilter<float>(maxLength, false) {}
    LatiphonixRingCursor open() noexcept { return {m_buffer.data(), m_writeIndex, m_maxLength}; }
    void close(const LatiphonixRingCursor& cursor) noexcept { m_writeIndex = cursor.position; }
};

class LatiphonixFillLine : public CFloatDelayFilter<float>
{
public:
    LatiphonixRingCursor open() noexcept { return {m_buffer.data(), m_writeIndex, m_maxLength}; }
    void close(const LatiphonixRingCursor& cursor) noexcept { m_writeIndex = cursor.position; }
};
