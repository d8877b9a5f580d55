// The console host on a third-party VST3 (zam-plugins' delay): scanning, parameters, audio, zero-length
// blocks and a state round trip across two instances. Proves the host before it is used on our bundle.

#include "host_runner.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{

const std::string kBundle = "/usr/lib/vst3/ZamDelay.vst3";

class ThirdPartyHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(kBundle))
            << kBundle << " is missing: install the package zam-plugins";
    }
};

TEST_F(ThirdPartyHost, ScansOneClassWithItsName)
{
    const HostRun run = runHost({kBundle, "--scan"});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.get("scan.classes"), "1");
    EXPECT_EQ(run.get("scan.0.name"), "ZamDelay");
    EXPECT_EQ(run.get("scan.0.inputs"), "1");
}

TEST_F(ThirdPartyHost, ListsParametersAndProcessesASine)
{
    const HostRun run =
        runHost({kBundle, "--list", "--sine", "440", "--rate", "44100", "--block", "64", "--seconds", "0.5"});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    EXPECT_GT(run.number("params.count"), 3);
    EXPECT_EQ(run.get("param.4.name"), "Time");
    EXPECT_FALSE(run.get("param.4.text").empty());
    EXPECT_EQ(run.get("process.blocks"), "345"); // ceil(22050 / 64)
    EXPECT_EQ(run.get("out.samples"), "22050");
    EXPECT_EQ(run.get("out.finite"), "1");
    EXPECT_GT(run.number("out.ch0.rms"), 0.01);
}

TEST_F(ThirdPartyHost, ZeroLengthBlocksBetweenBlocksKeepTheSignal)
{
    TempFolder temp;
    const HostRun plain = runHost(
        {kBundle, "--noise", "--seconds", "0.25", "--block", "256", "--output", temp.file("plain.wav")});
    ASSERT_EQ(plain.exitCode, 0) << plain.text;
    const HostRun withZero = runHost({kBundle, "--noise", "--seconds", "0.25", "--block", "256",
                                      "--zero-blocks", "--reference", temp.file("plain.wav")});
    ASSERT_EQ(withZero.exitCode, 0) << withZero.text;
    EXPECT_EQ(withZero.get("process.zero_length_blocks"), withZero.get("process.blocks"));
    EXPECT_EQ(withZero.get("compare.first_diff_sample"), "-1");
}

TEST_F(ThirdPartyHost, StateRoundTripsAcrossTwoInstances)
{
    TempFolder temp;
    const HostRun first =
        runHost({kBundle, "--set", "Time=0.5", "--seconds", "0.1", "--save-state", temp.file("state.bin")});
    ASSERT_EQ(first.exitCode, 0) << first.text;
    EXPECT_GT(first.number("state.saved_bytes"), 0);

    const HostRun second =
        runHost({kBundle, "--load-state", temp.file("state.bin"), "--list", "--seconds", "0"});
    ASSERT_EQ(second.exitCode, 0) << second.text;
    EXPECT_NEAR(second.number("param.4.value"), 0.5, 1e-3);
}

TEST_F(ThirdPartyHost, UnknownParameterIsAnError)
{
    const HostRun run = runHost({kBundle, "--set", "No Such Parameter=0.5", "--seconds", "0"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.get("error").find("No Such Parameter"), std::string::npos);
}

} // namespace
