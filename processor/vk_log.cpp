#include "processor/vk_log.h"

#include "formats/identity/vk_plugin_identity.h"
#include "platform/vk_data_folders.h"

#include <memory>
#include <mutex>

namespace vk::log
{
namespace
{
// Creation and deletion of the logger must not interleave between processors built on different threads.
std::mutex countLock;
int liveProcessors = 0;
std::unique_ptr<juce::FileLogger> logger;
} // namespace

juce::File getLogFile()
{
    const juce::File base(juce::String(platform::userDataFolder().string()));
    return base.getChildFile(identity::kMaker).getChildFile("VkLog.log");
}

juce::String makeOpeningLine(const juce::String& formatName, const juce::String& hostName,
                             const juce::String& userName)
{
    // The platform words are those every version of the log has carried; support scripts key on them.
    return juce::String(identity::kProductKey) + " v" + identity::kVersionText + " " + formatName +
           " Windows" + " RELEASE" + " intel" + " 64bit" + ", host = '" + hostName + "'" + ", user = '" +
           userName + "'";
}

void processorCreated(const std::function<juce::String()>& openingLine)
{
    std::lock_guard<std::mutex> lock(countLock);
    if (liveProcessors++ != 0)
        return;
    // A maximum initial size of 0 removes any older log first.
    logger = std::make_unique<juce::FileLogger>(getLogFile(), openingLine(), 0);
    juce::Logger::setCurrentLogger(logger.get());
}

void processorDestroyed()
{
    std::lock_guard<std::mutex> lock(countLock);
    if (liveProcessors == 0 || --liveProcessors != 0)
        return;
    if (juce::Logger::getCurrentLogger() == logger.get())
        juce::Logger::setCurrentLogger(nullptr);
    logger.reset();
}

int getNumLiveProcessors()
{
    std::lock_guard<std::mutex> lock(countLock);
    return liveProcessors;
}

} // namespace vk::log
