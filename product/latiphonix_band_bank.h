#pragma once

// The IID band filters of every slot, stored lane by lane (one lane per slot and channel) so that vector
// registers run several slots at once.
//
// Each channel's residual passes the slots' band-reject filters one after the other, so within one sample
// the slots depend on each other. Across samples they do not: slot b can filter sample j while slot b + 1
// filters sample j - 1. process() runs that skewed schedule: at step t lane b handles sample t - b, and
// its result moves one lane up for the next step. Every lane performs exactly the per-sample arithmetic
// of a single second-order section, in the same order, so the output is bit for bit what slot-by-slot
// processing gives. The schedule runs with 256-bit registers where the processor has them, else with
// 128-bit ones; both give identical results.
//
// Threads: [audio thread] for process and the morph edits; [message thread] for resetAll in prepare.
// Nothing here allocates or locks.

#include "product/latiphonix_band_data.h"

class LatiphonixBandBank
{
public:
    static constexpr int kSlots = LatiphonixBandData::kSlots;
    static constexpr int kLanes = LatiphonixBandData::kLanes;
    static constexpr int kMaxRun = LatiphonixBandData::kMaxRun;

    enum Kind : int
    {
        kRejectL,
        kRejectR,
        kPassL,
        kPassR,
        kNumKinds
    };

    LatiphonixBandBank() noexcept;

    // Coefficients and histories to zero and every filter set back to its own starting slot; each set
    // keeps the centre frequencies it remembers, as the resonators do.
    void resetAll() noexcept;
    void clearHistory(int slot) noexcept;
    void clearAllHistory() noexcept;
    // The left centre goes to the left band-reject and the right band-pass, the right centre to the other
    // two; a filter centred below `lowest` becomes neutral (a band-reject a wire, a band-pass silent).
    void designSlot(int slot, float centreL, float centreR, float bandwidth, float lowest) noexcept;
    float frequency(Kind kind, int slot) const noexcept { return m_frequency[kind][slot]; }
    // Moves slot `from`'s filters to position `to`, shifting the slots in between by one.
    void moveSlot(int from, int to) noexcept;

    // Runs `length` (1..kMaxRun) samples through the first `active` (1..kSlots) slots. gain and step hold
    // kLanes entries, 16-byte aligned; each active slot's gain advances by its step once per sample.
    // outL/outR receive the band sum plus the residual of each sample.
    void process(const float* inL, const float* inR, int length, int active, float* gain, const float* step,
                 float* outL, float* outR) noexcept;

    // The 256-bit build is used wherever the processor has AVX; turning it off selects the 128-bit build
    // (both give identical results, which tests check). [not while process runs]
    void useWideRegisters(bool on) noexcept;
    bool usesWideRegisters() const noexcept { return m_wide; }

private:
    float* field(Kind kind, int offset) noexcept;
    void setSection(Kind kind, int slot, bool bandPass, float f, float bandwidth, float lowest) noexcept;

    LatiphonixBandData m_data{};
    float m_frequency[kNumKinds][kLanes]{};
    // Which filter set (by starting slot) sits in each lane.
    int m_setInLane[kLanes] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    bool m_wide;
};

// The two builds of the schedule; the wide one only where the processor runs it.
void latiphonixBandKernelSse(LatiphonixBandData& data, int length, int active) noexcept;
void latiphonixBandKernelAvx(LatiphonixBandData& data, int length, int active) noexcept;
bool latiphonixBandKernelHasAvx() noexcept;
