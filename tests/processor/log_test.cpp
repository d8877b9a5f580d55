#include "test_processor.h"

#include "platform/vk_data_folders.h"
#include "processor/vk_log.h"

#include <gtest/gtest.h>

namespace
{
class LogTest : public ::testing::Test
{
protected:
    ScopedDataFolders m_folders;

    juce::File logFile() const
    {
        return juce::File(juce::String(m_folders.user().string())).getChildFile("VEKLA Audio/VkLog.log");
    }
    juce::String expectedOpeningLine(const juce::String& format) const
    {
        return "Latiphonix3 v3.2.9.3 " + format + " Windows RELEASE intel 64bit, host = '" +
               VkJuceProcessorBase::getHostName() + "', user = '" +
               juce::String(vk::platform::userLoginName()) + "'";
    }
};
} // namespace

TEST_F(LogTest, FirstProcessorCreatesTheLogAndTheLastOneClosesIt)
{
    ASSERT_EQ(VkJuceProcessorBase::getNumLiveProcessors(), 0);
    logFile().create();
    logFile().replaceWithText("left over from an earlier session\n");

    auto first = std::make_unique<TestProcessor>(vk::kWrapperAax);
    EXPECT_EQ(VkJuceProcessorBase::getNumLiveProcessors(), 1);
    EXPECT_NE(juce::Logger::getCurrentLogger(), nullptr);
    auto second = std::make_unique<TestProcessor>(vk::kWrapperVst3);
    EXPECT_EQ(VkJuceProcessorBase::getNumLiveProcessors(), 2);

    first->logParameter(4);
    first.reset(); // the log outlives any one processor
    EXPECT_NE(juce::Logger::getCurrentLogger(), nullptr);
    second->logParameter(9002);
    second.reset();
    EXPECT_EQ(VkJuceProcessorBase::getNumLiveProcessors(), 0);
    EXPECT_EQ(juce::Logger::getCurrentLogger(), nullptr);

    ASSERT_TRUE(logFile().existsAsFile()); // kept for support
    const auto text = logFile().loadFileAsString();
    EXPECT_FALSE(text.contains("left over"));
    EXPECT_EQ(text.indexOf(expectedOpeningLine("AAX")), text.lastIndexOf(expectedOpeningLine("AAX")));
    // The framework ends its lines with CR LF.
    EXPECT_TRUE(text.contains("\r\n" + expectedOpeningLine("AAX") + "\r\nLog started: ")) << text;
    EXPECT_FALSE(text.contains("VST3 Windows"));
    EXPECT_TRUE(text.contains("4. P4\t=\t0.5\r\n"));
    EXPECT_TRUE(text.contains("9002. TimecodeFramerateDefault\t=\t0.006"));

    // A later first processor starts a fresh log.
    TestProcessor third(vk::kWrapperVst);
    const auto fresh = logFile().loadFileAsString();
    EXPECT_TRUE(fresh.contains(expectedOpeningLine("VST")));
    EXPECT_FALSE(fresh.contains("AAX"));
}
