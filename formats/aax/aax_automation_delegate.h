#pragma once

// The host's automation channel for one effect instance: parameter registration, touch, release and
// value requests, each with the parameter's identifier text. The host's result, or -20004 without a
// call when the host gave no delegate. Never throws. [the host's main thread]

#include "formats/aax/acf_ptr.h"
#include "platform/aax/aax_host_interfaces.h"

namespace vk::aax
{

class AAX_IAutomationDelegate
{
public:
    virtual ~AAX_IAutomationDelegate() = default;
    virtual Result RegisterParameter(const char* parameterId) = 0;
    virtual Result UnregisterParameter(const char* parameterId) = 0;
    virtual Result PostSetValueRequest(const char* parameterId, double normalized) const = 0;
    virtual Result PostCurrentValue(const char* parameterId, double normalized) const = 0;
    virtual Result PostTouchRequest(const char* parameterId) = 0;
    virtual Result PostReleaseRequest(const char* parameterId) = 0;
    virtual Result Operation9(Opaque a) = 0;
};

class AAX_VAutomationDelegate final : public AAX_IAutomationDelegate
{
public:
    explicit AAX_VAutomationDelegate(IACFUnknown* host) noexcept;

    Result RegisterParameter(const char* parameterId) override;
    Result UnregisterParameter(const char* parameterId) override;
    Result PostSetValueRequest(const char* parameterId, double normalized) const override;
    Result PostCurrentValue(const char* parameterId, double normalized) const override;
    Result PostTouchRequest(const char* parameterId) override;
    Result PostReleaseRequest(const char* parameterId) override;
    Result Operation9(Opaque a) override;

    bool hasHostDelegate() const noexcept { return bool(m_delegate); }

private:
    AcfPtr<IHostAutomationDelegate> m_delegate;
};

} // namespace vk::aax
