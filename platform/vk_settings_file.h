#pragma once

// One settings store on disk: named values, each a type tag and raw bytes. The file carries a checksum so
// that a torn or foreign file is recognised and read as empty instead of as garbage. Writes go to a
// temporary file in the same folder that is flushed and renamed over the old one, so a crash leaves
// either the old or the new store, never a mix. [any thread; callers serialise writers] Allocates.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vk::platform
{

enum class SettingsType : std::uint32_t
{
    String = 1, // text with its terminating zero byte
    Binary = 3, // raw bytes; numbers are four bytes holding a float32
};

struct SettingsEntry
{
    std::string name;
    SettingsType type = SettingsType::Binary;
    std::vector<std::uint8_t> data;
};

struct SettingsContents
{
    std::vector<SettingsEntry> entries;

    // Value names compare without regard to ASCII case, as registry value names do, so a value written
    // as "RoutingDefault" is found under "routingdefault" too.
    const SettingsEntry* find(const std::string& name) const;
    void set(const std::string& name, SettingsType type, const std::uint8_t* data, std::size_t size);
};

enum class SettingsLoadStatus
{
    Missing,
    Loaded,
    Corrupt,
};

struct SettingsLoadResult
{
    SettingsLoadStatus status = SettingsLoadStatus::Missing;
    SettingsContents contents;
};

std::vector<std::uint8_t> encodeSettings(const SettingsContents& contents);

// False for anything that is not exactly what encodeSettings writes: wrong magic, bad checksum,
// truncation, trailing bytes or lengths that run past the end.
bool decodeSettings(const std::vector<std::uint8_t>& bytes, SettingsContents& out);

SettingsLoadResult loadSettingsFile(const std::filesystem::path& file);

// Replaces `file` atomically, creating its folder when needed. False when anything fails; the old file
// is then untouched.
bool writeSettingsFileAtomically(const std::filesystem::path& file, const SettingsContents& contents);

// Moves a store that failed to decode out of the way (to "<name>.corrupt", numbered when taken) so that
// the next write does not destroy what may still be recoverable. Returns the new path, empty on failure.
std::filesystem::path moveCorruptFileAside(const std::filesystem::path& file);

} // namespace vk::platform
