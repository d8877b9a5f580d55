// Editors opened through the VST3 view in the console host (the framework's own VST3 hosting, another
// process): the view attached in an X window the host creates, drawn, sized to the editor, closed, a
// hundred times, and a screenshot. Once with a test bundle whose processor has a small editor, once with
// the product module (skipped while it has no editor). Needs DISPLAY (Xvfb + Mesa).

#include "host_runner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace
{

bool hasDisplay()
{
    const char* d = std::getenv("DISPLAY");
    return d != nullptr && *d != 0;
}

// Width and height from a PNG file's header; 0 when it is not a PNG.
std::pair<int, int> pngSize(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0)
        return {0, 0};
    auto be32 = [&](size_t at)
    {
        return int((unsigned char)bytes[at]) << 24 | int((unsigned char)bytes[at + 1]) << 16 |
               int((unsigned char)bytes[at + 2]) << 8 | int((unsigned char)bytes[at + 3]);
    };
    return {be32(16), be32(20)};
}

class Vst3EditorHost : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        if (!hasDisplay())
            GTEST_SKIP() << "DISPLAY is not set: start Xvfb to open editors";
    }

    // Skips when the module says it has no editor.
    HostRun runWithEditor(std::vector<std::string> args)
    {
        args.insert(args.begin(), GetParam());
        args.insert(args.end(), {"--seconds", "0"});
        return runHost(args);
    }
    TempFolder m_temp;
};

TEST_P(Vst3EditorHost, TheEditorIsDrawnInTheHostWindowAtItsOwnSizeAndPhotographed)
{
    const std::string png = m_temp.file("editor.png");
    const HostRun run = runWithEditor({"--screenshot", png, "--editor-ms", "800"});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    if (run.get("editor.present") == "0")
        GTEST_SKIP() << "the module reports no editor yet";
    const int w = std::stoi(run.get("editor.width"));
    const int h = std::stoi(run.get("editor.height"));
    EXPECT_GT(w, 10);
    EXPECT_GT(h, 10);
    // The host's window took the size the view gave through its frame.
    EXPECT_EQ(run.get("editor.window"), std::to_string(w) + "x" + std::to_string(h));
    // Our window is black: what is not black, the editor drew (the test editor's two controls cover 12 %).
    EXPECT_GT(run.number("editor.drawn"), 0.1) << run.text;
    EXPECT_EQ(pngSize(png), std::make_pair(w, h));
}

// The test bundle's editor grows while its parameter 6 is on: the framework's hosting follows it through
// the view's resizeView.
TEST(Vst3EditorHostResize, TheHostWindowFollowsTheEditorWhenItGrows)
{
    if (!hasDisplay())
        GTEST_SKIP() << "DISPLAY is not set: start Xvfb to open editors";
    const HostRun run = runHost({VK_EDITOR_TEST_BUNDLE, "--set", "6=1", "--editor", "--seconds", "0"});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.get("editor.width"), "260");
    EXPECT_EQ(run.get("editor.height"), "150");
    EXPECT_EQ(run.get("editor.window"), "260x150");
}

TEST_P(Vst3EditorHost, AHundredOpenCloseCyclesNeitherHangNorFail)
{
    const HostRun run = runWithEditor({"--editor-cycles", "100", "--editor-ms", "20"});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    if (run.get("editor.present") == "0")
        GTEST_SKIP() << "the module reports no editor yet";
    EXPECT_EQ(run.get("editor.cycles"), "100");
    EXPECT_EQ(run.get("result"), "ok");
}

std::string moduleName(const ::testing::TestParamInfo<const char*>& info)
{
    return std::string(info.param) == VK_EDITOR_TEST_BUNDLE ? "TestBundle" : "Product";
}

INSTANTIATE_TEST_SUITE_P(Modules, Vst3EditorHost, ::testing::Values(VK_EDITOR_TEST_BUNDLE, VK_VST3_BUNDLE),
                         moduleName);

} // namespace
