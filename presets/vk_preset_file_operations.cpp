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
bool isListedIn(const juce::File& entry, const juce::File& folder, const juce::String& extension)
{
    return entry != juce::File() && listedEntries(folder, extension).contains(entry);
}

// The user category listed under a typed name, made when there is none; never "Installed".
juce::File typedCategoryFolder(VkJuceProcessorBase* processor, const juce::String& typed)
{
    if (processor == nullptr || typed.isEmpty() || typed == VkJucePresetFile::kInstalledCategory)
        return {};
    const auto root = VkJucePresetFile::getUserPresetRoot(processor);
    const auto listed = findExistingEntry(root, typed, {});
    if (listed != juce::File())
        return listed;
    if (!fitsStoredNameLimit(typed))
        return {};
    const auto folder = childOf(root, encodePresetName(typed));
    return folder != juce::File() && folder.createDirectory().wasOk() && folder.isDirectory() ? folder
                                                                                              : juce::File();
}
} // namespace

bool isUserCategoryFolder(VkJuceProcessorBase* processor, const juce::File& folder)
{
    return processor != nullptr &&
           decodePresetName(folder.getFileName()) != VkJucePresetFile::kInstalledCategory &&
           isListedIn(folder, VkJucePresetFile::getUserPresetRoot(processor), {});
}

bool isUserPresetFile(VkJuceProcessorBase* processor, const juce::File& preset)
{
    return isUserCategoryFolder(processor, preset.getParentDirectory()) &&
           isListedIn(preset, preset.getParentDirectory(), kPresetExtension);
}

bool deletePresetFile(VkJuceProcessorBase* processor, const juce::File& preset)
{
    return isUserPresetFile(processor, preset) && preset.deleteFile();
}

bool deleteCategoryFolder(VkJuceProcessorBase* processor, const juce::File& folder)
{
    return isUserCategoryFolder(processor, folder) && folder.deleteRecursively(false);
}

bool copyPreset(VkJuceProcessorBase* processor, const juce::File& preset)
{
    if (!isUserPresetFile(processor, preset))
        return false;
    // Always numbered, even the first copy: "Bass" gives "Bass 1", then "Bass 2".
    const auto destination = firstFreeName(preset.getParentDirectory(), preset.getFileNameWithoutExtension(),
                                           kPresetExtension, true);
    return destination != juce::File() && copyWithoutReplacing(preset, destination);
}

bool renamePreset(VkJuceProcessorBase* processor, const juce::File& preset, const juce::String& typedName)
{
    if (!isUserPresetFile(processor, preset) || !isUsableName(typedName) || !fitsStoredNameLimit(typedName))
        return false;
    const auto destination =
        firstFreeName(preset.getParentDirectory(), encodePresetName(typedName), kPresetExtension, false);
    return destination != juce::File() && moveWithoutReplacing(preset, destination);
}

bool movePreset(VkJuceProcessorBase* processor, const juce::File& preset, const juce::String& typedCategory)
{
    if (!isUserPresetFile(processor, preset))
        return false;
    const auto folder = typedCategoryFolder(processor, typedCategory);
    const auto destination =
        firstFreeName(folder, preset.getFileNameWithoutExtension(), kPresetExtension, false);
    return destination != juce::File() && moveWithoutReplacing(preset, destination);
}

bool renamePresetCategory(VkJuceProcessorBase* processor, const juce::File& folder,
                          const juce::String& typedName)
{
    if (!isUserCategoryFolder(processor, folder) || !isUsableName(typedName) ||
        !fitsStoredNameLimit(typedName) || typedName == VkJucePresetFile::kInstalledCategory)
        return false;
    const auto destination =
        firstFreeName(folder.getParentDirectory(), encodePresetName(typedName), {}, false);
    return destination != juce::File() && moveWithoutReplacing(folder, destination);
}

bool browsePresetCategory(VkJuceProcessorBase* processor, const juce::File& folder)
{
    if (processor == nullptr || !folder.isDirectory() ||
        !VkJucePresetFile::getPresetCategoryFolders(processor).contains(folder))
        return false;
    return platform::openWithDesktop(folder.getFullPathName().toStdString());
}

} // namespace vk::presets
