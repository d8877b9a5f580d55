#pragma once

// The file-system steps of the preset store that must never lose or overwrite a user's file: resolving a
// name to exactly one existing entry, picking a free numbered name, and moving or copying without ever
// replacing anything. [message thread] File I/O; allocates.

#include <juce_core/juce_core.h>

namespace vk::presets
{

// parent/encodedName, or the invalid file when the parent is invalid or the name is not usable (so that
// "", "." or ".." can never turn into the parent itself, its parent or the file system's root).
juce::File childOf(const juce::File& parent, const juce::String& encodedName);

// The existing entry of `folder` that the decoded `name` stands for: the child named by its encoding,
// and only when encoding loses nothing of the name (decoding gives the name back) and no other entry of
// the folder shows under the same name. Otherwise the invalid file: acting on it could hit another file.
// `extension` is ".vkp" for presets and empty for category folders.
juce::File findExistingEntry(const juce::File& folder, const juce::String& name,
                             const juce::String& extension);

// `wanted` when nothing exists there; else the first free "<stem> <i><extension>" for i = 1 .. 99 beside
// it; else the invalid file.
juce::File firstFreeNumberedName(const juce::File& wanted, const juce::String& extension);

// Moves a file or folder to `to`, which must not exist: a plain rename first, and across file systems a
// copy that is verified before the original is deleted. False leaves both places as they were.
bool moveWithoutReplacing(const juce::File& from, const juce::File& to);

// Copies a file, or a folder with everything in it, to `to`, which must not exist, and verifies the copy;
// a failed or differing copy is removed again. Never copies a folder into itself.
bool copyWithoutReplacing(const juce::File& from, const juce::File& to);

} // namespace vk::presets
