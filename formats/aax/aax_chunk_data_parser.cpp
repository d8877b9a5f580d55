#include "formats/aax/aax_chunk_data_parser.h"

#include "formats/aax/aax_host_services.h"

#include <cstring>
#include <exception>

namespace vk::aax
{

namespace
{

constexpr unsigned char kMarker[4] = {1, 1, 1, 1};
constexpr std::size_t kMaxKeyBytes = 255;
constexpr std::int32_t kTracePriority = 0x08000000;

constexpr std::size_t alignUp4(std::size_t value)
{
    return (value + 3) & ~std::size_t(3);
}

unsigned char* dataOf(ChunkRecord* chunk)
{
    return reinterpret_cast<unsigned char*>(chunk) + kChunkRecordHeaderBytes;
}

const unsigned char* dataOf(const ChunkRecord* chunk)
{
    return reinterpret_cast<const unsigned char*>(chunk) + kChunkRecordHeaderBytes;
}

void writeBigEndian(unsigned char* out, std::uint64_t value, std::size_t bytes)
{
    for (std::size_t i = 0; i < bytes; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * (bytes - 1 - i)));
}

std::uint64_t readBigEndian(const unsigned char* in, std::size_t bytes)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        value = (value << 8) | in[i];
    return value;
}

const char* typePrefix(std::uint32_t type)
{
    switch (type)
    {
    case AAX_CChunkDataParser::kTypeDouble:
        return "d_";
    case AAX_CChunkDataParser::kTypeInt32:
        return "l_";
    case AAX_CChunkDataParser::kTypeFloat:
        return "f_";
    case AAX_CChunkDataParser::kTypeInt16:
        return "s_";
    case AAX_CChunkDataParser::kTypeString:
        return "r_";
    default:
        return nullptr;
    }
}

// Bytes of the value part of an entry, padding included.
std::size_t valueBytes(const AAX_CChunkDataParser::Entry& entry)
{
    switch (entry.type)
    {
    case AAX_CChunkDataParser::kTypeDouble:
        return 8;
    case AAX_CChunkDataParser::kTypeFloat:
    case AAX_CChunkDataParser::kTypeInt32:
    case AAX_CChunkDataParser::kTypeInt16:
        return 4;
    case AAX_CChunkDataParser::kTypeString:
        return alignUp4(entry.stringValue.Length() + 1);
    default:
        return 0;
    }
}

} // namespace

void AAX_CChunkDataParser::AddDouble(const char* name, double value)
{
    Entry entry;
    entry.type = kTypeDouble;
    entry.name = name;
    entry.doubleValue = value;
    m_entries.push_back(std::move(entry));
}

void AAX_CChunkDataParser::AddInt32(const char* name, std::int32_t value)
{
    Entry entry;
    entry.type = kTypeInt32;
    entry.name = name;
    entry.intValue = value;
    m_entries.push_back(std::move(entry));
}

void AAX_CChunkDataParser::AddString(const char* name, const AAX_CString& value)
{
    Entry entry;
    entry.type = kTypeString;
    entry.name = name;
    entry.stringValue = value;
    m_entries.push_back(std::move(entry));
}

// Starts after the last match, so lookups in insertion order take one comparison each.
int AAX_CChunkDataParser::findEntryIndex(const char* name)
{
    const std::string wanted = name != nullptr ? name : "";
    const int count = int(m_entries.size());
    if (m_lastFoundIndex >= count - 1)
        m_lastFoundIndex = -1;
    for (int i = m_lastFoundIndex + 1; i < count; ++i)
        if (m_entries[std::size_t(i)].name.StdString() == wanted)
            return m_lastFoundIndex = i;
    if (m_lastFoundIndex == -1)
        return -1;
    for (int i = 0; i <= m_lastFoundIndex; ++i)
        if (m_entries[std::size_t(i)].name.StdString() == wanted)
            return m_lastFoundIndex = i;
    return -1;
}

bool AAX_CChunkDataParser::FindDouble(const char* name, double* value)
{
    const int index = findEntryIndex(name);
    if (index < 0 || m_entries[std::size_t(index)].type != kTypeDouble)
        return false;
    if (value != nullptr)
        *value = m_entries[std::size_t(index)].doubleValue;
    return true;
}

bool AAX_CChunkDataParser::FindInt32(const char* name, std::int32_t* value)
{
    const int index = findEntryIndex(name);
    if (index < 0 || m_entries[std::size_t(index)].type != kTypeInt32)
        return false;
    if (value != nullptr)
        *value = std::int32_t(m_entries[std::size_t(index)].intValue);
    return true;
}

bool AAX_CChunkDataParser::FindString(const char* name, AAX_CString* value)
{
    const int index = findEntryIndex(name);
    if (index < 0 || m_entries[std::size_t(index)].type != kTypeString)
        return false;
    if (value != nullptr)
        *value = m_entries[std::size_t(index)].stringValue;
    return true;
}

void AAX_CChunkDataParser::Clear()
{
    m_lastFoundIndex = -1;
    m_chunkVersion = -1;
    m_entries.clear();
}

std::int32_t AAX_CChunkDataParser::GetChunkDataSize() const
{
    std::size_t size = sizeof kMarker;
    for (const auto& entry : m_entries)
        size += alignUp4(entry.name.Length() + 3) + valueBytes(entry);
    return std::int32_t(size);
}

Result AAX_CChunkDataParser::GetChunkData(ChunkRecord* chunk) const
{
    if (chunk == nullptr)
        return kResultChunkWriteFailed;
    const std::int32_t size = GetChunkDataSize();
    chunk->size = size;
    if (size < 1)
        return size;
    try
    {
        return writeEntries(dataOf(chunk), std::size_t(size));
    }
    catch (const std::exception& error)
    {
        AAX_Trace(kTracePriority, "AAX_CChunkDataParser::GetChunkData ERROR: %s", error.what());
    }
    catch (...)
    {
    }
    return kResultChunkWriteFailed;
}

Result AAX_CChunkDataParser::writeEntries(unsigned char* data, std::size_t size) const
{
    std::memset(data, 0, size);
    std::memcpy(data, kMarker, sizeof kMarker);
    std::size_t position = sizeof kMarker;
    for (const auto& entry : m_entries)
    {
        const std::size_t nameBytes = entry.name.Length();
        const std::size_t keyEnd = position + 2 + nameBytes + 1;
        // The whole entry, padding included, must lie within the data.
        if (alignUp4(keyEnd) + valueBytes(entry) > size)
        {
            AAX_Trace(kTracePriority, "AAX_CChunkDataParser::GetChunkData ERROR: %s",
                      "aborting: chunk data will overflow buffer");
            return kResultChunkWriteFailed;
        }
        if (const char* prefix = typePrefix(entry.type))
            std::memcpy(data + position, prefix, 2);
        std::memcpy(data + position + 2, entry.name.Get(), nameBytes + 1);
        position = alignUp4(keyEnd);
        switch (entry.type)
        {
        case kTypeDouble:
        {
            std::uint64_t bits = 0;
            std::memcpy(&bits, &entry.doubleValue, sizeof bits);
            writeBigEndian(data + position, bits, 8);
            position += 8;
            break;
        }
        case kTypeInt16:
            writeBigEndian(data + position, std::uint64_t(entry.intValue), 2);
            position += 4;
            break;
        case kTypeString:
            std::memcpy(data + position, entry.stringValue.Get(), entry.stringValue.Length() + 1);
            position += alignUp4(entry.stringValue.Length() + 1);
            break;
        case kTypeFloat:
        case kTypeInt32:
            writeBigEndian(data + position, std::uint64_t(entry.intValue), 4);
            position += 4;
            break;
        default:
            break;
        }
    }
    return kResultOk;
}

void AAX_CChunkDataParser::LoadChunk(const ChunkRecord* chunk, std::size_t recordBytes)
{
    m_lastFoundIndex = -1;
    m_entries.clear();
    m_chunkVersion = -1;
    if (chunk == nullptr || recordBytes < kChunkRecordHeaderBytes)
        return;
    m_chunkVersion = chunk->version;
    if (chunk->size < 0)
        return;
    const std::size_t size = std::min(std::size_t(chunk->size), recordBytes - kChunkRecordHeaderBytes);
    const unsigned char* data = dataOf(chunk);

    std::size_t position = 0;
    if (size >= sizeof kMarker)
    {
        if (std::memcmp(data, kMarker, sizeof kMarker) != 0)
            return;
        position = sizeof kMarker;
    }
    if (size < 5)
        return;

    while (position < size)
    {
        const char* key = reinterpret_cast<const char*>(data + position);
        const std::size_t window = std::min(size - position, kMaxKeyBytes);
        const std::size_t keyLength = ::strnlen(key, window);
        if (keyLength == window)
            return; // no zero byte: the key runs past what may be read
        Entry entry;
        entry.name.Set(keyLength >= 2 ? key + 2 : "");
        position = alignUp4(position + keyLength + 1);

        auto take = [&](std::size_t bytes)
        {
            if (position > size || size - position < bytes)
                return false;
            entry.intValue = std::int64_t(readBigEndian(data + position, bytes));
            return true;
        };
        switch (keyLength > 0 ? key[0] : 0)
        {
        case 'd':
        {
            if (!take(8))
                return;
            const std::uint64_t bits = std::uint64_t(entry.intValue);
            std::memcpy(&entry.doubleValue, &bits, sizeof bits);
            entry.intValue = 0;
            entry.type = kTypeDouble;
            position += 8;
            break;
        }
        case 'f':
        case 'l':
            if (!take(4))
                return;
            entry.intValue = std::int32_t(std::uint32_t(entry.intValue));
            entry.type = key[0] == 'f' ? kTypeFloat : kTypeInt32;
            position += 4;
            break;
        case 's':
            if (!take(2))
                return;
            entry.intValue = std::int16_t(std::uint16_t(entry.intValue));
            entry.type = kTypeInt16;
            position += 4;
            break;
        case 'r':
        {
            if (position >= size)
                return;
            const char* text = reinterpret_cast<const char*>(data + position);
            const std::size_t length = ::strnlen(text, size - position);
            if (length == size - position)
                return; // no zero byte within the data
            entry.stringValue.Set(text);
            entry.type = kTypeString;
            position = alignUp4(position + length + 1);
            break;
        }
        default:
            entry.type = kTypeUnknown;
            break;
        }
        m_entries.push_back(std::move(entry));
    }
}

} // namespace vk::aax
