#include "formats/aax/aax_juce_runtime.h"

#include <atomic>

namespace vk::aax
{
namespace
{
std::atomic<ProcessorFactoryFunction> g_processorFactory{nullptr};
} // namespace

void setProcessorFactory(ProcessorFactoryFunction create) noexcept
{
    g_processorFactory.store(create);
}

ProcessorFactoryFunction getProcessorFactory() noexcept
{
    return g_processorFactory.load();
}

} // namespace vk::aax
