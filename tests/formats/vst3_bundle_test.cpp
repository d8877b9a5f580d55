// Our VST3 bundle in the console host (the framework's own VST3 hosting, another process): scanning,
// the published parameters, audio, automation through the parameter queue reaching the sound through
// the module's message thread, state across two instances, sample rates, block sizes and zero-length
// blocks.

#include "host_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#ifndef VK_VST3_BUNDLE
#error "VK_VST3_BUNDLE must name the built bundle"
#endif

namespace
{

const std::string kBundle = VK_VST3_BUNDLE;

HostRun runOnBundle(std::vector<std::string> args)
{
    args.insert(args.begin(), kBundle);
    return runHost(args);
}

TEST(Vst3Bundle, ScansOneEffectWithOurIdentity)
{
    const HostRun run = runOnBundle({"--scan"});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.get("scan.classes"), "1");
    EXPECT_EQ(run.get("scan.0.name"), "VEKLA Latiphonix3");
    EXPECT_EQ(run.get("scan.0.vendor"), "VEKLA Audio");
    EXPECT_EQ(run.get("scan.0.version"), "3.2.9.3");
    EXPECT_EQ(run.get("scan.0.category"), "Fx|Sound Field");
    EXPECT_EQ(run.get("scan.0.inputs"), "2");
    EXPECT_EQ(run.get("scan.0.outputs"), "2");
}

TEST(Vst3Bundle, PublishesTheExposedParametersAndTheBypassButNoPrograms)
{
    const HostRun run = runOnBundle({"--list", "--seconds", "0"});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    // 29 exposed product parameters plus the bypass.
    EXPECT_EQ(run.get("params.count"), "30");
    EXPECT_EQ(run.get("params.bypass.id"), std::to_string(0x62706173)); // 'bpas'
    EXPECT_EQ(run.get("params.bypass.name"), "Master Bypass");
    EXPECT_EQ(run.get("param.1.id"), "3");
    EXPECT_EQ(run.get("param.1.name"), "Bypass");
    EXPECT_EQ(run.get("param.29.id"), "31");
    EXPECT_EQ(run.get("param.29.name"), "Output Balance");
    for (int i = 1; i < 30; ++i)
    {
        const int id = std::stoi(run.get("param." + std::to_string(i) + ".id"));
        EXPECT_TRUE(id >= 3 && id <= 31) << "parameter " << id << " is not exposed";
    }
    EXPECT_EQ(run.get("programs.count"), "0");
}

TEST(Vst3Bundle, OutputToMonoGivesIdenticalChannelsOnceTheWidthHasGlided)
{
    // The width glides to mono over 100 ticks of 1024 samples (about 2.1 s at 48 kHz).
    const HostRun run = runOnBundle({"--set", "Output To Mono=1", "--seconds", "3", "--measure-from", "2.5"});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.get("out.identical_channels"), "1");
    EXPECT_GT(run.number("out.ch0.rms"), 0.01);
}

TEST(Vst3Bundle, BalanceFullRightSilencesTheLeftChannel)
{
    const HostRun run = runOnBundle({"--set", "Output Balance=1", "--seconds", "1", "--measure-from", "0.5"});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.number("out.ch0.peak"), 0.0);
    EXPECT_GT(run.number("out.ch1.rms"), 0.01);
}

TEST(Vst3Bundle, BypassPassesTheInputUnchanged)
{
    const HostRun run = runOnBundle({"--set", "bypass=1", "--seconds", "1", "--measure-from", "0.5"});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.get("out.ch0.rms"), run.get("in.ch0.rms"));
    EXPECT_EQ(run.get("out.ch1.rms"), run.get("in.ch1.rms"));
    EXPECT_EQ(run.get("final.bypass"), "1.000000");
}

// Automating a filter-bank parameter while playing in real time: the new bands are designed by the
// processor timer on the module's message thread, so the sound changes a few timer periods later (about
// 100 ms on an idle machine).
using Vst3BundleAutomation = ::testing::TestWithParam<std::string>;

TEST_P(Vst3BundleAutomation, ChangesTheSoundSoonAfterTheAutomation)
{
    TempFolder temp;
    const std::vector<std::string> common = {"--realtime", "--seconds", "1.6", "--rate",
                                             "48000",      "--block",   "256"};
    std::vector<std::string> plain = common;
    plain.insert(plain.end(), {"--output", temp.file("plain.wav")});
    const HostRun reference = runOnBundle(plain);
    ASSERT_EQ(reference.exitCode, 0) << reference.text;

    std::vector<std::string> automated = common;
    automated.insert(automated.end(),
                     {"--automate", GetParam() + "@1.0", "--reference", temp.file("plain.wav")});
    const HostRun run = runOnBundle(automated);
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.get("process.automation_changes"), "1");
    const double firstDiff = run.number("compare.first_diff_sample");
    EXPECT_GE(firstDiff, 48000.0) << "the sound changed before the automation";
    // Half a second: a busy machine holds the message thread back by several timer periods, while a
    // change that waits for anything but the timer (the end of playing, a next automation point) comes
    // later or never.
    EXPECT_LE(firstDiff, 48000.0 + 24000.0) << "the sound did not change in time";
    EXPECT_GT(run.number("compare.max_abs_diff"), 1.0e-4);
}

INSTANTIATE_TEST_SUITE_P(FilterBankParameters, Vst3BundleAutomation,
                         ::testing::Values("IID Low Bound=0.6", "IID High Bound=0.5", "IID Resolution=0.004",
                                           "Acuity=0.2"));

// Automation that jumps every exposed parameter between 0 and 1 every 50 ms, the ITD path on, played in
// real time so that the module's message thread takes the changes over.
TEST(Vst3Bundle, AutomationJumpsOfEveryParameterStayWithinTwelveDecibelsOfTheInput)
{
    std::vector<std::string> args = {"--realtime",      "--seconds", "2",          "--rate", "48000",
                                     "--block",         "512",       "--level",    "0.5",    "--set",
                                     "ITD Algorithm=1", "--set",     "ITD Width=1"};
    std::mt19937 random(7u);
    int changes = 0;
    for (int step = 1; step < 40; ++step)
        for (int id = 3; id <= 31; ++id)
            if (random() % 4 == 0)
            {
                args.insert(args.end(),
                            {"--automate", std::to_string(id) + "=" + std::to_string(random() % 2) + "@" +
                                               std::to_string(step * 0.05)});
                ++changes;
            }
    const HostRun run = runOnBundle(args);
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.get("process.automation_changes"), std::to_string(changes));
    ASSERT_EQ(run.get("out.finite"), "1");
    const double input = std::max(run.number("in.ch0.peak"), run.number("in.ch1.peak"));
    const double output = std::max(run.number("out.ch0.peak"), run.number("out.ch1.peak"));
    EXPECT_LT(20.0 * std::log10(output / input), 12.0);
}

TEST(Vst3Bundle, StateRoundTripsAcrossTwoInstances)
{
    TempFolder temp;
    const HostRun first = runOnBundle({"--set", "Acuity=0.3", "--set", "Linear Width=0.7", "--seconds", "0.1",
                                       "--save-state", temp.file("state.bin")});
    ASSERT_EQ(first.exitCode, 0) << first.text;
    EXPECT_GT(first.number("state.saved_bytes"), 9);

    const HostRun second = runOnBundle(
        {"--load-state", temp.file("state.bin"), "--list", "--seconds", "0.1", "--settle-ms", "100"});
    ASSERT_EQ(second.exitCode, 0) << second.text;
    EXPECT_EQ(second.get("param.3.name"), "Acuity");
    EXPECT_NEAR(second.number("param.3.value"), 0.3, 1e-6);
    EXPECT_EQ(second.get("param.6.name"), "Linear Width");
    EXPECT_NEAR(second.number("param.6.value"), 0.7, 1e-6);
}

using Vst3BundleRates = ::testing::TestWithParam<int>;

TEST_P(Vst3BundleRates, ProcessesAtTheSampleRate)
{
    const std::string rate = std::to_string(GetParam());
    const HostRun run = runOnBundle({"--rate", rate, "--seconds", "0.5", "--block", "512"});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.number("out.samples"), GetParam() / 2);
    EXPECT_EQ(run.get("out.finite"), "1");
    EXPECT_GT(run.number("out.ch0.rms"), 0.01);
    EXPECT_GT(run.number("out.ch1.rms"), 0.01);
}

INSTANTIATE_TEST_SUITE_P(SampleRates, Vst3BundleRates, ::testing::Values(44100, 48000, 96000, 192000));

using Vst3BundleBlocks = ::testing::TestWithParam<int>;

TEST_P(Vst3BundleBlocks, ProcessesInBlocksOfAnySize)
{
    const std::string block = std::to_string(GetParam());
    const HostRun run = runOnBundle({"--block", block, "--seconds", "0.25"});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.number("process.blocks"), (12000 + GetParam() - 1) / GetParam());
    EXPECT_EQ(run.get("out.finite"), "1");
    EXPECT_GT(run.number("out.ch0.rms"), 0.01);
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, Vst3BundleBlocks, ::testing::Values(1, 64, 4096));

TEST(Vst3Bundle, ZeroLengthBlocksChangeNothing)
{
    TempFolder temp;
    const HostRun plain = runOnBundle({"--seconds", "0.5", "--output", temp.file("plain.wav")});
    ASSERT_EQ(plain.exitCode, 0) << plain.text;
    const HostRun run =
        runOnBundle({"--seconds", "0.5", "--zero-blocks", "--reference", temp.file("plain.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.get("process.zero_length_blocks"), run.get("process.blocks"));
    EXPECT_EQ(run.get("compare.first_diff_sample"), "-1");
}

TEST(Vst3Bundle, MonoLayoutIsAccepted)
{
    const HostRun run = runOnBundle({"--layout", "mono", "--seconds", "0.25"});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.get("plugin.layout_accepted"), "1");
    EXPECT_EQ(run.get("plugin.outputs"), "1");
    EXPECT_EQ(run.get("out.finite"), "1");
}

} // namespace
