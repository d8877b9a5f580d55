#pragma once

// The preset file browser's operations on the store: delete, copy, rename and move a preset, delete and
// rename a category, and show a category folder in the file manager. Each acts on the file or folder the
// browser listed the item from, whatever its name on disk, and refuses anything that is not a listed user
// preset or category. Typed names pass through the store's name encoding, so that one typed name is always
// one file or folder directly inside the expected folder, listed exactly as typed; a typed name longer than
// the store takes (kMaxStoredNameBytes as stored) is refused, as is a numbered name that could not be a
// file name (a copy of a long name written by an earlier version). Nothing is ever
// overwritten: a destination taken on disk, or by an entry listed under the same name, gets the first free
// " 1" .. " 99" suffix, and when all are taken the operation is refused and every file stays where it was.
// "Installed" is never changed.
// [message thread] File I/O; allocates.

#include "processor/vk_processor_base.h"

#include <juce_core/juce_core.h>

namespace vk::presets
{

// Whether the file is a preset listed in a user category, or the folder a user category is listed from.
bool isUserPresetFile(VkJuceProcessorBase* processor, const juce::File& preset);
bool isUserCategoryFolder(VkJuceProcessorBase* processor, const juce::File& folder);

bool deletePresetFile(VkJuceProcessorBase* processor, const juce::File& preset);
bool deleteCategoryFolder(VkJuceProcessorBase* processor, const juce::File& folder);

// Copies a preset beside itself as "<name> <i>" (first free i of 1 .. 99).
bool copyPreset(VkJuceProcessorBase* processor, const juce::File& preset);

// Renames a preset to the typed name (numbered when that is taken).
bool renamePreset(VkJuceProcessorBase* processor, const juce::File& preset, const juce::String& typedName);

// Moves a preset into the user category listed under the typed name, or a new one made for it (numbered
// when a preset of that name is there already).
bool movePreset(VkJuceProcessorBase* processor, const juce::File& preset, const juce::String& typedCategory);

// Renames a user category to the typed name (numbered when that is taken); never to "Installed".
bool renamePresetCategory(VkJuceProcessorBase* processor, const juce::File& folder,
                          const juce::String& typedName);

// Opens a listed category's folder (user or installed) in the file manager through the desktop launcher.
bool browsePresetCategory(VkJuceProcessorBase* processor, const juce::File& folder);

} // namespace vk::presets
