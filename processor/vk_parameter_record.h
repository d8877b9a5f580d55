#pragma once

// One entry of the processor's parameter table. The host's threads, the audio thread and the editor's
// timer all read and write these fields at the same time, so every field they share is atomic; the key
// is written once while the processor is being set up and only read afterwards.
// [any thread] No allocation after registration.

#include <juce_core/juce_core.h>

#include <atomic>

struct ParameterRecord
{
    std::atomic<float> value{0.0f};
    juce::String key;
    std::atomic<float> defaultValue{0.0f};
    // The value before the latest applied change; -1 until the first one.
    std::atomic<float> lastValue{-1.0f};
    // The editor must redraw controls bound to this parameter. Raised at construction so that the first
    // editor update draws everything.
    std::atomic<bool> guiDirty{true};
    // A control of the editor holds a drag gesture on this parameter.
    std::atomic<bool> gestureHeld{false};
    // The latest change came from the host rather than from the editor or the algorithm.
    std::atomic<bool> changedByHost{false};

    float getValue() const noexcept { return value.load(std::memory_order_relaxed); }
};
