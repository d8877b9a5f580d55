#include "formats/identity/vk_vst3_class_info.h"

#include <algorithm>
#include <cstring>

namespace vk::identity
{

void copyTruncated(char* field, std::size_t fieldSize, const char* text)
{
    if (fieldSize == 0)
        return;
    std::memset(field, 0, fieldSize);
    if (text == nullptr)
        return;
    const std::size_t length = std::min(std::strlen(text), fieldSize - 1);
    std::memcpy(field, text, length);
}

Vst3FactoryInfo makeVst3FactoryInfo()
{
    Vst3FactoryInfo info{};
    copyTruncated(info.vendor, kMaker);
    copyTruncated(info.url, kMakerUrl);
    copyTruncated(info.email, kMakerEmail);
    info.flags = kVst3FactoryFlagUnicode;
    return info;
}

namespace
{
Vst3ClassRecord makeRecord(const Vst3ClassId& cid, const char* category, const char* subCategories)
{
    Vst3ClassRecord record{};
    record.cid = cid;
    record.cardinality = kVst3ManyInstances;
    copyTruncated(record.category, category);
    copyTruncated(record.name, kDisplayName);
    record.classFlags = 0;
    copyTruncated(record.subCategories, subCategories);
    copyTruncated(record.vendor, "");
    copyTruncated(record.version, kVersionText);
    copyTruncated(record.sdkVersion, kVst3SdkVersion);
    return record;
}
} // namespace

Vst3ClassRecord makeVst3ProcessorClassRecord()
{
    return makeRecord(kProcessorClassId, "Audio Module Class", "Fx|Sound Field");
}

Vst3ClassRecord makeVst3ControllerClassRecord()
{
    return makeRecord(kControllerClassId, "Component Controller Class", "");
}

} // namespace vk::identity
