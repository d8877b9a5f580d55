// "Check for updates" against a server on 127.0.0.1 that the test starts (each answer ends on its screen;
// a server that refuses, stalls or trickles ends on the error screen within the time limit), and "Open
// manual" with a launcher that starts nothing.
#include "local_http_server.h"
#include "menu_test_support.h"

#include "menu/vk_web_link.h"
#include "processor/vk_registry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace vk;
using namespace vk::test;
using Mode = LocalHttpServer::Mode;
using Texts = std::vector<std::string>;

namespace
{
const std::string errorLine = "There was an error contacting the version server.";
const std::string preReleaseLine = "You have a pre-release or beta version of this";

struct WebFixture : MenuFixture
{
    void SetUp() override
    {
        // A proxy configured on the test machine must not stand between the client and 127.0.0.1.
        ::setenv("no_proxy", "127.0.0.1,localhost", 1);
        ASSERT_TRUE(weblink::isHttpClientAvailable()) << "libcurl is not installed";
        makeEditor();
        menu().setOpen(true);
    }
    void TearDown() override { ::unsetenv(weblink::testBaseVariable); }
    void pointAt(const juce::String& base) { ::setenv(weblink::testBaseVariable, base.toRawUTF8(), 1); }

    /** Clicks "Check for updates"; returns the first line of the screen it ends on and the time taken. */
    std::pair<std::string, double> checkForUpdates()
    {
        menu().setOpen(false);
        menu().setOpen(true);
        const double start = juce::Time::getMillisecondCounterHiRes();
        click("Check for updates");
        return {texts().at(2), juce::Time::getMillisecondCounterHiRes() - start};
    }
};
} // namespace

TEST_F(WebFixture, EveryAnswerOfTheVersionServerEndsOnItsScreenWithinTheLimit)
{
    // One reply per outcome (the reply parser's own tests hold the odd texts), then the faults of the server.
    const std::tuple<Mode, int, const char*, std::string> cases[] = {
        {Mode::reply, 200, "VERSION_Other,9.9,VERSION_Latiphonix3,3.2.9.4,VERSION_Last,1.0",
         "A newer version of this plug-in is available."},
        {Mode::reply, 200, "VERSION_Latiphonix3,3.2.9.3", "You have the latest release version of this"},
        {Mode::reply, 200, "VERSION_Latiphonix3,3.2.8.99", preReleaseLine},
        {Mode::reply, 200, "VERSION_Other,9.9,VERSION_latiphonix3,9.9", errorLine},
        {Mode::reply, 404, "VERSION_Latiphonix3,9.9.9.9", errorLine}, // not the version page
        {Mode::reply, 200, "", errorLine},
        {Mode::neverAnswer, 0, "", errorLine},
        {Mode::trickle, 0, "", errorLine},
    };
    for (const auto& [mode, status, body, expected] : cases)
    {
        SCOPED_TRACE(body + juce::String(" ") + juce::String((int)mode));
        LocalHttpServer server(mode, status, body);
        pointAt(server.getBaseAddress());
        const auto [firstLine, ms] = checkForUpdates();
        EXPECT_EQ(firstLine, expected);
        EXPECT_LE(ms, weblink::readTotalLimitMs);
        EXPECT_EQ(server.getNumRequests(), 1);
    }

    // Without the client library on the machine no request is made (the framework would not survive one).
    LocalHttpServer unused(Mode::reply, 200, "VERSION_Latiphonix3,3.2.9.3");
    pointAt(unused.getBaseAddress());
    weblink::setHttpClientAvailableOverride(false);
    EXPECT_EQ(checkForUpdates().first, errorLine);
    weblink::setHttpClientAvailableOverride(std::nullopt);
    EXPECT_EQ(unused.getNumRequests(), 0);

    // A list far longer than any version list is not one, whatever it holds.
    LocalHttpServer longReply(Mode::reply, 200,
                              "VERSION_Latiphonix3,9.0," + juce::String::repeatedString("x,", 40000));
    pointAt(longReply.getBaseAddress());
    EXPECT_EQ(checkForUpdates().first, errorLine);
}

TEST_F(WebFixture, RedirectsAreFollowedAndTheWholeCheckEndsByItsDeadline)
{
    constexpr int limitMs = 2000; // shortened for the test
    weblink::setReadTotalLimitOverride(limitMs);
    // Three quick hops lead to the version page. Slow ones are each answered well within the client's own
    // stall limit, so no single wait ends the request, but the four answers together take almost twice the
    // limit: only the deadline ends the check. The request is cancelled clientPollMs before the limit and the
    // client sees that when it next looks up from its wait. 900 ms hops put the cancel just after the second
    // hop began, where the client looks up within a few tens of ms (after 1200 ms hops it first waited for
    // the answer in progress, and ended 0.3 s later, 0.8 s on a busy machine): the bound keeps its room.
    for (const int hopDelayMs : {50, 900})
    {
        LocalHttpServer server(Mode::slowRedirects, 200, "VERSION_Latiphonix3,3.2.9.4", hopDelayMs);
        pointAt(server.getBaseAddress());
        const auto [firstLine, ms] = checkForUpdates();
        EXPECT_EQ(firstLine, hopDelayMs == 50 ? "A newer version of this plug-in is available." : errorLine);
        EXPECT_LE(ms, limitMs);
        EXPECT_GE(ms, hopDelayMs == 50 ? 0 : limitMs - weblink::clientPollMs);
    }
    weblink::setReadTotalLimitOverride(std::nullopt);
}

TEST_F(WebFixture, RetryAsksAgainAndMyDownloadsOpensTheAccountPage)
{
    // Nothing listens on the port of a listener just closed: the connection is refused.
    juce::StreamingSocket probe;
    ASSERT_TRUE(probe.createListener(0, "127.0.0.1"));
    const juce::String closed = "http://127.0.0.1:" + juce::String(probe.getBoundPort());
    probe.close();
    pointAt(closed);
    EXPECT_EQ(checkForUpdates().first, errorLine);
    EXPECT_EQ(texts().back(), "Back");

    LocalHttpServer server(Mode::reply, 200, "VERSION_Latiphonix3,4.0");
    pointAt(server.getBaseAddress());
    click("Retry");
    ASSERT_TRUE(showing<VkJuceMenuScreenNewerVersionAvailable>());
    EXPECT_EQ(server.getNumRequests(), 1);
    click("Visit 'My Downloads'");
    EXPECT_TRUE(showing<VkJuceMenuScreenMainMenu>());
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0][1], (server.getBaseAddress() + "/hotlink.php?id=Latiphonix3&version=3.2.9.3"
                                                         "&hotlink=DOWNLOAD_CR&format=WIN_VST3")
                                  .toStdString());
}

TEST(WebLink, TheTestVariableIsBelievedOnlyForALoopbackHttpAddress)
{
    const std::pair<const char*, const char*> cases[] = {
        {"http://127.0.0.1:8080/", "http://127.0.0.1:8080"},
        {"http://localhost:1", "http://localhost:1"},
        {"https://elsewhere.example", nullptr},
        {"http://127.0.0.1.elsewhere.example", nullptr},
        {"http://127.0.0.1:80/elsewhere", nullptr},
        {"http://127.0.0.1:80@elsewhere.example", nullptr},
        {"http://127.0.0.1:", nullptr},
        {"file:///etc/passwd", nullptr},
    };
    for (const auto& [value, expected] : cases)
    {
        ::setenv(weblink::testBaseVariable, value, 1);
        EXPECT_EQ(weblink::getSiteBaseAddress(),
                  juce::String(expected != nullptr ? expected : "https://www.vekla-audio.example"))
            << value;
    }
    ::unsetenv(weblink::testBaseVariable);
}

TEST_F(WebFixture, TheManualGoesToTheViewerAsOneArgumentOrTheErrorShowsThePath)
{
    const auto setInstallFolder = [](const std::filesystem::path& folder)
    { ASSERT_TRUE(registry::writeProductString("Install Folder", folder.string().c_str())); };

    // Nothing recorded: an error, and the root folder is not probed.
    click("Open manual");
    EXPECT_TRUE(showing<VkJuceMenuScreenOpenManualError>());

    // Spaces, quotes and shell syntax in the folder are just characters of the path.
    const auto folder = folders.root() / "VEKLA Audio \"x\"; $(touch y) `z`";
    const auto manual = folder / "Latiphonix3 Manual.pdf";
    std::filesystem::create_directories(folder);
    setInstallFolder(folder);
    click("Ok");
    click("Open manual");
    ASSERT_TRUE(showing<VkJuceMenuScreenOpenManualError>());
    EXPECT_EQ(texts(), (Texts{"", "VEKLA Audio Latiphonix3", "I'm sorry, I wasn't able to find the manual at",
                              manual.string(), "You may need to re-run the installer for",
                              "this plug-in.  If that doesn't help please",
                              "e-mail support@vekla-audio.example and we will help you.", "Ok"}));

    std::ofstream(manual) << "%PDF-1.4\n";
    click("Ok");
    click("Open manual");
    EXPECT_TRUE(showing<VkJuceMenuScreenMainMenu>());
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0], (Texts{"xdg-open", manual.string()}));

    // A relative folder, a folder where the file should be, a viewer that cannot start: errors.
    std::filesystem::create_directories(folders.root() / "dir" / "Latiphonix3 Manual.pdf");
    for (const auto& other : {std::filesystem::path("relative"), folders.root() / "dir"})
    {
        setInstallFolder(other);
        click("Open manual");
        EXPECT_TRUE(showing<VkJuceMenuScreenOpenManualError>()) << other;
        click("Ok");
    }
    setInstallFolder(folder);
    platform::setLauncherOverride([](const std::vector<std::string>&) { return false; });
    click("Open manual");
    EXPECT_TRUE(showing<VkJuceMenuScreenOpenManualError>());
    EXPECT_EQ(launched.size(), 1u);
}
