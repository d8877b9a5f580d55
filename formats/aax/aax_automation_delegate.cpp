#include "formats/aax/aax_automation_delegate.h"

namespace vk::aax
{

AAX_VAutomationDelegate::AAX_VAutomationDelegate(IACFUnknown* host) noexcept
    : m_delegate(acfQuery<IHostAutomationDelegate>(host, kIID_AutomationDelegate))
{
}

Result AAX_VAutomationDelegate::RegisterParameter(const char* parameterId)
{
    return forwardOr(kResultNoHostInterface, m_delegate.get(), &IHostAutomationDelegate::RegisterParameter,
                     parameterId);
}
Result AAX_VAutomationDelegate::UnregisterParameter(const char* parameterId)
{
    return forwardOr(kResultNoHostInterface, m_delegate.get(), &IHostAutomationDelegate::UnregisterParameter,
                     parameterId);
}
Result AAX_VAutomationDelegate::PostSetValueRequest(const char* parameterId, double normalized) const
{
    return forwardOr(kResultNoHostInterface, m_delegate.get(), &IHostAutomationDelegate::PostSetValueRequest,
                     parameterId, normalized);
}
Result AAX_VAutomationDelegate::PostCurrentValue(const char* parameterId, double normalized) const
{
    return forwardOr(kResultNoHostInterface, m_delegate.get(), &IHostAutomationDelegate::PostCurrentValue,
                     parameterId, normalized);
}
Result AAX_VAutomationDelegate::PostTouchRequest(const char* parameterId)
{
    return forwardOr(kResultNoHostInterface, m_delegate.get(), &IHostAutomationDelegate::PostTouchRequest,
                     parameterId);
}
Result AAX_VAutomationDelegate::PostReleaseRequest(const char* parameterId)
{
    return forwardOr(kResultNoHostInterface, m_delegate.get(), &IHostAutomationDelegate::PostReleaseRequest,
                     parameterId);
}
Result AAX_VAutomationDelegate::Operation9(Opaque a)
{
    return forwardOr(kResultNoHostInterface, m_delegate.get(), &IHostAutomationDelegate::Operation9, a);
}

} // namespace vk::aax
