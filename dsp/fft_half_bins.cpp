#include "dsp/fft_half_bins.h"

#include <algorithm>

void FftHalfSpectrum::resize(int transformLength)
{
    m_transformLength = std::max(0, transformLength);
    m_bins.reset(new Bin[static_cast<size_t>(getBinCount())]);
    clear();
}

void FftHalfSpectrum::clear() noexcept
{
    std::fill(m_bins.get(), m_bins.get() + getBinCount(), Bin(0.0, 0.0));
}
