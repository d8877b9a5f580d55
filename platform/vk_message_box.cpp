#include "platform/vk_message_box.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <mutex>

namespace vk::platform
{
namespace
{
std::mutex presenterLock;
MessageBoxPresenter presenterOverride;
NoticePresenter noticeOverride;

MessageBoxPresenter currentOverride()
{
    std::lock_guard<std::mutex> lock(presenterLock);
    return presenterOverride;
}

void presentWithFramework(const juce::String& title, const juce::String& text, MessageBoxAnswer answer)
{
    // Opening a window without a display would fail deep inside the windowing layer.
    if (juce::Desktop::getInstance().getDisplays().displays.isEmpty())
        return;

    auto shared = std::make_shared<MessageBoxAnswer>(std::move(answer));
    juce::AlertWindow::showOkCancelBox(juce::MessageBoxIconType::WarningIcon, title, text, "OK", "Cancel",
                                       nullptr,
                                       juce::ModalCallbackFunction::create(
                                           [shared](int result)
                                           {
                                               if (*shared)
                                                   (*shared)(result != 0);
                                           }));
}
NoticePresenter currentNoticeOverride()
{
    std::lock_guard<std::mutex> lock(presenterLock);
    return noticeOverride;
}

// The window owns its tick box, and both go when the box is dismissed.
class NoticeWindow : public juce::AlertWindow
{
public:
    NoticeWindow(const juce::String& title, const juce::String& text, bool offerDoNotShowAgain)
        : juce::AlertWindow(title, text, juce::MessageBoxIconType::WarningIcon)
    {
        if (offerDoNotShowAgain)
        {
            doNotShowAgain.setSize(300, 24);
            addCustomComponent(&doNotShowAgain);
        }
        addButton("OK", 1, juce::KeyPress(juce::KeyPress::returnKey));
    }
    ~NoticeWindow() override { removeCustomComponent(0); }

    juce::ToggleButton doNotShowAgain{"Do not show this message again"};
};

void presentNoticeWithFramework(const juce::String& title, const juce::String& text, bool offerDoNotShowAgain,
                                NoticeAnswer answer)
{
    if (juce::Desktop::getInstance().getDisplays().displays.isEmpty())
        return;

    auto* window = new NoticeWindow(title, text, offerDoNotShowAgain);
    juce::Component::SafePointer<NoticeWindow> safe(window);
    window->enterModalState(true,
                            juce::ModalCallbackFunction::create(
                                [safe, answer = std::move(answer)](int)
                                {
                                    const bool tick =
                                        safe != nullptr && safe->doNotShowAgain.getToggleState();
                                    if (answer)
                                        answer(tick);
                                }),
                            true);
}
} // namespace

void showNoticeAsync(const juce::String& title, const juce::String& text, bool offerDoNotShowAgain,
                     NoticeAnswer answer)
{
    auto present = [title, text, offerDoNotShowAgain, answer = std::move(answer)]() mutable
    {
        if (auto presenter = currentNoticeOverride())
            presenter(title, text, offerDoNotShowAgain, std::move(answer));
        else
            presentNoticeWithFramework(title, text, offerDoNotShowAgain, std::move(answer));
    };

    auto* manager = juce::MessageManager::getInstanceWithoutCreating();
    if (manager != nullptr && manager->isThisTheMessageThread())
        present();
    else
        juce::MessageManager::callAsync(std::move(present));
}

void setNoticePresenterOverride(NoticePresenter presenter)
{
    std::lock_guard<std::mutex> lock(presenterLock);
    noticeOverride = std::move(presenter);
}

void showOkCancelBoxAsync(const juce::String& title, const juce::String& text, MessageBoxAnswer answer)
{
    auto present = [title, text, answer = std::move(answer)]() mutable
    {
        if (auto presenter = currentOverride())
            presenter(title, text, std::move(answer));
        else
            presentWithFramework(title, text, std::move(answer));
    };

    auto* manager = juce::MessageManager::getInstanceWithoutCreating();
    if (manager != nullptr && manager->isThisTheMessageThread())
        present();
    else
        juce::MessageManager::callAsync(std::move(present));
}

void setMessageBoxPresenterOverride(MessageBoxPresenter presenter)
{
    std::lock_guard<std::mutex> lock(presenterLock);
    presenterOverride = std::move(presenter);
}

} // namespace vk::platform
