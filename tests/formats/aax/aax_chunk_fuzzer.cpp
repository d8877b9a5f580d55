// libFuzzer target: controls chunks as a host might hand them over. The input's first 4 bytes are the
// record's size field (little-endian), the next 4 its version, the rest its data.
//  1. The parser loads the record with an arbitrary size field, bounded by the record's real size.
//  2. An effect restores itself from the record (size field true to the data), saves its controls
//     again, and that chunk must compare equal with its state.

#include "formats/aax/aax_chunk_data_parser.h"
#include "tests/formats/aax/chunk_record_buffer.h"
#include "tests/formats/aax/test_effect.h"

#include <cstdint>
#include <cstring>
#include <vector>

using namespace vk::aax;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size)
{
    if (size < 8)
        return 0;
    std::int32_t sizeField = 0;
    std::int32_t version = 0;
    std::memcpy(&sizeField, input, 4);
    std::memcpy(&version, input + 4, 4);
    const std::vector<unsigned char> data(input + 8, input + size);

    auto record = test::ChunkRecordBuffer::holding(data);
    record.record()->version = version;
    record.record()->chunkId = kControlsChunkId;

    record.record()->size = sizeField;
    AAX_CChunkDataParser parser;
    parser.LoadChunk(record.record(), record.recordBytes());

    record.record()->size = std::int32_t(data.size());
    test::TestEffect effect(4);
    effect.Initialize(nullptr);
    bool equal = false;
    effect.CompareActiveChunk(record.record(), &equal);
    effect.SetChunk(kControlsChunkId, record.record());

    std::uint32_t savedSize = 0;
    if (effect.GetChunkSize(kControlsChunkId, &savedSize) != kResultOk)
        __builtin_trap();
    test::ChunkRecordBuffer saved(savedSize);
    saved.record()->chunkId = kControlsChunkId;
    if (effect.GetChunk(kControlsChunkId, saved.record()) != kResultOk)
        __builtin_trap();
    equal = false;
    effect.CompareActiveChunk(saved.record(), &equal);
    if (!equal)
        __builtin_trap();
    return 0;
}
