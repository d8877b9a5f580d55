#pragma once

// CACFUnknown: the reference-counted base of every object the module hands to the AAX host, and the
// module-wide count of such objects alive (the host unloads the module only when it is 0).
//
// A host-facing class derives from CACFHostObject<its interface>, which places that interface first and
// the CACFUnknown part after it and forwards the interface's three IACFUnknown operations to the
// controlling interface. Reference counts and the live count change atomically: the host may add and
// release references on any thread. [any thread]

#include "platform/aax/acf_unknown.h"

#include <atomic>
#include <cstdint>

namespace vk::aax
{

class CACFUnknown
{
public:
    CACFUnknown() noexcept;
    virtual ~CACFUnknown();
    CACFUnknown(const CACFUnknown&) = delete;
    CACFUnknown& operator=(const CACFUnknown&) = delete;

    virtual Result FinalConstruct() { return kResultOk; }
    virtual void FinalRelease() {}
    // Ends the object; Release calls it when the count reaches 0.
    virtual void DestroySelf() { delete this; }
    // Answers IACFUnknown's identifier with the private interface; derived classes answer their own
    // identifiers first. Unknown identifiers: null and kResultNoSuchInterface.
    virtual Result InternalQueryInterface(const Guid& iid, void** out);
    virtual std::uint32_t AddRef();
    virtual std::uint32_t Release();

    // The interface that stands for the whole object: the private one unless aggregated.
    IACFUnknown* GetControllingUnknown() const noexcept { return m_controlling; }
    std::int32_t referenceCount() const noexcept { return m_refCount.load(std::memory_order_acquire); }

    // Objects built and not yet destroyed, module-wide.
    static std::int32_t LiveObjectCount() noexcept;

protected:
    // The host-facing interface's own IACFUnknown operations land here; qualified calls, so that a derived
    // class's AddRef/Release (which forward to the controlling interface) cannot loop back.
    std::uint32_t countedAddRef() { return CACFUnknown::AddRef(); }
    std::uint32_t countedRelease() { return CACFUnknown::Release(); }

private:
    class PrivateUnknown final : public IACFUnknown
    {
    public:
        explicit PrivateUnknown(CACFUnknown& owner) noexcept : m_owner(owner) {}
        Result QueryInterface(const Guid& iid, void** out) override
        {
            return m_owner.InternalQueryInterface(iid, out);
        }
        std::uint32_t AddRef() override { return m_owner.countedAddRef(); }
        std::uint32_t Release() override { return m_owner.countedRelease(); }

    private:
        CACFUnknown& m_owner;
    };

    std::atomic<std::int32_t> m_refCount{0};
    IACFUnknown* m_controlling;
    PrivateUnknown m_private;
};

template <typename HostInterface>
class CACFHostObject : public HostInterface, public CACFUnknown
{
public:
    Result QueryInterface(const Guid& iid, void** out) override
    {
        return GetControllingUnknown()->QueryInterface(iid, out);
    }
    std::uint32_t AddRef() override { return GetControllingUnknown()->AddRef(); }
    std::uint32_t Release() override { return GetControllingUnknown()->Release(); }

protected:
    // Answers `iid` with the host-facing interface when it is `own`; else the base's answer.
    Result answerQuery(const Guid& iid, void** out, const Guid& own)
    {
        if (out != nullptr && iid == own)
        {
            *out = static_cast<HostInterface*>(this);
            AddRef();
            return kResultOk;
        }
        return CACFUnknown::InternalQueryInterface(iid, out);
    }
};

} // namespace vk::aax
