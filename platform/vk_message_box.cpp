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
} // namespace

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
