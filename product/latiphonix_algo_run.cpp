#include "product/latiphonix_algo.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <emmintrin.h>

// The per-sample stages of the stereo algorithm, run over the samples between two control events. Each
// stage is its own loop over the run, so that few values are live at a time and the processor overlaps
// consecutive samples; every sample still sees exactly the operations, in the same order, of the
// sample-by-sample description.

namespace
{

// Noise of about 2^-67 with a random sign: far below audibility, far above the denormal range, so the
// recursive filters never decay into denormals.
inline float nextNoise(std::uint32_t& state) noexcept
{
    state = state * 1234567u + 890123u;
    const std::uint32_t bits = (state & 0x807F0000u) | 0x1E000000u;
    float noise;
    std::memcpy(&noise, &bits, sizeof(noise));
    return noise;
}

// Four generator steps at once: s(n + 4) = a^4 s(n) + c (1 + a + a^2 + a^3), modulo 2^32 like every step.
constexpr std::uint32_t kNoiseA = 1234567u, kNoiseC = 890123u;
constexpr std::uint32_t kNoiseA4 = kNoiseA * kNoiseA * kNoiseA * kNoiseA;
constexpr std::uint32_t kNoiseC4 = kNoiseC * (1u + kNoiseA + kNoiseA * kNoiseA + kNoiseA * kNoiseA * kNoiseA);

// Lane-wise 32-bit product modulo 2^32 (SSE2 multiplies only lanes 0 and 2 to 64 bits).
inline __m128i multiply32(__m128i a, __m128i b) noexcept
{
    const __m128i even = _mm_mul_epu32(a, b);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

// The denormal guard over a run: x = input + noise, with the generator advanced once per sample, and the
// input peak folded in. Four samples at a time; the peak is a maximum, whatever the order.
inline void guard(const float* in, float* x, int length, std::uint32_t& state, float& peak) noexcept
{
    int i = 0;
    if (length >= 4)
    {
        alignas(16) std::uint32_t first[4];
        std::uint32_t s = state;
        for (auto& lane : first)
        {
            s = s * kNoiseA + kNoiseC;
            lane = s;
        }
        __m128i states = _mm_load_si128(reinterpret_cast<const __m128i*>(first));
        const __m128i a4 = _mm_set1_epi32(int(kNoiseA4)), c4 = _mm_set1_epi32(int(kNoiseC4));
        const __m128i keep = _mm_set1_epi32(int(0x807F0000u)), exponent = _mm_set1_epi32(0x1E000000);
        const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
        __m128 peaks = _mm_set1_ps(peak);
        for (;;)
        {
            const __m128 noise = _mm_castsi128_ps(_mm_or_si128(_mm_and_si128(states, keep), exponent));
            const __m128 v = _mm_loadu_ps(in + i) + noise;
            _mm_storeu_ps(x + i, v);
            // max(abs, peak) keeps the peak for a sample that is not a number, as std::max does.
            peaks = _mm_max_ps(_mm_and_ps(v, magnitude), peaks);
            i += 4;
            if (i + 4 > length)
                break;
            states = _mm_add_epi32(multiply32(states, a4), c4);
        }
        alignas(16) std::uint32_t last[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(last), states);
        state = last[3];
        alignas(16) float lanes[4];
        _mm_store_ps(lanes, peaks);
        for (float lane : lanes)
            peak = std::max(peak, lane);
    }
    for (; i < length; ++i)
    {
        x[i] = in[i] + nextNoise(state);
        peak = std::max(peak, std::abs(x[i]));
    }
}

// Whole-sample reads at `delay` for the four samples a batch has just written after position `start`
// (their values in `written`): a delay of 0 reads them back; a delay of 4 or more reads wholly before them.
inline __m128 readBatch(const LatiphonixRingCursor& line, int start, int delay, const float* written) noexcept
{
    if (delay == 0)
        return _mm_load_ps(written);
    int first = start + 1 - delay;
    if (first < 0)
        first += line.maxLength + 1;
    if (first + 3 <= line.maxLength)
        return _mm_loadu_ps(line.ring + first);
    alignas(16) float read[4];
    LatiphonixRingCursor at = line;
    for (int k = 0; k < 4; ++k)
    {
        at.position = start + 1 + k > line.maxLength ? start + k - line.maxLength : start + 1 + k;
        read[k] = at.readAt(delay);
    }
    return _mm_load_ps(read);
}

// Reads in a batch start only this far from the positions the batch writes.
constexpr int kBatchClearance = 8;

inline __m128 cubic(__m128 ym1, __m128 y0, __m128 y1, __m128 y2, __m128 t) noexcept
{
    const __m128 half = _mm_set1_ps(0.5f);
    return ((((y0 - y1) * _mm_set1_ps(1.5f) + (y2 - ym1) * half) * t +
             (ym1 - _mm_set1_ps(2.5f) * y0 + _mm_set1_ps(2.0f) * y1 - half * y2)) *
                t +
            (y1 - ym1) * half) *
               t +
           y0;
}

// The four neighbours of four reads, lane k for base index base[k] (wrapped as the scalar read wraps).
inline void neighbours(const float* ring, int maxLength, const int* base, bool consecutive, __m128& ym1,
                       __m128& y0, __m128& y1, __m128& y2) noexcept
{
    if (consecutive)
    {
        const float* const p = ring + base[0];
        ym1 = _mm_loadu_ps(p - 1);
        y0 = _mm_loadu_ps(p);
        y1 = _mm_loadu_ps(p + 1);
        y2 = _mm_loadu_ps(p + 2);
        return;
    }
    const int ringSize = maxLength + 1;
    alignas(16) float v[4][4];
    for (int k = 0; k < 4; ++k)
    {
        int i = base[k];
        if (i >= ringSize)
            i -= ringSize;
        const int im1 = i > 0 ? i - 1 : maxLength;
        const int ip1 = i + 1 > maxLength ? i + 1 - ringSize : i + 1;
        const int ip2 = i + 2 > maxLength ? i + 2 - ringSize : i + 2;
        v[0][k] = ring[im1];
        v[1][k] = ring[i];
        v[2][k] = ring[ip1];
        v[3][k] = ring[ip2];
    }
    ym1 = _mm_load_ps(v[0]);
    y0 = _mm_load_ps(v[1]);
    y1 = _mm_load_ps(v[2]);
    y2 = _mm_load_ps(v[3]);
}

// LatiphonixRingCursor::readFractional of two lines with the same length, position and delay, for the
// four write positions of a batch (one lane each). The index arithmetic and the cubic are the scalar
// read's, lane by lane; the neighbours come from unaligned loads when the lanes' base indices are
// consecutive and need no wrap, which is the rule.
inline void readFractional4Pair(const LatiphonixRingCursor& lineL, const LatiphonixRingCursor& lineR,
                                __m128i positions, float delay, __m128& outL, __m128& outR) noexcept
{
    const int maxLength = lineL.maxLength;
    __m128 pos = _mm_cvtepi32_ps(positions) - _mm_set1_ps(delay);
    const __m128 negative = _mm_cmplt_ps(pos, _mm_setzero_ps());
    const __m128 wrapped = pos + _mm_set1_ps(float(maxLength + 1));
    pos = _mm_or_ps(_mm_and_ps(negative, wrapped), _mm_andnot_ps(negative, pos));
    const __m128i index = _mm_cvttps_epi32(pos);
    const __m128 t = pos - _mm_cvtepi32_ps(index);

    alignas(16) int base[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(base), index);
    const bool consecutive = base[0] >= 1 && base[3] + 2 <= maxLength && base[1] == base[0] + 1 &&
                             base[2] == base[0] + 2 && base[3] == base[0] + 3;
    __m128 ym1, y0, y1, y2;
    neighbours(lineL.ring, maxLength, base, consecutive, ym1, y0, y1, y2);
    outL = cubic(ym1, y0, y1, y2, t);
    neighbours(lineR.ring, maxLength, base, consecutive, ym1, y0, y1, y2);
    outR = cubic(ym1, y0, y1, y2, t);
}

} // namespace

void LatiphonixAlgo::processRun(float* left, float* right, int length, std::uint32_t& noiseL,
                                std::uint32_t& noiseR, bool invert) noexcept
{
    float* const xL = m_runInL;
    float* const xR = m_runInR;
    guard(left, xL, length, noiseL, m_peakInL);
    guard(right, xR, length, noiseR, m_peakInR);

    float* const l = m_runL;
    float* const r = m_runR;
    const int active = m_activeSlots;
    if (m_iidAmount > 0.0f)
    {
        if (active > 0)
        {
            m_bank.process(xL, xR, length, active, m_slotGain.data(), m_slotStep.data(), l, r);
        }
        else
        {
            // No band: nothing is added and nothing removed.
            for (int i = 0; i < length; ++i)
            {
                l[i] = 0.0f + xL[i];
                r[i] = 0.0f + xR[i];
            }
        }
        const float amount = m_iidAmount;
        for (int i = 0; i < length; ++i)
        {
            l[i] = l[i] * amount + xL[i] * (1.0f - amount);
            r[i] = r[i] * amount + xR[i] * (1.0f - amount);
        }
    }
    else
    {
        // Band fades and modulation keep running while the path is off, so the bank is whole again when
        // it is switched back on.
        for (int b = 0; b < active; ++b)
            for (int i = 0; i < length; ++i)
                m_slotGain[std::size_t(b)] += m_slotStep[std::size_t(b)];
        std::copy(xL, xL + length, l);
        std::copy(xR, xR + length, r);
    }

    if (m_itdWidth > 0.0f)
        runItd(length);
    if (m_fillMix > 0.0f)
        runFill(length);
    runOutput(left, right, length, invert);
}

void LatiphonixAlgo::runItd(int length) noexcept
{
    float* const l = m_runL;
    float* const r = m_runR;
    float* const delayed = m_runDelayed;
    LatiphonixRingCursor line = m_itdLine.open();
    int runningDelay = m_itdRunningDelay;
    const int fadeDelay = m_itdFadeDelay;
    float fadePosition = m_itdFadePosition;
    float fadeStep = m_itdFadeStep;

    // The delayed mid signal, four samples at a time while the reads cannot reach the batch's writes and
    // no cross-fade ends before the batch's last sample; otherwise sample by sample.
    int i = 0;
    const auto clear = [&line](int delay)
    { return delay == 0 || (delay >= 4 && delay <= line.maxLength - 4); };
    for (; i + 4 <= length; i += 4)
    {
        const bool fading = fadeStep != 0.0f;
        float p[4] = {fadePosition, 0.0f, 0.0f, 0.0f};
        bool endsEarly = false;
        if (fading)
            for (int k = 1; k < 4; ++k)
            {
                p[k] = p[k - 1] + fadeStep;
                endsEarly = endsEarly || p[k] >= 1.0f;
            }
        if (!clear(runningDelay) || (fading && (!clear(fadeDelay) || endsEarly)))
            break;
        const int start = line.position;
        alignas(16) float mid[4];
        _mm_store_ps(mid, (_mm_loadu_ps(l + i) + _mm_loadu_ps(r + i)) * _mm_set1_ps(0.5f));
        for (int k = 0; k < 4; ++k)
            line.write(mid[k]);
        __m128 value = readBatch(line, start, runningDelay, mid);
        if (fading)
        {
            const __m128 position = _mm_loadu_ps(p);
            value =
                (_mm_set1_ps(1.0f) - position) * value + position * readBatch(line, start, fadeDelay, mid);
            fadePosition = p[3] + fadeStep;
            if (fadePosition >= 1.0f)
            {
                fadePosition = 0.0f;
                fadeStep = 0.0f;
                runningDelay = fadeDelay;
            }
        }
        _mm_storeu_ps(delayed + i, value);
    }
    for (; i < length; ++i)
    {
        line.write((l[i] + r[i]) * 0.5f);
        float value = line.readAt(runningDelay);
        if (fadeStep != 0.0f)
        {
            const float faded = line.readAt(fadeDelay);
            value = (1.0f - fadePosition) * value + fadePosition * faded;
            fadePosition += fadeStep;
            if (fadePosition >= 1.0f)
            {
                fadePosition = 0.0f;
                fadeStep = 0.0f;
                runningDelay = fadeDelay;
            }
        }
        delayed[i] = value;
    }
    m_itdLine.close(line);
    m_itdRunningDelay = runningDelay;
    m_itdFadePosition = fadePosition;
    m_itdFadeStep = fadeStep;

    const float width = m_itdWidth;
    m_itdBand.process(delayed, length);
    for (int k = 0; k < length; ++k)
    {
        const float d = delayed[k] * width;
        l[k] += d;
        r[k] -= d;
    }
}

void LatiphonixAlgo::runFill(int length) noexcept
{
    // The four fill sections as the lanes of one register: left band-reject, left band-pass, right
    // band-reject, right band-pass; each lane performs its section's update.
    const CRecursiveFilter<float>* const designs[4] = {&m_fillReject[0], &m_fillPass[0], &m_fillReject[1],
                                                       &m_fillPass[1]};
    LatiphonixSectionHistory* const histories[4] = {&m_fillRejectHistory[0], &m_fillPassHistory[0],
                                                    &m_fillRejectHistory[1], &m_fillPassHistory[1]};
    alignas(16) float c[5][4], h[4][4];
    for (int lane = 0; lane < 4; ++lane)
    {
        const LatiphonixSection section = LatiphonixSection::load(*designs[lane], *histories[lane]);
        c[0][lane] = section.a0;
        c[1][lane] = section.a1;
        c[2][lane] = section.a2;
        c[3][lane] = section.b1;
        c[4][lane] = section.b2;
        h[0][lane] = section.h.x1;
        h[1][lane] = section.h.x2;
        h[2][lane] = section.h.y1;
        h[3][lane] = section.h.y2;
    }
    const __m128 a0 = _mm_load_ps(c[0]), a1 = _mm_load_ps(c[1]), a2 = _mm_load_ps(c[2]);
    const __m128 b1 = _mm_load_ps(c[3]), b2 = _mm_load_ps(c[4]);
    __m128 x1 = _mm_load_ps(h[0]), x2 = _mm_load_ps(h[1]), y1 = _mm_load_ps(h[2]), y2 = _mm_load_ps(h[3]);
    float* const l = m_runL;
    float* const r = m_runR;
    auto* const sections = m_runFillSections;
    for (int i = 0; i < length; ++i)
    {
        const __m128 x = _mm_shuffle_ps(_mm_load_ss(l + i), _mm_load_ss(r + i), _MM_SHUFFLE(0, 0, 0, 0));
        const __m128 y = a0 * x + a1 * x1 + a2 * x2 + b1 * y1 + b2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        _mm_store_ps(sections[i], y);
    }
    _mm_store_ps(h[0], x1);
    _mm_store_ps(h[1], x2);
    _mm_store_ps(h[2], y1);
    _mm_store_ps(h[3], y2);
    for (int lane = 0; lane < 4; ++lane)
        *histories[lane] = {h[0][lane], h[1][lane], h[2][lane], h[3][lane]};

    const float mix = m_fillMix;
    LatiphonixRingCursor lineL = m_fillDelay[0].open();
    LatiphonixRingCursor lineR = m_fillDelay[1].open();
    const float delay = m_fillDelay[0].getFractionalDelay();
    int i = 0;
    // Four samples of both channels at a time, when the two lines move in step (they are cleared, set
    // and written together) and none of the reads can reach a position written by the batch.
    if (lineL.position == lineR.position && delay == m_fillDelay[1].getFractionalDelay() &&
        delay >= float(kBatchClearance) && delay <= float(lineL.maxLength - kBatchClearance))
    {
        const __m128 mixV = _mm_set1_ps(mix);
        const __m128 keepV = _mm_set1_ps(1.0f - mix);
        for (; i + 4 <= length; i += 4)
        {
            // The batch's write positions, wrapped as the writes wrap them.
            const __m128i next = _mm_add_epi32(_mm_set1_epi32(lineL.position), _mm_setr_epi32(1, 2, 3, 4));
            const __m128i past = _mm_cmpgt_epi32(next, _mm_set1_epi32(lineL.maxLength));
            const __m128i positions =
                _mm_sub_epi32(next, _mm_and_si128(past, _mm_set1_epi32(lineL.maxLength + 1)));
            __m128 rejectL = _mm_load_ps(sections[i]), passL = _mm_load_ps(sections[i + 1]);
            __m128 rejectR = _mm_load_ps(sections[i + 2]), passR = _mm_load_ps(sections[i + 3]);
            _MM_TRANSPOSE4_PS(rejectL, passL, rejectR, passR);
            alignas(16) float writeL[4], writeR[4];
            _mm_store_ps(writeL, passL);
            _mm_store_ps(writeR, passR);
            for (int k = 0; k < 4; ++k)
            {
                lineL.write(writeL[k]);
                lineR.write(writeR[k]);
            }
            __m128 readL, readR;
            readFractional4Pair(lineL, lineR, positions, delay, readL, readR);
            const __m128 vL = _mm_loadu_ps(l + i), vR = _mm_loadu_ps(r + i);
            _mm_storeu_ps(l + i, (rejectL + readL) * mixV + vL * keepV);
            _mm_storeu_ps(r + i, (rejectR + readR) * mixV + vR * keepV);
        }
    }
    const float delayR = m_fillDelay[1].getFractionalDelay();
    for (; i < length; ++i)
    {
        const float vL = l[i], vR = r[i];
        lineL.write(sections[i][1]);
        const float filledL = sections[i][0] + lineL.readFractional(delay);
        lineR.write(sections[i][3]);
        const float filledR = sections[i][2] + lineR.readFractional(delayR);
        l[i] = filledL * mix + vL * (1.0f - mix);
        r[i] = filledR * mix + vR * (1.0f - mix);
    }
    m_fillDelay[0].close(lineL);
    m_fillDelay[1].close(lineR);
}

void LatiphonixAlgo::runOutput(float* left, float* right, int length, bool invert) noexcept
{
    const float* const xL = m_runInL;
    const float* const xR = m_runInR;
    const float* const l = m_runL;
    const float* const r = m_runR;
    const float width = m_linearWidth;
    const float bypass = m_bypassMix;
    LatiphonixRingCursor phaseLine = m_phaseLine.open();
    const int phaseDelay = m_phaseLine.getDelay();
    float gainL = m_gainL, gainR = m_gainR;
    const float stepL = m_stepL, stepR = m_stepR;
    float peakOutL = m_peakOutL, peakOutR = m_peakOutR;
    float heldOutL = m_heldOutL, heldOutR = m_heldOutR;

    int i = 0;
    // Four samples at a time when the phase-shift reads are either the samples just written (no delay)
    // or lie wholly before the batch's writes. The gains still advance one addition per sample; the
    // peaks are maxima, which do not depend on the order they are taken in.
    if (phaseDelay == 0 || (phaseDelay >= 4 && phaseDelay <= phaseLine.maxLength - 4))
    {
        const __m128 half = _mm_set1_ps(0.5f);
        const __m128 widthV = _mm_set1_ps(width);
        const __m128 bypassV = _mm_set1_ps(bypass);
        const __m128 keepV = _mm_set1_ps(1.0f - bypass);
        const __m128 sign = _mm_set1_ps(invert ? -0.0f : 0.0f);
        const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
        __m128 peakL = _mm_set1_ps(peakOutL), peakR = _mm_set1_ps(peakOutR);
        __m128 heldL = _mm_set1_ps(heldOutL), heldR = _mm_set1_ps(heldOutR);
        for (; i + 4 <= length; i += 4)
        {
            const __m128 lv = _mm_loadu_ps(l + i);
            const __m128 rv = _mm_xor_ps(_mm_loadu_ps(r + i), sign);
            const int start = phaseLine.position;
            for (int k = 0; k < 4; ++k)
                phaseLine.write(l[i + k]);
            __m128 dL = lv;
            if (phaseDelay != 0)
            {
                int first = start + 1 - phaseDelay;
                if (first < 0)
                    first += phaseLine.maxLength + 1;
                if (first + 3 <= phaseLine.maxLength)
                {
                    dL = _mm_loadu_ps(phaseLine.ring + first);
                }
                else
                {
                    LatiphonixRingCursor at = phaseLine;
                    alignas(16) float read[4];
                    for (int k = 0; k < 4; ++k)
                    {
                        at.position = start + 1 + k > phaseLine.maxLength ? start + k - phaseLine.maxLength
                                                                          : start + 1 + k;
                        read[k] = at.readAt(phaseDelay);
                    }
                    dL = _mm_load_ps(read);
                }
            }
            const __m128 mid = (rv + dL) * half;
            const __m128 side = (dL - rv) * widthV;
            const float gl0 = gainL, gl1 = gl0 + stepL, gl2 = gl1 + stepL, gl3 = gl2 + stepL;
            const float gr0 = gainR, gr1 = gr0 + stepR, gr2 = gr1 + stepR, gr3 = gr2 + stepR;
            gainL = gl3 + stepL;
            gainR = gr3 + stepR;
            const __m128 processedL = (mid + side) * _mm_setr_ps(gl0, gl1, gl2, gl3);
            const __m128 processedR = (mid - side) * _mm_setr_ps(gr0, gr1, gr2, gr3);
            const __m128 outL = _mm_loadu_ps(xL + i) * bypassV + keepV * processedL;
            const __m128 outR = _mm_loadu_ps(xR + i) * bypassV + keepV * processedR;
            _mm_storeu_ps(left + i, outL);
            _mm_storeu_ps(right + i, outR);
            // max(abs, peak): the peak is kept when the sample is not a number, as std::max keeps it.
            const __m128 absL = _mm_and_ps(outL, magnitude), absR = _mm_and_ps(outR, magnitude);
            peakL = _mm_max_ps(absL, peakL);
            peakR = _mm_max_ps(absR, peakR);
            heldL = _mm_max_ps(absL, heldL);
            heldR = _mm_max_ps(absR, heldR);
        }
        alignas(16) float lanes[4][4];
        _mm_store_ps(lanes[0], peakL);
        _mm_store_ps(lanes[1], peakR);
        _mm_store_ps(lanes[2], heldL);
        _mm_store_ps(lanes[3], heldR);
        for (int k = 0; k < 4; ++k)
        {
            peakOutL = std::max(peakOutL, lanes[0][k]);
            peakOutR = std::max(peakOutR, lanes[1][k]);
            heldOutL = std::max(heldOutL, lanes[2][k]);
            heldOutR = std::max(heldOutR, lanes[3][k]);
        }
    }
    for (; i < length; ++i)
    {
        const float right0 = invert ? -r[i] : r[i];
        phaseLine.write(l[i]);
        const float dL = phaseLine.readAt(phaseDelay);
        const float mid = (right0 + dL) * 0.5f;
        const float side = (dL - right0) * width;
        const float processedL = (mid + side) * gainL;
        const float processedR = (mid - side) * gainR;
        gainL += stepL;
        gainR += stepR;

        const float outL = xL[i] * bypass + (1.0f - bypass) * processedL;
        const float outR = xR[i] * bypass + (1.0f - bypass) * processedR;
        left[i] = outL;
        right[i] = outR;
        peakOutL = std::max(peakOutL, std::abs(outL));
        peakOutR = std::max(peakOutR, std::abs(outR));
        heldOutL = std::max(heldOutL, std::abs(outL));
        heldOutR = std::max(heldOutR, std::abs(outR));
    }
    m_phaseLine.close(phaseLine);
    m_gainL = gainL;
    m_gainR = gainR;
    m_peakOutL = peakOutL;
    m_peakOutR = peakOutR;
    m_heldOutL = heldOutL;
    m_heldOutR = heldOutR;
}
