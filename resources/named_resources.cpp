#include "named_resources.h"

#include "generated_resource_table.h"

#include <cstring>

namespace vk
{

const void* getNamedResource(const char* name, int& size) noexcept
{
    size = 0;
    if (name == nullptr || *name == 0)
        return nullptr;
    const uint32_t h = hashResourceName(name);

    int count = 0;
    const ResourceEntry* table = getResourceTable(count);
    int lo = 0, hi = count;
    while (lo < hi) // first entry whose hash is not below h
    {
        const int mid = lo + (hi - lo) / 2;
        if (table[mid].hash < h)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (int i = lo; i < count && table[i].hash == h; ++i)
        if (std::strcmp(table[i].name, name) == 0)
        {
            size = table[i].size;
            return table[i].data;
        }
    return nullptr;
}

const ResourceEntry* getResourceTable(int& count) noexcept
{
    count = resources::generatedResourceCount;
    return resources::generatedResources;
}

} // namespace vk
