// Feeds arbitrary bytes to the ".vkp" preset reader. Preset files are passed between users, so besides not
// crashing or exhausting memory or stack, whatever the reader accepts must hand the processor only values
// inside 0..1, and must read back unchanged after the store writes it again.

#include "presets/vk_preset_document.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
const vk::presets::PresetParameterList& parameters()
{
    // Keys of every shape the product uses, plus one that cannot be an attribute name.
    static const auto* list = []
    {
        auto* made = new vk::presets::PresetParameterList();
        made->keys = {"Bypass",           "Acuity", "Width",  "DynType", "RoutingDefault_7_1",
                      "AutoLevelAmount0", "P",      "bad key"};
        made->defaults = {0.0f, 0.5f, 0.25f, 0.001f, 0.1f, 0.5f, 1.0f, 0.75f};
        return made;
    }();
    return *list;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto& list = parameters();
    const auto document = vk::presets::parsePresetDocument(data, size);
    if (document == nullptr)
        return 0;

    std::vector<float> values(std::size_t(list.size()), -1.0f);
    if (!vk::presets::readPresetValues(*document, list, values.data()))
    {
        for (float value : values)
            if (value != -1.0f) // a refused document must leave the values alone
                __builtin_trap();
        return 0;
    }
    for (float value : values)
        if (!(value >= 0.0f && value <= 1.0f))
            __builtin_trap();

    const auto text = vk::presets::writePresetDocument(list.keys, values.data(), list.size()).toStdString();
    const auto again = vk::presets::parsePresetDocument(text.data(), text.size());
    std::vector<float> reread(values.size(), -1.0f);
    if (again == nullptr || !vk::presets::readPresetValues(*again, list, reread.data()) ||
        std::memcmp(values.data(), reread.data(), values.size() * sizeof(float)) != 0)
        __builtin_trap();
    return 0;
}
