#pragma once

// The GUI framework's lifetime in the VST3 module: the first live VST3 object starts it, the last one
// stops it. Which thread is its message thread meanwhile (the host's run loop, or one of the module's
// own) is the business of vst3_message_thread.h.

namespace vk::vst3
{

// Counts one live VST3 object in for its own life. [host main thread]
class FrameworkLifetime
{
public:
    FrameworkLifetime();
    ~FrameworkLifetime();
    FrameworkLifetime(const FrameworkLifetime&) = delete;
    FrameworkLifetime& operator=(const FrameworkLifetime&) = delete;
};

int liveFrameworkUsers();

} // namespace vk::vst3
