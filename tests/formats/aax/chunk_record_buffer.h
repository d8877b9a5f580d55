#pragma once

// A chunk record as a host allocates it: the header and `dataBytes` bytes of data, in one buffer.

#include "platform/aax/aax_plugin_interfaces.h"

#include <cstring>
#include <vector>

namespace vk::aax::test
{

class ChunkRecordBuffer
{
public:
    explicit ChunkRecordBuffer(std::size_t dataBytes, unsigned char fill = 0)
        : m_bytes(kChunkRecordHeaderBytes + dataBytes, fill)
    {
        record()->size = std::int32_t(dataBytes);
    }
    // A record holding `data` as its data, with the size field set to match.
    static ChunkRecordBuffer holding(const std::vector<unsigned char>& data)
    {
        ChunkRecordBuffer buffer(data.size());
        if (!data.empty())
            std::memcpy(buffer.data(), data.data(), data.size());
        return buffer;
    }

    ChunkRecord* record() { return reinterpret_cast<ChunkRecord*>(m_bytes.data()); }
    unsigned char* data() { return m_bytes.data() + kChunkRecordHeaderBytes; }
    std::size_t recordBytes() const { return m_bytes.size(); }
    std::vector<unsigned char> dataBytes(std::size_t count) { return {data(), data() + count}; }

private:
    // Exactly the record's bytes (so that a sanitizer sees any read past them), from the allocator, so
    // aligned as a host's allocation is.
    std::vector<unsigned char> m_bytes;
};

} // namespace vk::aax::test
