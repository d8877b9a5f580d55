#include "platform/vk_data_folders.h"

#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace vk::platform
{
namespace
{
std::mutex overrideLock;
std::filesystem::path userOverride;
std::filesystem::path machineOverride;

std::filesystem::path fromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return (value != nullptr && *value != '\0') ? std::filesystem::path(value) : std::filesystem::path();
}

std::filesystem::path homeFolder()
{
    if (auto home = fromEnvironment("HOME"); !home.empty())
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return std::filesystem::temp_directory_path();
}
} // namespace

std::filesystem::path userDataFolder()
{
    {
        std::lock_guard<std::mutex> lock(overrideLock);
        if (!userOverride.empty())
            return userOverride;
    }
    if (auto folder = fromEnvironment("VK_USER_DATA_DIR"); !folder.empty())
        return folder;
    if (auto folder = fromEnvironment("XDG_CONFIG_HOME"); !folder.empty())
        return folder;
    return homeFolder() / ".config";
}

std::filesystem::path machineDataFolder()
{
    {
        std::lock_guard<std::mutex> lock(overrideLock);
        if (!machineOverride.empty())
            return machineOverride;
    }
    if (auto folder = fromEnvironment("VK_MACHINE_DATA_DIR"); !folder.empty())
        return folder;
    return "/etc/xdg";
}

void setUserDataFolderOverride(const std::filesystem::path& folder)
{
    std::lock_guard<std::mutex> lock(overrideLock);
    userOverride = folder;
}

void setMachineDataFolderOverride(const std::filesystem::path& folder)
{
    std::lock_guard<std::mutex> lock(overrideLock);
    machineOverride = folder;
}

std::string userLoginName()
{
    passwd entry{};
    passwd* result = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof(buffer), &result) == 0 && result != nullptr &&
        result->pw_name != nullptr)
        return result->pw_name;
    if (const char* name = std::getenv("USER"); name != nullptr)
        return name;
    return {};
}

} // namespace vk::platform
