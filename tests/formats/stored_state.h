#pragma once

// Host state chunks made and read by the tests themselves, value by value: random banks of the product's
// programs to restore, and what a module gives back, compared bit for bit.

#include <juce_core/juce_core.h>

#include <functional>
#include <random>
#include <vector>

namespace vk::test
{

struct StoredState
{
    int current = 0;
    std::vector<std::vector<float>> programs; // [program][parameter]
};

// Every program random, half of the values exactly 0 or 1 (bounds at the ends, switches on and off).
// `againstTheRules` sets, in the current program, what the rules between values would move: both IID bounds
// at the top and both solos on.
StoredState randomStoredState(std::mt19937& random, bool againstTheRules = false);
// The framed chunk of `state`, its values under the product's parameter keys.
juce::MemoryBlock frameStoredState(const StoredState& state);

// Random banks (1,000; 100 under sanitizers) each handed to `restore` as a framed chunk with its trip number,
// and compared bit for bit with what `save` gives back then. Each difference is a test failure.
void expectExactRoundTrips(
    unsigned seed, const std::function<void(const juce::MemoryBlock&, const StoredState&, int)>& restore,
    const std::function<juce::MemoryBlock()>& save);

} // namespace vk::test
