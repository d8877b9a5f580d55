#pragma once

#include <complex>
#include <memory>

/** The N/2 + 1 complex bins (DC to Nyquist) of a real N-point transform.

    Threads: resize allocates [message thread]; element access [any thread] under the owner's lock.
*/
class FftHalfSpectrum
{
public:
    using Bin = std::complex<double>;

    explicit FftHalfSpectrum(int transformLength = 0) { resize(transformLength); }

    /** Reallocates for a new transform length and zeroes every bin. */
    void resize(int transformLength);
    void clear() noexcept;

    int getTransformLength() const noexcept { return m_transformLength; }
    int getBinCount() const noexcept { return m_transformLength > 0 ? m_transformLength / 2 + 1 : 0; }

    Bin* data() noexcept { return m_bins.get(); }
    const Bin* data() const noexcept { return m_bins.get(); }
    Bin& operator[](int i) noexcept { return m_bins[static_cast<size_t>(i)]; }
    const Bin& operator[](int i) const noexcept { return m_bins[static_cast<size_t>(i)]; }

private:
    int m_transformLength = 0;
    std::unique_ptr<Bin[]> m_bins;
};
