#pragma once

// Where per-user and machine-wide data of the plug-in live. Tests and sandboxed hosts redirect both
// folders, either through the setters below or the environment (VK_USER_DATA_DIR, VK_MACHINE_DATA_DIR),
// so nothing ever has to touch a real user's files to be exercised. [any thread] Allocates (paths).

#include <filesystem>
#include <string>

namespace vk::platform
{

// The user's application-data folder: the override, else $VK_USER_DATA_DIR, else $XDG_CONFIG_HOME, else
// ~/.config.
std::filesystem::path userDataFolder();

// The machine-wide data folder: the override, else $VK_MACHINE_DATA_DIR, else /etc/xdg. Ordinary users
// usually cannot write there, which is why writes to it are allowed to fail.
std::filesystem::path machineDataFolder();

// An empty path removes the override.
void setUserDataFolderOverride(const std::filesystem::path& folder);
void setMachineDataFolderOverride(const std::filesystem::path& folder);

// The user's login name, or an empty string when it cannot be found.
std::string userLoginName();

} // namespace vk::platform
