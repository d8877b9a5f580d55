#include "platform/vk_launcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

using vk::platform::openWithDesktop;
using vk::platform::setLauncherOverride;
using vk::platform::startDetachedProcess;

namespace
{
namespace fs = std::filesystem;

// Polls for a file a detached child writes; generous, since the machine may be busy.
bool appears(const fs::path& path)
{
    for (int i = 0; i < 3000; ++i)
    {
        if (fs::exists(path))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}
} // namespace

TEST(Launcher, TheDesktopOpenerGetsTheTargetAsOneArgument)
{
    std::vector<std::vector<std::string>> launched;
    setLauncherOverride(
        [&](const std::vector<std::string>& arguments)
        {
            launched.push_back(arguments);
            return true;
        });
    EXPECT_TRUE(openWithDesktop("/home/me/My Presets; rm -rf ~"));
    EXPECT_TRUE(openWithDesktop("http://example.invalid/manual?a=1&b=2"));
    EXPECT_FALSE(openWithDesktop(""));
    EXPECT_FALSE(openWithDesktop("--help"));
    setLauncherOverride({});
    EXPECT_EQ(launched,
              (std::vector<std::vector<std::string>>{{"xdg-open", "/home/me/My Presets; rm -rf ~"},
                                                     {"xdg-open", "http://example.invalid/manual?a=1&b=2"}}));
}

TEST(Launcher, AStartedProgramSeesEveryArgumentLiterallyAndNoShell)
{
    std::random_device random;
    const auto folder = fs::temp_directory_path() / ("vk-launcher-test-" + std::to_string(random()));
    fs::create_directories(folder);
    // A shell would split this, run the substitution and the second command.
    const auto hostile = folder / "a b; touch injected $(touch substituted) 'q'";
    ASSERT_TRUE(startDetachedProcess({"touch", hostile.string()}));
    EXPECT_TRUE(appears(hostile));
    EXPECT_FALSE(fs::exists(fs::current_path() / "injected"));
    EXPECT_FALSE(fs::exists(fs::current_path() / "substituted"));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++entries;
    EXPECT_EQ(entries, 1u);

    EXPECT_FALSE(startDetachedProcess({"vk-no-such-program-here"}));
    EXPECT_FALSE(startDetachedProcess({(folder / "missing").string()}));
    EXPECT_FALSE(startDetachedProcess({}));
    // Found but not executable.
    EXPECT_FALSE(startDetachedProcess({hostile.string()}));
    fs::remove_all(folder);
}
