// Feeds arbitrary bytes to the host state reader. Hosts return whatever they stored, so besides not
// crashing, the reader must leave the bank in a state that saves and loads again, no slot may ever hold a
// value that is not a finite number, and a text it takes must stop being taken once cut short.

#include "tests/processor/test_processor.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace
{
// Counts the documents the reader accepted: it calls the hook only for those. Records nothing else, so
// that an input leaves the heap as it found it and libFuzzer's leak check stays out of the way.
class FuzzProcessor : public TestProcessor
{
public:
    FuzzProcessor() { removeListener(&log()); }
    void readStateHook(const juce::XmlElement&) override { ++documentsRead; }
    void setExtraState(const void*, int) override {}
    void parameterChanged(int) override {}
    int documentsRead = 0;
};

struct FuzzState
{
    ScopedDataFolders folders;
    FuzzProcessor processor;
};

FuzzState& state()
{
    // One processor for the whole run: building one per input would dominate the time per input.
    static auto* instance = new FuzzState();
    return *instance;
}

void checkBank(FuzzProcessor& processor)
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

// The chunk's own length field, when the bytes start with the frame.
bool declaresShorterThan(const std::uint8_t* data, std::size_t size)
{
    if (size < 8 || std::memcmp(data, "VC2!", 4) != 0)
        return false;
    const std::uint32_t declared = std::uint32_t(data[4]) | std::uint32_t(data[5]) << 8 |
                                   std::uint32_t(data[6]) << 16 | std::uint32_t(data[7]) << 24;
    return std::uint64_t(declared) + 9 < size;
}

// The text a reader parsed from an accepted chunk, without its trailing white space and last character
// (a whole document ends with ">"), framed again: it must be refused.
juce::MemoryBlock cutShort(const std::uint8_t* data, std::size_t size)
{
    const std::uint32_t declared = std::uint32_t(data[4]) | std::uint32_t(data[5]) << 8 |
                                   std::uint32_t(data[6]) << 16 | std::uint32_t(data[7]) << 24;
    const char* text = reinterpret_cast<const char*>(data) + 8;
    std::size_t length = std::min<std::size_t>(declared, size - 8);
    if (const auto* zero = static_cast<const char*>(std::memchr(text, 0, length)))
        length = std::size_t(zero - text);
    while (length > 0 && std::strchr(" \t\r\n", text[length - 1]) != nullptr)
        --length;
    const std::uint32_t cutLength = std::uint32_t(length > 0 ? length - 1 : 0);
    std::uint8_t header[8] = {'V', 'C', '2', '!'};
    for (int i = 0; i < 4; ++i)
        header[4 + i] = std::uint8_t(cutLength >> (8 * i));
    juce::MemoryBlock cut(header, sizeof header);
    cut.append(text, cutLength);
    cut.append("", 1);
    return cut;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > std::size_t(1) << 20)
        return -1;
    auto& processor = state().processor;
    const int readBefore = processor.documentsRead;

    // The format bindings' entry; the direct reader (the VST3 path) sees other bytes only when the
    // chunk declares fewer than the host passed.
    processor.setStateInformation(data, int(size));
    if (declaresShorterThan(data, size))
        processor.readStateChunk(data, int(size));
    if (processor.documentsRead == readBefore)
        return 0; // refused: nothing was read, the bank is the one the last accepted input left

    checkBank(processor);
    const auto cut = cutShort(data, size);
    if (processor.readStateChunk(cut.getData(), int(cut.getSize())))
        __builtin_trap();
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
