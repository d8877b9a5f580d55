#pragma once

// Counted references to host objects, and the one way the module asks a host object for an interface.
// The host is outside our control: an answer of success with a null pointer is no interface, and a
// pointer written next to a failure code is a reference the host handed over anyway; it is released at
// once, so neither case leaks or is ever called through.

#include "platform/aax/acf_unknown.h"

#include <utility>

namespace vk::aax
{

template <typename Interface>
class AcfPtr
{
public:
    AcfPtr() noexcept = default;
    ~AcfPtr() { reset(); }
    AcfPtr(const AcfPtr&) = delete;
    AcfPtr& operator=(const AcfPtr&) = delete;
    AcfPtr(AcfPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    AcfPtr& operator=(AcfPtr&& other) noexcept
    {
        if (this != &other)
        {
            reset();
            m_ptr = std::exchange(other.m_ptr, nullptr);
        }
        return *this;
    }

    // Takes over a reference the caller already holds.
    static AcfPtr adopt(Interface* ptr) noexcept
    {
        AcfPtr result;
        result.m_ptr = ptr;
        return result;
    }
    // Adds a reference of its own.
    static AcfPtr share(Interface* ptr) noexcept
    {
        if (ptr != nullptr)
            ptr->AddRef();
        return adopt(ptr);
    }

    void reset() noexcept
    {
        if (auto* old = std::exchange(m_ptr, nullptr))
            old->Release();
    }

    // Hands the reference to the caller.
    Interface* detach() noexcept { return std::exchange(m_ptr, nullptr); }

    Interface* get() const noexcept { return m_ptr; }
    Interface* operator->() const noexcept { return m_ptr; }
    explicit operator bool() const noexcept { return m_ptr != nullptr; }

private:
    Interface* m_ptr = nullptr;
};

// What a host answered to a query or a creation: the interface, or nothing (see above).
template <typename Interface>
AcfPtr<Interface> acceptAnswer(Result result, void* written) noexcept
{
    if (written == nullptr)
        return {};
    if (result != kResultOk)
    {
        static_cast<IACFUnknown*>(written)->Release();
        return {};
    }
    return AcfPtr<Interface>::adopt(static_cast<Interface*>(written));
}

// [any thread] Asks `object` (may be null) for `iid`.
template <typename Interface>
AcfPtr<Interface> acfQuery(IACFUnknown* object, const Guid& iid) noexcept
{
    if (object == nullptr)
        return {};
    void* written = nullptr;
    const Result result = object->QueryInterface(iid, &written);
    return acceptAnswer<Interface>(result, written);
}

// The result of `op` on `iface`, or `absent` without a call when the interface is missing. Every
// forwarding operation of the host-interface wrappers goes through here.
template <typename Target, typename R, typename Base, typename... Params, typename... Args>
R forwardOr(R absent, Target* iface, R (Base::*op)(Params...), Args&&... args) noexcept
{
    return iface != nullptr ? (iface->*op)(std::forward<Args>(args)...) : absent;
}

template <typename Target, typename R, typename Base, typename... Params, typename... Args>
R forwardOr(R absent, Target* iface, R (Base::*op)(Params...) const, Args&&... args) noexcept
{
    return iface != nullptr ? (iface->*op)(std::forward<Args>(args)...) : absent;
}

} // namespace vk::aax
