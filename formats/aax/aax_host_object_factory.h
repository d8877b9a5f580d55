#pragma once

// Description objects are the host's own: the module asks the host's component factory to create each
// one. A host that answers the factory query with success and no factory breaks the object model; the
// creation then throws AcfError(0x80000005), which the module's entry points turn into 0x8000FFFF.

#include "formats/aax/acf_ptr.h"
#include "platform/aax/aax_host_interfaces.h"

#include <exception>

namespace vk::aax
{

class AcfError : public std::exception
{
public:
    explicit AcfError(Result code) noexcept : m_code(code) {}
    Result code() const noexcept { return m_code; }
    const char* what() const noexcept override { return "AAX host object model error"; }

private:
    Result m_code;
};

// A new host object of `classId` with interface `iid`, or null (no host, no factory, creation refused).
// The factory reference is released before returning.
template <typename Interface>
AcfPtr<Interface> createHostObject(IACFUnknown* host, const Guid& classId, const Guid& iid)
{
    if (host == nullptr)
        return {};
    void* written = nullptr;
    const Result queried = host->QueryInterface(kIID_ComponentFactory, &written);
    if (queried == kResultOk && written == nullptr)
        throw AcfError(kResultNullFactory);
    const auto factory = acceptAnswer<IComponentFactory>(queried, written);
    if (!factory)
        return {};
    void* created = nullptr;
    const Result result = factory->CreateInstance(classId, nullptr, iid, &created);
    return acceptAnswer<Interface>(result, created);
}

} // namespace vk::aax
