#include "dsp/observer_frequency_domain.h"

#include <algorithm>
#include <cmath>

namespace
{
// State word layout. Every transition is one compare-and-swap, so the front index, the reader count and
// the writer's flags are always seen together.
constexpr uint32_t kFront = 1u << 0;      // index of the buffer readers use
constexpr uint32_t kWriting = 1u << 1;    // a push is filling the back buffer
constexpr uint32_t kPending = 1u << 2;    // the back buffer holds a finished spectrum not yet shown
constexpr uint32_t kExclusive = 1u << 3;  // clear or copyFrom owns both buffers
constexpr uint32_t kNoMerge = 1u << 4;    // a reader asked for a fresh start
constexpr uint32_t kBackFresh = 1u << 5;  // the pending spectrum was built without merging
constexpr uint32_t kBackFrozen = 1u << 6; // the pending spectrum was pushed while frozen
constexpr uint32_t kReaderUnit = 1u << 8;
constexpr uint32_t kBackFlags = kBackFresh | kBackFrozen;

int readerCount(uint32_t s) noexcept
{
    return static_cast<int>(s >> 8);
}

/** Shows the back buffer. A fresh spectrum has answered the no-merge request, so it clears it. */
uint32_t flipped(uint32_t s, uint32_t backFlags) noexcept
{
    uint32_t next = (s ^ kFront) & ~(kWriting | kPending | kBackFlags);
    if ((backFlags & kBackFresh) != 0)
        next &= ~kNoMerge;
    return next;
}
} // namespace

VkJuceObserverFrequencyDomain::VkJuceObserverFrequencyDomain(int transformLength, float frequencySpan)
    : m_transformLength(std::max(2, transformLength)), m_halfSize(m_transformLength / 2),
      m_sizeNormalisation(observerSizeNormalisation(transformLength)), m_frequencySpan(frequencySpan)
{
    const size_t bins = static_cast<size_t>(m_halfSize) + 1;
    m_power[0].reset(new double[bins]());
    m_power[1].reset(new double[bins]());
    m_curve.reset(new float[bins]);
    std::fill(m_curve.get(), m_curve.get() + bins, 1.0f);
    clear();
}

VkJuceObserverFrequencyDomain::~VkJuceObserverFrequencyDomain() = default;

bool VkJuceObserverFrequencyDomain::pushSpectrum(int transformLength, const Bin* bins)
{
    if (bins == nullptr || transformLength != m_transformLength)
        return false;

    uint32_t s = m_state.load(std::memory_order_acquire);
    uint32_t begun = 0;
    do
    {
        if ((s & kExclusive) != 0)
            return false;
        // Any spectrum still pending is replaced by this one, which carries the same merge.
        begun = (s | kWriting) & ~(kPending | kBackFlags);
    } while (!m_state.compare_exchange_weak(s, begun, std::memory_order_acq_rel, std::memory_order_acquire));

    m_cleared.store(false);
    const int front = static_cast<int>(begun & kFront);
    const bool frozen = m_frozen.load();
    const bool fresh = (begun & kNoMerge) != 0;
    double* target = m_power[1 - front].get();
    const double* shown = m_power[front].get();
    const int count = m_halfSize + 1;

    for (int i = 0; i < count; ++i)
        target[i] = bins[i].real() * bins[i].real() + bins[i].imag() * bins[i].imag();
    const int32_t weighting = m_weightingType.load();
    if (m_weightingEnabled.load() && weighting != 0)
        applyWeighting(target, weighting);
    if (!frozen && !fresh)
    {
        for (int i = 0; i < count; ++i)
            target[i] = std::max(target[i], shown[i]);
    }

    const uint32_t backFlags = frozen ? kBackFrozen : (fresh ? kBackFresh : 0u);
    s = m_state.load(std::memory_order_acquire);
    uint32_t published = 0;
    bool didFlip = false;
    do
    {
        didFlip = readerCount(s) == 0;
        published = didFlip ? flipped(s, backFlags) : ((s & ~kWriting) | kPending | backFlags);
    } while (
        !m_state.compare_exchange_weak(s, published, std::memory_order_acq_rel, std::memory_order_acquire));
    if (didFlip && !frozen)
        m_swapCount.fetch_add(1);
    m_readFlag.store(false);
    m_dataReady.store(true);
    return true;
}

void VkJuceObserverFrequencyDomain::applyWeighting(double* buffer, int32_t type) noexcept
{
    if (type != m_curveType)
    {
        // The span covers the N/2 + 1 bins, DC to the top bin.
        const double binSpacing = static_cast<double>(m_frequencySpan) / m_halfSize;
        buildObserverWeightingCurve(static_cast<ObserverWeighting>(type), binSpacing, m_curve.get(),
                                    m_halfSize + 1);
        m_curveType = type;
    }
    for (int i = 0; i <= m_halfSize; ++i)
        buffer[i] *= m_curve[static_cast<size_t>(i)];
}

bool VkJuceObserverFrequencyDomain::clear()
{
    if (!beginExclusive())
    {
        setNoMerge();
        return false;
    }
    if (!m_cleared.load())
    {
        const size_t bins = static_cast<size_t>(m_halfSize) + 1;
        std::fill(m_power[0].get(), m_power[0].get() + bins, 0.0);
        std::fill(m_power[1].get(), m_power[1].get() + bins, 0.0);
        m_cleared.store(true);
    }
    m_dataReady.store(false);
    endExclusive();
    return true;
}

bool VkJuceObserverFrequencyDomain::copyFrom(const VkJuceObserverFrequencyDomain& other)
{
    if (&other == this || other.m_transformLength != m_transformLength)
        return false;
    if (!beginExclusive())
        return false;
    bool copied = false;
    {
        Reader reader(other);
        if (reader.isValid())
        {
            const size_t bins = static_cast<size_t>(m_halfSize) + 1;
            std::copy(reader.data(), reader.data() + bins, m_power[0].get());
            std::copy(reader.data(), reader.data() + bins, m_power[1].get());
            // Holding a read on the other observer keeps its span from changing under us.
            m_frequencySpan = other.m_frequencySpan;
            m_weightingType.store(other.m_weightingType.load());
            m_weightingEnabled.store(other.m_weightingEnabled.load());
            m_curveType = -1; // the span may differ: rebuild the curve at the next weighted push
            m_cleared.store(false);
            copied = true;
            m_dataReady.store(true);
        }
    }
    endExclusive();
    return copied;
}

const double* VkJuceObserverFrequencyDomain::beginRead() const noexcept
{
    uint32_t s = m_state.load(std::memory_order_acquire);
    uint32_t next = 0;
    bool didFlip = false;
    do
    {
        if ((s & kExclusive) != 0)
            return nullptr;
        // The last reader has left and a finished spectrum waits: show it before reading.
        didFlip = readerCount(s) == 0 && (s & kPending) != 0 && (s & kWriting) == 0;
        next = (didFlip ? flipped(s, s & kBackFlags) : s) + kReaderUnit;
    } while (!m_state.compare_exchange_weak(s, next, std::memory_order_acq_rel, std::memory_order_acquire));
    if (didFlip && (s & kBackFrozen) == 0)
        m_swapCount.fetch_add(1);
    return m_power[next & kFront].get();
}

void VkJuceObserverFrequencyDomain::endRead() const noexcept
{
    m_state.fetch_sub(kReaderUnit, std::memory_order_acq_rel);
}

bool VkJuceObserverFrequencyDomain::beginExclusive() noexcept
{
    uint32_t s = m_state.load(std::memory_order_acquire);
    do
    {
        if ((s & (kWriting | kExclusive)) != 0 || readerCount(s) != 0)
            return false;
    } while (!m_state.compare_exchange_weak(s, s | kExclusive, std::memory_order_acq_rel,
                                            std::memory_order_acquire));
    return true;
}

void VkJuceObserverFrequencyDomain::endExclusive() noexcept
{
    // Readers start again at buffer 0, and nothing stale is left pending.
    m_state.fetch_and(~(kExclusive | kFront | kPending | kBackFlags), std::memory_order_acq_rel);
}

VkJuceObserverFrequencyDomain::Reader::Reader(const VkJuceObserverFrequencyDomain& observer) noexcept
    : m_observer(observer), m_data(observer.beginRead()),
      m_size(m_data != nullptr ? observer.m_halfSize + 1 : 0)
{
}

VkJuceObserverFrequencyDomain::Reader::~Reader()
{
    if (m_data != nullptr)
        m_observer.endRead();
}

bool VkJuceObserverFrequencyDomain::copyFront(double* destination, int count) const
{
    if (destination == nullptr || count < 0)
        return false;
    Reader reader(*this);
    if (!reader.isValid())
        return false;
    std::copy(reader.data(), reader.data() + std::min(count, reader.size()), destination);
    return true;
}

void VkJuceObserverFrequencyDomain::setNoMerge() noexcept
{
    m_state.fetch_or(kNoMerge, std::memory_order_acq_rel);
}

void VkJuceObserverFrequencyDomain::noteRead() noexcept
{
    m_readCount.fetch_add(1);
    m_readFlag.store(true);
}

bool VkJuceObserverFrequencyDomain::setGain(float gain) noexcept
{
    if (!std::isfinite(gain) || gain < 0.0f)
        return false;
    m_gain.store(gain);
    return true;
}

bool VkJuceObserverFrequencyDomain::isNoMergeRequested() const noexcept
{
    return (m_state.load() & kNoMerge) != 0;
}

bool VkJuceObserverFrequencyDomain::setWeighting(bool enabled, ObserverWeighting type) noexcept
{
    if (!isValidObserverWeighting(static_cast<int32_t>(type)))
        return false;
    m_weightingType.store(static_cast<int32_t>(type));
    m_weightingEnabled.store(enabled);
    return true;
}

int VkJuceObserverFrequencyDomain::getFrontIndex() const noexcept
{
    return static_cast<int>(m_state.load() & kFront);
}

int VkJuceObserverFrequencyDomain::getReaderCount() const noexcept
{
    return readerCount(m_state.load());
}

bool VkJuceObserverFrequencyDomain::isSwapPending() const noexcept
{
    return (m_state.load() & kPending) != 0;
}
