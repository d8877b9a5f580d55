#include "presets/vk_juce_preset_file.h"

#include "formats/identity/vk_plugin_identity.h"
#include "platform/vk_data_folders.h"
#include "presets/vk_preset_disk.h"
#include "presets/vk_preset_document.h"
#include "presets/vk_preset_names.h"
#include "processor/vk_registry.h"

#include <algorithm>
#include <filesystem>
#include <optional>

using namespace vk::presets;

namespace
{
bool isInstalled(const juce::String& encodedCategory)
{
    return encodedCategory == VkJucePresetFile::kInstalledCategory;
}

PresetParameterList describeParameters(VkJuceProcessorBase& processor)
{
    PresetParameterList list;
    const int count = std::min(processor.getNumParameters(), kMaxMainParameters);
    list.defaults.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
    {
        list.keys.add(processor.getParameterKey(i));
        list.defaults.push_back(processor.getParameterRecord(i).defaultValue.load());
    }
    return list;
}

// The file's bytes, read no further than the largest preset we accept: a file that grows while being
// read can never make us allocate more. Only regular files: opening a named pipe would block.
std::optional<juce::MemoryBlock> readBoundedFile(const juce::File& file)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file.getFullPathName().toStdString(), error) ||
        file.getSize() > kMaxPresetFileBytes)
        return std::nullopt;
    juce::FileInputStream in(file);
    if (in.failedToOpen())
        return std::nullopt;
    juce::MemoryBlock bytes;
    if (in.readIntoMemoryBlock(bytes, kMaxPresetFileBytes + 1) > size_t(kMaxPresetFileBytes))
        return std::nullopt;
    return bytes;
}

juce::File hooked(VkJuceProcessorBase* processor, const juce::File& folder)
{
    return (processor != nullptr && folder != juce::File()) ? processor->getUserPresetFolder(folder) : folder;
}

void stepProcessor(VkJuceProcessorBase& processor, bool next)
{
    juce::String category, name;
    processor.getCurrentProgramInfo(category, name);
    auto record = next ? VkJucePresetFile::getNextPreset(&processor, category, name)
                       : VkJucePresetFile::getPreviousPreset(&processor, category, name);
    if (record.load(&processor))
        record.applyPreset(&processor);
}
} // namespace

VkJucePresetFile::VkJucePresetFile(const juce::String& category, const juce::String& name)
    : m_name(encodePresetName(name)), m_category(encodePresetName(category)),
      m_program(std::make_unique<ProgramRecord>())
{
}

VkJucePresetFile::VkJucePresetFile(DiskNames, const juce::String& folderName, const juce::String& fileStem)
    : m_name(fileStem), m_category(folderName), m_program(std::make_unique<ProgramRecord>())
{
}

VkJucePresetFile VkJucePresetFile::forListedFile(const juce::File& presetFile)
{
    return {DiskNames{}, presetFile.getParentDirectory().getFileName(),
            presetFile.getFileNameWithoutExtension()};
}

VkJucePresetFile::VkJucePresetFile(const VkJucePresetFile& other)
    : m_name(other.m_name), m_category(other.m_category), m_loaded(other.m_loaded),
      m_program(std::make_unique<ProgramRecord>(*other.m_program))
{
}

VkJucePresetFile& VkJucePresetFile::operator=(const VkJucePresetFile& other)
{
    if (this != &other)
    {
        m_name = other.m_name;
        m_category = other.m_category;
        m_loaded = other.m_loaded;
        *m_program = *other.m_program;
    }
    return *this;
}

VkJucePresetFile::~VkJucePresetFile() = default;

juce::String VkJucePresetFile::getName() const
{
    return decodePresetName(m_name);
}

//==================================================================================================
// Folders

juce::File VkJucePresetFile::getUserPresetRoot(VkJuceProcessorBase* processor)
{
    // The framework's file class holds only absolute paths; a relative folder from the environment is
    // taken from the working folder.
    std::error_code error;
    auto base = std::filesystem::absolute(vk::platform::userDataFolder(), error);
    if (error)
        base = vk::platform::userDataFolder();
    const juce::File folder = juce::File(juce::String(base.string()))
                                  .getChildFile(vk::identity::kMaker)
                                  .getChildFile("Presets")
                                  .getChildFile(vk::identity::kProductKey);
    return hooked(processor, folder);
}

juce::File VkJucePresetFile::getInstalledPresetRoot(VkJuceProcessorBase* processor)
{
    // Without a recorded install folder there is no installed root at all, rather than "/Presets".
    const auto installFolder = vk::registry::readProductString("Install Folder").trim();
    if (installFolder.isEmpty() || !juce::File::isAbsolutePath(installFolder))
        return {};
    return hooked(processor, juce::File(installFolder).getChildFile("Presets"));
}

juce::File VkJucePresetFile::getPresetRoot(const VkJucePresetFile& record, VkJuceProcessorBase* processor)
{
    return isInstalled(record.m_category) ? getInstalledPresetRoot(processor) : getUserPresetRoot(processor);
}

juce::File VkJucePresetFile::getPresetCategoryFolder(const VkJucePresetFile& record,
                                                     VkJuceProcessorBase* processor)
{
    return childOf(getPresetRoot(record, processor), record.m_category);
}

juce::File VkJucePresetFile::getPresetFilePath(const VkJucePresetFile& record, VkJuceProcessorBase* processor)
{
    if (!isUsableEncodedName(record.m_name))
        return {};
    return childOf(getPresetCategoryFolder(record, processor), record.m_name + kPresetExtension);
}

//==================================================================================================
// Listing, creating and deleting

juce::Array<juce::File> VkJucePresetFile::getPresetCategoryFolders(VkJuceProcessorBase* processor)
{
    const auto root = getUserPresetRoot(processor);
    auto folders = listedEntries(root, {});
    if (folders.isEmpty())
        createPresetCategory(processor, kUserCategory);
    // A user folder listed as "Installed" would stand for the installed category; it is not listed.
    folders.removeIf([](const juce::File& folder)
                     { return decodePresetName(folder.getFileName()) == kInstalledCategory; });
    std::stable_sort(
        folders.begin(), folders.end(),
        [](const juce::File& a, const juce::File& b) {
            return decodePresetName(a.getFileName()).compareIgnoreCase(decodePresetName(b.getFileName())) < 0;
        });
    folders.insert(0, getPresetCategoryFolder({kInstalledCategory, {}}, processor));
    return folders;
}

juce::StringArray VkJucePresetFile::getPresetCategories(VkJuceProcessorBase* processor)
{
    juce::StringArray categories;
    for (const auto& folder : getPresetCategoryFolders(processor))
        categories.add(categories.isEmpty() ? juce::String(kInstalledCategory)
                                            : decodePresetName(folder.getFileName()));
    return categories;
}

juce::File VkJucePresetFile::findListedCategoryFolder(VkJuceProcessorBase* processor,
                                                      const juce::String& category)
{
    if (category == kInstalledCategory)
        return getPresetCategoryFolder({kInstalledCategory, {}}, processor);
    const auto root = getUserPresetRoot(processor);
    const auto onDisk = childOf(root, category);
    if (onDisk.isDirectory())
        return onDisk;
    return findExistingEntry(root, category, {});
}

juce::Array<juce::File> VkJucePresetFile::getPresetFilesInCategory(VkJuceProcessorBase* processor,
                                                                   const juce::String& category)
{
    return listedEntries(findListedCategoryFolder(processor, category), kPresetExtension);
}

juce::StringArray VkJucePresetFile::getPresetsInCategory(VkJuceProcessorBase* processor,
                                                         const juce::String& category)
{
    juce::StringArray names;
    for (const auto& file : getPresetFilesInCategory(processor, category))
        names.add(decodePresetName(file.getFileNameWithoutExtension()));
    return names;
}

juce::File VkJucePresetFile::getPresetFileForName(const juce::File& categoryFolder, const juce::String& name)
{
    const auto listed = findExistingEntry(categoryFolder, name, kPresetExtension);
    return listed != juce::File() ? listed
                                  : childOf(categoryFolder, encodePresetName(name) + kPresetExtension);
}

bool VkJucePresetFile::createPresetCategory(VkJuceProcessorBase* processor, const juce::String& category)
{
    const auto encoded = encodePresetName(category);
    if (isInstalled(encoded))
        return false;
    const auto root = getUserPresetRoot(processor);
    // A folder already listed under the name is that category, whatever its name on disk.
    if (findExistingEntry(root, category, {}) != juce::File())
        return true;
    if (!fitsStoredNameLimit(category))
        return false;
    const auto folder = childOf(root, encoded);
    return folder != juce::File() && folder.createDirectory().wasOk() && folder.isDirectory();
}

bool VkJucePresetFile::deletePresetCategory(VkJuceProcessorBase* processor, const juce::String& category)
{
    if (category == kInstalledCategory)
        return false;
    const auto folder = findExistingEntry(getUserPresetRoot(processor), category, {});
    return folder != juce::File() && folder.deleteRecursively(false);
}

bool VkJucePresetFile::deletePreset(VkJuceProcessorBase* processor, const juce::String& category,
                                    const juce::String& name)
{
    if (category == kInstalledCategory)
        return false;
    const auto folder = findExistingEntry(getUserPresetRoot(processor), category, {});
    const auto file = findExistingEntry(folder, name, kPresetExtension);
    return file != juce::File() && file.deleteFile();
}

//==================================================================================================
// One preset

bool VkJucePresetFile::exists(VkJuceProcessorBase* processor) const
{
    return processor != nullptr && getPresetFilePath(*this, processor).existsAsFile();
}

bool VkJucePresetFile::load(VkJuceProcessorBase* processor)
{
    m_loaded = false;
    const auto file = getPresetFilePath(*this, processor);
    juce::Logger::writeToLog("VkJucePresetFile::load " + file.getFullPathName());
    if (processor == nullptr)
        return false;

    const auto bytes = readBoundedFile(file);
    if (!bytes)
        return false;
    const auto document = parsePresetDocument(bytes->getData(), bytes->getSize());
    if (document == nullptr)
        return false;
    m_loaded = readPresetValues(*document, describeParameters(*processor), m_program->values.data());
    return m_loaded;
}

bool VkJucePresetFile::save(VkJuceProcessorBase* processor)
{
    const auto file = getPresetFilePath(*this, processor);
    juce::Logger::writeToLog("VkJucePresetFile::save " + file.getFullPathName());
    if (processor == nullptr || !m_loaded || file == juce::File() || isInstalled(m_category))
        return false;
    // Saving never creates the category: a missing folder means the category was deleted meanwhile.
    if (!file.getParentDirectory().isDirectory())
        return false;
    // A new preset takes only a name the store can also copy and number; one on disk is saved over whatever
    // the length of its name.
    if (!file.existsAsFile() && m_name.getNumBytesAsUTF8() > std::size_t(kMaxStoredNameBytes))
        return false;

    const auto parameters = describeParameters(*processor);
    juce::MemoryOutputStream bytes;
    bytes.writeText(writePresetDocument(parameters.keys, m_program->values.data(), parameters.size()), false,
                    false, "\r\n");
    if (!replaceFileContents(file, bytes.getMemoryBlock()))
        return false;

    const auto name = getName();
    processor->changeProgramName(processor->getCurrentProgram(), name);
    processor->updateHostDisplay();
    processor->setCurrentProgramInfo(m_category, name);
    return true;
}

bool VkJucePresetFile::applyPreset(VkJuceProcessorBase* processor)
{
    if (processor == nullptr || !m_loaded)
        return false;
    processor->loadProgramValues(m_program->values.data());

    const int slot = VkJuceProcessorBase::sanitiseProgramSlot(processor->getCurrentProgram());
    auto program = std::make_unique<ProgramRecord>(processor->getProgram(slot));
    processor->captureParameterValues(program->values.data());
    processor->setProgram(slot, *program);

    const auto name = getName();
    processor->changeProgramName(processor->getCurrentProgram(), name);
    processor->updateHostDisplay();
    processor->sendAllParametersToHost();
    processor->setCurrentProgramInfo(m_category, name);
    return true;
}

bool VkJucePresetFile::capturePreset(VkJuceProcessorBase* processor)
{
    if (processor == nullptr)
        return false;
    processor->captureParameterValues(m_program->values.data());
    m_loaded = true;
    return true;
}

//==================================================================================================
// Stepping

std::vector<VkJucePresetFile> VkJucePresetFile::listPresetRecords(VkJuceProcessorBase* processor,
                                                                  const juce::String& category,
                                                                  const juce::String& currentName,
                                                                  int& currentIndex)
{
    std::vector<VkJucePresetFile> records;
    currentIndex = -1;
    for (const auto& file : getPresetFilesInCategory(processor, category))
    {
        records.push_back(forListedFile(file));
        if (records.back().getName() == currentName)
            currentIndex = int(records.size()) - 1;
    }
    return records;
}

VkJucePresetFile VkJucePresetFile::stepPreset(VkJuceProcessorBase* processor, const juce::String& category,
                                              const juce::String& currentName, int step)
{
    int index = -1;
    const auto records = listPresetRecords(processor, category, currentName, index);
    const int count = int(records.size());
    if (count == 0)
        return getFirstPreset(processor);
    const int chosen = index < 0 ? 0 : (index + step + count) % count;
    return records[std::size_t(chosen)];
}

VkJucePresetFile VkJucePresetFile::getNextPreset(VkJuceProcessorBase* processor, const juce::String& category,
                                                 const juce::String& currentName)
{
    return stepPreset(processor, category, currentName, 1);
}

VkJucePresetFile VkJucePresetFile::getPreviousPreset(VkJuceProcessorBase* processor,
                                                     const juce::String& category,
                                                     const juce::String& currentName)
{
    return stepPreset(processor, category, currentName, -1);
}

VkJucePresetFile VkJucePresetFile::getFirstPreset(VkJuceProcessorBase* processor)
{
    const auto categories = getPresetCategories(processor);
    if (categories.isEmpty())
        return {{}, {}};
    const auto presets = getPresetFilesInCategory(processor, categories[0]);
    if (presets.isEmpty())
        return {{}, {}};
    return forListedFile(presets[0]);
}

void VkJucePresetFile::installProcessorStepping()
{
    VkJuceProcessorBase::setPresetFileStepper(&stepProcessor);
}

namespace
{
// Linking the store into a module is what gives its processors preset-file stepping; the product need not
// remember to ask for it. The hook is a plain pointer, constant-initialised, so the order of static
// initialisation does not matter.
[[maybe_unused]] const bool steppingInstalled = (VkJucePresetFile::installProcessorStepping(), true);
} // namespace
