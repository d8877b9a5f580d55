#include "formats/vst3/vst3_link_message.h"

#include <pluginterfaces/vst/ivstattributes.h>

#include <atomic>
#include <cstring>
#include <new>

namespace vk::vst3
{
namespace
{

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr const char* kMessageId = "VkProcessorLink";
constexpr const char* kTokenAttribute = "link";

// A message with one integer attribute; every other attribute is refused.
// The SDK's interfaces have no virtual destructors by design: the object is freed through release().
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class LinkMessage : public IMessage, public IAttributeList
{
public:
    explicit LinkMessage(std::uint64_t token) : m_token(static_cast<int64>(token)) {}
    virtual ~LinkMessage() = default;

    FIDString PLUGIN_API getMessageID() override { return kMessageId; }
    void PLUGIN_API setMessageID(FIDString) override {}
    IAttributeList* PLUGIN_API getAttributes() override { return this; }

    tresult PLUGIN_API setInt(AttrID id, int64 value) override
    {
        if (id == nullptr || std::strcmp(id, kTokenAttribute) != 0)
            return kResultFalse;
        m_token = value;
        return kResultOk;
    }
    tresult PLUGIN_API getInt(AttrID id, int64& value) override
    {
        if (id == nullptr || std::strcmp(id, kTokenAttribute) != 0)
            return kResultFalse;
        value = m_token;
        return kResultOk;
    }
    tresult PLUGIN_API setFloat(AttrID, double) override { return kResultFalse; }
    tresult PLUGIN_API getFloat(AttrID, double&) override { return kResultFalse; }
    tresult PLUGIN_API setString(AttrID, const TChar*) override { return kResultFalse; }
    tresult PLUGIN_API getString(AttrID, TChar*, uint32) override { return kResultFalse; }
    tresult PLUGIN_API setBinary(AttrID, const void*, uint32) override { return kResultFalse; }
    tresult PLUGIN_API getBinary(AttrID, const void*&, uint32&) override { return kResultFalse; }

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (FUnknownPrivate::iidEqual(iid, IMessage::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid))
            *obj = static_cast<IMessage*>(this);
        else if (FUnknownPrivate::iidEqual(iid, IAttributeList::iid))
            *obj = static_cast<IAttributeList*>(this);
        else
        {
            *obj = nullptr;
            return kNoInterface;
        }
        addRef();
        return kResultOk;
    }
    uint32 PLUGIN_API addRef() override { return ++m_refCount; }
    uint32 PLUGIN_API release() override
    {
        const uint32 left = --m_refCount;
        if (left == 0)
            delete this;
        return left;
    }

private:
    int64 m_token;
    std::atomic<uint32> m_refCount{1};
};
#pragma GCC diagnostic pop

} // namespace

void sendLinkMessage(IConnectionPoint& peer, std::uint64_t token)
{
    auto* message = new (std::nothrow) LinkMessage(token);
    if (message == nullptr)
        return;
    peer.notify(message);
    message->release();
}

std::uint64_t readLinkMessage(IMessage* message)
{
    if (message == nullptr || message->getMessageID() == nullptr ||
        std::strcmp(message->getMessageID(), kMessageId) != 0)
        return 0;
    IAttributeList* attributes = message->getAttributes();
    int64 token = 0;
    if (attributes == nullptr || attributes->getInt(kTokenAttribute, token) != kResultOk || token <= 0)
        return 0;
    return static_cast<std::uint64_t>(token);
}

} // namespace vk::vst3
