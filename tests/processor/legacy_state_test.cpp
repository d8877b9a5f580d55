// The state of an earlier version: kept byte for byte until the user allows overwriting it, and carried
// inside our own chunk meanwhile.

#include "test_processor.h"

#include "platform/vk_message_box.h"

#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

namespace
{
class LegacyStateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        vk::platform::setMessageBoxPresenterOverride(
            [this](const juce::String& title, const juce::String& text, vk::platform::MessageBoxAnswer answer)
            {
                m_titles.add(title);
                m_texts.add(text);
                m_pending = std::move(answer);
            });
    }
    void TearDown() override { vk::platform::setMessageBoxPresenterOverride({}); }

    void answer(bool ok)
    {
        ASSERT_TRUE(m_pending);
        m_pending(ok);
        m_pending = nullptr;
    }

    // The test thread is the message thread, where the question is asked.
    juce::ScopedJuceInitialiser_GUI m_framework;
    ScopedDataFolders m_folders;
    juce::StringArray m_titles;
    juce::StringArray m_texts;
    vk::platform::MessageBoxAnswer m_pending;
};

const juce::MemoryBlock kEarlierState("\x01\x02\x03 older product state \xff\x00\x7f", 28);

bool isOurChunk(const juce::MemoryBlock& block)
{
    return block.getSize() > 8 && std::memcmp(block.getData(), "VC2!", 4) == 0;
}

juce::String documentOf(const juce::MemoryBlock& chunk)
{
    return juce::String::fromUTF8(chunkDocument(chunk).c_str());
}
} // namespace

TEST_F(LegacyStateTest, AsksOnceWithTheProductsWording)
{
    TestProcessor processor;
    processor.readEarlierVersionState(kEarlierState.getData(), int(kEarlierState.getSize()));
    processor.readEarlierVersionState("second", 6);

    ASSERT_EQ(m_titles.size(), 1);
    EXPECT_EQ(m_titles[0], "VEKLA Latiphonix3 Warning Info");
    EXPECT_EQ(m_texts[0],
              "This session or preset was saved with an earlier version of VEKLA Latiphonix3.\n"
              "Parameters for this version (3.2.9.3) of VEKLA Latiphonix3 will be set as default.\n"
              "Press OK to overwrite on save (this cannot be undone), press CANCEL to keep state "
              "unchanged.");
    EXPECT_TRUE(processor.wasWarnedAboutOldState());

    // The second earlier state neither asks again nor replaces the bytes taken first.
    juce::MemoryBlock kept;
    processor.getLegacyStateChunk(kept);
    EXPECT_EQ(kept, kEarlierState);
}

TEST_F(LegacyStateTest, UnansweredAndCancelKeepTheEarlierBytes)
{
    TestProcessor processor;
    EXPECT_TRUE(processor.isOverwriteOnSave());
    processor.readEarlierVersionState(kEarlierState.getData(), int(kEarlierState.getSize()));

    // No answer yet: saving loses nothing.
    EXPECT_FALSE(processor.isOverwriteOnSave());
    juce::MemoryBlock saved;
    processor.writeSavedState(saved);
    EXPECT_EQ(saved, kEarlierState);

    answer(false);
    processor.writeSavedState(saved);
    EXPECT_EQ(saved, kEarlierState);
    processor.writeSavedState(saved);
    EXPECT_EQ(saved, kEarlierState);
}

TEST_F(LegacyStateTest, OkWritesOurChunkCarryingTheEarlierBytes)
{
    TestProcessor processor;
    processor.readEarlierVersionState(kEarlierState.getData(), int(kEarlierState.getSize()));
    answer(true);
    EXPECT_TRUE(processor.isOverwriteOnSave());

    juce::MemoryBlock saved;
    processor.writeSavedState(saved);
    ASSERT_TRUE(isOurChunk(saved));
    const auto document = documentOf(saved);
    EXPECT_TRUE(document.contains("LOADEDFROMPREV=\"" + kEarlierState.toBase64Encoding() + "\""));
    // The attribute follows the current program on the root.
    EXPECT_LT(document.indexOf("CURRENTPRESET"), document.indexOf("LOADEDFROMPREV"));
    EXPECT_LT(document.indexOf("LOADEDFROMPREV"), document.indexOf("<PRESET0"));

    // Without earlier bytes no such attribute is written.
    TestProcessor fresh;
    juce::MemoryBlock plain;
    fresh.writeSavedState(plain);
    EXPECT_FALSE(documentOf(plain).contains("LOADEDFROMPREV"));
}

TEST_F(LegacyStateTest, AnAnswerAfterTheProcessorIsGoneIsHarmless)
{
    {
        TestProcessor processor;
        processor.readEarlierVersionState(kEarlierState.getData(), int(kEarlierState.getSize()));
    }
    answer(true);
}

TEST_F(LegacyStateTest, DamagedEarlierBytesInOurChunkAreIgnored)
{
    TestProcessor processor;
    for (const char* text : {"-1.abc", "2000000000.abc", "nodot", "12.?"})
    {
        const std::string document =
            std::string("<MYPLUGINSETTINGS CURRENTPRESET=\"0\" LOADEDFROMPREV=\"") + text + "\"/>";
        const auto chunk = stateChunk(document);
        processor.setStateInformation(chunk.getData(), int(chunk.getSize()));
        EXPECT_FALSE(processor.holdsLegacyState()) << text;
    }
}

TEST_F(LegacyStateTest, ACurrentStateReplacesEarlierBytesAndRestoredOnesAreNeverJoined)
{
    const juce::MemoryBlock laterEarlierState("another older state", 19);
    juce::MemoryBlock current;
    {
        TestProcessor other;
        other.editorSet(4, 0.125f);
        other.writeSavedState(current);
    }

    // Cancel, or no answer at all (a headless host), then a current state: that state is what the
    // session holds now, and what every later save writes.
    for (bool answered : {true, false})
    {
        TestProcessor processor;
        processor.readEarlierVersionState(kEarlierState.getData(), int(kEarlierState.getSize()));
        if (answered)
            answer(false);
        processor.setStateInformation(current.getData(), int(current.getSize()));
        EXPECT_FALSE(processor.holdsLegacyState());
        juce::MemoryBlock saved;
        processor.writeSavedState(saved);
        EXPECT_EQ(saved, current) << answered;

        // The earlier bytes are gone, so a later earlier-version state is taken in whole, without asking
        // again: the first answer still stands.
        processor.readEarlierVersionState(laterEarlierState.getData(), int(laterEarlierState.getSize()));
        processor.writeSavedState(saved);
        EXPECT_EQ(saved, laterEarlierState) << answered;
        m_pending = nullptr;
    }
    EXPECT_EQ(m_titles.size(), 2);

    // A document carrying earlier bytes: they are held as taken in, so a later earlier-version state
    // neither asks nor joins or replaces them, also after an earlier Cancel.
    juce::MemoryBlock carrying;
    {
        TestProcessor first;
        first.readEarlierVersionState(kEarlierState.getData(), int(kEarlierState.getSize()));
        answer(true);
        first.writeSavedState(carrying);
    }
    TestProcessor restored;
    restored.setStateInformation(carrying.getData(), int(carrying.getSize()));
    TestProcessor cancelled;
    cancelled.readEarlierVersionState(laterEarlierState.getData(), int(laterEarlierState.getSize()));
    answer(false);
    cancelled.setStateInformation(carrying.getData(), int(carrying.getSize()));
    const int asked = m_titles.size();
    for (auto* processor : {&restored, &cancelled})
    {
        processor->readEarlierVersionState(laterEarlierState.getData(), int(laterEarlierState.getSize()));
        juce::MemoryBlock held;
        processor->getLegacyStateChunk(held);
        EXPECT_EQ(held, kEarlierState);
        juce::MemoryBlock saved;
        processor->writeSavedState(saved);
        EXPECT_EQ(saved, carrying);
    }
    EXPECT_EQ(m_titles.size(), asked);
}
