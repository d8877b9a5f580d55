#include "product/latiphonix_algo.h"

#include "processor/vk_log_ranges.h"
#include "product/latiphonix_parameters.h"

#include <algorithm>
#include <cmath>

namespace
{

// Handle number -> parameter index. The last handle points past the product's parameters on purpose: it
// reads the framework's shared dummy record.
constexpr int kHandleBinding[LatiphonixAlgo::kNumHandles] = {16, 11, 8,  28,   3,  17, 20, 7,  22, 21, 23, 32,
                                                             33, 34, 9,  12,   13, 14, 15, 6,  19, 18, 5,  4,
                                                             31, 30, 29, 9100, 24, 25, 27, 26, 10, 35};

constexpr int kFftLength = 1024;
constexpr float kObserverSpan = 22005.0f;
constexpr float kFillCentreLeft = 0.016625f;
constexpr float kFillCentreRight = 0.082625f;
constexpr float kFillBandwidth = 0.01f;
// The highest ITD corner, as a fraction of the sampling rate: just below half of it.
constexpr float kHighestCornerFraction = 0.49f;

juce::int64 systemClock()
{
    return juce::Time::currentTimeMillis();
}

} // namespace

LatiphonixAlgo::LatiphonixAlgo() : m_fnpClock(&systemClock)
{
    m_handleIndex.fill(-1);
    m_slotGain.fill(1.0f);
}

LatiphonixAlgo::~LatiphonixAlgo() = default;

void LatiphonixAlgo::bindHandle(int handle, int index) noexcept
{
    if (handle >= 0 && handle < kNumHandles)
        m_handleIndex[std::size_t(handle)] = index;
}

int LatiphonixAlgo::boundIndex(int handle) noexcept
{
    return (handle >= 0 && handle < kNumHandles) ? kHandleBinding[handle] : -1;
}

int LatiphonixAlgo::getHandleIndex(int handle) const noexcept
{
    return (handle >= 0 && handle < kNumHandles) ? m_handleIndex[std::size_t(handle)] : -1;
}

float LatiphonixAlgo::value(int handle) const noexcept
{
    const auto* record = m_handleRecord[std::size_t(handle)];
    return record != nullptr ? record->getValue() : 0.0f;
}

void LatiphonixAlgo::requestTimerWork()
{
    if (m_processor != nullptr)
        m_processor->requestTimerUpdate();
}

void LatiphonixAlgo::prepare()
{
    for (int h = 0; h < kNumHandles; ++h)
        m_handleRecord[std::size_t(h)] = (m_processor != nullptr && m_handleIndex[std::size_t(h)] >= 0)
                                             ? &m_processor->getParameterRecord(m_handleIndex[std::size_t(h)])
                                             : nullptr;

    m_bank.resetAll();
    m_slotGain.fill(1.0f);
    m_slotStep.fill(0.0f);
    for (int c = 0; c < 2; ++c)
    {
        m_fillReject[std::size_t(c)].resetAll();
        m_fillPass[std::size_t(c)].resetAll();
        m_fillRejectHistory[std::size_t(c)] = {};
        m_fillPassHistory[std::size_t(c)] = {};
        m_fillDelay[std::size_t(c)].clear();
        m_fillDelay[std::size_t(c)].setDelay(0.0f);
    }

    m_phaseLine.clear();
    m_phaseLine.setDelay(0);
    m_phaseShiftSamples.store(0);

    m_bandCount.store(0);
    m_activeSlots = 0;
    m_targetBands.store(0);
    m_pendingSlot = -1;
    m_morphState = 0;
    m_morphStatePublished.store(0);
    m_checkedSlot = 0;
    m_checksDone = 0;
    m_seenGeneration = m_layoutGeneration.load();
    m_configuredBands.store(0);
    m_phaseInvert.store(false);
    m_dynamicsCountdown = 0;
    requestTimerWork();
    m_recomputeNeeded.store(true);

    m_fillReject[0].design(kFillCentreLeft, kFillBandwidth);
    m_fillPass[0].design(kFillCentreLeft, kFillBandwidth);
    m_fillReject[1].design(kFillCentreRight, kFillBandwidth);
    m_fillPass[1].design(kFillCentreRight, kFillBandwidth);

    m_phase = 0.0f;
    m_randomPrevious = 0.0f;
    m_randomNext = 0.0f;
    m_rate.store(0.0f);
    m_shape = 0;
    m_wrapped = false;
    m_randomState = kRandomSeed;
    m_gainL = m_gainR = 1.0f;
    m_stepL = m_stepR = 0.0f;
    m_analysisStartMs.store(0);
    m_analysisResultReady.store(false);
    for (auto& offset : m_linkOffsets)
        offset.store(0.0f);

    // The module's FFT pool is not reset here: another instance may be inside a transform right now, and
    // freeing its pool entry under it would let two threads share one transform's buffers.
    for (int c = 0; c < 2; ++c)
        m_fft[c].reset();
    m_fft[0] = std::make_unique<FftFilter>(&m_callBack0, this);
    m_fft[1] = std::make_unique<FftFilter>(&m_callBack1, this);
    for (int c = 0; c < 2; ++c)
        m_observer[c] = std::make_unique<VkJuceObserverFrequencyDomain>(kFftLength, kObserverSpan);
    m_callBack0.kept = std::make_unique<std::complex<double>[]>(std::size_t(kFftLength / 2 + 1));
    m_callBack0.keptLength = 0;
    m_callBack0.hasKept = false;

    m_peakInL = m_peakInR = m_peakOutL = m_peakOutR = 0.0f;
    m_blockMaxIn = m_blockMaxOut = 0.0f;
    m_heldOutL = m_heldOutR = 0.0f;
    m_holdInL = m_holdInR = m_holdOutL = m_holdOutR = 0.0f;
    m_publishedL.store(0.0f);
    m_publishedR.store(0.0f);
    m_publishedReady.store(false);
    m_publishCount = 0;
    m_inputMeter.store(0.0f);
    m_outputMeter.store(0.0f);
    m_gainCounter = 0;

    m_tickCounter = 0;
    m_iidAmount = 0.0f;
    m_bypassMix = 0.0f;
    m_linearWidth = 0.5f;
    m_fillMix = 1.0f;
    m_depth = 0.0f;
    m_itdWidth = 0.0f;

    m_itdBand.resetAll();
    m_itdLine.clear();
    m_itdLine.setDelay(0);
    m_itdRunningDelay = 0;
    m_itdFadeDelay = 0;
    m_itdFadePosition = 0.0f;
    m_itdFadeStep = 0.0f;
    m_itdTargetDelay = 0;
    m_itdPendingTarget.store(0);
    m_itdUnroundedDelay = 0.0f;
    m_itdUpdatePending.store(false);
}

void LatiphonixAlgo::prepareForRate()
{
    if (m_processor == nullptr || m_fft[0] == nullptr)
        return;
    updateFilterBank();
    // The corners are taken whole below, so an unfinished fade must not hold the new ones back.
    m_itdBand.finishFade();
    takeOverPendingChanges();
    m_itdBand.reset(m_itdHighHz.load(), m_itdLowHz.load(), m_itdDesignRate.load());

    // The ITD line starts on its new delay instead of cross-fading from the old rate's.
    m_itdRunningDelay = m_itdFadeDelay = std::clamp(m_itdTargetDelay, 0, kDelayLength);
    m_itdFadePosition = 0.0f;
    m_itdFadeStep = 0.0f;

    // The bank takes the new layout whole: a morph from the old rate's centres, one band per tick,
    // would play the old bands at the wrong frequencies for as many ticks.
    m_bank.resetAll();
    m_slotGain.fill(1.0f);
    m_slotStep.fill(0.0f);
    const int count = m_targetBands.load();
    for (int band = 0; band < count; ++band)
        designSlot(band, band);
    m_bandCount.store(count);
    m_activeSlots = count;
    m_pendingSlot = -1;
    m_checkedSlot = 0;
    m_seenGeneration = m_layoutGeneration.load();
    m_checksDone = kNumSlots;
    m_morphState = 0;
    m_morphStatePublished.store(0);

    // Nothing of the signal at the old rate stays in a filter or line.
    recoverFromNonFinite();

    // The smoothed controls and output gains start where the current values put them: a bounce with
    // bypass on is the input from its first sample, and a new rate does not glide from stale values.
    readTargets();
    m_bypassMix = m_targetBypass;
    m_iidAmount = m_targetIid;
    m_linearWidth = m_targetWidth;
    m_itdWidth = m_targetItd;
    m_fillMix = m_targetFill;
    m_blockItdWidth = m_itdWidth;
    m_depth = value(hDynamics) != 0.0f ? value(hDynamicsDepth) : 0.0f;
    outputGainTargets(m_gainL, m_gainR);
    m_stepL = m_stepR = 0.0f;
    m_tickCounter = 0;
    m_gainCounter = 0;
    m_dynamicsCountdown = 0;
    m_publishCount = 0;
}

void LatiphonixAlgo::parameterChanged(int index)
{
    if (m_processor == nullptr)
        return;
    auto is = [this, index](int handle) { return index == m_handleIndex[std::size_t(handle)]; };

    if (is(hIidWidth) || is(hLinearWidth) || is(hIidEnabled) || is(hMono) || is(hBypass) || is(hBalance) ||
        is(hSoloRight) || is(hSoloLeft) || is(hAnalysis) || is(hAutoLevel) || is(hItdWidth) ||
        is(hItdEnabled) || is(hItdFill) || is(hDynamicsDepth) || is(hShowMenu))
    {
        // Read by every block; nothing to precompute.
    }
    else if (is(hDynamics) || is(hDynamicsSpeed) || is(hTempoSync))
    {
        if (value(hDynamics) != 0.0f)
        {
            float rate = std::exp(vk::ranges::kModulationRateLow +
                                  value(hDynamicsSpeed) * vk::ranges::kModulationRateSpan);
            if (value(hTempoSync) != 0.0f)
            {
                const double tempo = getHostTempo();
                if (tempo > 0.0 && rate > 0.0f)
                {
                    // The period becomes a whole number of beats-per-minute units, at least one.
                    const double unit = 1.0 / tempo;
                    double period = std::trunc((1.0 / double(rate)) / unit) * unit;
                    if (period == 0.0)
                        period = unit;
                    rate = float(1.0 / period);
                }
            }
            m_rate.store(rate);
        }
    }
    else if (is(hPhaseInvert))
    {
        m_phaseInvert.store(value(hPhaseInvert) > 0.5f);
    }
    else if (is(hPhaseShift))
    {
        m_phaseShiftSamples.store(int(value(hPhaseShift) * 1024.0f));
    }
    else if (is(hLink))
    {
        if (value(hLink) != 0.0f)
        {
            m_linkOffsets[0].store(value(hIidWidth) - value(hItdWidth));
            m_linkOffsets[1].store(value(hIidHighBound) - value(hItdHighBound));
            m_linkOffsets[2].store(value(hIidLowBound) - value(hItdLowBound));
        }
    }
    else
    {
        requestTimerWork();
    }

    if (is(hResolution) || is(hIidFocusLower) || is(hIidFocusUpper) || is(hIidLowBound) ||
        is(hIidHighBound) || is(hIidInvert))
        m_recomputeNeeded.store(true);

    // The rules between values shape changes; a restored state comes back exactly as it was stored.
    if (m_processor->isRestoringState())
        return;
    if (is(hSoloLeft) && value(hSoloLeft) != 0.0f)
        m_processor->setParameterInternal(m_handleIndex[hSoloRight], 0.0f, true, false, false);
    if (is(hSoloRight) && value(hSoloRight) != 0.0f)
        m_processor->setParameterInternal(m_handleIndex[hSoloLeft], 0.0f, true, false, false);

    pushGap(index);
}

void LatiphonixAlgo::pushGap(int changed)
{
    // Each pair keeps its lower member at least the gap below the upper one, whichever of them moved.
    static constexpr int kPairs[3][2] = {
        {hIidLowBound, hIidHighBound}, {hItdLowBound, hItdHighBound}, {hIidFocusLower, hIidFocusUpper}};
    for (const auto& pair : kPairs)
    {
        const int lower = m_handleIndex[std::size_t(pair[0])];
        const int upper = m_handleIndex[std::size_t(pair[1])];
        if (changed == lower)
            m_processor->pushLinkedParameter(lower, upper, true, kMinimumBoundGap);
        else if (changed == upper)
            m_processor->pushLinkedParameter(upper, lower, false, kMinimumBoundGap);
    }
}

void LatiphonixAlgo::updateFilterBank()
{
    if (m_processor == nullptr)
        return;
    double fs = m_processor->getSampleRate();
    // Before the host has prepared the processor there is no rate; lay the bank out for the most common one.
    if (!(fs > 0.0))
        fs = 44100.0;
    // The tables are fractions of the rate, so a new rate needs new tables even when nothing else moved.
    if (fs != m_layoutSampleRate)
    {
        m_layoutSampleRate = fs;
        m_recomputeNeeded.store(true);
    }

    int n = latiphonix::decodeChoice(value(hResolution));
    if (n >= 10)
        n = 9;
    n = std::clamp(n + 1, 1, kMaxBands);
    const int previous = m_configuredBands.exchange(n);
    // Taken in every case: a request left standing would lay the bank out again at the next tick and
    // restart the morph's checks for nothing.
    const bool recomputeRequested = m_recomputeNeeded.exchange(false);

    if (n != previous || recomputeRequested)
    {
        const float rate = float(fs);
        const float fl = latiphonix::frequencyForValue(value(hIidFocusLower)) / rate;
        const float fu = latiphonix::frequencyForValue(value(hIidFocusUpper)) / rate;
        const float lb = latiphonix::frequencyForValue(value(hIidLowBound)) / rate;
        const float hb = latiphonix::frequencyForValue(value(hIidHighBound)) / rate;
        const bool invert = value(hIidInvert) != 0.0f;

        const float r = std::pow(fl / fu, 1.0f / float(2 * n + 1));
        int count = n;
        // The spread walks down from the upper focus edge; with the lower edge not below the upper one it
        // would walk up for ever, so such a focus range holds no band pairs.
        if (!(r < 1.0f) || !(r > 0.0f))
            count = 0;

        float c = fu;
        while (count > 0 && c * r > hb)
        {
            --count;
            c = c * r * r;
        }
        for (int i = 0; i < count; ++i)
        {
            c = c * r;
            const float d = c * r;
            if (lb > d)
            {
                count = i;
                break;
            }
            m_rightCentres[std::size_t(i)].store(invert ? d : c);
            m_leftCentres[std::size_t(i)].store(invert ? c : d);
            c = d;
        }
        m_targetBands.store(count);
        m_layoutGeneration.fetch_add(1, std::memory_order_release);
    }

    // ITD corners, pulled inwards from the bounds.
    float h = value(hItdHighBound);
    if (h < 1.0f)
        h = std::max(0.0f, h - 0.25f);
    float l = value(hItdLowBound);
    if (l > 0.0f)
        l = std::min(1.0f, l + 0.2f);
    // The corners reach 22 kHz, above half of the lower sampling rates, where the biquad has no stable
    // design. Only corners that high are pulled down; lower ones keep their sound.
    const float highestCorner = kHighestCornerFraction * float(fs);
    m_itdHighHz.store(std::min(latiphonix::frequencyForValue(h), highestCorner));
    m_itdLowHz.store(std::min(latiphonix::frequencyForValue(l), highestCorner));
    m_itdDesignRate.store(float(fs));

    float d = (value(hAcuity) * 0.0073f + 0.0002f) * float(fs);
    d = std::max(d, 10.0f);
    m_itdPendingUnrounded.store(d);
    m_itdPendingTarget.store(int(d));
    m_itdUpdatePending.store(true);
}

void LatiphonixAlgo::markAnalysisStart()
{
    juce::int64 expected = 0;
    const juce::int64 now = std::max<juce::int64>(m_fnpClock(), 1);
    if (m_analysisStartMs.compare_exchange_strong(expected, now))
        m_holdsClearRequested.store(true);
}

bool LatiphonixAlgo::applyFinishedAnalysis()
{
    if (m_processor == nullptr || !m_analysisResultReady.exchange(false, std::memory_order_acquire))
        return false;
    m_processor->setParameterInternal(m_handleIndex[hAutoLevel], 1.0f, true, false, false);
    const float amounts[2] = {m_analysisAmount0.load(), m_analysisAmount1.load()};
    const int handles[2] = {hAutoLevelAmount0, hAutoLevelAmount1};
    for (int c = 0; c < 2; ++c)
        if (amounts[c] >= 0.0f)
            m_processor->setParameterInternal(m_handleIndex[std::size_t(handles[c])], amounts[c], true, false,
                                              false);
    return true;
}

double LatiphonixAlgo::getHostTempo() const
{
    auto* playHead = m_processor != nullptr ? m_processor->getPlayHead() : nullptr;
    if (playHead == nullptr)
        return 2.0;
    const auto position = playHead->getPosition();
    if (!position.hasValue())
        return 0.0;
    const auto bpm = position->getBpm();
    return bpm.hasValue() ? *bpm : 0.0;
}

VkJuceObserverFrequencyDomain* LatiphonixAlgo::getObserver(int channel) const noexcept
{
    return (channel == 0 || channel == 1) ? m_observer[channel].get() : nullptr;
}

bool LatiphonixAlgo::takePublishedPeaks(float& left, float& right) noexcept
{
    if (!m_publishedReady.exchange(false))
        return false;
    left = m_publishedL.load();
    right = m_publishedR.load();
    return true;
}

float LatiphonixAlgo::getLinkOffset(int which) const noexcept
{
    return (which >= 0 && which < 3) ? m_linkOffsets[std::size_t(which)].load() : 0.0f;
}

bool LatiphonixAlgo::isBankOnLayout() const noexcept
{
    const int count = m_bandCount.load();
    if (count != m_targetBands.load())
        return false;
    for (int band = 0; band < count; ++band)
        if (m_bank.frequency(LatiphonixBandBank::kRejectL, band) != m_leftCentres[std::size_t(band)].load() ||
            m_bank.frequency(LatiphonixBandBank::kRejectR, band) != m_rightCentres[std::size_t(band)].load())
            return false;
    return true;
}

float LatiphonixAlgo::getLeftBandCentre(int band) const noexcept
{
    return (band >= 0 && band < kMaxBands) ? m_leftCentres[std::size_t(band)].load() : 0.0f;
}

float LatiphonixAlgo::getRightBandCentre(int band) const noexcept
{
    return (band >= 0 && band < kMaxBands) ? m_rightCentres[std::size_t(band)].load() : 0.0f;
}

void LatiphonixAlgo::FilterCallBack0::operate(int transformLength, std::complex<double>* bins, void*)
{
    // The left frame waits here for the right one, so both observers always show the same moment.
    const int count = std::min(transformLength / 2 + 1, kFftLength / 2 + 1);
    if (kept == nullptr || count <= 0)
        return;
    std::copy(bins, bins + count, kept.get());
    keptLength = transformLength;
    hasKept = true;
}

void LatiphonixAlgo::FilterCallBack1::operate(int transformLength, std::complex<double>* bins, void* context)
{
    auto* algo = static_cast<LatiphonixAlgo*>(context);
    if (algo == nullptr || !m_left->hasKept)
        return;
    m_left->hasKept = false;
    if (algo->m_observer[0] != nullptr)
        algo->m_observer[0]->pushSpectrum(m_left->keptLength, m_left->kept.get());
    if (algo->m_observer[1] != nullptr)
        algo->m_observer[1]->pushSpectrum(transformLength, bins);
}
