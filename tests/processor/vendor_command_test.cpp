#include "test_processor.h"

#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

namespace
{
constexpr int kIndex = 0x23456789;

using VendorCommandTest = ProcessorTest;
} // namespace

TEST_F(VendorCommandTest, OfflinePassCommands)
{
    TestProcessor processor;
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 101, nullptr, 0.0f), 0);
    EXPECT_EQ(processor.getProcessingMode(), 101);
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 103, nullptr, 0.0f), 0);
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 102, nullptr, 0.0f), 0);
    EXPECT_EQ(processor.getProcessingMode(), 102);
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 104, nullptr, 0.0f), 0);
    EXPECT_EQ(processor.log().eventsStartingWith("begin "),
              (std::vector<std::string>{"begin analysis", "begin render"}));
    EXPECT_EQ(processor.log().eventsStartingWith("end "),
              (std::vector<std::string>{"end analysis", "end render"}));
    // Nothing returns to normal processing by itself.
    EXPECT_EQ(processor.getProcessingMode(), 102);
}

TEST_F(VendorCommandTest, QueriesFlagsAndData)
{
    TestProcessor processor;
    juce::String flag = "True";
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 105, &flag, 0.0f), 0);
    EXPECT_EQ(flag, "False");
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 105, nullptr, 0.0f), 0);

    int pointee = 0;
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 201, &pointee, 0.0f), 0);
    EXPECT_EQ(processor.m_vendorPointer, &pointee);

    EXPECT_EQ(processor.handleVendorCommand(kIndex, 202, nullptr, 0.0f), 0);
    processor.setParameterInternal(9100, 0.25f, false, false, false);
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 202, nullptr, 0.0f), 1);
    processor.setParameterInternal(9100, 0.0f, false, false, false);
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 203, nullptr, 0.0f), 0);
    EXPECT_EQ(processor.getParameterRecord(9100).getValue(), 1.0f);
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 202, nullptr, 0.0f), 1);

    juce::XmlElement details("FileDetails");
    details.setAttribute("FULLPATHNAME", "/audio/take 1.wav");
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 204, &details, 0.0f), 0);
    EXPECT_EQ(processor.getFileDetailsPath(), "/audio/take 1.wav");
    juce::XmlElement other("OTHER");
    other.setAttribute("FULLPATHNAME", "/elsewhere");
    processor.handleVendorCommand(kIndex, 204, &other, 0.0f);
    EXPECT_EQ(processor.getFileDetailsPath(), "/audio/take 1.wav");
    juce::XmlElement noPath("FILEDETAILS");
    processor.handleVendorCommand(kIndex, 204, &noPath, 0.0f);
    EXPECT_EQ(processor.getFileDetailsPath(), "");
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 204, nullptr, 0.0f), 0);

    EXPECT_EQ(processor.handleVendorCommand(kIndex, 206, nullptr, 0.0f), 1);
    TestProcessor surround(vk::kWrapperVst3, 8);
    EXPECT_EQ(surround.handleVendorCommand(kIndex, 206, nullptr, 0.0f), 3);

    EXPECT_EQ(processor.handleVendorCommand(kIndex, 214, nullptr, 0.5f), 1);
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 214, nullptr, 0.0f), 0);
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 215, nullptr, 1.0f), 0);

    EXPECT_EQ(processor.handleVendorCommand(kIndex, 217, nullptr, 0.0f), 0);
    EXPECT_TRUE(processor.isEditorVendorFlagRaised());
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 218, nullptr, 0.0f), 0);
    EXPECT_FALSE(processor.isEditorVendorFlagRaised());

    const char tokens[] = "alpha,\"beta,gamma\",delta";
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 219, const_cast<char*>(tokens), 0.0f), 1);
    EXPECT_EQ(processor.m_vendorTokens, juce::StringArray({"alpha", "\"beta,gamma\"", "delta"}));
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 219, nullptr, 0.0f), 0);

    // Unknown sub-commands and other indexes do nothing.
    for (int value : {0, 100, 106, 205, 207, 210, 216, 220})
        EXPECT_EQ(processor.handleVendorCommand(kIndex, value, nullptr, 1.0f), 0) << value;
    EXPECT_EQ(processor.handleVendorCommand(kIndex + 1, 214, nullptr, 1.0f), 0);
    EXPECT_EQ(processor.handleVendorCommand(0, 203, nullptr, 1.0f), 0);
    EXPECT_EQ(processor.getProcessingMode(), 100);
}

TEST_F(VendorCommandTest, EditorCommands)
{
    juce::ScopedJuceInitialiser_GUI framework;
    TestProcessor processor;
    std::int32_t size[2] = {640, 480};

    // Without an editor every editor command answers 0.
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 211, size, 2.0f), 0);
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 212, nullptr, 0.0f), 0);
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 213, nullptr, 0.0f), 0);

    processor.m_editorSize = {320, 200};
    std::unique_ptr<juce::AudioProcessorEditor> editor(processor.createEditorIfNeeded());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 212, nullptr, 0.0f), 320);
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 213, nullptr, 0.0f), 200);
    // Not on a window yet: nothing to resize.
    EXPECT_EQ(processor.handleVendorCommand(kIndex, 211, size, 0.0f), 0);
    EXPECT_EQ(editor->getWidth(), 320);
    editor.reset();
}
