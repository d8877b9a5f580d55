#include "formats/vst3/vst3_plugin_factory.h"

#include <juce_core/juce_core.h>

#include <cstring>

namespace vk::vst3
{

using namespace Steinberg;
using vk::identity::copyTruncated;

PluginFactory::PluginFactory(const vk::identity::Vst3FactoryInfo& info) : m_info(info) {}

void PluginFactory::registerClass(const vk::identity::Vst3ClassRecord& record, CreateFunction create)
{
    m_classes.push_back({record, create});
}

tresult PLUGIN_API PluginFactory::queryInterface(const TUID iid, void** obj)
{
    if (obj == nullptr)
        return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, IPluginFactory3::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid))
    {
        addRef();
        *obj = static_cast<IPluginFactory3*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

uint32 PLUGIN_API PluginFactory::addRef()
{
    return ++m_refCount;
}

uint32 PLUGIN_API PluginFactory::release()
{
    // The module keeps the factory for its whole life; the count only tracks the host's references.
    const uint32 left = --m_refCount;
    return left;
}

tresult PLUGIN_API PluginFactory::getFactoryInfo(PFactoryInfo* info)
{
    if (info == nullptr)
        return kInvalidArgument;
    std::memset(static_cast<void*>(info), 0, sizeof(*info));
    copyTruncated(info->vendor, m_info.vendor);
    copyTruncated(info->url, m_info.url);
    copyTruncated(info->email, m_info.email);
    info->flags = m_info.flags;
    return kResultOk;
}

int32 PLUGIN_API PluginFactory::countClasses()
{
    return int32(m_classes.size());
}

namespace
{
// UTF-16 copy of a UTF-8 field, cut to the target and always terminated.
template <std::size_t N>
void copyField(char16 (&field)[N], const char* text)
{
    const juce::String s = juce::String::fromUTF8(text);
    const juce::CharPointer_UTF16 utf16 = s.toUTF16();
    std::size_t n = 0;
    for (auto p = utf16; !p.isEmpty() && n + 1 < N; ++p)
    {
        const juce::juce_wchar c = *p;
        field[n++] = char16(c < 0x10000 ? c : '?');
    }
    field[n] = 0;
}

template <std::size_t N>
void copyField(char (&field)[N], const char* text)
{
    copyTruncated(field, text);
}

// The fields every class-info record has, on a zeroed record.
template <typename Info, typename Record>
void fillCommonClassInfo(Info& info, const Record& r)
{
    std::memset(static_cast<void*>(&info), 0, sizeof(info));
    std::memcpy(info.cid, r.cid.data(), sizeof(TUID));
    info.cardinality = r.cardinality;
    copyField(info.category, r.category);
    copyField(info.name, r.name);
}

// The fields of the version-2 records (in 8-bit or in UTF-16 text).
template <typename Info, typename Record>
void fillExtendedClassInfo(Info& info, const Record& r)
{
    fillCommonClassInfo(info, r);
    info.classFlags = r.classFlags;
    copyField(info.subCategories, r.subCategories);
    copyField(info.vendor, r.vendor);
    copyField(info.version, r.version);
    copyField(info.sdkVersion, r.sdkVersion);
}
} // namespace

tresult PLUGIN_API PluginFactory::getClassInfo(int32 index, PClassInfo* info)
{
    if (info == nullptr || index < 0 || index >= countClasses())
        return kInvalidArgument;
    fillCommonClassInfo(*info, m_classes[std::size_t(index)].record);
    return kResultOk;
}

tresult PLUGIN_API PluginFactory::getClassInfo2(int32 index, PClassInfo2* info)
{
    if (info == nullptr || index < 0 || index >= countClasses())
        return kInvalidArgument;
    fillExtendedClassInfo(*info, m_classes[std::size_t(index)].record);
    return kResultOk;
}

tresult PLUGIN_API PluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info)
{
    if (info == nullptr || index < 0 || index >= countClasses())
        return kInvalidArgument;
    fillExtendedClassInfo(*info, m_classes[std::size_t(index)].record);
    return kResultOk;
}

tresult PLUGIN_API PluginFactory::setHostContext(FUnknown* context)
{
    m_contextRunLoop = vk::vst3::RunLoopOffer(context);
    return kResultOk;
}

tresult PLUGIN_API PluginFactory::createInstance(FIDString cid, FIDString iid, void** obj)
{
    if (cid == nullptr || iid == nullptr || obj == nullptr)
        return kInvalidArgument;
    *obj = nullptr;
    for (const auto& entry : m_classes)
    {
        if (std::memcmp(cid, entry.record.cid.data(), sizeof(TUID)) != 0)
            continue;
        FUnknown* instance = entry.create();
        if (instance == nullptr)
            return kOutOfMemory;
        const tresult result = instance->queryInterface(iid, obj);
        instance->release(); // the query holds the host's reference
        if (result != kResultOk)
            *obj = nullptr;
        return result == kResultOk ? kResultOk : kNoInterface;
    }
    return kNoInterface;
}

} // namespace vk::vst3
