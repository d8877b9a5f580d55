#include "formats/aax/aax_effect_description.h"

#include "formats/aax/aax_audiosuite_processor.h"
#include "formats/aax/aax_juce_runtime.h"
#include "formats/aax/aax_stem_formats.h"
#include "formats/aax/juce_aax_gui.h"
#include "formats/aax/juce_aax_processor.h"
#include "formats/identity/vk_plugin_identity.h"
#include "processor/vk_processor_base.h"

namespace AAXClasses
{

using namespace vk::aax;

namespace
{

constexpr std::uint32_t kCategorySoundField = 0x200;
constexpr std::uint32_t kResourcePageTable = 1;

constexpr std::uint32_t kProcGui = 1;
constexpr std::uint32_t kProcEffectParameters = 0;
constexpr std::uint32_t kProcHostProcessor = 3;

enum Property : std::uint32_t
{
    kManufacturerId = 11,
    kProductId = 12,
    kNativePluginId = 13,
    kAudioSuitePluginId = 14,
    kInputStemFormat = 51,
    kOutputStemFormat = 52,
    kProperty60 = 60,
    kProperty115 = 115,
};

struct ChannelConfiguration
{
    int inputs, outputs;
};

constexpr ChannelConfiguration kConfigurations[] = {{1, 2}, {2, 2}};

} // namespace

Result GetEffectDescriptions(AAX_ICollection& collection)
{
    const JuceGuiUse juce;
    // The wrappers exist even when the host made nothing: only a host object counts as given.
    AAX_IEffectDescriptor* descriptor = collection.NewDescriptor();
    if (descriptor == nullptr || descriptor->HostObject() == nullptr)
        return kResultNoHostInterface;
    createDescriptor(*descriptor);
    // Hosts store the identifier in their sessions: it never changes.
    collection.AddEffect(vk::identity::kAaxEffectId, descriptor);
    collection.SetManufacturerName(vk::identity::kMaker);
    collection.AddPackageName(vk::identity::kDisplayName);
    collection.AddPackageName(vk::identity::kDisplayName);
    collection.SetPackageVersion(vk::identity::kAaxPackageVersion);
    return kResultOk;
}

void createDescriptor(AAX_IEffectDescriptor& descriptor)
{
    descriptor.AddName(vk::identity::kDisplayName);
    descriptor.AddName(vk::identity::kDisplayName);
    descriptor.AddCategory(kCategorySoundField);
    descriptor.AddResourceInfo(kResourcePageTable, vk::identity::kAaxPageTableFile);
    descriptor.AddProcPtr(&JuceAAX_GUI::Create, kProcGui);
    descriptor.AddProcPtr(&JuceAAX_Processor::Create, kProcEffectParameters);
    descriptor.AddProcPtr(&AAX_AudiosuiteProcessor::Create, kProcHostProcessor);

    int componentIndex = 0;
    for (const auto& configuration : kConfigurations)
    {
        AAX_IComponentDescriptor* component = descriptor.NewComponentDescriptor();
        if (component == nullptr || component->HostObject() == nullptr)
            continue;
        describeComponent(*component, componentIndex, configuration.inputs, configuration.outputs);
        ++componentIndex;
        descriptor.AddComponent(component);
    }
}

void describeComponent(AAX_IComponentDescriptor& component, int componentIndex, int inputs, int outputs)
{
    component.AddAudioIn(kFieldAudioIn);
    component.AddAudioOut(kFieldAudioOut);
    component.AddAudioBufferLength(kFieldBufferLength);
    component.AddPrivateData(kFieldInstance, 8, 0);
    component.AddPrivateData(kFieldPrepared, 4, 0);

    AAX_IPropertyMap* properties = component.NewPropertyMap();
    if (properties != nullptr)
    {
        properties->AddProperty(kManufacturerId, std::int32_t(vk::identity::kMakerCode));
        properties->AddProperty(kProductId, std::int32_t(vk::identity::kProductCode));
        properties->AddProperty(kProperty60, 1);
        properties->AddProperty(kInputStemFormat, std::int32_t(stemFormatForChannels(inputs)));
        properties->AddProperty(kOutputStemFormat, std::int32_t(stemFormatForChannels(outputs)));
        if (VkJuceProcessorBase::getCapabilityDefault(inputs, outputs))
            properties->AddProperty(kNativePluginId,
                                    std::int32_t(vk::identity::aaxNativePluginId(componentIndex)));
        if (VkJuceProcessorBase::isChannelConfigSupported(inputs, outputs))
        {
            properties->AddProperty(kProperty115, 1);
            properties->AddProperty(kAudioSuitePluginId,
                                    std::int32_t(vk::identity::aaxAudioSuitePluginId(componentIndex)));
        }
    }
    component.AddProcessProc(&algorithmProcessCallback, properties);
}

} // namespace AAXClasses
