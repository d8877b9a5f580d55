#pragma once

// The file-system steps of the preset store that must never lose or overwrite a user's file: resolving a
// name to exactly one existing entry, picking a free numbered name, and moving or copying without ever
// replacing anything. [message thread] File I/O; allocates.

#include <juce_core/juce_core.h>

#include <functional>

namespace vk::presets
{

// parent/encodedName, or the invalid file when the parent is invalid or the name is not usable (so that
// "", "." or ".." can never turn into the parent itself, its parent or the file system's root) or longer
// than a file name can be.
juce::File childOf(const juce::File& parent, const juce::String& encodedName);

// Writes `bytes` to `file`, creating it or replacing it whole: through a hidden temporary file beside it,
// moved over it once written and synced, so that a failed write leaves the old file as it was. The
// temporary name is 12 bytes (".vkp" and eight hex digits), so any file whose own name fits can be written
// (the framework's temporary name is the file's own plus up to 18 bytes). False when anything fails; the
// temporary file is then gone.
bool replaceFileContents(const juce::File& file, const juce::MemoryBlock& bytes);

// What a listing of `folder` shows: its files ending in `extension`, or (with an empty extension) its
// sub-folders; hidden ones are never listed.
juce::Array<juce::File> listedEntries(const juce::File& folder, const juce::String& extension);

// The one entry of `folder` listed under the decoded `name`, whatever its name on disk ("A%2FB" is listed as
// "A/B" as "A&2FB" is). The invalid file when none or several are: acting on one of several could hit
// another file than the one meant. `extension` is ".vkp" for presets and empty for category folders.
juce::File findExistingEntry(const juce::File& folder, const juce::String& name,
                             const juce::String& extension);

// The first of "<stem><extension>" (unless numberedOnly) and "<stem> <i><extension>" for i = 1 .. 99 in
// `folder` that nothing occupies on disk (a dangling link occupies its name) and that would not be listed
// under the same name as an entry already there; else the invalid file. `stem` is a name on disk.
juce::File firstFreeName(const juce::File& folder, const juce::String& stem, const juce::String& extension,
                         bool numberedOnly);

// Moves a file or folder to `to`, which must not exist: a plain rename first, and across file systems a
// copy that is verified before the original is deleted entry by entry, each only where its copy holds the
// same (an entry added or changed meanwhile stays, and the move then reports false with both places
// holding everything). False otherwise leaves both places as they were.
bool moveWithoutReplacing(const juce::File& from, const juce::File& to);

// Copies a file, or a folder with everything in it, to `to`, which must not exist, and verifies the copy.
// A failed or differing copy is removed again: exactly the entries this call created, never one another
// process put there meanwhile. Never copies a folder into itself.
bool copyWithoutReplacing(const juce::File& from, const juce::File& to);

// Tests stand in for another process at the moments a copy or move can be raced, and force the
// copy-and-delete path that moves across file systems take.
struct DiskTestHooks
{
    // Just before a file of a copy is created exclusively, with its path.
    std::function<void(const juce::File&)> beforeExclusiveCreate;
    // After a move's copy was verified, before the original is deleted.
    std::function<void()> beforeSourceRemoved;
    // Every move copies and deletes as if source and destination lay on different file systems.
    bool crossFileSystem = false;
};

// [message thread] Null restores normal operation; the hooks must outlive their use.
void setDiskTestHooks(const DiskTestHooks* hooks);

} // namespace vk::presets
