#pragma once

// Questions to the user that must not block. Our framework build has no modal loops and hosts may run
// without a display, so a question is shown asynchronously on the message thread and its answer arrives
// later through a callback; a caller has to behave sensibly until then. Tests and headless tools install
// a presenter of their own that answers (or withholds the answer) instead of opening a window.

#include <juce_core/juce_core.h>

#include <functional>

namespace vk::platform
{

// Receives true for OK and false for Cancel (or a closed box). Called on the message thread.
using MessageBoxAnswer = std::function<void(bool ok)>;

// Presents one OK/Cancel question and calls the answer at most once, whenever the user has decided.
using MessageBoxPresenter =
    std::function<void(const juce::String& title, const juce::String& text, MessageBoxAnswer answer)>;

// [any thread] Posts the question to the message thread and returns at once. Without a display and
// without a presenter override the question is dropped and the answer never comes. Allocates.
void showOkCancelBoxAsync(const juce::String& title, const juce::String& text, MessageBoxAnswer answer);

// [any thread] Replaces the real box; an empty function restores it.
void setMessageBoxPresenterOverride(MessageBoxPresenter presenter);

// Receives whether the user ticked "Do not show this message again" (always false when it was not offered).
// Called on the message thread when the box is closed.
using NoticeAnswer = std::function<void(bool doNotShowAgain)>;

// Presents one warning with an OK button only, optionally with the "do not show again" tick box.
using NoticePresenter = std::function<void(const juce::String& title, const juce::String& text,
                                           bool offerDoNotShowAgain, NoticeAnswer answer)>;

// [any thread] Like showOkCancelBoxAsync, for a warning that only informs. Allocates.
void showNoticeAsync(const juce::String& title, const juce::String& text, bool offerDoNotShowAgain,
                     NoticeAnswer answer);

// [any thread] Replaces the real notice; an empty function restores it.
void setNoticePresenterOverride(NoticePresenter presenter);

} // namespace vk::platform
