// The entry points of the AAX module, the only symbols it exports. Each runs inside a catch-all: an
// exception must not cross into the host, which gets 0x8000FFFF instead. The product processor comes
// from the product's creation function.

#include "formats/aax/aax_effect_description.h"
#include "formats/aax/aax_exception_boundary.h"
#include "formats/aax/aax_host_services.h"
#include "formats/aax/aax_juce_runtime.h"
#include "formats/aax/acf_unknown_object.h"
#include "platform/aax/aax_module_exports.h"

VkJuceProcessorBase* createPluginFilter(int wrapperType);

#define VK_AAX_EXPORT extern "C" __attribute__((visibility("default")))

using namespace vk::aax;

namespace
{

// The factories may be called as soon as the host holds the module: the creation function is in place
// from loading on.
const bool g_creationFunctionSet = (setProcessorFactory(&createPluginFilter), true);

} // namespace

VK_AAX_EXPORT Result ACFRegisterPlugin(IACFUnknown* host, IACFUnknown** collection)
{
    return answerWithoutThrowing(
        [&] { return RegisterPlugin(host, collection, &AAXClasses::GetEffectDescriptions); });
}

VK_AAX_EXPORT Result ACFRegisterComponent(IACFUnknown*, std::uint32_t, IACFUnknown** component)
{
    return answerWithoutThrowing(
        [&]
        {
            if (component != nullptr)
                *component = nullptr;
            return kResultOk;
        });
}

VK_AAX_EXPORT Result ACFGetClassFactory(IACFUnknown*, const Guid&, const Guid&, void** factory)
{
    return answerWithoutThrowing(
        [&]
        {
            if (factory != nullptr)
                *factory = nullptr;
            return kResultNotImplemented;
        });
}

VK_AAX_EXPORT Result ACFCanUnloadNow()
{
    return answerWithoutThrowing([] { return Result(CACFUnknown::LiveObjectCount()); });
}

VK_AAX_EXPORT Result ACFStartup(IACFUnknown* host)
{
    return answerWithoutThrowing(
        [&]
        {
            if (host != nullptr)
                SetHostServices(host);
            return kResultOk;
        });
}

VK_AAX_EXPORT Result ACFShutdown(IACFUnknown*)
{
    return answerWithoutThrowing(
        []
        {
            SetHostServices(nullptr);
            return kResultOk;
        });
}

VK_AAX_EXPORT Result ACFGetSDKVersion(std::uint64_t* version)
{
    return answerWithoutThrowing(
        [&]
        {
            if (version == nullptr)
                return kResultNullArgument;
            *version = kSdkVersion;
            return kResultOk;
        });
}
