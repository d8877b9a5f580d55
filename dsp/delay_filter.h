#pragma once

// Ring-buffer delay lines. CDelayFilter delays by whole samples; CFloatDelayFilter reads between samples
// with a four-point Catmull-Rom cubic, for delays that glide (the ITD path and the phase shift).
// Construction and clear() [message thread] allocate or touch the whole buffer; the per-sample calls
// [audio thread] never allocate.

#include <algorithm>
#include <cmath>
#include <vector>

template <typename T>
class CDelayFilter
{
public:
    // The buffer holds maxLength + 1 samples so that a delay of maxLength still reads a sample written
    // before the current one rather than the one it is about to overwrite.
    explicit CDelayFilter(int maxLength, bool startAtMaximum = false)
        : m_maxLength(std::max(maxLength, 0)), m_delay(startAtMaximum ? m_maxLength : 0),
          m_buffer(std::size_t(m_maxLength) + 1, T(0))
    {
    }
    virtual ~CDelayFilter() = default;

    CDelayFilter(const CDelayFilter&) = default;
    CDelayFilter& operator=(const CDelayFilter&) = default;

    int getMaxLength() const noexcept { return m_maxLength; }
    int getDelay() const noexcept { return m_delay; }

    // Negative delays would read ahead of the write position, outside the ring; they are held at 0.
    void setDelay(int delay) noexcept { m_delay = std::clamp(delay, 0, m_maxLength); }

    void clear() noexcept
    {
        std::fill(m_buffer.begin(), m_buffer.end(), T(0));
        m_writeIndex = 0;
    }

    // [audio thread] Stores one sample.
    void write(T x) noexcept
    {
        if (++m_writeIndex > m_maxLength)
            m_writeIndex = 0;
        m_buffer[std::size_t(m_writeIndex)] = x;
    }

    // [audio thread] The sample written `delay` writes ago; a delay of 0 gives the latest one.
    T read() const noexcept
    {
        int r = m_writeIndex - m_delay;
        if (r < 0)
            r += m_maxLength + 1;
        return m_buffer[std::size_t(r)];
    }

    // [audio thread] write() then read().
    T process(T x) noexcept
    {
        write(x);
        return read();
    }

    // Takes over another line's delay, contents and position, so a cross-fade can start both lines from
    // the same history. Lines of different length cannot share positions; then nothing is copied.
    bool copyStateFrom(const CDelayFilter& other) noexcept
    {
        if (other.m_maxLength != m_maxLength)
            return false;
        m_delay = other.m_delay;
        std::copy(other.m_buffer.begin(), other.m_buffer.end(), m_buffer.begin());
        m_writeIndex = other.m_writeIndex;
        return true;
    }

protected:
    int m_maxLength;
    int m_delay;
    std::vector<T> m_buffer;
    int m_writeIndex = 0;
};

template <typename T>
class CFloatDelayFilter : public CDelayFilter<T>
{
public:
    static constexpr int kMaxLength = 65536;

    CFloatDelayFilter() : CDelayFilter<T>(kMaxLength, false) {}

    float getFractionalDelay() const noexcept { return m_fractionalDelay; }

    // Negative and NaN delays are held at 0: both would index outside the ring.
    void setDelay(float delay) noexcept
    {
        m_fractionalDelay = (delay > 0.0f) ? std::min(delay, float(kMaxLength)) : 0.0f;
    }

    // [audio thread] The signal `delay` samples back, interpolated between the two nearest samples.
    T readFractional() const noexcept
    {
        const int ringSize = this->m_maxLength + 1;
        float pos = float(this->m_writeIndex) - m_fractionalDelay;
        while (pos < 0.0f)
            pos += float(ringSize);
        int i = int(pos);
        const T t = T(pos - float(i));
        // A tiny negative position rounds up to exactly the ring size in float; wrap it like any other.
        if (i >= ringSize)
            i -= ringSize;
        const int im1 = i > 0 ? i - 1 : this->m_maxLength;
        const int ip1 = i + 1 > this->m_maxLength ? i + 1 - ringSize : i + 1;
        const int ip2 = i + 2 > this->m_maxLength ? i + 2 - ringSize : i + 2;

        const T ym1 = this->m_buffer[std::size_t(im1)];
        const T y0 = this->m_buffer[std::size_t(i)];
        const T y1 = this->m_buffer[std::size_t(ip1)];
        const T y2 = this->m_buffer[std::size_t(ip2)];
        return ((((y0 - y1) * T(1.5) + (y2 - ym1) * T(0.5)) * t +
                 (ym1 - T(2.5) * y0 + T(2) * y1 - T(0.5) * y2)) *
                    t +
                (y1 - ym1) * T(0.5)) *
                   t +
               y0;
    }

    // [audio thread] write() then readFractional().
    T processFractional(T x) noexcept
    {
        this->write(x);
        return readFractional();
    }

    bool copyStateFrom(const CFloatDelayFilter& other) noexcept
    {
        if (!CDelayFilter<T>::copyStateFrom(other))
            return false;
        m_fractionalDelay = other.m_fractionalDelay;
        return true;
    }

private:
    float m_fractionalDelay = 0.0f;
};
