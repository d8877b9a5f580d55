#pragma once

// The plug-in's editor in a window of the host's, opened the way a Linux host opens a VST3 editor:
// the framework's hosting asks the plug-in for its view ("editor") and attaches it to an X window it
// creates inside ours, offering its message loop as the view's run loop. Reports what it saw:
// whether there is an editor, its size, the size of our window around it, how much of it is drawn, and
// the screenshot. [message thread]

#include "host_options.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace vkhost
{

// Opens and closes the editor options.editorCycles times; false (with `error`) when it could not.
bool runEditor(juce::AudioPluginInstance& plugin, const HostOptions& options, juce::String& error);

} // namespace vkhost
