#include "presets/vk_preset_file_operations.h"

#include "platform/vk_launcher.h"
#include "presets/vk_juce_preset_file.h"
#include "presets/vk_preset_disk.h"
#include "presets/vk_preset_document.h"
#include "presets/vk_preset_names.h"

namespace vk::presets
{
namespace
{
bool isInstalledName(const juce::String& name)
{
    return name == VkJucePresetFile::kInstalledCategory ||
           encodePresetName(name) == VkJucePresetFile::kInstalledCategory;
}

juce::File userCategoryFolder(VkJuceProcessorBase* processor, const juce::String& category)
{
    if (processor == nullptr || isInstalledName(category))
        return {};
    return findExistingEntry(VkJucePresetFile::getUserPresetRoot(processor), category, {});
}

juce::File userPresetFile(VkJuceProcessorBase* processor, const juce::String& category,
                          const juce::String& name)
{
    return findExistingEntry(userCategoryFolder(processor, category), name, kPresetExtension);
}
} // namespace

bool copyPreset(VkJuceProcessorBase* processor, const juce::String& category, const juce::String& name)
{
    const auto source = userPresetFile(processor, category, name);
    if (source == juce::File())
        return false;
    // Always numbered, even the first copy: "Bass" gives "Bass 1", then "Bass 2".
    const auto destination = firstFreeNumberedSibling(source, kPresetExtension);
    return destination != juce::File() && copyWithoutReplacing(source, destination);
}

bool renamePreset(VkJuceProcessorBase* processor, const juce::String& category, const juce::String& name,
                  const juce::String& typedName)
{
    const auto source = userPresetFile(processor, category, name);
    const auto encoded = encodePresetName(typedName);
    if (source == juce::File() || !isUsableEncodedName(encoded))
        return false;
    const auto wanted = childOf(source.getParentDirectory(), encoded + kPresetExtension);
    return moveWithoutReplacing(source, firstFreeNumberedName(wanted, kPresetExtension));
}

bool movePreset(VkJuceProcessorBase* processor, const juce::String& category, const juce::String& name,
                const juce::String& typedCategory)
{
    const auto source = userPresetFile(processor, category, name);
    if (source == juce::File() || isInstalledName(typedCategory) || !isUsableName(typedCategory))
        return false;
    const VkJucePresetFile destination(typedCategory, source.getFileNameWithoutExtension());
    const auto folder = VkJucePresetFile::getPresetCategoryFolder(destination, processor);
    if (folder == juce::File() ||
        (!folder.isDirectory() && !VkJucePresetFile::createPresetCategory(processor, typedCategory)))
        return false;
    const auto wanted = childOf(folder, source.getFileName());
    return moveWithoutReplacing(source, firstFreeNumberedName(wanted, kPresetExtension));
}

bool renamePresetCategory(VkJuceProcessorBase* processor, const juce::String& category,
                          const juce::String& typedName)
{
    const auto source = userCategoryFolder(processor, category);
    const auto encoded = encodePresetName(typedName);
    if (source == juce::File() || isInstalledName(typedName) || !isUsableEncodedName(encoded))
        return false;
    const auto wanted = childOf(source.getParentDirectory(), encoded);
    return moveWithoutReplacing(source, firstFreeNumberedName(wanted, {}));
}

bool browsePresetCategory(VkJuceProcessorBase* processor, const juce::String& category)
{
    const auto folder = VkJucePresetFile::findListedCategoryFolder(processor, category);
    if (processor == nullptr || !folder.isDirectory())
        return false;
    return platform::openWithDesktop(folder.getFullPathName().toStdString());
}

} // namespace vk::presets
