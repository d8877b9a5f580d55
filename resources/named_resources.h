#pragma once

#include "resource_hash.h"

#include <cstddef>
#include <cstdint>

namespace vk
{

/** One embedded resource. The table is sorted by hash; the name is kept so that a lookup that meets another
    name with the same hash does not hand out the wrong image. */
struct ResourceEntry
{
    uint32_t hash;
    const char* name;
    const unsigned char* data;
    int size;
};

/** [any thread] The data of the named resource and its size in bytes; null and size 0 for a null, empty or
    unknown name. No allocation. */
const void* getNamedResource(const char* name, int& size) noexcept;

/** [any thread] The whole table, sorted by hash (tests and diagnostics). */
const ResourceEntry* getResourceTable(int& count) noexcept;

} // namespace vk
