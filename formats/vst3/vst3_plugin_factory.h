#pragma once

// The plug-in factory the SDK subset lacks: publishes the factory information and the class records of
// the identity (also in UTF-16), creates objects by class id, and takes the host context a host gives
// the factory: when that context offers the host's run loop, the loop's thread becomes the framework's
// message thread (vst3_message_thread.h). [host main thread]

#include "formats/identity/vk_vst3_class_info.h"
#include "formats/vst3/vst3_message_thread.h"

#include <pluginterfaces/base/ipluginbase.h>

#include <atomic>
#include <vector>

namespace vk::vst3
{

// Creates one object; returns it with a reference count of 1, or null.
using CreateFunction = Steinberg::FUnknown* (*)();

// The SDK's interfaces have no virtual destructors by design: objects are freed through release().
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class PluginFactory : public Steinberg::IPluginFactory3
{
public:
    explicit PluginFactory(const vk::identity::Vst3FactoryInfo& info);
    virtual ~PluginFactory() = default;

    void registerClass(const vk::identity::Vst3ClassRecord& record, CreateFunction create);

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API addRef() SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API release() SMTG_OVERRIDE;

    Steinberg::tresult PLUGIN_API getFactoryInfo(Steinberg::PFactoryInfo* info) SMTG_OVERRIDE;
    Steinberg::int32 PLUGIN_API countClasses() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getClassInfo(Steinberg::int32 index,
                                               Steinberg::PClassInfo* info) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API createInstance(Steinberg::FIDString cid, Steinberg::FIDString iid,
                                                 void** obj) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getClassInfo2(Steinberg::int32 index,
                                                Steinberg::PClassInfo2* info) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getClassInfoUnicode(Steinberg::int32 index,
                                                      Steinberg::PClassInfoW* info) SMTG_OVERRIDE;
    // A context that answers IRunLoop offers that loop until the next call; null ends the offer.
    Steinberg::tresult PLUGIN_API setHostContext(Steinberg::FUnknown* context) SMTG_OVERRIDE;

private:
    struct Entry
    {
        vk::identity::Vst3ClassRecord record;
        CreateFunction create;
    };
#pragma GCC diagnostic pop
    vk::identity::Vst3FactoryInfo m_info;
    std::vector<Entry> m_classes;
    vk::vst3::RunLoopOffer m_contextRunLoop;
    std::atomic<Steinberg::uint32> m_refCount{1};
};

} // namespace vk::vst3
