#pragma once

// Host state chunks made and read by the tests themselves, value by value: a random bank to restore, and
// what a module gives back, to compare bit for bit.

#include <juce_core/juce_core.h>

#include <functional>
#include <optional>
#include <random>
#include <vector>

namespace vk::test
{

// Sanitizer builds run the heavy sweeps lighter.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif

// The product's parameter keys (the attribute names of its chunks), from a processor built once.
const juce::StringArray& productParameterKeys();

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

// Random banks of the product's 46 programs and 35 parameters, each handed to `restore` as a framed
// chunk (with its trip number and the bank), and compared bit for bit with what `save` gives back then.
// Each difference is a test failure; returns the number of trips that came back exact.
int countExactRoundTrips(
    int trips, unsigned seed,
    const std::function<void(const juce::MemoryBlock&, const StoredState&, int)>& restore,
    const std::function<juce::MemoryBlock()>& save);

} // namespace vk::test
