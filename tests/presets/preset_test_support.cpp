#include "tests/presets/preset_test_support.h"

#include "processor/vk_registry.h"

#include <filesystem>
#include <fstream>
#include <sstream>

PresetStoreTest::PresetStoreTest()
{
    VkJucePresetFile::installProcessorStepping();
}

juce::File PresetStoreTest::useInstallFolder()
{
    const juce::File folder(juce::String((m_folders.root() / "install dir").string()));
    EXPECT_TRUE(folder.getChildFile("Presets").getChildFile("Installed").createDirectory().wasOk());
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
    ASSERT_TRUE(record.capturePreset(&m_processor));
    ASSERT_TRUE(record.save(&m_processor)) << name;
}

TreeDigest digestTree(const juce::File& folder)
{
    namespace fs = std::filesystem;
    TreeDigest digest;
    const fs::path root(folder.getFullPathName().toStdString());
    std::error_code error;
    if (!fs::exists(root, error))
        return digest;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error))
    {
        const auto relative = fs::relative(it->path(), root).string();
        if (it->is_symlink())
            digest[relative] = "link " + fs::read_symlink(it->path()).string();
        else if (it->is_directory())
            digest[relative] = "dir";
        else
        {
            std::ifstream in(it->path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            digest[relative] = bytes.str();
        }
    }
    return digest;
}
