#include "tests/presets/preset_test_support.h"

#include "processor/vk_registry.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

juce::File PresetStoreTest::useInstallFolder()
{
    const juce::File folder(juce::String((m_folders.root() / "install dir").string()));
    EXPECT_TRUE(folder.getChildFile("Presets/Installed").createDirectory().wasOk());
    EXPECT_TRUE(vk::registry::writeProductString("Install Folder", folder.getFullPathName().toRawUTF8()));
    return folder;
}

juce::File PresetStoreTest::writeFile(const juce::File& file, const juce::String& text)
{
    EXPECT_TRUE(file.getParentDirectory().createDirectory().wasOk());
    EXPECT_TRUE(file.replaceWithText(text, false, false, nullptr));
    return file;
}

void PresetStoreTest::savePreset(const juce::String& category, const juce::String& name)
{
    VkJucePresetFile::createPresetCategory(&m_processor, category);
    VkJucePresetFile record(category, name);
    ASSERT_TRUE(record.capturePreset(&m_processor) && record.save(&m_processor)) << name;
}

std::string PresetStoreTest::relativeToTemporaryFolder(const juce::File& file)
{
    return fs::path(file.getFullPathName().toStdString()).lexically_relative(m_folders.root()).string();
}

TreeDigest digestTree(const std::string& folder)
{
    TreeDigest digest;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    {
        // The log grows with every operation; it is not part of any tree an operation may change.
        if (it->path().filename() == "VkLog.log")
            continue;
        auto& entry = digest[fs::relative(it->path(), folder).string()];
        if (it->is_symlink())
            entry = "link " + fs::read_symlink(it->path()).string();
        else if (it->is_directory())
            entry = "dir";
        else
        {
            std::ostringstream bytes;
            bytes << std::ifstream(it->path(), std::ios::binary).rdbuf();
            entry = bytes.str();
        }
    }
    return digest;
}
