#pragma once

// A test processor whose data folders are a fresh temporary folder, and a digest of a folder tree, so
// that a test shows exactly what an operation changed on disk.

#include "presets/vk_juce_preset_file.h"
#include "tests/processor/test_processor.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

// Relative path -> "dir", "link <target>" or the file's bytes, for everything under a folder.
using TreeDigest = std::map<std::string, std::string>;
TreeDigest digestTree(const std::string& folder);

class PresetStoreTest : public ::testing::Test
{
protected:
    PresetStoreTest() { VkJucePresetFile::installProcessorStepping(); }

    juce::File userRoot() { return VkJucePresetFile::getUserPresetRoot(&m_processor); }
    // Records an install folder inside the temporary folder, with an empty "Presets/Installed".
    juce::File useInstallFolder();
    juce::File writeFile(const juce::File& file, const juce::String& text);
    // The current values saved through the store into a user category (made when missing).
    void savePreset(const juce::String& category, const juce::String& name);
    std::string relativeToTemporaryFolder(const juce::File& file);
    TreeDigest digestAll() { return digestTree(m_folders.root().string()); }

    ScopedDataFolders m_folders;
    TestProcessor m_processor;
};
