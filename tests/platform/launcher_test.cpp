#include "platform/vk_launcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

namespace fs = std::filesystem;

TEST(Launcher, TheOpenerGetsTheTargetAsOneArgument)
{
    std::vector<std::vector<std::string>> launched;
    vk::platform::setLauncherOverride(
        [&](const std::vector<std::string>& arguments)
        {
            launched.push_back(arguments);
            return true;
        });
    EXPECT_TRUE(vk::platform::openWithDesktop("/home/me/My Presets; rm -rf ~"));
    EXPECT_FALSE(vk::platform::openWithDesktop(""));
    EXPECT_FALSE(vk::platform::openWithDesktop("--help"));
    vk::platform::setLauncherOverride({});
    EXPECT_EQ(launched,
              (std::vector<std::vector<std::string>>{{"xdg-open", "/home/me/My Presets; rm -rf ~"}}));
}

TEST(Launcher, AStartedProgramSeesItsArgumentsLiterallyWithNoShell)
{
    const auto folder =
        fs::temp_directory_path() / ("vk-launcher-test-" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
    // A shell would split this, run the substitution and the second command.
    const auto hostile = folder / "a b; touch injected $(touch substituted) 'q'";
    ASSERT_TRUE(vk::platform::startDetachedProcess({"touch", hostile.string()}));
    // The child is detached: wait, generously, for its file.
    for (int i = 0; i < 3000 && !fs::exists(hostile); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(fs::exists(hostile));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    EXPECT_FALSE(fs::exists("injected") || fs::exists("substituted"));

    EXPECT_FALSE(vk::platform::startDetachedProcess({"vk-no-such-program-here"}));
    EXPECT_FALSE(vk::platform::startDetachedProcess({hostile.string()})); // not executable
    EXPECT_FALSE(vk::platform::startDetachedProcess({}));
    fs::remove_all(folder);
}
