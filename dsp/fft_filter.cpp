#include "dsp/fft_filter.h"

#include "fft/vk_fft.h"

#include <algorithm>
#include <utility>

namespace
{
bool isTransformableLength(int n, int scratchLength)
{
    // The transform library ignores other lengths silently, which would leave stale scratch data in the bins.
    return n >= 256 && n <= scratchLength && (n & (n - 1)) == 0;
}
} // namespace

FftFilter::FftFilter(FftFilterCallBack* callBack, void* context)
    : FreqDomainOperator(kTransformLength), m_frame(new double[kTransformLength]()),
      m_spectrum(kTransformLength), m_ring(new double[4 * kTransformLength]()),
      m_ringSize(4 * kTransformLength), m_outputFrame(new double[kTransformLength]()), m_context(context),
      m_callBack(callBack), m_window(kTransformLength)
{
    resetLocked();
}

FftFilter::~FftFilter() = default;

int FftFilter::pushSamples(const float* samples, int count)
{
    if (samples == nullptr || count <= 0)
        return 0;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    const int hop = std::clamp(m_hop, 1, m_transformLength);
    int frames = 0;
    int consumed = 0;
    while (consumed < count)
    {
        const int n = std::min(count - consumed, hop - m_fillCount);
        double* destination = m_frame.get() + m_frameWritePosition;
        if (m_inputDelay)
        {
            for (int i = 0; i < n; ++i)
            {
                m_inputDelay->write(samples[consumed + i]);
                destination[i] = m_inputDelay->read();
            }
        }
        else
        {
            for (int i = 0; i < n; ++i)
                destination[i] = samples[consumed + i];
        }
        m_fillCount += n;
        m_frameWritePosition += n;
        consumed += n;
        if (m_fillCount >= hop)
        {
            completeFrame();
            ++frames;
        }
    }
    return frames;
}

void FftFilter::completeFrame()
{
    const int hop = std::clamp(m_hop, 1, m_transformLength);
    std::fill(m_frame.get() + hop, m_frame.get() + m_transformLength, 0.0);
    m_frameWritePosition = 0;
    m_fillCount = 0;
    if (m_windowEnabled && m_window.compute(m_windowType, m_transformLength - 1))
        m_window.apply(m_frame.get());
    forwardToBins(m_transformLength, m_spectrum.data(), m_frame.get());
    analyseFrame();
    m_frameReady = true;
}

void FftFilter::analyseFrame()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_callBack != nullptr)
        m_callBack->operate(m_transformLength, m_spectrum.data(), m_context);
}

bool FftFilter::synthesizeFrame()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_frameReady)
        return false;
    m_frameReady = false;
    // A separate output frame: the input frame may already hold samples of the next hop.
    inverseFromBins(m_transformLength, m_spectrum.data(), m_outputFrame.get());
    outputHook();
    const int hop = std::clamp(m_hop, 0, m_transformLength);
    for (int i = 0; i < hop; ++i)
    {
        m_ring[static_cast<size_t>(m_ringWrite)] = m_outputFrame[static_cast<size_t>(i)];
        m_ringWrite = (m_ringWrite + 1 == m_ringSize) ? 0 : m_ringWrite + 1;
    }
    m_ringCount += hop;
    if (m_ringCount > m_ringSize)
    {
        m_ringRead = (m_ringRead + (m_ringCount - m_ringSize)) % m_ringSize;
        m_ringCount = m_ringSize;
    }
    return true;
}

void FftFilter::reset()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    resetLocked();
}

void FftFilter::resetLocked()
{
    m_fillCount = 0;
    m_hop = m_transformLength;
    m_frameWritePosition = 0;
    std::fill(m_frame.get(), m_frame.get() + m_transformLength, 0.0);
    std::fill(m_outputFrame.get(), m_outputFrame.get() + m_transformLength, 0.0);
    // The FIFO starts N zeros ahead of its reader: the latency of one frame.
    std::fill(m_ring.get(), m_ring.get() + m_ringSize, 0.0);
    m_ringRead = 0;
    m_ringWrite = m_transformLength % m_ringSize;
    m_ringCount = m_transformLength;
    m_spectrum.clear();
    if (m_inputDelay)
        m_inputDelay->clear();
    m_frameReady = false;
}

void FftFilter::clearOutput()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    std::fill(m_ring.get(), m_ring.get() + m_ringSize, 0.0);
}

int FftFilter::getHop() const
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return std::max(0, m_hop);
}

void FftFilter::setInputDelay(int delay)
{
    // Allocate outside the lock so the audio thread never waits for the allocator.
    auto line = std::make_unique<CDelayFilter<float>>(kInputDelayLength, false);
    line->setDelay(delay);
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        std::swap(m_inputDelay, line);
    }
    // The previous line, if any, is freed here, also outside the lock.
}

bool FftFilter::setWindow(int type, int n)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_window.compute(type, n);
}

bool FftFilter::setWindowing(bool enabled, int type)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_window.compute(type, m_transformLength - 1))
        return false;
    m_windowType = type;
    m_windowEnabled = enabled;
    return true;
}

double FftFilter::getWindowValue(int i) const
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (i < 0 || i > m_window.getLength())
        return 0.0;
    return m_window[i];
}

bool FftFilter::forwardToBins(int transformLength, Bin* bins, const double* frame)
{
    if (bins == nullptr || frame == nullptr ||
        !isTransformableLength(transformLength, m_scratch.getBufferLength()))
        return false;
    FftScratchPool::Lease lease(m_scratch);
    double* split = lease.data();
    fftForward(transformLength, split, frame);
    const int half = transformLength / 2;
    bins[0] = Bin(split[0], 0.0);
    for (int k = 1; k < half; ++k)
        bins[k] = Bin(split[k], split[half + k]);
    bins[half] = Bin(split[half], 0.0);
    return true;
}

bool FftFilter::inverseFromBins(int transformLength, const Bin* bins, double* frame)
{
    if (bins == nullptr || frame == nullptr ||
        !isTransformableLength(transformLength, m_scratch.getBufferLength()))
        return false;
    FftScratchPool::Lease lease(m_scratch);
    double* split = lease.data();
    const int half = transformLength / 2;
    split[0] = bins[0].real();
    for (int k = 1; k < half; ++k)
    {
        split[k] = bins[k].real();
        split[half + k] = bins[k].imag();
    }
    split[half] = bins[half].real();
    fftInverse(transformLength, split, frame);
    fftScale(transformLength, frame);
    return true;
}

int FftFilter::pullOutput(double* destination, int maxCount)
{
    if (destination == nullptr || maxCount <= 0)
        return 0;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    const int n = std::min(maxCount, m_ringCount);
    for (int i = 0; i < n; ++i)
    {
        destination[i] = m_ring[static_cast<size_t>(m_ringRead)];
        m_ringRead = (m_ringRead + 1 == m_ringSize) ? 0 : m_ringRead + 1;
    }
    m_ringCount -= n;
    return n;
}

int FftFilter::getOutputAvailable() const
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_ringCount;
}

bool FftFilter::isFrameReady() const
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_frameReady;
}
