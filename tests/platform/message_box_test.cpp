// The asynchronous OK/Cancel question: on the message thread it reaches the presenter at once; without a
// message thread it is dropped rather than blocking or crashing.

#include "platform/vk_message_box.h"

#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

namespace
{
struct Recorded
{
    juce::StringArray titles, texts;
    vk::platform::MessageBoxAnswer answer;
};

void record(Recorded& recorded)
{
    vk::platform::setMessageBoxPresenterOverride(
        [&recorded](const juce::String& title, const juce::String& text,
                    vk::platform::MessageBoxAnswer answer)
        {
            recorded.titles.add(title);
            recorded.texts.add(text);
            recorded.answer = std::move(answer);
        });
}
} // namespace

TEST(MessageBox, QuestionsReachThePresenterAndAnswersComeBack)
{
    Recorded recorded;
    record(recorded);
    {
        juce::ScopedJuceInitialiser_GUI framework;
        int answers = 0;
        bool lastAnswer = false;
        vk::platform::showOkCancelBoxAsync("Title", "Text",
                                           [&](bool ok)
                                           {
                                               ++answers;
                                               lastAnswer = ok;
                                           });
        ASSERT_EQ(recorded.titles, juce::StringArray("Title"));
        EXPECT_EQ(recorded.texts, juce::StringArray("Text"));
        EXPECT_EQ(answers, 0);
        recorded.answer(true);
        EXPECT_EQ(answers, 1);
        EXPECT_TRUE(lastAnswer);
    }

    // No message thread at all: nothing is shown and nothing is answered.
    recorded = {};
    int answers = 0;
    vk::platform::showOkCancelBoxAsync("Title", "Text", [&](bool) { ++answers; });
    EXPECT_TRUE(recorded.titles.isEmpty());
    EXPECT_EQ(answers, 0);
    vk::platform::setMessageBoxPresenterOverride({});
}
