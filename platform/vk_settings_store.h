#pragma once

// Settings kept per key path ("VEKLA Audio\\Latiphonix3") in two stores: the user's and a machine-wide one
// that an installer fills. Reads prefer the user's store and fall back to the machine-wide one; writes go
// to the user's store (whose failure the caller hears about) and then to the machine-wide one (usually
// not writable, so its failure is ignored).
// [any thread] Allocates and does file I/O; writers of one process are serialised, writers of several
// processes take an advisory file lock, so concurrent updates are never lost within a store.

#include "platform/vk_settings_file.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vk::platform
{

// Values longer than this are not read, as the one fixed read buffer of older versions could not take them.
inline constexpr std::size_t kMaxSettingsValueBytes = 20480;

enum class SettingsScope
{
    User,
    Machine,
};

// The store file of `keyPath` (components separated by backslashes) in the given scope; empty when the
// path is empty or tries to leave the data folder ("..", ".", absolute or empty components).
std::filesystem::path settingsFileFor(SettingsScope scope, const std::string& keyPath);

// The bytes of the value, from the user's store first, else from the machine-wide one; nothing when
// neither has it within kMaxSettingsValueBytes.
std::optional<std::vector<std::uint8_t>> readSettingsValue(const std::string& keyPath,
                                                           const std::string& name);

// Stores one value in a single scope. False when the store could not be written. A store that no longer
// decodes is moved aside first and replaced by one holding just this value.
bool writeSettingsValueIn(SettingsScope scope, const std::string& keyPath, const std::string& name,
                          SettingsType type, const std::uint8_t* data, std::size_t size);

// User store (its failure is returned), then machine-wide store (its failure ignored).
bool writeSettingsValue(const std::string& keyPath, const std::string& name, SettingsType type,
                        const std::uint8_t* data, std::size_t size);

} // namespace vk::platform
