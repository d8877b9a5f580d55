// Our VST3 bundle in the console host under automation that jumps every exposed parameter between 0 and
// 1 every 50 ms while playing in real time, so that the module's message thread takes the changes over.

#include "host_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#ifndef VK_VST3_BUNDLE
#error "VK_VST3_BUNDLE must name the built bundle"
#endif

namespace
{

TEST(Vst3Automation, JumpsOfEveryParameterStayWithinTwelveDecibelsOfTheInput)
{
    std::vector<std::string> args = {VK_VST3_BUNDLE, "--realtime",      "--seconds", "2",          "--rate",
                                     "48000",        "--block",         "512",       "--level",    "0.5",
                                     "--set",        "ITD Algorithm=1", "--set",     "ITD Width=1"};
    std::mt19937 random(7u);
    int changes = 0;
    for (int step = 1; step < 40; ++step)
        for (int id = 3; id <= 31; ++id)
            if (random() % 4 == 0)
            {
                args.push_back("--automate");
                args.push_back(std::to_string(id) + "=" + std::to_string(random() % 2) + "@" +
                               std::to_string(step * 0.05));
                ++changes;
            }
    const HostRun run = runHost(args);
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.get("process.automation_changes"), std::to_string(changes));
    ASSERT_EQ(run.get("out.finite"), "1");
    const double input = std::max(run.number("in.ch0.peak"), run.number("in.ch1.peak"));
    const double output = std::max(run.number("out.ch0.peak"), run.number("out.ch1.peak"));
    const double db = 20.0 * std::log10(output / input);
    std::printf("VST3 module under 0/1 automation: peak %.2f dB over the input peak\n", db);
    EXPECT_LT(db, 12.0);
}

} // namespace
