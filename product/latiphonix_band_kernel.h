#pragma once

// The skewed band-bank schedule of LatiphonixBandBank::process, written once for a vector type that
// holds four lanes of the left channel and the same four lanes of the right channel. It is included by
// exactly one source file per instruction set, each of which first defines `Ops`: its vector type
// `Ops::Vec` (with the arithmetic operators) and the loads, stores, shuffles and masks. Everything here has
// internal linkage, so the differently compiled copies never meet at link time.
//
// Per lane and step the arithmetic is the ring filter's, in the same order; masks keep lanes that have no
// sample at a step (while the schedule fills and drains) from changing their state.

#include "product/latiphonix_band_data.h"

namespace
{

template <class Ops>
struct BankKernel
{
    using Vec = typename Ops::Vec;

    // The two most recent inputs (and outputs) of a lane alternate between the two history fields: at an
    // even step the first holds the latest, at an odd step the second. A step then stores only its new
    // input and output, over the older entry.
    template <bool Masked>
    static inline Vec section(float* s, int o, int parity, Vec x, Vec mask) noexcept
    {
        using D = LatiphonixBandData;
        const int latest = parity * D::kWidth + o;
        const int older = (1 - parity) * D::kWidth + o;
        const Vec x1 = Ops::load(s + D::kX1 + latest), x2 = Ops::load(s + D::kX1 + older);
        const Vec y1 = Ops::load(s + D::kY1 + latest), y2 = Ops::load(s + D::kY1 + older);
        const Vec y = Ops::load(s + D::kA0 + o) * x + Ops::load(s + D::kA1 + o) * x1 +
                      Ops::load(s + D::kA2 + o) * x2 + Ops::load(s + D::kB1 + o) * y1 +
                      Ops::load(s + D::kB2 + o) * y2;
        if (Masked)
        {
            // A lane without a sample keeps its history, in the roles the next step reads.
            Ops::store(s + D::kX1 + older, Ops::select(mask, x, x1));
            Ops::store(s + D::kX1 + latest, Ops::select(mask, x1, x2));
            Ops::store(s + D::kY1 + older, Ops::select(mask, y, y1));
            Ops::store(s + D::kY1 + latest, Ops::select(mask, y1, y2));
        }
        else
        {
            Ops::store(s + D::kX1 + older, x);
            Ops::store(s + D::kY1 + older, y);
        }
        return y;
    }

    // Back to the latest entries in the first history fields for group k, after it ran an odd number of
    // steps.
    static void swapHistories(float* s, int k) noexcept
    {
        using D = LatiphonixBandData;
        for (int i = 8 * k; i < 8 * k + 8; ++i)
        {
            const float x = s[D::kX2 + i], y = s[D::kY2 + i];
            s[D::kX2 + i] = s[D::kX1 + i];
            s[D::kY2 + i] = s[D::kY1 + i];
            s[D::kX1 + i] = x;
            s[D::kY1 + i] = y;
        }
    }

    // The steps at which group k has a lane with a sample: from its first slot's first sample to its last
    // active slot's last. The first is even, so the group starts with the latest history entries first.
    static int firstStep(int k) noexcept { return 4 * k; }
    static int lastStep(int k, int length, int active) noexcept
    {
        return length - 1 + (4 * k + 3 < active - 1 ? 4 * k + 3 : active - 1);
    }

    // Group K of step t; the group holding the last active slot (the highest group) records the step's
    // band sum plus residual. While the schedule fills and drains, a group without any sample is skipped.
    template <int Groups, bool Masked, int K>
    static inline void group(LatiphonixBandData& d, int t, int length, int active, const float* xL,
                             const float* xR, Vec* res, Vec* acc) noexcept
    {
        if (Masked && (t < firstStep(K) || t > lastStep(K, length, active)))
        {
            if constexpr (K > 0)
                group<Groups, Masked, K - 1>(d, t, length, active, xL, xR, res, acc);
            return;
        }
        constexpr int lane = 4 * K; // first slot of the group
        constexpr int o = 8 * K;    // its offset in the interleaved arrays
        const Vec zero = Ops::set1(0.0f);
        const Vec mask = Masked ? Ops::mask(t - lane, length) : zero;
        const Vec g = Ops::loadGain(d.gain + lane);
        const Vec keep = Ops::set1(1.0f) - g;
        const Vec x = Ops::loadInput(xL - t + lane, xR - t + lane);
        Vec residual, bands;
        if constexpr (K == 0)
        {
            residual = Ops::template shiftIn<0>(x, res[0]);
            bands = Ops::template shiftIn<0>(zero, acc[0]);
        }
        else
        {
            residual = Ops::template shiftIn<3>(res[K - 1], res[K]);
            bands = Ops::template shiftIn<3>(acc[K - 1], acc[K]);
        }
        res[K] = g * section<Masked>(d.reject, o, t & 1, residual, mask) + keep * residual;
        acc[K] = bands + g * section<Masked>(d.pass, o, t & 1, x, mask);
        if constexpr (K == Groups - 1)
            Ops::store(d.rows[t], acc[K] + res[K]);
        const Vec advanced = g + Ops::loadGain(d.step + lane);
        Ops::storeGain(d.gain + lane, Masked ? Ops::select(mask, advanced, g) : advanced);
        // Downwards, so that a group still sees the previous step's results of the group below it.
        if constexpr (K > 0)
            group<Groups, Masked, K - 1>(d, t, length, active, xL, xR, res, acc);
    }

    template <int Groups, bool Masked>
    static void steps(LatiphonixBandData& d, int begin, int end, int length, int active, Vec* res,
                      Vec* acc) noexcept
    {
        using D = LatiphonixBandData;
        const float* const xL = d.reversed[0] + D::kPad + length - 1;
        const float* const xR = d.reversed[1] + D::kPad + length - 1;
        for (int t = begin; t < end; ++t)
            group<Groups, Masked, Groups - 1>(d, t, length, active, xL, xR, res, acc);
    }

    template <int Groups>
    static void run(LatiphonixBandData& d, int length, int active) noexcept
    {
        Vec res[Groups], acc[Groups];
        for (int k = 0; k < Groups; ++k)
            res[k] = acc[k] = Ops::set1(0.0f);
        const int fill = active - 1;
        const int total = length + active - 1;
        // Lanes outside [0, length) while the schedule fills and drains are masked; in between every
        // lane has a sample.
        steps<Groups, true>(d, 0, fill, length, active, res, acc);
        if (length > fill)
            steps<Groups, false>(d, fill, length, length, active, res, acc);
        steps<Groups, true>(d, length > fill ? length : fill, total, length, active, res, acc);
        for (int k = 0; k < Groups; ++k)
            if ((lastStep(k, length, active) - firstStep(k) + 1) & 1)
            {
                swapHistories(d.reject, k);
                swapHistories(d.pass, k);
            }
    }

    static void process(LatiphonixBandData& d, int length, int active) noexcept
    {
        const int groups = (active + 3) / 4;
        if (groups == 1)
            run<1>(d, length, active);
        else if (groups == 2)
            run<2>(d, length, active);
        else
            run<3>(d, length, active);
    }
};

} // namespace
