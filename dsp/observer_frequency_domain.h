#pragma once

#include "dsp/observer_weighting.h"

#include <atomic>
#include <complex>
#include <cstdint>
#include <memory>

/** Hands power spectra from the audio thread to the editor's readers.

    Two power buffers of N/2 + 1 bins: readers read the front one while the writer fills the back one. Each
    push is folded into the maxima already shown (max-merge), so a slow reader still sees every peak; a
    reader asks for a fresh start with setNoMerge(). Frozen, pushes show the latest spectrum unmerged.

    Hand-over: one atomic state word holds the front index, the reader count and the writer's flags, so the
    front index can only change while no reader holds a buffer. A push that finds a reader active leaves its
    spectrum pending; the first reader to arrive after all readers have left makes it the front buffer
    (a deferred swap that only flips the index: the writer alone writes buffer contents).

    Threads: construction allocates [message thread]; setWeighting, setFrozen, setNoMerge [any thread],
   atomic; pushSpectrum [audio thread]: lock-free, never waits and never allocates (it may leave a swap
   deferred, and drops its spectrum while clear or copyFrom holds the buffers); Reader [render thread] or any
   other reading thread: lock-free, never waits; clear and copyFrom [message thread or render thread]: never
   wait, they give up (returning false) while a push or a read is in progress.
*/
class VkJuceObserverFrequencyDomain
{
public:
    using Bin = std::complex<double>;

    VkJuceObserverFrequencyDomain(int transformLength, float frequencySpan);
    virtual ~VkJuceObserverFrequencyDomain();

    VkJuceObserverFrequencyDomain(const VkJuceObserverFrequencyDomain&) = delete;
    VkJuceObserverFrequencyDomain& operator=(const VkJuceObserverFrequencyDomain&) = delete;

    /** The writer. bins holds N/2 + 1 complex values; another transformLength than this observer's is
        refused. Returns whether the spectrum was taken. */
    virtual bool pushSpectrum(int transformLength, const Bin* bins);

    /** Zeroes both buffers and points the readers at buffer 0, once per push; a second clear without a
        push in between changes nothing. When a push or a read is in progress it asks for a fresh start
        instead and returns false. */
    virtual bool clear();

    /** Takes the other observer's shown spectrum (into both buffers) and its weighting settings and span.
        Both must have the same transform length. False when either is busy or the sizes differ. */
    bool copyFrom(const VkJuceObserverFrequencyDomain& other);

    /** Holds the front buffer for as long as it lives. Invalid (no data) while clear or copyFrom runs. */
    class Reader
    {
    public:
        explicit Reader(const VkJuceObserverFrequencyDomain& observer) noexcept;
        ~Reader();
        Reader(const Reader&) = delete;
        Reader& operator=(const Reader&) = delete;

        bool isValid() const noexcept { return m_data != nullptr; }
        const double* data() const noexcept { return m_data; }
        int size() const noexcept { return m_size; }

    private:
        const VkJuceObserverFrequencyDomain& m_observer;
        const double* m_data;
        int m_size;
    };

    /** Copies the shown spectrum (up to count bins); false when it could not be read. */
    bool copyFront(double* destination, int count) const;

    void setFrozen(bool frozen) noexcept { m_frozen.store(frozen); }
    bool isFrozen() const noexcept { return m_frozen.load(); }
    /** The next published spectrum starts afresh instead of being merged with the maxima shown so far. */
    void setNoMerge() noexcept;
    bool isNoMergeRequested() const noexcept;

    /** False (nothing changes) for a type outside the ObserverWeighting range. */
    bool setWeighting(bool enabled, ObserverWeighting type) noexcept;
    bool isWeightingEnabled() const noexcept { return m_weightingEnabled.load(); }
    ObserverWeighting getWeighting() const noexcept
    {
        return static_cast<ObserverWeighting>(m_weightingType.load());
    }

    int getTransformLength() const noexcept { return m_transformLength; }
    int getHalfSize() const noexcept { return m_halfSize; }
    int getBinCount() const noexcept { return m_halfSize + 1; }
    float getSizeNormalisation() const noexcept { return m_sizeNormalisation; }

    // Bookkeeping of the editor's graphs, which read one observer from several curves and pace their
    // ballistics by the time between reads. All atomic: the audio thread sets the data-ready flag, the
    // render thread reads and stamps, the message thread sets gain and flags.

    /** True once a spectrum was published since construction or the last clear. */
    bool isDataReady() const noexcept { return m_dataReady.load(); }
    /** A reader took the current data: the read counter counts up and the read flag is set (a push clears
        the flag again). */
    void noteRead() noexcept;
    int getReadCount() const noexcept { return m_readCount.load(); }
    bool wasReadSincePush() const noexcept { return m_readFlag.load(); }
    /** Stores nowMs as the last-read time and returns the one before (0 = never read). */
    int64_t exchangeLastReadTime(int64_t nowMs) noexcept { return m_lastReadMs.exchange(nowMs); }
    int64_t getLastReadTime() const noexcept { return m_lastReadMs.load(); }
    /** Amplitude factor the graphs apply to this spectrum; non-finite or negative gains are refused. */
    bool setGain(float gain) noexcept;
    float getGain() const noexcept { return m_gain.load(); }
    /** With this flag the graphs multiply the gain by the gain each curve keeps for this source. */
    void setUseCurveGain(bool use) noexcept { m_useCurveGain.store(use); }
    bool usesCurveGain() const noexcept { return m_useCurveGain.load(); }

    int getFrontIndex() const noexcept;
    int getReaderCount() const noexcept;
    bool isSwapPending() const noexcept;
    int getSwapCount() const noexcept { return m_swapCount.load(); }
    bool isCleared() const noexcept { return m_cleared.load(); }

private:
    const double* beginRead() const noexcept;
    void endRead() const noexcept;
    bool beginExclusive() noexcept;
    void endExclusive() noexcept;
    void applyWeighting(double* buffer, int32_t type) noexcept;

    std::unique_ptr<double[]> m_power[2];
    const int m_transformLength;
    const int m_halfSize;
    mutable std::atomic<uint32_t> m_state{0};
    std::atomic<bool> m_frozen{false};
    mutable std::atomic<int> m_swapCount{0};
    const float m_sizeNormalisation;
    std::atomic<bool> m_weightingEnabled{false};
    std::atomic<int32_t> m_weightingType{0};
    // Guarded by the state word: touched only by a push (writing) or by clear/copyFrom (exclusive).
    int32_t m_curveType = 0;
    float m_frequencySpan;
    std::unique_ptr<float[]> m_curve;
    std::atomic<bool> m_cleared{false};
    std::atomic<bool> m_dataReady{false};
    std::atomic<bool> m_readFlag{false};
    std::atomic<int> m_readCount{0};
    std::atomic<int64_t> m_lastReadMs{0};
    std::atomic<float> m_gain{1.0f};
    std::atomic<bool> m_useCurveGain{false};
};
