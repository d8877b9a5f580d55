// Feeds arbitrary bytes to the host state reader. Hosts return whatever they stored, so besides not
// crashing, the reader must leave the bank in a state that saves and loads again, and no slot may ever
// hold a value that is not a finite number.

#include "tests/processor/test_processor.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace
{
struct FuzzState
{
    ScopedDataFolders folders;
    TestProcessor processor;
};

FuzzState& state()
{
    // One processor for the whole run: building one per input would dominate the time per input.
    static auto* instance = new FuzzState();
    return *instance;
}

void checkBank(TestProcessor& processor)
{
    for (int slot = 0; slot < processor.getNumPrograms(); ++slot)
    {
        const auto program = processor.getProgram(slot);
        for (int j = 0; j < processor.getNumParameters(); ++j)
            if (!std::isfinite(program.values[std::size_t(j)]))
                __builtin_trap();
    }
    if (processor.getCurrentProgram() < 0 || processor.getCurrentProgram() >= processor.getNumPrograms())
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > std::size_t(1) << 20)
        return -1;
    auto& processor = state().processor;
    processor.setStateInformation(data, int(size));
    processor.readStateChunk(data, int(size));
    checkBank(processor);

    // Whatever was read must survive a save and a load unchanged.
    juce::MemoryBlock saved;
    processor.getStateInformation(saved);
    processor.setStateInformation(saved.getData(), int(saved.getSize()));
    juce::MemoryBlock again;
    processor.getStateInformation(again);
    if (again != saved)
        __builtin_trap();
    return 0;
}
