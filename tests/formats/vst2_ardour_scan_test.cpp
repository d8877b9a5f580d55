// An independent check of the module's binary interface: Ardour's VST 2.4 scanner loads the module,
// instantiates it and writes what it read into its cache. Skipped where Ardour is not installed.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace
{

const std::filesystem::path kArdourLibs = "/usr/lib/ardour7";
const std::filesystem::path kScanner = kArdourLibs / "ardour-vst-scanner";

std::string readAll(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Vst2ArdourScan, ScannerAcceptsTheModule)
{
    if (!std::filesystem::exists(kScanner))
        GTEST_SKIP() << "Ardour 7 is not installed (" << kScanner << " missing)";

    std::random_device random;
    const auto cache = std::filesystem::temp_directory_path() / ("vk-vst2-scan-" + std::to_string(random()));
    std::filesystem::create_directories(cache);
    const auto log = cache / "scanner.log";
    const std::string command = "HOME='" + cache.string() + "' XDG_CACHE_HOME='" + cache.string() +
                                "' LD_LIBRARY_PATH='" + kArdourLibs.string() + "' '" + kScanner.string() +
                                "' -f -v '" VK_VST2_MODULE "' > '" + log.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    const auto output = readAll(log);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("Found Plugin"), std::string::npos) << output;

    std::string info;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(cache))
        if (entry.path().extension() == ".v2i")
            info = readAll(entry.path());
    ASSERT_FALSE(info.empty()) << "no scanner cache written\n" << output;
    for (const char* attribute : {"id=\"1280594003\"" /* 'LTPS' */, "name=\"VEKLA Latiphonix3\"",
                                  "creator=\"VEKLA Audio\"", "category=\"Effect\"", "n_inputs=\"2\"",
                                  "n_outputs=\"2\"", "is_instrument=\"0\"", "can_process_replace=\"1\""})
        EXPECT_NE(info.find(attribute), std::string::npos) << attribute << "\n" << info;

    std::error_code error;
    std::filesystem::remove_all(cache, error);
}

} // namespace
