#pragma once

// The ITD path's band limits: a low-pass on the high corner, then a high-pass on the low corner (Q 1.0).
//
// A corner move cross-fades from the pair in use to a second pair designed on the new corners and started
// from rest. Designing the pair in use in place would run its history through the new recursion: with a
// corner moved far down, the poles sit next to z = 1 and the old history rings up to tens of dB above the
// signal. The new pair's own start from rest is no louder than its input.
//
// Threads: [audio thread] for everything but construction; nothing here allocates or locks.

#include "dsp/recursive_filter_biquad.h"
#include "product/latiphonix_section.h"

#include <array>

class LatiphonixItdBand
{
public:
    // Zero designs and histories, no fade: as constructed.
    void resetAll() noexcept;
    // Designs the pair in use for the corners, clears its past and ends any fade; for the path at rest.
    void reset(float lowPassHz, float highPassHz, float sampleRate) noexcept;
    // Moves the corners with a fade of `fadeLength` samples. False, with nothing changed, while an earlier
    // move is still fading (the caller keeps the move for a later block). Corners already in use change
    // nothing.
    bool retune(float lowPassHz, float highPassHz, float sampleRate, int fadeLength) noexcept;
    // Ends a fade at once on the new pair; for a path that is silent.
    void finishFade() noexcept;
    void clearHistory() noexcept;
    bool isFading() const noexcept { return m_fadeStep != 0.0f; }

    // Filters `length` samples in place.
    void process(float* samples, int length) noexcept;

private:
    struct Pair
    {
        CRecursiveFilterBiquadLowPass<float> lowPass;
        CRecursiveFilterBiquadHighPass<float> highPass;
        LatiphonixSectionHistory lowHistory, highHistory;

        void design(float lowPassHz, float highPassHz, float sampleRate) noexcept;
        bool isOn(float lowPassHz, float highPassHz, float sampleRate) const noexcept;
    };

    // Runs the pair in use alone over samples [from, to).
    void processSteady(float* samples, int from, int to) noexcept;

    std::array<Pair, 2> m_pairs;
    int m_current = 0;
    float m_fadePosition = 0.0f;
    float m_fadeStep = 0.0f;
};
