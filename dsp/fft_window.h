#pragma once

#include <memory>

/** Analysis window table: entry i = w(2 pi i / n) for i = 0 .. n, so n + 1 entries and a symmetric window.
    Types: 0 rectangular, 1 Hamming, 2 Hann, 3 Blackman, 4 Blackman-Harris.

    Threads: construction allocates [message thread]; compute/apply run on the owner's thread under its lock,
    without allocating.
*/
class FftWindowTable
{
public:
    static constexpr int kRectangular = 0;
    static constexpr int kHamming = 1;
    static constexpr int kHann = 2;
    static constexpr int kBlackman = 3;
    static constexpr int kBlackmanHarris = 4;

    /** capacity: the largest table (n + 1 entries) this object can hold. */
    explicit FftWindowTable(int capacity);

    /** Recomputes only when type or n differ from the cached table. Returns false, leaving the table as it
        was, for an unknown type or an n outside 1 .. capacity - 1. */
    bool compute(int type, int n) noexcept;

    /** Multiplies the first n + 1 values of frame by the table; nothing before the first compute. */
    void apply(double* frame) const noexcept;

    int getType() const noexcept { return m_type; }
    int getLength() const noexcept { return m_length; }
    double operator[](int i) const noexcept { return m_table[static_cast<size_t>(i)]; }

private:
    int m_capacity;
    int m_length = -1;
    int m_type = -1;
    std::unique_ptr<double[]> m_table;
};
