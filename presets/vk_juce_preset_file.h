#pragma once

// One user preset and, through the static operations, the whole preset file store: where the category
// folders live, which categories and presets exist, creating and deleting them, reading and writing
// ".vkp" files, applying a preset to the processor's current program and capturing it back, and stepping
// through the presets of a category.
//
// Two roots hold the folders: the user root ("VEKLA Audio/Presets/Latiphonix3" in the user's data folder)
// with one folder per user category, and the installed root ("<Install Folder>/Presets") holding the one
// read-only category "Installed". Every operation that changes the disk acts only on a direct child of the
// user root or of a user category folder, never on "Installed", and never overwrites an existing file.
//
// [message thread] Every operation does file I/O and allocates. The store keeps no state between calls.
// A record holds one program (12 kB) on the heap.

#include "processor/vk_processor_base.h"
#include "processor/vk_program_record.h"

#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

class VkJucePresetFile
{
public:
    static constexpr const char* kInstalledCategory = "Installed";
    static constexpr const char* kUserCategory = "User";

    // Both are names as typed or listed, stored encoded (forListedFile makes records of names on disk).
    VkJucePresetFile(const juce::String& category, const juce::String& name);
    VkJucePresetFile(const VkJucePresetFile& other);
    VkJucePresetFile& operator=(const VkJucePresetFile& other);
    ~VkJucePresetFile();

    const juce::String& getEncodedName() const noexcept { return m_name; }
    const juce::String& getEncodedCategory() const noexcept { return m_category; }
    // The name as shown.
    juce::String getName() const;
    bool isLoaded() const noexcept { return m_loaded; }
    ProgramRecord& getProgram() noexcept { return *m_program; }
    const ProgramRecord& getProgram() const noexcept { return *m_program; }

    // False without a processor; else whether the preset file exists.
    bool exists(VkJuceProcessorBase* processor) const;
    // Reads the preset file into the values; on any failure the values stay as they were.
    bool load(VkJuceProcessorBase* processor);
    // Writes the captured or loaded values. Only after a successful write is the current program renamed
    // and the processor's current preset set to this one. Refused into "Installed", for names that are not
    // usable and, for a new file, for names longer than kMaxStoredNameBytes as stored (an existing file is
    // saved over whatever the length of its name); the category folder must exist.
    bool save(VkJuceProcessorBase* processor);
    // Loads the values into the current program as one undoable change, names the program after the
    // preset and makes it the processor's current preset.
    bool applyPreset(VkJuceProcessorBase* processor);
    bool capturePreset(VkJuceProcessorBase* processor);

    // Roots; without a processor the folders are not passed through its preset-folder hook. The installed
    // root is the invalid file when no "Install Folder" is recorded.
    static juce::File getUserPresetRoot(VkJuceProcessorBase* processor);
    static juce::File getInstalledPresetRoot(VkJuceProcessorBase* processor);
    // The invalid file when the record's category or name cannot name a child of its root.
    static juce::File getPresetRoot(const VkJucePresetFile& record, VkJuceProcessorBase* processor);
    static juce::File getPresetCategoryFolder(const VkJucePresetFile& record, VkJuceProcessorBase* processor);
    static juce::File getPresetFilePath(const VkJucePresetFile& record, VkJuceProcessorBase* processor);

    // Decoded names, "Installed" first and then the user categories ignoring case. An empty user root
    // gets the folder "User", which the next listing shows.
    static juce::StringArray getPresetCategories(VkJuceProcessorBase* processor);
    // The folders those names are read from, in the same order: "Installed" inside the installed root (the
    // invalid file without one), then the user root's folders.
    static juce::Array<juce::File> getPresetCategoryFolders(VkJuceProcessorBase* processor);
    // Decoded names of the category's presets in the file system's order.
    static juce::StringArray getPresetsInCategory(VkJuceProcessorBase* processor,
                                                  const juce::String& category);
    // The preset files those names are read from, in the same order. The category is given as stored (its
    // folder's name on disk, looked for first) or as listed.
    static juce::Array<juce::File> getPresetFilesInCategory(VkJuceProcessorBase* processor,
                                                            const juce::String& category);
    // A record (not yet loaded) of a listed preset file, named as the file and its folder are on disk: it
    // loads and saves exactly that file, also where encoding the listed name would give another one
    // ("A%2FB" is listed as "A/B" and encoded as "A&2FB").
    static VkJucePresetFile forListedFile(const juce::File& presetFile);
    // The folder of a category given as getPresetFilesInCategory takes it; the invalid file when there is
    // none, or when two folders are listed under the name.
    static juce::File findListedCategoryFolder(VkJuceProcessorBase* processor, const juce::String& category);
    // The preset file a name stands for in a listed category folder: the one file listed under the name,
    // else the file its encoding names, which then lists it as given (it may not exist yet).
    static juce::File getPresetFileForName(const juce::File& categoryFolder, const juce::String& name);

    // By name as listed; a name two entries are listed under is refused, and a new category's name longer
    // than kMaxStoredNameBytes as stored.
    static bool createPresetCategory(VkJuceProcessorBase* processor, const juce::String& category);
    static bool deletePresetCategory(VkJuceProcessorBase* processor, const juce::String& category);
    static bool deletePreset(VkJuceProcessorBase* processor, const juce::String& category,
                             const juce::String& name);

    // A record (not yet loaded) of the next or previous preset of the category after the one named
    // currentName, wrapping round; the first preset of the category when currentName is not in it, and
    // getFirstPreset when the category is empty.
    static VkJucePresetFile getNextPreset(VkJuceProcessorBase* processor, const juce::String& category,
                                          const juce::String& currentName);
    static VkJucePresetFile getPreviousPreset(VkJuceProcessorBase* processor, const juce::String& category,
                                              const juce::String& currentName);
    static std::vector<VkJucePresetFile> listPresetRecords(VkJuceProcessorBase* processor,
                                                           const juce::String& category,
                                                           const juce::String& currentName,
                                                           int& currentIndex);
    // The first preset of "Installed", or the record ("", "") that never loads.
    static VkJucePresetFile getFirstPreset(VkJuceProcessorBase* processor);

    // Makes the processor's next/previous preset parameters step through preset files while it is in
    // preset-file mode: loads the neighbour of the processor's current preset and applies it.
    static void installProcessorStepping();

private:
    struct DiskNames
    {
    };
    VkJucePresetFile(DiskNames, const juce::String& folderName, const juce::String& fileStem);
    static VkJucePresetFile stepPreset(VkJuceProcessorBase* processor, const juce::String& category,
                                       const juce::String& currentName, int step);

    juce::String m_name;
    juce::String m_category;
    bool m_loaded = false;
    std::unique_ptr<ProgramRecord> m_program;
};
