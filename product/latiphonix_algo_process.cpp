#include "product/latiphonix_algo.h"

#include "processor/vk_log_ranges.h"
#include "product/latiphonix_parameters.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

// Denormal guard generators, one per channel, shared by every instance for the life of the module.
// Instances on different threads may interleave their updates; any sequence of states serves.
std::atomic<std::uint32_t> g_noiseStateLeft{453u};
std::atomic<std::uint32_t> g_noiseStateRight{455u};

inline float moveToward(float current, float target, float maxStep) noexcept
{
    if (current < target)
        return std::min(current + maxStep, target);
    return std::max(current - maxStep, target);
}

// Band phase offsets of the Dynamics movement for bands 1 to 9; band 0 stays put.
constexpr float kBandPhaseOffsets[LatiphonixAlgo::kMaxBands] = {0.0f, 0.0f, 0.5f, 0.4f, 0.8f,
                                                                0.3f, 0.2f, 0.7f, 0.1f, 0.9f};
constexpr float kBandBandwidth = 0.001f;
// Below this centre a resonator's design is too close to DC to be useful; the band becomes a wire.
constexpr float kLowestBandCentre = 0.0012f;

inline bool hasNonFinite(const float* samples, int count) noexcept
{
    std::uint32_t bad = 0;
    for (int i = 0; i < count; ++i)
    {
        std::uint32_t bits;
        std::memcpy(&bits, samples + i, sizeof(bits));
        bad |= std::uint32_t((bits & 0x7fffffffu) >= 0x7f800000u);
    }
    return bad != 0;
}

inline void zeroNonFinite(float* samples, int count) noexcept
{
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(samples[i]))
            samples[i] = 0.0f;
}

} // namespace

void LatiphonixAlgo::takeOverPendingChanges() noexcept
{
    m_phaseLine.setDelay(m_phaseShiftSamples.load());
    if (!m_itdUpdatePending.exchange(false))
        return;
    const float fs = m_itdDesignRate.load();
    const float lowPassHz = m_itdHighHz.load(), highPassHz = m_itdLowHz.load();
    if (m_itdWidth > 0.0f)
    {
        // A move made while the last one still fades waits for it; the fade is short.
        if (!m_itdBand.retune(lowPassHz, highPassHz, fs, std::max(1, int(fs * kItdCornerFadeSeconds))))
        {
            m_itdUpdatePending.store(true);
            return;
        }
    }
    else
    {
        // Nothing of the path is heard: the new corners can start from rest at once.
        m_itdBand.reset(lowPassHz, highPassHz, fs);
    }
    m_itdUnroundedDelay = m_itdPendingUnrounded.load();
    m_itdTargetDelay = m_itdPendingTarget.load();
    for (auto& line : m_fillDelay)
        line.setDelay(4.0f * m_itdUnroundedDelay);
}

void LatiphonixAlgo::process(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    if (buffer.getNumChannels() < 2 || m_processor == nullptr || m_fft[0] == nullptr)
        return;
    float* left = buffer.getWritePointer(0);
    float* right = buffer.getWritePointer(1);
    if (left == nullptr || right == nullptr)
        return;
    const int numSamples = buffer.getNumSamples();

    takeOverPendingChanges();
    readTargets();
    m_blockItdWidth = m_itdWidth;
    m_sampleRate = float(m_processor->getSampleRate() > 0.0 ? m_processor->getSampleRate() : 44100.0);
    const bool invert = m_phaseInvert.load();
    m_blockMaxIn = 0.0f;
    m_blockMaxOut = 0.0f;

    std::uint32_t noiseL = g_noiseStateLeft.load(std::memory_order_relaxed);
    std::uint32_t noiseR = g_noiseStateRight.load(std::memory_order_relaxed);

    // The block is cut at the control events (the tick before a sample, the Dynamics and gain steps after
    // one), so that between two cuts every control is constant and the stages can run sample loops.
    for (int i = 0; i < numSamples;)
    {
        if (++m_tickCounter >= kTickLength)
        {
            m_tickCounter = 0;
            controlTick();
        }
        const int length = std::min({numSamples - i, kTickLength - m_tickCounter,
                                     std::max(m_dynamicsCountdown, 1), kGainInterval - m_gainCounter});
        processRun(left + i, right + i, length, noiseL, noiseR, invert);
        m_tickCounter += length - 1;
        i += length;

        m_dynamicsCountdown -= length;
        if (m_dynamicsCountdown <= 0)
        {
            m_dynamicsCountdown = kDynamicsInterval;
            dynamicsStep();
        }
        m_gainCounter += length;
        if (m_gainCounter >= kGainInterval)
        {
            m_gainCounter = 0;
            gainStep();
        }
    }

    g_noiseStateLeft.store(noiseL, std::memory_order_relaxed);
    g_noiseStateRight.store(noiseR, std::memory_order_relaxed);

    // A non-finite input would otherwise circulate in the filters and lines for ever.
    const bool finite = !hasNonFinite(left, numSamples) && !hasNonFinite(right, numSamples);
    if (!finite)
    {
        zeroNonFinite(left, numSamples);
        zeroNonFinite(right, numSamples);
        recoverFromNonFinite();
    }
    m_morphStatePublished.store(m_morphState, std::memory_order_relaxed);
    // The peaks since the last gain step belong to this block too; with blocks shorter than the step
    // the meters would otherwise read nothing most of the time.
    m_blockMaxIn = std::max(m_blockMaxIn, std::max(m_peakInL, m_peakInR));
    m_blockMaxOut = std::max(m_blockMaxOut, std::max(m_peakOutL, m_peakOutR));
    afterBlock(left, right, numSamples, finite);
}

void LatiphonixAlgo::readTargets() noexcept
{
    m_targetIid = value(hIidEnabled) == 0.0f ? 0.0f : std::clamp(value(hIidWidth), 0.0f, 1.0f);
    m_targetWidth = value(hMono) != 0.0f ? 0.0f : std::clamp(value(hLinearWidth), 0.0f, 1.0f);
    m_targetBypass = value(hBypass) != 0.0f ? 1.0f : 0.0f;
    m_targetItd = value(hItdEnabled) != 0.0f ? value(hItdWidth) : 0.0f;
    m_targetFill = (value(hItdFill) != 0.0f && value(hItdEnabled) != 0.0f) ? 1.0f : 0.0f;
}

void LatiphonixAlgo::recoverFromNonFinite() noexcept
{
    m_bank.clearAllHistory();
    for (int c = 0; c < 2; ++c)
    {
        m_fillReject[std::size_t(c)].clearHistory();
        m_fillPass[std::size_t(c)].clearHistory();
        m_fillRejectHistory[std::size_t(c)] = {};
        m_fillPassHistory[std::size_t(c)] = {};
        m_fillDelay[std::size_t(c)].clear();
    }
    m_itdBand.clearHistory();
    m_itdLine.clear();
    m_phaseLine.clear();
    m_peakInL = m_peakInR = m_peakOutL = m_peakOutR = 0.0f;
    m_heldOutL = m_heldOutR = 0.0f;
    m_holdInL = m_holdInR = m_holdOutL = m_holdOutR = 0.0f;
    m_blockMaxIn = m_blockMaxOut = 0.0f;
    for (auto& fft : m_fft)
        if (fft != nullptr)
            fft->reset();
    m_callBack0.hasKept = false;
}

void LatiphonixAlgo::controlTick() noexcept
{
    m_bypassMix = moveToward(m_bypassMix, m_targetBypass, 0.01f);
    m_iidAmount = moveToward(m_iidAmount, m_targetIid, 0.01f);
    m_linearWidth = moveToward(m_linearWidth, m_targetWidth, 0.01f);
    m_itdWidth = moveToward(m_itdWidth, m_targetItd, 0.01f);
    m_fillMix = moveToward(m_fillMix, m_targetFill, 0.01f);

    if (m_itdRunningDelay != m_itdTargetDelay && m_itdFadeStep == 0.0f)
    {
        m_itdFadeDelay = std::clamp(m_itdTargetDelay, 0, kDelayLength);
        m_itdFadePosition = 0.0f;
        m_itdFadeStep = 1.0f / float(kTickLength);
    }

    bandMorph();
}

void LatiphonixAlgo::designSlot(int slot, int band) noexcept
{
    m_bank.designSlot(slot, m_leftCentres[std::size_t(band)].load(), m_rightCentres[std::size_t(band)].load(),
                      kBandBandwidth, kLowestBandCentre);
}

void LatiphonixAlgo::bandMorph() noexcept
{
    int count = m_bandCount.load(std::memory_order_relaxed);
    constexpr float kFade = 1.0f / float(kTickLength);

    if (m_pendingSlot != -1)
    {
        const int old = m_pendingSlot;
        m_slotStep[std::size_t(old)] = 0.0f;
        if (m_activeSlots > count)
        {
            m_slotGain[std::size_t(old)] = 1.0f;
            m_slotGain[std::size_t(count)] = 1.0f;
            if (old + 1 < kNumSlots)
                m_slotStep[std::size_t(old + 1)] = 0.0f;
            m_activeSlots = count;
            m_bank.moveSlot(old, count);
        }
        m_pendingSlot = -1;
    }

    // A new layout restarts the checks. The generation is read before the target and the tables, which
    // the message thread writes before raising it.
    const unsigned generation = m_layoutGeneration.load(std::memory_order_acquire);
    if (generation != m_seenGeneration)
    {
        m_seenGeneration = generation;
        m_checksDone = 0;
    }
    const int target = m_targetBands.load();
    const int checks = m_checksDone;
    if (target == count && checks >= kNumSlots)
        m_morphState = 0;
    else if (m_morphState == 0)
        m_morphState = 1;
    if (m_morphState != 3)
        return;

    if (target > count)
    {
        designSlot(count, count);
        m_slotGain[std::size_t(count)] = 0.0f;
        m_slotStep[std::size_t(count)] = kFade;
        m_pendingSlot = count;
        m_bandCount.store(count + 1, std::memory_order_relaxed);
        ++m_activeSlots;
    }
    else if (target < count)
    {
        if (m_slotGain[std::size_t(count - 1)] <= 0.0f)
        {
            m_slotGain[std::size_t(count - 1)] = 1.0f;
            --count;
            m_bandCount.store(count, std::memory_order_relaxed);
            --m_activeSlots;
        }
        if (target < count)
        {
            m_slotStep[std::size_t(count - 1)] = -m_slotGain[std::size_t(count - 1)] / float(kTickLength);
            m_pendingSlot = count - 1;
        }
    }
    else if (checks < kNumSlots)
    {
        m_checksDone = checks + 1;
        // An empty bank has nothing to check, only checks to count.
        if (count == 0)
            return;
        m_checkedSlot = (m_checkedSlot + 1) % count;
        const int b = m_checkedSlot;
        if (m_bank.frequency(LatiphonixBandBank::kRejectL, b) == m_leftCentres[std::size_t(b)].load() &&
            m_bank.frequency(LatiphonixBandBank::kRejectR, b) == m_rightCentres[std::size_t(b)].load())
            return;

        m_bank.moveSlot(count, b + 1);
        m_bank.clearHistory(b + 1);
        designSlot(b + 1, b);
        m_slotGain[std::size_t(b)] = 1.0f;
        m_slotStep[std::size_t(b)] = -kFade;
        m_slotGain[std::size_t(b + 1)] = 0.0f;
        m_slotStep[std::size_t(b + 1)] = kFade;
        m_activeSlots = count + 1;
        m_pendingSlot = b;
    }
}

float LatiphonixAlgo::shapeValue(float p) noexcept
{
    constexpr float kTwoPi = 6.2831853f;
    switch (m_shape)
    {
    case 0:
        return std::sin(kTwoPi * p);
    case 1:
        if (p < 0.25f)
            return 4.0f * p;
        if (p < 0.75f)
            return -4.0f * (p - 0.5f);
        return 4.0f * (p - 1.0f);
    case 2:
        return p < 0.5f ? -1.0f : 1.0f;
    case 3:
        if (m_wrapped)
        {
            m_randomPrevious = m_randomNext;
            m_randomNext = float(nextRandom()) * 0.015625f - 1.0f;
        }
        return m_randomPrevious + (m_randomNext - m_randomPrevious) * p;
    case 4:
        if (m_wrapped)
            m_randomNext = float(nextRandom()) * 0.015625f - 1.0f;
        return m_randomNext;
    default:
        return 0.0f;
    }
}

int LatiphonixAlgo::nextRandom() noexcept
{
    // xorshift32: the runtime library's generator takes a lock and is shared by the whole process.
    std::uint32_t x = m_randomState;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    m_randomState = x;
    return int(x >> 25);
}

void LatiphonixAlgo::dynamicsStep() noexcept
{
    m_phase += m_rate.load(std::memory_order_relaxed) * float(kDynamicsInterval) / m_sampleRate;
    m_wrapped = m_phase >= 1.0f;
    if (m_wrapped)
        m_phase -= 1.0f;
    m_shape = std::min(latiphonix::decodeChoice(value(hDynamicsShape)), 1000);

    float depthTarget = 0.0f;
    if (m_morphState == 0 && value(hDynamics) != 0.0f)
        depthTarget = value(hDynamicsDepth);
    m_depth = moveToward(m_depth, depthTarget, 0.01f);

    const int count = m_bandCount.load(std::memory_order_relaxed);
    if (m_depth > 0.0f)
    {
        for (int b = 1; b < count; ++b)
        {
            float p = kBandPhaseOffsets[b] + m_phase;
            if (p > 1.0f)
                p -= 1.0f;
            const float x = (shapeValue(p) * 0.5f + 0.5f) * m_depth;
            const float target = std::exp(vk::ranges::kUnitLow + (1.0f - x) * vk::ranges::kUnitSpan);
            m_slotStep[std::size_t(b)] = (target - m_slotGain[std::size_t(b)]) / float(kDynamicsInterval);
        }
        const float v = shapeValue(m_phase) * 0.5f + 1.0f;
        m_itdWidth = std::min(1.0f, v * m_blockItdWidth);
        m_itdTargetDelay = int(v * m_itdUnroundedDelay);
        return;
    }

    if (m_morphState != 3)
        for (int b = 1; b < count; ++b)
            m_slotStep[std::size_t(b)] = (1.0f - m_slotGain[std::size_t(b)]) / float(kDynamicsInterval);
    if (m_morphState == 1)
    {
        m_morphState = 2;
    }
    else if (m_morphState == 2)
    {
        m_slotGain.fill(1.0f);
        m_slotStep.fill(0.0f);
        m_morphState = 3;
    }
}

void LatiphonixAlgo::gainStep() noexcept
{
    m_blockMaxIn = std::max(m_blockMaxIn, std::max(m_peakInL, m_peakInR));
    m_blockMaxOut = std::max(m_blockMaxOut, std::max(m_peakOutL, m_peakOutR));

    if (m_holdsClearRequested.exchange(false, std::memory_order_relaxed))
        m_holdInL = m_holdInR = m_holdOutL = m_holdOutR = 0.0f;

    const juce::int64 start = m_analysisStartMs.load(std::memory_order_relaxed);
    if (start != 0)
    {
        m_processor->setRefreshAll(true);
        m_holdInL = std::max(m_holdInL, m_peakInL);
        m_holdInR = std::max(m_holdInR, m_peakInR);
        m_holdOutL = std::max(m_holdOutL, m_peakOutL);
        m_holdOutR = std::max(m_holdOutR, m_peakOutR);
        if (m_fnpClock() - start >= kAnalysisDurationMs)
        {
            m_analysisStartMs.store(0);
            // The setter allocates an undo step and takes the undo lock: the message thread applies the
            // result (applyFinishedAnalysis, from the processor timer).
            constexpr float kFloor = 1e-5f;
            const auto amount = [](float in, float out)
            { return (in > kFloor && out > kFloor) ? std::clamp(in / out * 0.5f, 0.0f, 1.0f) : -1.0f; };
            m_analysisAmount0.store(amount(m_holdInL, m_holdOutL), std::memory_order_relaxed);
            m_analysisAmount1.store(amount(m_holdInR, m_holdOutR), std::memory_order_relaxed);
            m_analysisResultReady.store(true, std::memory_order_release);
            m_processor->requestTimerUpdate();
        }
    }

    float targetL = 0.0f, targetR = 0.0f;
    outputGainTargets(targetL, targetR);
    m_stepL = (targetL - m_gainL) / float(kGainInterval);
    m_stepR = (targetR - m_gainR) / float(kGainInterval);

    m_peakInL = m_peakInR = m_peakOutL = m_peakOutR = 0.0f;
}

void LatiphonixAlgo::outputGainTargets(float& left, float& right) const noexcept
{
    float autoL = 1.0f, autoR = 1.0f;
    if (value(hAutoLevel) != 0.0f)
    {
        autoL = value(hAutoLevelAmount0) * 2.0f;
        autoR = value(hAutoLevelAmount1) * 2.0f;
    }

    // A full turn silences the far channel; just short of it the fall-off reaches about -30 dB.
    const float balance = value(hBalance);
    float leftFactor = 1.0f;
    if (balance >= 1.0f)
        leftFactor = 0.0f;
    else if (balance > 0.5f)
        leftFactor = std::exp(vk::ranges::kDecayBase * (balance - 0.5f));
    float rightFactor = 1.0f;
    if (balance <= 0.0f)
        rightFactor = 0.0f;
    else if (balance < 0.5f)
        rightFactor = std::exp(vk::ranges::kDecayBase * (0.5f - balance));

    left = value(hSoloRight) != 0.0f ? 0.0f : leftFactor * autoL;
    right = value(hSoloLeft) != 0.0f ? 0.0f : rightFactor * autoR;
}

void LatiphonixAlgo::afterBlock(const float* left, const float* right, int numSamples, bool finite)
{
    if (value(hAnalysis) == 0.0f)
        return;

    if (finite)
    {
        const int hop = std::max(1, m_fft[0]->getHop());
        for (int offset = 0; offset < numSamples; offset += hop)
        {
            const int chunk = std::min(hop, numSamples - offset);
            const int frames = m_fft[0]->pushSamples(left + offset, chunk);
            m_fft[1]->pushSamples(right + offset, chunk);
            if (frames > 0)
            {
                m_fft[0]->synthesizeFrame();
                m_fft[1]->synthesizeFrame();
            }
        }
    }

    auto meter = [](float peak)
    {
        if (!(peak > 0.0f))
            return 0.0f;
        return std::clamp(20.0f * std::log10(peak) / 60.0f + 1.0f, 0.0f, 1.0f);
    };
    m_inputMeter.store(meter(m_blockMaxIn));
    m_outputMeter.store(meter(m_blockMaxOut));

    m_publishCount += numSamples;
    if (m_publishCount >= kTickLength)
    {
        m_publishedL.store(m_heldOutL);
        m_publishedR.store(m_heldOutR);
        m_publishedReady.store(true);
        m_heldOutL = m_heldOutR = 0.0f;
        m_publishCount = 0;
    }
}
