#pragma once

// A test processor whose user data folder is a fresh temporary folder, the store's roots inside it, and
// a digest of a folder tree so that a test can show exactly what an operation changed on disk.

#include "presets/vk_juce_preset_file.h"
#include "tests/processor/test_processor.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

class PresetStoreTest : public ::testing::Test
{
protected:
    PresetStoreTest();

    juce::File userRoot() { return VkJucePresetFile::getUserPresetRoot(&m_processor); }
    // Records an install folder inside the temporary folder; its "Presets/Installed" is made too.
    juce::File useInstallFolder();
    // Writes raw bytes as a file, making its folder.
    juce::File writeFile(const juce::File& file, const juce::String& text);
    // A preset of the current values saved through the store into a user category (made when missing).
    void savePreset(const juce::String& category, const juce::String& name);

    ScopedDataFolders m_folders;
    TestProcessor m_processor;
};

// Relative path -> "dir" or the file's bytes, for every entry under `folder` (symbolic links not
// followed); equal maps mean an identical tree.
using TreeDigest = std::map<std::string, std::string>;
TreeDigest digestTree(const juce::File& folder);
