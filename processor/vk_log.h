#pragma once

// The product's log file, "VkLog.log" in "VEKLA Audio" under the user's application-data folder. The first
// live processor of the process creates it (an older file of that name is replaced) and installs it as the
// framework's current logger; the last one to go uninstalls and closes it, leaving the file for support.
// [any thread] Creation and deletion allocate and do file I/O.

#include <juce_core/juce_core.h>

#include <functional>

namespace vk::log
{

juce::File getLogFile();

// Product key, version and format, then the platform words and who runs it, e.g.
// "Latiphonix3 v3.2.9.3 VST3 Windows RELEASE intel 64bit, host = 'Host', user = 'me'".
juce::String makeOpeningLine(const juce::String& formatName, const juce::String& hostName,
                             const juce::String& userName);

// Counts a processor in; the first one builds the opening line and creates the log.
void processorCreated(const std::function<juce::String()>& openingLine);
// Counts a processor out; the last one clears the current logger and deletes the log object.
void processorDestroyed();

int getNumLiveProcessors();

} // namespace vk::log
