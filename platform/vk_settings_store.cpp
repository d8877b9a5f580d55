#include "platform/vk_settings_store.h"

#include "platform/vk_data_folders.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace vk::platform
{
namespace
{
constexpr const char* kStoreFileName = "Settings.vkstore";

std::mutex& writerLock()
{
    static std::mutex lock;
    return lock;
}

// Holds an advisory lock on "<store>.lock" for the life of the object, so read-modify-write cycles of
// different processes on one store do not lose each other's values.
class InterProcessLock
{
public:
    explicit InterProcessLock(const std::filesystem::path& storeFile)
    {
        auto lockFile = storeFile;
        lockFile += ".lock";
        m_fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd >= 0)
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR)
            {
            }
    }
    ~InterProcessLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    InterProcessLock(const InterProcessLock&) = delete;
    InterProcessLock& operator=(const InterProcessLock&) = delete;

private:
    int m_fd = -1;
};
} // namespace

std::filesystem::path settingsFileFor(SettingsScope scope, const std::string& keyPath)
{
    std::filesystem::path relative;
    std::size_t start = 0;
    while (start <= keyPath.size())
    {
        const auto end = std::min(keyPath.find('\\', start), keyPath.size());
        const auto component = keyPath.substr(start, end - start);
        if (component.empty() || component == "." || component == ".." ||
            component.find('/') != std::string::npos || component.find('\0') != std::string::npos)
            return {};
        relative /= component;
        start = end + 1;
    }
    const auto root = scope == SettingsScope::User ? userDataFolder() : machineDataFolder();
    return root / relative / kStoreFileName;
}

std::optional<std::vector<std::uint8_t>> readSettingsValue(const std::string& keyPath,
                                                           const std::string& name)
{
    for (auto scope : {SettingsScope::User, SettingsScope::Machine})
    {
        const auto file = settingsFileFor(scope, keyPath);
        if (file.empty())
            return std::nullopt;
        const auto loaded = loadSettingsFile(file);
        if (loaded.status != SettingsLoadStatus::Loaded)
            continue;
        if (const auto* entry = loaded.contents.find(name);
            entry != nullptr && entry->data.size() <= kMaxSettingsValueBytes)
            return entry->data;
    }
    return std::nullopt;
}

bool writeSettingsValueIn(SettingsScope scope, const std::string& keyPath, const std::string& name,
                          SettingsType type, const std::uint8_t* data, std::size_t size)
{
    const auto file = settingsFileFor(scope, keyPath);
    if (file.empty() || (data == nullptr && size != 0))
        return false;

    std::lock_guard<std::mutex> lock(writerLock());
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error)
        return false;
    InterProcessLock fileLock(file);

    auto loaded = loadSettingsFile(file);
    if (loaded.status == SettingsLoadStatus::Corrupt)
    {
        if (moveCorruptFileAside(file).empty())
            return false; // never overwrite a store we could not keep a copy of
        loaded.contents = {};
    }
    loaded.contents.set(name, type, data, size);
    return writeSettingsFileAtomically(file, loaded.contents);
}

bool writeSettingsValue(const std::string& keyPath, const std::string& name, SettingsType type,
                        const std::uint8_t* data, std::size_t size)
{
    if (!writeSettingsValueIn(SettingsScope::User, keyPath, name, type, data, size))
        return false;
    writeSettingsValueIn(SettingsScope::Machine, keyPath, name, type, data, size);
    return true;
}

} // namespace vk::platform
