#pragma once

#include <algorithm>
#include <vector>

/** Whole-sample delay line on a ring of L + 1 samples (delays 0 to L).

    Threads: construction allocates [message thread]; write/read/setDelay/clear run on the owner's thread
    (the audio thread in use) and neither allocate nor lock.
*/
template <typename T>
class CDelayFilter
{
public:
    CDelayFilter(int maxLength, bool startAtMaximum)
        : m_maxLength(std::max(0, maxLength)), m_delay(startAtMaximum ? m_maxLength : 0),
          m_buffer(static_cast<size_t>(m_maxLength) + 1, T(0))
    {
    }
    virtual ~CDelayFilter() = default;

    CDelayFilter(const CDelayFilter&) = default;
    CDelayFilter& operator=(const CDelayFilter&) = default;

    /** Clamped to 0..L: a negative delay would read past the ring. */
    void setDelay(int delay) noexcept { m_delay = std::clamp(delay, 0, m_maxLength); }
    int getDelay() const noexcept { return m_delay; }
    int getMaxLength() const noexcept { return m_maxLength; }

    void clear() noexcept
    {
        std::fill(m_buffer.begin(), m_buffer.end(), T(0));
        m_writeIndex = 0;
    }

    inline void write(T x) noexcept
    {
        if (++m_writeIndex > m_maxLength)
            m_writeIndex = 0;
        m_buffer[static_cast<size_t>(m_writeIndex)] = x;
    }

    /** A delay of 0 returns the sample just written. */
    inline T read() const noexcept
    {
        int r = m_writeIndex - m_delay;
        if (r < 0)
            r += m_maxLength + 1;
        return m_buffer[static_cast<size_t>(r)];
    }

private:
    int m_maxLength;
    int m_delay;
    std::vector<T> m_buffer;
    int m_writeIndex = 0;
};
