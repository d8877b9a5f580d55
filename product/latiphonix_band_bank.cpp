#include "product/latiphonix_band_bank.h"

#include "dsp/recursive_filter_band.h"

#include <algorithm>

namespace
{

using D = LatiphonixBandData;

constexpr int kFieldOffsets[] = {D::kA0, D::kA1, D::kA2, D::kB1, D::kB2, D::kX1, D::kX2, D::kY1, D::kY2};
constexpr int kHistoryOffsets[] = {D::kX1, D::kX2, D::kY1, D::kY2};

// Decided once at load time, so that process() needs neither a lock nor a guard variable.
const bool g_useAvx = latiphonixBandKernelHasAvx();

} // namespace

LatiphonixBandBank::LatiphonixBandBank() noexcept : m_wide(g_useAvx)
{
    m_data.gain = nullptr;
    m_data.step = nullptr;
}

void LatiphonixBandBank::useWideRegisters(bool on) noexcept
{
    m_wide = on && g_useAvx;
}

float* LatiphonixBandBank::field(Kind kind, int offset) noexcept
{
    float* const base = (kind == kRejectL || kind == kRejectR) ? m_data.reject : m_data.pass;
    return base + offset;
}

void LatiphonixBandBank::resetAll() noexcept
{
    std::fill(std::begin(m_data.reject), std::end(m_data.reject), 0.0f);
    std::fill(std::begin(m_data.pass), std::end(m_data.pass), 0.0f);
    for (auto& lanes : m_frequency)
    {
        float bySet[kLanes];
        for (int lane = 0; lane < kLanes; ++lane)
            bySet[m_setInLane[lane]] = lanes[lane];
        std::copy(bySet, bySet + kLanes, lanes);
    }
    for (int lane = 0; lane < kLanes; ++lane)
        m_setInLane[lane] = lane;
}

void LatiphonixBandBank::clearHistory(int slot) noexcept
{
    for (int kind = 0; kind < kNumKinds; ++kind)
        for (int offset : kHistoryOffsets)
            field(Kind(kind), offset)[D::index(slot, kind & 1)] = 0.0f;
}

void LatiphonixBandBank::clearAllHistory() noexcept
{
    for (int slot = 0; slot < kLanes; ++slot)
        clearHistory(slot);
}

void LatiphonixBandBank::setSection(Kind kind, int slot, bool bandPass, float f, float bandwidth,
                                    float lowest) noexcept
{
    m_frequency[kind][slot] = f;
    ResonatorCoefficients k;
    // Both an unstable design and a centre too close to DC leave the neutral filter, as the resonators do:
    // the band-reject passes the residual on, the band-pass adds nothing to the band sum.
    if (!ResonatorCoefficients::design(bandPass, f, bandwidth, k) || f < lowest)
        k = ResonatorCoefficients::neutral(bandPass);
    const int i = D::index(slot, kind & 1);
    field(kind, D::kA0)[i] = static_cast<float>(k.a0);
    field(kind, D::kA1)[i] = static_cast<float>(k.a1);
    field(kind, D::kA2)[i] = static_cast<float>(k.a2);
    field(kind, D::kB1)[i] = static_cast<float>(k.b1);
    field(kind, D::kB2)[i] = static_cast<float>(k.b2);
}

void LatiphonixBandBank::designSlot(int slot, float centreL, float centreR, float bandwidth,
                                    float lowest) noexcept
{
    setSection(kRejectL, slot, false, centreL, bandwidth, lowest);
    setSection(kPassR, slot, true, centreL, bandwidth, lowest);
    setSection(kRejectR, slot, false, centreR, bandwidth, lowest);
    setSection(kPassL, slot, true, centreR, bandwidth, lowest);
}

void LatiphonixBandBank::moveSlot(int from, int to) noexcept
{
    if (from == to)
        return;
    const auto move = [from, to](auto* bySlot)
    {
        if (from < to)
            std::rotate(bySlot + from, bySlot + from + 1, bySlot + to + 1);
        else
            std::rotate(bySlot + to, bySlot + from, bySlot + from + 1);
    };
    for (int kind = 0; kind < kNumKinds; ++kind)
    {
        for (int offset : kFieldOffsets)
        {
            float* const lanes = field(Kind(kind), offset);
            float bySlot[kLanes];
            for (int slot = 0; slot < kLanes; ++slot)
                bySlot[slot] = lanes[D::index(slot, kind & 1)];
            move(bySlot);
            for (int slot = 0; slot < kLanes; ++slot)
                lanes[D::index(slot, kind & 1)] = bySlot[slot];
        }
        move(m_frequency[kind]);
    }
    move(m_setInLane);
}

void LatiphonixBandBank::process(const float* inL, const float* inR, int length, int active, float* gain,
                                 const float* step, float* outL, float* outR) noexcept
{
    for (int i = 0; i < length; ++i)
    {
        m_data.reversed[0][D::kPad + length - 1 - i] = inL[i];
        m_data.reversed[1][D::kPad + length - 1 - i] = inR[i];
    }
    m_data.gain = gain;
    m_data.step = step;

    // Inactive lanes sharing a group with active ones compute along; their state is put back after.
    const int spareEnd = 4 * ((active + 3) / 4);
    float saved[kNumKinds][4][4];
    float savedGain[4];
    for (int slot = active; slot < spareEnd; ++slot)
    {
        const int j = slot - active;
        for (int kind = 0; kind < kNumKinds; ++kind)
            for (int h = 0; h < 4; ++h)
                saved[kind][h][j] = field(Kind(kind), kHistoryOffsets[h])[D::index(slot, kind & 1)];
        savedGain[j] = gain[slot];
    }

    if (m_wide)
        latiphonixBandKernelAvx(m_data, length, active);
    else
        latiphonixBandKernelSse(m_data, length, active);

    for (int slot = active; slot < spareEnd; ++slot)
    {
        const int j = slot - active;
        for (int kind = 0; kind < kNumKinds; ++kind)
            for (int h = 0; h < 4; ++h)
                field(Kind(kind), kHistoryOffsets[h])[D::index(slot, kind & 1)] = saved[kind][h][j];
        gain[slot] = savedGain[j];
    }

    const int lane = (active - 1) & 3;
    for (int i = 0; i < length; ++i)
    {
        outL[i] = m_data.rows[i + active - 1][lane];
        outR[i] = m_data.rows[i + active - 1][4 + lane];
    }
}
