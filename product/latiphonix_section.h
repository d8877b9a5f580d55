#pragma once

// A second-order section run from locals for a stretch of samples. The filter objects keep the designs;
// the history lives in a plain struct beside them, so the per-sample update needs no ring index and the
// compiler can hold coefficients and history in registers. The update is the ring filter's, operation for
// operation: y = a0 x + a1 x1 + a2 x2 + b1 y1 + b2 y2, summed left to right.

#include "dsp/recursive_filter.h"

// Everything the update reads from the past: the latest two inputs and outputs.
struct LatiphonixSectionHistory
{
    float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;
};

struct LatiphonixSection
{
    float a0, a1, a2, b1, b2;
    LatiphonixSectionHistory h;

    static LatiphonixSection load(const CRecursiveFilter<float>& design,
                                  const LatiphonixSectionHistory& history) noexcept
    {
        return {design.getFeedForward(0), design.getFeedForward(1), design.getFeedForward(2),
                design.getFeedBack(1),    design.getFeedBack(2),    history};
    }

    inline float process(float x) noexcept
    {
        const float y = a0 * x + a1 * h.x1 + a2 * h.x2 + b1 * h.y1 + b2 * h.y2;
        h.x2 = h.x1;
        h.x1 = x;
        h.y2 = h.y1;
        h.y1 = y;
        return y;
    }
};
