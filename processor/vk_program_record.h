#pragma once

// A program: values for every main parameter slot, a category mask and a name. The bank of the processor
// holds 46 of them; each record is 12 kB, so records are kept in heap arrays, never on a thread's stack.
// Not thread-safe on its own: the processor guards its records with its undo lock.

#include <juce_core/juce_core.h>

#include <array>
#include <cstdint>

inline constexpr int kMaxMainParameters = 3000;

struct ProgramRecord
{
    std::array<float, kMaxMainParameters> values{};
    // Presets show in a browser whose mask shares a bit with this one; -1 shows everywhere.
    std::int32_t categoryMask = -1;
    juce::String name;
};

// Copies values and name; the category mask stays with the destination.
inline void copyProgramRecord(ProgramRecord& to, const ProgramRecord& from)
{
    to.values = from.values;
    to.name = from.name;
}

// One (index, value) pair of a factory preset; a pair with index -1 ends the list.
struct FactoryPresetValue
{
    std::int32_t index;
    float value;
};

struct FactoryPresetDescriptor
{
    const char* name;
    const FactoryPresetValue* values;
};
