#pragma once

// The product's stereo processing: level differences between the channels in up to ten band pairs
// (IID), a delayed band-limited mid signal added to one side and taken from the other (ITD) with its fill
// path, linear width, phase shift and invert, the Dynamics movement of the image, output gains with the
// automatic input trim, the bypass cross-fade, meters and the two analysis spectra.
//
// Threads: process [audio thread]; parameterChanged [whichever thread applied the value];
// updateFilterBank, prepare, prepareForRate, applyFinishedAnalysis [message thread]; the meter, peak and
// observer getters [any thread].
// Values that cross threads are atomics handed over at block or tick boundaries, so the audio thread never
// runs a filter while another thread redesigns it.

#include "dsp/delay_filter.h"
#include "dsp/fft_filter.h"
#include "dsp/observer_frequency_domain.h"
#include "dsp/recursive_filter_band.h"
#include "dsp/recursive_filter_biquad.h"
#include "processor/vk_juce_algorithm.h"
#include "processor/vk_processor_base.h"
#include "product/latiphonix_band_bank.h"
#include "product/latiphonix_itd_band.h"
#include "product/latiphonix_lines.h"
#include "product/latiphonix_section.h"

#include <array>
#include <atomic>
#include <complex>
#include <cstdint>
#include <memory>

class LatiphonixAlgo : public VkJuceAlgorithm<VkJuceProcessorBase>
{
public:
    static constexpr int kNumHandles = 34;
    static constexpr int kMaxBands = 10;
    static constexpr int kNumSlots = kMaxBands + 1;
    static constexpr int kTickLength = 1024;
    static constexpr int kDynamicsInterval = 256;
    static constexpr int kGainInterval = 128;
    static constexpr int kDelayLength = 65536;
    static constexpr float kMinimumBoundGap = 0.08f;
    // How long a move of the ITD corners cross-fades.
    static constexpr float kItdCornerFadeSeconds = 0.01f;
    static constexpr juce::int64 kAnalysisDurationMs = 3000;

    // Handle numbers, in binding order.
    enum Handle : int
    {
        hIidWidth,
        hIidEnabled,
        hLinearWidth,
        hMono,
        hBypass,
        hItdEnabled,
        hItdWidth,
        hItdFill,
        hDynamicsShape,
        hDynamics,
        hDynamicsDepth,
        hAutoLevel,
        hAutoLevelAmount0,
        hAutoLevelAmount1,
        hAnalysis,
        hIidFocusLower,
        hIidFocusUpper,
        hIidLowBound,
        hIidHighBound,
        hIidInvert,
        hItdHighBound,
        hItdLowBound,
        hAcuity,
        hResolution,
        hBalance,
        hSoloRight,
        hSoloLeft,
        hShowMenu,
        hDynamicsSpeed,
        hTempoSync,
        hPhaseInvert,
        hPhaseShift,
        hLink,
        hSpare
    };

    // [message thread] Allocates the delay lines; everything else waits for prepare.
    LatiphonixAlgo();
    ~LatiphonixAlgo() override;

    // [message thread, set-up] Handle `handle` reads parameter `index`; records resolve on attach.
    void bindHandle(int handle, int index) noexcept;
    int getHandleIndex(int handle) const noexcept;
    // The parameter index the product binds handle `handle` to; -1 outside the handles.
    static int boundIndex(int handle) noexcept;

    // [message thread] Allocates the analysis filters and observers.
    void prepare() override;
    // [message thread, while the host processes nothing] Lays the bank out and designs every filter and
    // line for the processor's current rate at once, clears their past and starts each smoothed control
    // at its target, so that the first block after a (new) rate neither morphs nor glides from the old
    // state. No allocation.
    void prepareForRate();
    // [audio thread] No allocation; locks only inside the spectrum analysis filters (Analysis on).
    void process(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    // [any thread]
    void parameterChanged(int index);
    // [message thread] Recomputes the band layout, the ITD corners and the ITD delay.
    void updateFilterBank();
    // [message thread] Starts a three-second auto-level analysis unless one runs.
    void markAnalysisStart();
    // [message thread] Sets Input Trim Auto and the amounts an ended analysis measured, through the
    // processor's setter (which allocates and locks, so the audio thread only hands the values over).
    // False when no analysis has ended since the last call.
    bool applyFinishedAnalysis();
    // [any thread] Beats per minute; 0 without a position, 2 without a play head.
    double getHostTempo() const;

    // The Dynamics waveform at phase p (0..1) for the current shape. [audio thread]
    float shapeValue(float p) noexcept;

    // Outputs for the editor. [any thread]
    VkJuceObserverFrequencyDomain* getObserver(int channel) const noexcept;
    float getInputMeter() const noexcept { return m_inputMeter.load(); }
    float getOutputMeter() const noexcept { return m_outputMeter.load(); }
    bool takePublishedPeaks(float& left, float& right) noexcept;
    float getLinkOffset(int which) const noexcept;

    // Introspection for tests and the editor's graphs. [any thread, values may be a tick old]
    int getConfiguredBandCount() const noexcept { return m_configuredBands.load(); }
    int getTargetBandCount() const noexcept { return m_targetBands.load(); }
    int getBandCount() const noexcept { return m_bandCount.load(); }
    float getLeftBandCentre(int band) const noexcept;
    float getRightBandCentre(int band) const noexcept;
    int getMorphState() const noexcept { return m_morphStatePublished.load(); }
    float getDynamicsRate() const noexcept { return m_rate.load(); }
    int getItdTargetDelay() const noexcept { return m_itdPendingTarget.load(); }
    float getItdLowCornerHz() const noexcept { return m_itdLowHz.load(); }
    float getItdHighCornerHz() const noexcept { return m_itdHighHz.load(); }
    int getPhaseShiftDelay() const noexcept { return m_phaseShiftSamples.load(); }
    bool isPhaseInverted() const noexcept { return m_phaseInvert.load(); }
    // [audio thread, or between blocks] The fade gain of band slot `slot`.
    float getSlotGain(int slot) const noexcept
    {
        return (slot >= 0 && slot < kNumSlots) ? m_slotGain[std::size_t(slot)] : 0.0f;
    }
    bool isAnalysisRunning() const noexcept { return m_analysisStartMs.load() != 0; }
    // [between blocks] Whether the bank holds exactly the current layout: the target band count, each
    // band's filters on its table centres.
    bool isBankOnLayout() const noexcept;
    // When the running auto-level analysis started on the clock below; 0 when none runs.
    juce::int64 getAnalysisStartMs() const noexcept { return m_analysisStartMs.load(); }
    juce::int64 getClockMs() const { return m_fnpClock(); }

    // The clock the auto-level analysis measures its three seconds with (milliseconds since the epoch).
    using ClockFunction = juce::int64 (*)();
    void setClock(ClockFunction clock) noexcept { m_fnpClock = clock; }

private:
    class FilterCallBack0 : public FftFilterCallBack
    {
    public:
        void operate(int transformLength, std::complex<double>* bins, void* context) override;
        std::unique_ptr<std::complex<double>[]> kept;
        int keptLength = 0;
        bool hasKept = false;
    };

    class FilterCallBack1 : public FftFilterCallBack
    {
    public:
        explicit FilterCallBack1(FilterCallBack0* left) : m_left(left) {}
        void operate(int transformLength, std::complex<double>* bins, void* context) override;

    private:
        FilterCallBack0* m_left;
    };

    float value(int handle) const noexcept;
    void pushGap(int changed);
    void requestTimerWork();

    // Per-block pieces. [audio thread]
    void takeOverPendingChanges() noexcept;
    // The targets of the smoothed controls and of the output gains, from the current values.
    void readTargets() noexcept;
    void outputGainTargets(float& left, float& right) const noexcept;
    // The per-instance generator behind the random Dynamics shapes: 0..127.
    int nextRandom() noexcept;
    void controlTick() noexcept;
    // Samples between two control events, in place; `length` is at most kRunLength.
    void processRun(float* left, float* right, int length, std::uint32_t& noiseL, std::uint32_t& noiseR,
                    bool invert) noexcept;
    // The stages of a run, each over the run's working buffers.
    void runItd(int length) noexcept;
    void runFill(int length) noexcept;
    void runOutput(float* left, float* right, int length, bool invert) noexcept;
    void bandMorph() noexcept;
    void designSlot(int slot, int band) noexcept;
    void dynamicsStep() noexcept;
    void gainStep() noexcept;
    void afterBlock(const float* left, const float* right, int numSamples, bool finite);
    void recoverFromNonFinite() noexcept;

    // Parameters.
    std::array<int, kNumHandles> m_handleIndex;
    std::array<const ParameterRecord*, kNumHandles> m_handleRecord{};

    // Band layout written by the recompute, consumed by the morph.
    std::atomic<int> m_configuredBands{0};
    std::atomic<int> m_targetBands{0};
    std::atomic<bool> m_recomputeNeeded{false};
    // Raised after every new layout (tables and target count written); the morph restarts its checks when
    // it sees a new value. Only the message thread writes it, so no reset can be lost.
    std::atomic<unsigned> m_layoutGeneration{0};
    std::array<std::atomic<float>, kMaxBands> m_leftCentres{};
    std::array<std::atomic<float>, kMaxBands> m_rightCentres{};
    double m_layoutSampleRate = 0.0;

    // Band state owned by the audio thread.
    std::atomic<int> m_bandCount{0};
    int m_activeSlots = 0;
    int m_checkedSlot = 0;
    int m_pendingSlot = -1;
    int m_morphState = 0;
    int m_checksDone = 0;
    unsigned m_seenGeneration = 0;
    std::atomic<int> m_morphStatePublished{0};
    LatiphonixBandBank m_bank;
    // One entry per bank lane; the spare lane's entries are never used.
    alignas(16) std::array<float, LatiphonixBandBank::kLanes> m_slotGain{};
    alignas(16) std::array<float, LatiphonixBandBank::kLanes> m_slotStep{};

    // Per-run scratch: the inputs after the denormal guard, and the channels between the stages.
    static constexpr int kRunLength = kGainInterval;
    static_assert(kRunLength <= LatiphonixBandBank::kMaxRun, "a run must fit the bank's scratch");
    static_assert(kNumSlots == LatiphonixBandBank::kSlots, "the bank holds every slot");
    alignas(16) float m_runInL[kRunLength]{}, m_runInR[kRunLength]{};
    alignas(16) float m_runL[kRunLength]{}, m_runR[kRunLength]{};
    // The ITD line's output, before its filters.
    alignas(16) float m_runDelayed[kRunLength]{};
    // Per sample: left band-reject, left band-pass, right band-reject, right band-pass of the fill path.
    alignas(16) float m_runFillSections[kRunLength][4]{};

    // Link offsets for the editor.
    std::array<std::atomic<float>, 3> m_linkOffsets{};

    // Smoothed controls.
    float m_bypassMix = 0.0f;
    float m_linearWidth = 0.5f;
    float m_iidAmount = 0.0f;
    float m_itdWidth = 0.0f;
    float m_fillMix = 1.0f;
    float m_depth = 0.0f;
    int m_tickCounter = 0;
    float m_targetBypass = 0.0f, m_targetIid = 0.0f, m_targetWidth = 0.5f, m_targetItd = 0.0f,
          m_targetFill = 0.0f;
    float m_sampleRate = 44100.0f;

    // ITD fill.
    std::array<CRecursiveFilterBandReject<float>, 2> m_fillReject;
    std::array<CRecursiveFilterBandPass<float>, 2> m_fillPass;
    std::array<LatiphonixFillLine, 2> m_fillDelay;
    // The filters above hold the designs; their running histories are kept here.
    std::array<LatiphonixSectionHistory, 2> m_fillRejectHistory{}, m_fillPassHistory{};

    // Phase shift.
    LatiphonixTapLine m_phaseLine{kDelayLength};
    std::atomic<int> m_phaseShiftSamples{0};
    std::atomic<bool> m_phaseInvert{false};

    // ITD.
    LatiphonixItdBand m_itdBand;
    LatiphonixTapLine m_itdLine{kDelayLength};
    int m_itdRunningDelay = 0;
    int m_itdFadeDelay = 0;
    float m_itdFadePosition = 0.0f;
    float m_itdFadeStep = 0.0f;
    int m_itdTargetDelay = 0;
    float m_itdUnroundedDelay = 0.0f;
    std::atomic<bool> m_itdUpdatePending{false};
    std::atomic<int> m_itdPendingTarget{0};
    std::atomic<float> m_itdPendingUnrounded{0.0f};
    std::atomic<float> m_itdLowHz{0.0f};
    std::atomic<float> m_itdHighHz{0.0f};
    std::atomic<float> m_itdDesignRate{0.0f};

    // Dynamics.
    float m_phase = 0.0f;
    float m_randomPrevious = 0.0f;
    float m_randomNext = 0.0f;
    std::atomic<float> m_rate{0.0f};
    int m_shape = 0;
    bool m_wrapped = false;
    std::uint32_t m_randomState = kRandomSeed;
    static constexpr std::uint32_t kRandomSeed = 0x2545F491u;
    int m_dynamicsCountdown = 0;
    float m_blockItdWidth = 0.0f;

    // Output gains.
    float m_gainL = 1.0f, m_gainR = 1.0f;
    float m_stepL = 0.0f, m_stepR = 0.0f;
    int m_gainCounter = 0;

    // Metering and auto level.
    float m_peakInL = 0.0f, m_peakInR = 0.0f, m_peakOutL = 0.0f, m_peakOutR = 0.0f;
    float m_blockMaxIn = 0.0f, m_blockMaxOut = 0.0f;
    float m_heldOutL = 0.0f, m_heldOutR = 0.0f;
    float m_holdInL = 0.0f, m_holdInR = 0.0f, m_holdOutL = 0.0f, m_holdOutR = 0.0f;
    std::atomic<juce::int64> m_analysisStartMs{0};
    // The result of an ended analysis, handed to the message thread: the two amounts (negative: leave the
    // amount as it is), published by the ready flag.
    std::atomic<float> m_analysisAmount0{-1.0f}, m_analysisAmount1{-1.0f};
    std::atomic<bool> m_analysisResultReady{false};
    std::atomic<bool> m_holdsClearRequested{false};
    std::atomic<float> m_publishedL{0.0f}, m_publishedR{0.0f};
    std::atomic<bool> m_publishedReady{false};
    int m_publishCount = 0;
    std::atomic<float> m_inputMeter{0.0f}, m_outputMeter{0.0f};
    ClockFunction m_fnpClock;

    // Spectrum analysis.
    std::unique_ptr<FftFilter> m_fft[2];
    std::unique_ptr<VkJuceObserverFrequencyDomain> m_observer[2];
    FilterCallBack0 m_callBack0;
    FilterCallBack1 m_callBack1{&m_callBack0};
};
