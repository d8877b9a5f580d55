// What the GUI framework's VST wrapper asks of the module: the processor it wraps, and the unique id
// of each effect record it builds. The exported entry points themselves (VSTPluginMain and its "main"
// alias) are the wrapper's; they start the framework, return null to a host that reports interface
// version 0, and otherwise create the processor below.

#include "formats/identity/vk_plugin_identity.h"
#include "formats/vst2/vst2_effect_adapter.h"
#include "formats/vst2/vst2_framework_hook.h"
#include "processor/vk_processor_base.h"
#include "processor/vk_wrapper_type.h"

#include <type_traits>

VkJuceProcessorBase* createPluginFilter(int wrapperType);

static_assert(std::is_same_v<vk::vst2::FrameworkHostCallback, Vst2::audioMasterCallback>,
              "the hook's host callback must be the interface's");
static_assert(VK_VST2_VERSION_CODE == vk::identity::kVst2VendorVersion,
              "the version the framework's wrapper reports must be the identity's VST 2.4 version");

// The framework's creation function (no arguments): the product's, for the VST 2.4 wrapper type.
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return createPluginFilter(vk::kWrapperVst);
}

namespace vk::vst2
{

int adoptFrameworkEffect(Vst2::AEffect& effect, FrameworkHostCallback host, juce::AudioProcessor& processor,
                         int numInputChannels)
{
    attachVendorCommandRoute(effect, dynamic_cast<VkJuceProcessorBase*>(&processor), host);
    return identity::vst2UniqueId(numInputChannels);
}

} // namespace vk::vst2
