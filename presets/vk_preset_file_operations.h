#pragma once

// The preset file browser's dialog operations on the store: copy, rename and move a preset, rename a
// category, and show a category folder in the file manager. Typed names pass through the store's name
// encoding, so one typed name is always one file or folder directly inside the expected folder. Nothing
// is ever overwritten: an existing destination gets the first free " 1" .. " 99" suffix, and when all are
// taken the operation is refused and every file stays where it was. "Installed" is never changed.
// [message thread] File I/O; allocates.

#include "processor/vk_processor_base.h"

#include <juce_core/juce_core.h>

namespace vk::presets
{

// Copies a preset of a user category beside itself as "<name> <i>" (first free i of 1 .. 99).
bool copyPreset(VkJuceProcessorBase* processor, const juce::String& category, const juce::String& name);

// Renames a preset of a user category to the typed name (numbered when that exists).
bool renamePreset(VkJuceProcessorBase* processor, const juce::String& category, const juce::String& name,
                  const juce::String& typedName);

// Moves a preset of a user category into the typed user category, creating that folder when missing
// (numbered when a preset of that name is there already).
bool movePreset(VkJuceProcessorBase* processor, const juce::String& category, const juce::String& name,
                const juce::String& typedCategory);

// Renames a user category to the typed name (numbered when that exists); never to "Installed".
bool renamePresetCategory(VkJuceProcessorBase* processor, const juce::String& category,
                          const juce::String& typedName);

// Opens the category's folder (user or installed) in the file manager through the desktop launcher.
bool browsePresetCategory(VkJuceProcessorBase* processor, const juce::String& category);

} // namespace vk::presets
