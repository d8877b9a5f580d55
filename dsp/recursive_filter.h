#pragma once

#include <array>
#include <cstddef>

/** Second-order recursive (IIR) section with ring histories.

    y = a0 x + a1 x[-1] + a2 x[-2] + b1 y[-1] + b2 y[-2]. The feedback coefficients are stored with the sign
    that is added, so a textbook denominator term a1 is stored as b1 = -a1.

    The histories are 51-entry rings so that longer sections can share the layout; the update itself reads
    only the two most recent entries.

    Threads: [audio thread] for processSample; designs, setters and resets run on whichever thread owns the
    filter (the message thread while the bank is rebuilt, the audio thread while it morphs), never
    concurrently with processSample. Nothing here allocates or locks.
*/
template <typename T>
class CRecursiveFilter
{
public:
    static constexpr int kHistoryLength = 51;
    static constexpr int kMaxCoefficients = 31;

    CRecursiveFilter() { resetAll(); }
    virtual ~CRecursiveFilter() = default;

    CRecursiveFilter(const CRecursiveFilter&) = default;
    CRecursiveFilter& operator=(const CRecursiveFilter&) = default;

    /** Back to the constructed state: order two, every coefficient and history entry zero. */
    void resetAll() noexcept
    {
        m_feedForwardCount = 2;
        m_feedBackCount = 2;
        m_a.fill(T(0));
        m_b.fill(T(0));
        clearHistory();
    }

    /** Forgets the past signal but keeps the design, so a re-used filter does not ring with old input. */
    void clearHistory() noexcept
    {
        m_inputHistory.fill(T(0));
        m_outputHistory.fill(T(0));
        m_ringIndex = 0;
    }

    /** Out-of-range indices are ignored rather than written past the coefficient arrays. */
    void setFeedForward(int i, T value) noexcept
    {
        if (i >= 0 && i < kMaxCoefficients)
            m_a[static_cast<std::size_t>(i)] = value;
    }
    void setFeedBack(int i, T value) noexcept
    {
        if (i >= 0 && i < kMaxCoefficients)
            m_b[static_cast<std::size_t>(i)] = value;
    }
    T getFeedForward(int i) const noexcept
    {
        return (i >= 0 && i < kMaxCoefficients) ? m_a[static_cast<std::size_t>(i)] : T(0);
    }
    T getFeedBack(int i) const noexcept
    {
        return (i >= 0 && i < kMaxCoefficients) ? m_b[static_cast<std::size_t>(i)] : T(0);
    }
    int getFeedForwardCount() const noexcept { return m_feedForwardCount; }
    int getFeedBackCount() const noexcept { return m_feedBackCount; }

    /** Makes the filter a wire: the neutral band-reject, for bands too low to design sensibly. */
    void setPassThrough() noexcept
    {
        m_a.fill(T(0));
        m_b.fill(T(0));
        m_a[0] = T(1);
    }

    /** Makes the filter give silence: the neutral band-pass, whose band-reject partner passes everything. */
    void setSilent() noexcept
    {
        m_a.fill(T(0));
        m_b.fill(T(0));
    }

    /** One sample through the section; meant to be inlined into the owner's per-sample loop. */
    inline T processSample(T x) noexcept
    {
        const int k = m_ringIndex;
        const int previous = (k == 0) ? kHistoryLength - 1 : k - 1;
        const T y = m_a[0] * x + m_a[1] * m_inputHistory[k] + m_a[2] * m_inputHistory[previous] +
                    m_b[1] * m_outputHistory[k] + m_b[2] * m_outputHistory[previous];
        const int next = (k == kHistoryLength - 1) ? 0 : k + 1;
        m_ringIndex = next;
        m_inputHistory[next] = x;
        m_outputHistory[next] = y;
        return y;
    }

protected:
    /** Stores one normalised second-order design given in double precision. */
    void setSecondOrder(double a0, double a1, double a2, double b1, double b2) noexcept
    {
        m_a[0] = static_cast<T>(a0);
        m_a[1] = static_cast<T>(a1);
        m_a[2] = static_cast<T>(a2);
        m_b[1] = static_cast<T>(b1);
        m_b[2] = static_cast<T>(b2);
    }

private:
    std::array<T, kHistoryLength> m_inputHistory{};
    int m_feedForwardCount = 2;
    std::array<T, kMaxCoefficients> m_a{};
    std::array<T, kHistoryLength> m_outputHistory{};
    int m_feedBackCount = 2;
    std::array<T, kMaxCoefficients> m_b{};
    int m_ringIndex = 0;
};
