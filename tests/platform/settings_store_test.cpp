#include "platform/vk_data_folders.h"
#include "platform/vk_settings_file.h"
#include "platform/vk_settings_store.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <thread>

namespace fs = std::filesystem;
using namespace vk::platform;

namespace
{
const std::string kKey = "VEKLA Audio\\Latiphonix3";

std::vector<std::uint8_t> bytesOf(const std::string& s)
{
    return {s.begin(), s.end()};
}

class SettingsStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / ("vk-settings-test-" + std::to_string(std::random_device()()));
        fs::create_directories(m_root / "user");
        fs::create_directories(m_root / "machine");
        setUserDataFolderOverride(m_root / "user");
        setMachineDataFolderOverride(m_root / "machine");
    }

    void TearDown() override
    {
        setUserDataFolderOverride({});
        setMachineDataFolderOverride({});
        fs::remove_all(m_root);
    }

    static bool write(SettingsScope scope, const std::string& name, const std::vector<std::uint8_t>& data)
    {
        return writeSettingsValueIn(scope, kKey, name, SettingsType::Binary, data.data(), data.size());
    }

    static void writeRawFile(const fs::path& file, const std::vector<std::uint8_t>& bytes)
    {
        fs::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    static std::vector<std::uint8_t> readRawFile(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path m_root;
};
} // namespace

// Reads prefer the user's store, find names without regard to case, and skip a value longer than the
// read limit in favour of the machine-wide one.
TEST_F(SettingsStoreTest, ReadsPreferTheUserStoreWithinTheSizeLimit)
{
    EXPECT_EQ(settingsFileFor(SettingsScope::User, kKey),
              m_root / "user" / "VEKLA Audio" / "Latiphonix3" / "Settings.vkstore");
    ASSERT_TRUE(write(SettingsScope::Machine, "Install Folder", bytesOf("machine")));
    EXPECT_EQ(readSettingsValue(kKey, "Install Folder"), bytesOf("machine"));
    ASSERT_TRUE(write(SettingsScope::User, "Install Folder", bytesOf("user")));
    EXPECT_EQ(readSettingsValue(kKey, "Install Folder"), bytesOf("user"));
    EXPECT_FALSE(readSettingsValue(kKey, "Missing").has_value());

    ASSERT_TRUE(write(SettingsScope::User, "RoutingDefault", bytesOf("a")));
    ASSERT_TRUE(write(SettingsScope::User, "ROUTINGDEFAULT", bytesOf("b")));
    EXPECT_EQ(readSettingsValue(kKey, "routingdefault"), bytesOf("b"));
    EXPECT_EQ(loadSettingsFile(settingsFileFor(SettingsScope::User, kKey)).contents.entries.size(), 2u);

    const std::vector<std::uint8_t> limit(kMaxSettingsValueBytes, 7);
    const std::vector<std::uint8_t> tooLong(kMaxSettingsValueBytes + 1, 7);
    ASSERT_TRUE(write(SettingsScope::User, "Exact", limit));
    ASSERT_TRUE(write(SettingsScope::User, "Long", tooLong));
    EXPECT_EQ(readSettingsValue(kKey, "Exact"), limit);
    EXPECT_FALSE(readSettingsValue(kKey, "Long").has_value());
    ASSERT_TRUE(write(SettingsScope::Machine, "Long", bytesOf("short")));
    EXPECT_EQ(readSettingsValue(kKey, "Long"), bytesOf("short"));
}

TEST_F(SettingsStoreTest, WriteGoesToBothStoresAndIgnoresMachineFailure)
{
    const auto data = bytesOf("x");
    fs::remove_all(m_root / "user"); // missing folders are created
    ASSERT_TRUE(writeSettingsValue(kKey, "Both", SettingsType::Binary, data.data(), data.size()));
    EXPECT_TRUE(loadSettingsFile(settingsFileFor(SettingsScope::User, kKey)).contents.find("Both"));
    EXPECT_TRUE(loadSettingsFile(settingsFileFor(SettingsScope::Machine, kKey)).contents.find("Both"));

    // A regular file where the machine-wide folder should be makes every machine write fail.
    writeRawFile(m_root / "blocked", bytesOf("file"));
    setMachineDataFolderOverride(m_root / "blocked");
    EXPECT_TRUE(writeSettingsValue(kKey, "UserOnly", SettingsType::Binary, data.data(), data.size()));
    EXPECT_EQ(readSettingsValue(kKey, "UserOnly"), data);

    setUserDataFolderOverride(m_root / "blocked");
    EXPECT_FALSE(writeSettingsValue(kKey, "Nowhere", SettingsType::Binary, data.data(), data.size()));
}

TEST_F(SettingsStoreTest, HostileKeyPathsAreRefused)
{
    for (const std::string key : {"", "..\\etc", "VEKLA Audio\\..", "a\\\\b", "a/b", "VEKLA Audio\\"})
    {
        EXPECT_TRUE(settingsFileFor(SettingsScope::User, key).empty()) << key;
        const auto data = bytesOf("v");
        EXPECT_FALSE(writeSettingsValue(key, "n", SettingsType::Binary, data.data(), data.size())) << key;
        EXPECT_FALSE(readSettingsValue(key, "n").has_value()) << key;
    }
}

TEST_F(SettingsStoreTest, EncodingRoundTripsAndRejectsDamage)
{
    SettingsContents contents;
    const std::vector<std::uint8_t> four{0, 0, 128, 63};
    contents.set("ExportSupport", SettingsType::Binary, four.data(), four.size());
    const std::string text = "C:\\Program Files\\VEKLA";
    contents.set("Install Folder", SettingsType::String, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                 text.size() + 1);
    contents.set("Empty", SettingsType::Binary, nullptr, 0);

    const auto bytes = encodeSettings(contents);
    SettingsContents decoded;
    ASSERT_TRUE(decodeSettings(bytes, decoded));
    ASSERT_EQ(decoded.entries.size(), 3u);
    EXPECT_EQ(decoded.find("ExportSupport")->data, four);
    EXPECT_EQ(decoded.find("Install Folder")->type, SettingsType::String);
    EXPECT_EQ(decoded.find("Install Folder")->data.back(), 0);
    EXPECT_TRUE(decoded.find("Empty")->data.empty());

    // Every truncation, every single flipped byte and any trailing byte is recognised as damage.
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
        EXPECT_FALSE(decodeSettings({bytes.begin(), bytes.begin() + std::ptrdiff_t(cut)}, decoded)) << cut;
    for (std::size_t i = 0; i < bytes.size(); ++i)
    {
        auto damaged = bytes;
        damaged[i] ^= 0x10;
        EXPECT_FALSE(decodeSettings(damaged, decoded)) << i;
    }
    auto longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(decodeSettings(longer, decoded)) << "a trailing byte";
}

TEST_F(SettingsStoreTest, CorruptStoreReadsEmptyAndIsKeptAside)
{
    const auto file = settingsFileFor(SettingsScope::User, kKey);
    const auto garbage = bytesOf("VKS1 this is not a settings store at all");
    writeRawFile(file, garbage);
    ASSERT_TRUE(write(SettingsScope::Machine, "Install Folder", bytesOf("machine")));

    EXPECT_EQ(loadSettingsFile(file).status, SettingsLoadStatus::Corrupt);
    EXPECT_EQ(readSettingsValue(kKey, "Install Folder"), bytesOf("machine"));

    ASSERT_TRUE(write(SettingsScope::User, "RoutingDefault", bytesOf("abcd")));
    const auto aside = fs::path(file.string() + ".corrupt");
    EXPECT_EQ(readRawFile(aside), garbage);
    const auto reloaded = loadSettingsFile(file);
    ASSERT_EQ(reloaded.status, SettingsLoadStatus::Loaded);
    ASSERT_EQ(reloaded.contents.entries.size(), 1u);
    EXPECT_EQ(reloaded.contents.entries[0].name, "RoutingDefault");

    // A second damaged store does not replace the first copy kept aside.
    writeRawFile(file, bytesOf("again"));
    ASSERT_TRUE(write(SettingsScope::User, "RoutingDefault", bytesOf("abcd")));
    EXPECT_EQ(readRawFile(aside), garbage);
    EXPECT_EQ(readRawFile(file.string() + ".corrupt1"), bytesOf("again"));
}

TEST_F(SettingsStoreTest, AtomicWriteLeavesNoTemporaryFilesAndKeepsOldStoreOnFailure)
{
    const auto file = settingsFileFor(SettingsScope::User, kKey);
    ASSERT_TRUE(write(SettingsScope::User, "A", bytesOf("1")));
    ASSERT_TRUE(write(SettingsScope::User, "B", bytesOf("2")));
    for (const auto& entry : fs::directory_iterator(file.parent_path()))
        EXPECT_TRUE(entry.path().filename() == "Settings.vkstore" ||
                    entry.path().filename() == "Settings.vkstore.lock")
            << entry.path();

    // Writing over a path whose folder cannot be created fails without touching anything.
    const auto before = readRawFile(file);
    SettingsContents other;
    other.set("C", SettingsType::Binary, reinterpret_cast<const std::uint8_t*>("3"), 1);
    writeRawFile(m_root / "plain", bytesOf("x"));
    EXPECT_FALSE(writeSettingsFileAtomically(m_root / "plain" / "sub" / "Settings.vkstore", other));
    EXPECT_EQ(readRawFile(file), before);
}

TEST_F(SettingsStoreTest, ConcurrentWritersLoseNoValue)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(
            [t]
            {
                for (int i = 0; i < 10; ++i)
                {
                    const auto name = "T" + std::to_string(t) + "_" + std::to_string(i);
                    const auto data = bytesOf(name);
                    writeSettingsValueIn(SettingsScope::User, kKey, name, SettingsType::Binary, data.data(),
                                         data.size());
                }
            });
    for (auto& thread : threads)
        thread.join();
    const auto loaded = loadSettingsFile(settingsFileFor(SettingsScope::User, kKey));
    EXPECT_EQ(loaded.contents.entries.size(), 40u);
}
