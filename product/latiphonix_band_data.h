#pragma once

// The band bank's filter state and per-run scratch, as plain arrays laid out for vector loads: in every
// field, each group of four slots holds its left-channel lanes followed by its right-channel lanes, so one
// 256-bit register, or two 128-bit ones, cover a group for both channels.

struct alignas(32) LatiphonixBandData
{
    static constexpr int kSlots = 11;
    // Slots rounded up to whole groups of four; the spare lane is never active.
    static constexpr int kLanes = 12;
    static constexpr int kMaxRun = 128;
    static constexpr int kPad = 16;
    static constexpr int kSteps = kMaxRun + kSlots - 1;

    // Field offsets inside `reject` and `pass`. Between runs X1/Y1 hold the latest input and output and
    // X2/Y2 the ones before; X2 and Y2 directly follow X1 and Y1.
    static constexpr int kWidth = 2 * kLanes;
    static constexpr int kA0 = 0, kA1 = kWidth, kA2 = 2 * kWidth, kB1 = 3 * kWidth, kB2 = 4 * kWidth;
    static constexpr int kX1 = 5 * kWidth, kX2 = 6 * kWidth, kY1 = 7 * kWidth, kY2 = 8 * kWidth;
    static constexpr int kFields = 9 * kWidth;

    static constexpr int index(int slot, int channel) noexcept
    {
        return 8 * (slot / 4) + 4 * channel + slot % 4;
    }

    alignas(32) float reject[kFields];
    alignas(32) float pass[kFields];
    // The inputs of a run reversed and padded, so that one unaligned load gives four lanes their skewed
    // samples; and per step the left and right results of the group holding the last active slot.
    alignas(32) float reversed[2][kMaxRun + 2 * kPad];
    alignas(32) float rows[kSteps][8];
    // The slots' fade gains and their per-sample steps (kLanes entries each, 16-byte aligned), owned by
    // the algorithm and lent for a run.
    float* gain;
    const float* step;
};
