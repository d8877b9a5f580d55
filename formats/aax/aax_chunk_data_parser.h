#pragma once

// AAX_CChunkDataParser: named, typed values as the controls chunk "elck" lays them out, and back.
// The layout, which hosts keep in their projects: the marker 01 01 01 01, then one entry per value, each
// at a multiple of 4: a key (two type characters, the name, a zero byte) padded to 4, then the value
// big-endian ("d_" double 8 bytes, "l_" 32-bit integer and "f_" float 4 bytes, "s_" 16-bit integer 2 bytes
// and 2 zero bytes, "r_" string with its zero byte padded to 4).
// Reading a chunk from a host never reads past its data: every read is checked against the size field
// (and the record's real size when the caller knows it); a malformed entry ends the load, keeping the
// entries read before it. Allocates per entry. [the host's main thread]

#include "formats/aax/aax_string.h"
#include "platform/aax/aax_plugin_interfaces.h"

#include <cstddef>
#include <vector>

namespace vk::aax
{

class AAX_CChunkDataParser
{
public:
    enum EntryType : std::uint32_t
    {
        kTypeUnknown = 0,
        kTypeFloat = 1,
        kTypeInt32 = 2,
        kTypeDouble = 3,
        kTypeInt16 = 4,
        kTypeString = 5,
    };

    struct Entry
    {
        std::uint32_t type = kTypeUnknown;
        AAX_CString name;
        double doubleValue = 0.0;  // type 3
        std::int64_t intValue = 0; // types 1, 2, 4: the bits read or given
        AAX_CString stringValue;   // type 5
    };

    void AddDouble(const char* name, double value);
    void AddInt32(const char* name, std::int32_t value);
    void AddString(const char* name, const AAX_CString& value);

    // True only for an entry of that name AND type; the value is left alone otherwise.
    bool FindDouble(const char* name, double* value);
    bool FindInt32(const char* name, std::int32_t* value);
    bool FindString(const char* name, AAX_CString* value);

    void Clear();
    std::int32_t GetChunkDataSize() const;
    // Writes the size field and `GetChunkDataSize()` bytes of data; -333 (traced) when an entry would not
    // fit. The record must hold that many bytes after its header.
    Result GetChunkData(ChunkRecord* chunk) const;
    // Replaces the entries with the chunk's. `recordBytes`: the record's real size, header included,
    // when known; the data read is bounded by it and by the size field.
    void LoadChunk(const ChunkRecord* chunk, std::size_t recordBytes = kUnknownRecordSize);

    std::int32_t GetChunkVersion() const { return m_chunkVersion; }
    const std::vector<Entry>& Entries() const { return m_entries; }

    static constexpr std::size_t kUnknownRecordSize = ~std::size_t(0);

private:
    int findEntryIndex(const char* name);
    Result writeEntries(unsigned char* data, std::size_t size) const;

    int m_lastFoundIndex = -1;
    std::int32_t m_chunkVersion = -1;
    std::vector<Entry> m_entries;
};

} // namespace vk::aax
