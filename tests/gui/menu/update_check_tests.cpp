// "Check for updates" against a server on 127.0.0.1 that the test starts: each kind of answer ends on its
// screen, and a server that is absent, refuses, stalls or trickles ends on the error screen within the
// request's time limit. The site's address is pointed at the server through the test variable.
#include "local_http_server.h"
#include "menu_test_support.h"

#include "menu/vk_web_link.h"

#include <cstdlib>

using namespace vk;
using namespace vk::test;
using Mode = LocalHttpServer::Mode;

namespace
{
const juce::String expectedRequest =
    "GET /hotlink.php?id=Latiphonix3&version=3.2.9.3&hotlink=GET_VERSIONS&format=WIN_VST3 HTTP/1.1";

struct UpdateCheckFixture : MenuFixture
{
    void SetUp() override
    {
        // A proxy configured on the test machine must not stand between the client and 127.0.0.1.
        ::setenv("no_proxy", "127.0.0.1,localhost", 1);
        ::setenv("NO_PROXY", "127.0.0.1,localhost", 1);
        ASSERT_TRUE(weblink::isHttpClientAvailable()) << "libcurl is not installed";
        makeEditor();
        menu().setOpen(true);
    }
    void TearDown() override { ::unsetenv(weblink::testBaseVariable); }

    void pointAt(const juce::String& base) { ::setenv(weblink::testBaseVariable, base.toRawUTF8(), 1); }
    void pointAt(const LocalHttpServer& server)
    {
        ASSERT_NE(server.getPort(), 0);
        pointAt(server.getBaseAddress());
    }

    /** Clicks "Check for updates" and returns how long the menu took to settle, in ms. */
    double checkForUpdates()
    {
        const double start = juce::Time::getMillisecondCounterHiRes();
        click("Check for updates");
        return juce::Time::getMillisecondCounterHiRes() - start;
    }
};

struct ReplyCase
{
    const char* name;
    const char* body;
    const char* firstLine;
};
} // namespace

TEST_F(UpdateCheckFixture, EachReplyEndsOnItsScreen)
{
    const ReplyCase cases[] = {
        {"newer", "VERSION_Other,9.9,VERSION_Latiphonix3,3.2.9.4,VERSION_Last,1.0",
         "A newer version of this plug-in is available."},
        {"same", "VERSION_Latiphonix3,3.2.9.3", "You have the latest release version of this"},
        {"older", "VERSION_Latiphonix3,3.2.8.99", "You have a pre-release or beta version of this"},
        {"no token", "VERSION_Other,9.9,VERSION_latiphonix3,9.9",
         "There was an error contacting the version server."},
        {"token last", "VERSION_Other,9.9,VERSION_Latiphonix3",
         "You have a pre-release or beta version of this"},
        {"quoted", "VERSION_Latiphonix3,\"3.2.9.4\"", "You have a pre-release or beta version of this"},
        {"empty", "", "There was an error contacting the version server."},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        LocalHttpServer server(Mode::reply, 200, c.body);
        pointAt(server);
        menu().setOpen(false);
        menu().setOpen(true);
        checkForUpdates();
        EXPECT_EQ(texts().at(2), c.firstLine);
        EXPECT_EQ(server.getRequestLines(), juce::StringArray(expectedRequest));
    }
}

TEST_F(UpdateCheckFixture, ResultScreensLeadOnAsExpected)
{
    LocalHttpServer newer(Mode::reply, 200, "VERSION_Latiphonix3,4.0");
    pointAt(newer);
    checkForUpdates();
    ASSERT_TRUE(showing<VkJuceMenuScreenNewerVersionAvailable>());
    EXPECT_EQ(texts(), (std::vector<std::string>{
                           "", "VEKLA Audio Latiphonix3", "A newer version of this plug-in is available.",
                           "To download the latest version, visit your",
                           "account page by clicking on the link below.", "Visit 'My Downloads'", "Back"}));
    click("Visit 'My Downloads'");
    EXPECT_TRUE(showing<VkJuceMenuScreenMainMenu>());
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.calls[0][1],
              (newer.getBaseAddress() +
               "/hotlink.php?id=Latiphonix3&version=3.2.9.3&hotlink=DOWNLOAD_CR&format=WIN_VST3")
                  .toStdString());

    LocalHttpServer same(Mode::reply, 200, "VERSION_Latiphonix3,3.2.9.3");
    pointAt(same);
    checkForUpdates();
    ASSERT_TRUE(showing<VkJuceMenuScreenHaveCurrentVersion>());
    click("Ok");
    EXPECT_TRUE(showing<VkJuceMenuScreenMainMenu>());

    LocalHttpServer older(Mode::reply, 200, "VERSION_Latiphonix3,1.0");
    pointAt(older);
    checkForUpdates();
    ASSERT_TRUE(showing<VkJuceMenuScreenHavePreReleaseVersion>());
    EXPECT_EQ(texts().at(4), "please e-mail support@vekla-audio.example");
    click("Ok");
    EXPECT_TRUE(showing<VkJuceMenuScreenMainMenu>());
}

TEST_F(UpdateCheckFixture, NotFoundIsAnErrorEvenWhenThePageNamesTheProduct)
{
    LocalHttpServer server(Mode::reply, 404, "VERSION_Latiphonix3,9.9.9.9");
    pointAt(server);
    checkForUpdates();
    EXPECT_TRUE(showing<VkJuceMenuScreenErrorContactingVersionServer>());
    EXPECT_EQ(server.getRequestLines().size(), 1);
}

TEST_F(UpdateCheckFixture, AReplyLongerThanAVersionListIsRefused)
{
    const juce::String padding = juce::String::repeatedString("VERSION_Other,1.0,", 4000);
    LocalHttpServer server(Mode::reply, 200, "VERSION_Latiphonix3,9.0," + padding);
    pointAt(server);
    checkForUpdates();
    EXPECT_TRUE(showing<VkJuceMenuScreenErrorContactingVersionServer>());
}

TEST_F(UpdateCheckFixture, RetryAsksTheServerAgain)
{
    const int closedPort = LocalHttpServer::findClosedPort();
    ASSERT_NE(closedPort, 0);
    pointAt("http://127.0.0.1:" + juce::String(closedPort));
    const double elapsed = checkForUpdates();
    ASSERT_TRUE(showing<VkJuceMenuScreenErrorContactingVersionServer>());
    EXPECT_LT(elapsed, weblink::readTotalLimitMs);
    EXPECT_EQ(texts(), (std::vector<std::string>{"", "VEKLA Audio Latiphonix3",
                                                 "There was an error contacting the version server.",
                                                 "Please make sure you are connected to the",
                                                 "internet and then try again.", "Retry", "Back"}));

    LocalHttpServer server(Mode::reply, 200, "VERSION_Latiphonix3,3.2.9.3");
    pointAt(server);
    click("Retry");
    EXPECT_TRUE(showing<VkJuceMenuScreenHaveCurrentVersion>());
    EXPECT_EQ(server.getRequestLines().size(), 1);
    click("Ok");
    click("Check for updates");
    EXPECT_EQ(server.getRequestLines().size(), 2);
}

TEST_F(UpdateCheckFixture, AServerThatNeverAnswersEndsInTheErrorScreenWithinTheLimit)
{
    LocalHttpServer server(Mode::neverAnswer);
    pointAt(server);
    const double elapsed = checkForUpdates();
    EXPECT_TRUE(showing<VkJuceMenuScreenErrorContactingVersionServer>());
    EXPECT_EQ(server.getRequestLines(), juce::StringArray(expectedRequest));
    EXPECT_LE(elapsed, weblink::readTotalLimitMs);
}

TEST_F(UpdateCheckFixture, AServerThatTricklesForeverEndsInTheErrorScreenWithinTheLimit)
{
    LocalHttpServer server(Mode::trickle);
    pointAt(server);
    const double elapsed = checkForUpdates();
    EXPECT_TRUE(showing<VkJuceMenuScreenErrorContactingVersionServer>());
    EXPECT_LE(elapsed, weblink::readTotalLimitMs);
}

TEST(WebLink, TheTestVariableIsBelievedOnlyForALoopbackHttpAddress)
{
    const juce::String maker = "https://www.vekla-audio.example";
    ::unsetenv(weblink::testBaseVariable);
    EXPECT_EQ(weblink::getSiteBaseAddress(), maker);
    const std::pair<const char*, const char*> cases[] = {
        {"http://127.0.0.1:8080", "http://127.0.0.1:8080"},
        {"http://127.0.0.1:8080/", "http://127.0.0.1:8080"},
        {"http://localhost:1", "http://localhost:1"},
        {"http://127.0.0.1", "http://127.0.0.1"},
        {"https://elsewhere.example", nullptr},
        {"http://127.0.0.1.elsewhere.example", nullptr},
        {"http://127.0.0.1:80/elsewhere", nullptr},
        {"http://localhost@elsewhere.example", nullptr},
        {"http://127.0.0.1:80@elsewhere.example", nullptr},
        {"http://127.0.0.1:", nullptr},
        {"http://127.0.0.1:123456", nullptr},
        {"file:///etc/passwd", nullptr},
        {"", nullptr},
    };
    for (const auto& [value, expected] : cases)
    {
        ::setenv(weblink::testBaseVariable, value, 1);
        EXPECT_EQ(weblink::getSiteBaseAddress(), expected != nullptr ? juce::String(expected) : maker)
            << value;
    }
    ::unsetenv(weblink::testBaseVariable);
}

TEST(WebLink, TheHotlinkCarriesProductVersionKeyAndFormat)
{
    EXPECT_EQ(
        weblink::buildHotlinkAddress("https://site.example", "Latiphonix3", "3.2.9.3", "GET_VERSIONS", "AAX"),
        "https://site.example/"
        "hotlink.php?id=Latiphonix3&version=3.2.9.3&hotlink=GET_VERSIONS&format=WIN_AAX");
}
