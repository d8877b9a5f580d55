#include "formats/aax/aax_host_services.h"

#include "formats/aax/aax_host_object_factory.h"

#include <cstdarg>
#include <cstdio>

namespace vk::aax
{

namespace
{
AAX_VHostServices* g_hostServices = nullptr;
constexpr std::size_t kTraceBufferSize = 512;
} // namespace

AAX_VHostServices::AAX_VHostServices(IACFUnknown* host)
    : m_services(createHostObject<IHostServices>(host, kCLSID_HostServices, kIID_HostServices))
{
}

Result AAX_VHostServices::Operation3(Opaque a)
{
    return forwardOr(kResultNoHostInterface, m_services.get(), &IHostServices::Operation3, a);
}

Result AAX_VHostServices::Trace(std::int32_t priority, const char* text)
{
    return forwardOr(kResultNoHostInterface, m_services.get(), &IHostServices::Trace, priority, text);
}

void SetHostServices(IACFUnknown* host)
{
    if (g_hostServices == nullptr && host != nullptr)
        g_hostServices = new AAX_VHostServices(host);
    else if (g_hostServices != nullptr && host == nullptr)
    {
        delete g_hostServices;
        g_hostServices = nullptr;
    }
}

Result AAX_Trace(std::int32_t priority, const char* format, ...)
{
    if (g_hostServices == nullptr || format == nullptr)
        return kResultOk;
    char text[kTraceBufferSize];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (written < 0)
        return kResultOk;
    return g_hostServices->Trace(priority, text);
}

Result RegisterPlugin(IACFUnknown* host, IACFUnknown** out, DescribeEffects describe)
{
    AAX_VCollection collection(host);
    const Result described = describe != nullptr ? describe(collection) : kResultOk;
    if (described != kResultOk)
        return described;
    if (out == nullptr)
        return kResultNoHostInterface;
    *out = nullptr;
    auto registered = acfQuery<IACFUnknown>(collection.HostObject(), kIID_RegisteredCollection);
    if (!registered)
        return kResultNoHostInterface;
    *out = registered.detach();
    return kResultOk;
}

} // namespace vk::aax
