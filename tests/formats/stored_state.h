#pragma once

// Host state chunks made and read by the tests themselves, value by value: a random bank to restore, and
// what a module gives back, to compare bit for bit.

#include <juce_core/juce_core.h>

#include <optional>
#include <random>
#include <vector>

namespace vk::test
{

struct StoredState
{
    int current = 0;
    std::vector<std::vector<float>> programs; // [program][parameter]
};

// Every program random; half of the values exactly 0 or 1 (bounds at the ends, switches on and off).
StoredState randomStoredState(std::mt19937& random, int numPrograms, int numParameters);
// The framed chunk of `state`, its values under `keys` (one per parameter).
juce::MemoryBlock frameStoredState(const StoredState& state, const juce::StringArray& keys);
// The programs and the current program of a framed chunk; bytes after the frame are ignored.
std::optional<StoredState> readStoredState(const void* data, std::size_t size, const juce::StringArray& keys);
// Index of the first value that differs in its bits (or in the program count), -1 when none does.
int firstDifference(const StoredState& a, const StoredState& b);

} // namespace vk::test
