#include "platform/vk_settings_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace vk::platform
{
namespace
{
constexpr std::uint8_t kMagic[4] = {'V', 'K', 'S', '1'};
// Generous bounds that no real store reaches; they keep a damaged length field from asking for gigabytes.
constexpr std::uint32_t kMaxNameBytes = 4096;
constexpr std::uint32_t kMaxValueBytes = 16u * 1024u * 1024u;
constexpr std::uintmax_t kMaxFileBytes = 64u * 1024u * 1024u;

std::uint32_t checksum(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (std::size_t i = 0; i < size; ++i)
    {
        hash ^= data[i];
        hash *= 16777619u;
    }
    return hash;
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t((v >> (8 * i)) & 0xff));
}

class Reader
{
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool u32(std::uint32_t& v)
    {
        if (m_size - m_pos < 4)
            return false;
        v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t(m_data[m_pos + std::size_t(i)]) << (8 * i);
        m_pos += 4;
        return true;
    }

    bool bytes(std::size_t n, const std::uint8_t*& where)
    {
        if (m_size - m_pos < n)
            return false;
        where = m_data + m_pos;
        m_pos += n;
        return true;
    }

    bool atEnd() const { return m_pos == m_size; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0)
    {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

void syncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
    {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

const SettingsEntry* SettingsContents::find(const std::string& name) const
{
    for (const auto& entry : entries)
        if (sameName(entry.name, name))
            return &entry;
    return nullptr;
}

void SettingsContents::set(const std::string& name, SettingsType type, const std::uint8_t* data,
                           std::size_t size)
{
    SettingsEntry* target = nullptr;
    for (auto& entry : entries)
        if (sameName(entry.name, name))
            target = &entry;
    if (target == nullptr)
    {
        entries.push_back({});
        target = &entries.back();
        target->name = name;
    }
    target->type = type;
    target->data.assign(data, data + size);
}

std::vector<std::uint8_t> encodeSettings(const SettingsContents& contents)
{
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    putU32(out, std::uint32_t(contents.entries.size()));
    for (const auto& entry : contents.entries)
    {
        putU32(out, std::uint32_t(entry.name.size()));
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        putU32(out, std::uint32_t(entry.type));
        putU32(out, std::uint32_t(entry.data.size()));
        out.insert(out.end(), entry.data.begin(), entry.data.end());
    }
    putU32(out, checksum(out.data(), out.size()));
    return out;
}

bool decodeSettings(const std::vector<std::uint8_t>& bytes, SettingsContents& out)
{
    out.entries.clear();
    if (bytes.size() < sizeof(kMagic) + 8 || std::memcmp(bytes.data(), kMagic, sizeof(kMagic)) != 0)
        return false;

    const std::size_t bodySize = bytes.size() - 4;
    Reader tail(bytes.data() + bodySize, 4);
    std::uint32_t storedSum = 0;
    tail.u32(storedSum);
    if (storedSum != checksum(bytes.data(), bodySize))
        return false;

    Reader in(bytes.data() + sizeof(kMagic), bodySize - sizeof(kMagic));
    std::uint32_t count = 0;
    if (!in.u32(count))
        return false;
    SettingsContents parsed;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        std::uint32_t nameSize = 0, type = 0, dataSize = 0;
        const std::uint8_t* name = nullptr;
        const std::uint8_t* data = nullptr;
        if (!in.u32(nameSize) || nameSize > kMaxNameBytes || !in.bytes(nameSize, name) || !in.u32(type) ||
            !in.u32(dataSize) || dataSize > kMaxValueBytes || !in.bytes(dataSize, data))
            return false;
        SettingsEntry entry;
        entry.name.assign(reinterpret_cast<const char*>(name), nameSize);
        entry.type = SettingsType(type);
        entry.data.assign(data, data + dataSize);
        parsed.entries.push_back(std::move(entry));
    }
    if (!in.atEnd())
        return false;
    out = std::move(parsed);
    return true;
}

SettingsLoadResult loadSettingsFile(const std::filesystem::path& file)
{
    SettingsLoadResult result;
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        return result;

    const auto size = std::filesystem::file_size(file, error);
    if (error || size > kMaxFileBytes)
    {
        result.status = SettingsLoadStatus::Corrupt;
        return result;
    }
    std::ifstream stream(file, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!stream || !stream.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size())))
    {
        result.status = SettingsLoadStatus::Corrupt;
        return result;
    }
    result.status =
        decodeSettings(bytes, result.contents) ? SettingsLoadStatus::Loaded : SettingsLoadStatus::Corrupt;
    return result;
}

bool writeSettingsFileAtomically(const std::filesystem::path& file, const SettingsContents& contents)
{
    std::error_code error;
    const auto folder = file.parent_path();
    std::filesystem::create_directories(folder, error);
    if (error)
        return false;

    const auto bytes = encodeSettings(contents);
    std::string pattern = (folder / (file.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return false;
    ::fchmod(fd, 0644);
    const bool written = writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(pattern.c_str(), file.c_str()) != 0)
    {
        ::unlink(pattern.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

std::filesystem::path moveCorruptFileAside(const std::filesystem::path& file)
{
    std::error_code error;
    for (int n = 0; n < 1000; ++n)
    {
        auto aside = file;
        aside += n == 0 ? std::string(".corrupt") : ".corrupt" + std::to_string(n);
        if (std::filesystem::exists(aside, error))
            continue;
        std::filesystem::rename(file, aside, error);
        return error ? std::filesystem::path() : aside;
    }
    return {};
}

} // namespace vk::platform
