// The entry points of the VST3 module, the only symbols it exports: the factory, the Linux module
// entry and exit every Linux host calls around loading, and the InitDll/ExitDll pair some hosts call.
// The product processor comes from the product's creation function.

#include "formats/vst3/vst3_message_thread.h"
#include "formats/vst3/vst3_module_factory.h"
#include "formats/vst3/vst3_processor.h"

#include <atomic>

VkJuceProcessorBase* createPluginFilter(int wrapperType);

#define VK_VST3_EXPORT extern "C" __attribute__((visibility("default")))

namespace
{
std::atomic<int> g_moduleEntries{0};

void installCreationFunction()
{
    vk::vst3::setProcessorFactory(&createPluginFilter);
}
} // namespace

VK_VST3_EXPORT Steinberg::IPluginFactory* GetPluginFactory()
{
    installCreationFunction();
    auto& factory = vk::vst3::moduleFactory();
    factory.addRef();
    return &factory;
}

VK_VST3_EXPORT bool ModuleEntry(void*)
{
    ++g_moduleEntries;
    installCreationFunction();
    return true;
}

VK_VST3_EXPORT bool ModuleExit()
{
    // The host unloads the module after this: the host context (and its run loop) is no longer ours.
    if (--g_moduleEntries == 0)
    {
        vk::vst3::moduleFactory().setHostContext(nullptr);
        vk::vst3::finishMessageThread();
    }
    return true;
}

VK_VST3_EXPORT bool InitDll()
{
    return true;
}

VK_VST3_EXPORT bool ExitDll()
{
    return true;
}
