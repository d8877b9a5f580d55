// "Open manual": the PDF in the install folder goes to the desktop's viewer as one argument; a missing
// file or folder shows the error screen with the path, and nothing is started or executed.
#include "menu_test_support.h"

#include "processor/vk_registry.h"

#include <filesystem>
#include <fstream>

using namespace vk;
using namespace vk::test;

namespace
{
struct ManualFixture : MenuFixture
{
    void SetUp() override
    {
        makeEditor();
        menu().setOpen(true);
    }
    void setInstallFolder(const std::filesystem::path& folder)
    {
        ASSERT_TRUE(registry::writeProductString("Install Folder", folder.string().c_str()));
    }
    std::filesystem::path makeManual(const std::string& folderName)
    {
        const auto folder = folders.root() / folderName;
        std::filesystem::create_directories(folder);
        const auto manual = folder / "Latiphonix3 Manual.pdf";
        std::ofstream(manual) << "%PDF-1.4\n";
        return manual;
    }
};
} // namespace

TEST_F(ManualFixture, AnInstalledManualGoesToTheViewerAsOneArgument)
{
    // Spaces, quotes and shell syntax in the folder are just characters of the path.
    for (const std::string name : {"Latiphonix3", "VEKLA Audio \"x\"; $(touch y) `z` 'q'"})
    {
        launcher.calls.clear();
        const auto manual = makeManual(name);
        setInstallFolder(manual.parent_path());
        click("Open manual");
        EXPECT_TRUE(showing<VkJuceMenuScreenMainMenu>()) << name;
        ASSERT_EQ(launcher.calls.size(), 1u) << name;
        EXPECT_EQ(launcher.calls[0], (std::vector<std::string>{"xdg-open", manual.string()}));
    }
}

TEST_F(ManualFixture, AMissingManualShowsTheErrorScreenWithThePath)
{
    const auto folder = folders.root() / "empty";
    std::filesystem::create_directories(folder);
    setInstallFolder(folder);
    click("Open manual");
    ASSERT_TRUE(showing<VkJuceMenuScreenOpenManualError>());
    EXPECT_TRUE(launcher.calls.empty());
    EXPECT_EQ(texts(),
              (std::vector<std::string>{
                  "", "VEKLA Audio Latiphonix3", "I'm sorry, I wasn't able to find the manual at",
                  (folder / "Latiphonix3 Manual.pdf").string(), "You may need to re-run the installer for",
                  "this plug-in.  If that doesn't help please",
                  "e-mail support@vekla-audio.example and we will help you.", "Ok"}));
    click("Ok");
    EXPECT_TRUE(showing<VkJuceMenuScreenMainMenu>());
}

TEST_F(ManualFixture, NoInstallFolderOrAFolderInsteadOfTheFileIsAnError)
{
    // Nothing recorded: the root folder is not probed.
    click("Open manual");
    EXPECT_TRUE(showing<VkJuceMenuScreenOpenManualError>());

    // A relative folder, and a folder where the file should be.
    const auto folder = folders.root() / "dir";
    std::filesystem::create_directories(folder / "Latiphonix3 Manual.pdf");
    for (const std::filesystem::path& installFolder : {std::filesystem::path("relative/folder"), folder})
    {
        setInstallFolder(installFolder);
        click("Ok");
        click("Open manual");
        EXPECT_TRUE(showing<VkJuceMenuScreenOpenManualError>()) << installFolder;
    }
    EXPECT_TRUE(launcher.calls.empty());
}

TEST_F(ManualFixture, AViewerThatCannotBeStartedShowsTheErrorScreen)
{
    const auto manual = makeManual("Latiphonix3");
    setInstallFolder(manual.parent_path());
    platform::setLauncherOverride([](const std::vector<std::string>&) { return false; });
    click("Open manual");
    EXPECT_TRUE(showing<VkJuceMenuScreenOpenManualError>());
}
