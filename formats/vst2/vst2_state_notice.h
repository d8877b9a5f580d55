#pragma once

// The processor's notice that its saved state changed in a way that is no parameter edit (a program's
// name: JUCE's nonParameterStateChanged), turned into what VST 2.4 hosts honour. The GUI framework's
// wrapper passes that notice on to no host.
//
// The interface has no call that says "the state changed". Its display notice (audioMasterUpdateDisplay)
// has hosts read the effect's names and values again, but Qtractor (0.9) only re-reads the parameter
// values by it: of what the interface has, only a parameter report (audioMasterAutomate, which it records
// as an undoable step) marks its session modified. A renamed program left the session unmodified, so
// quitting asked nothing and the new name was lost. The notice therefore reaches the host as the display
// notice followed by a report of the parameter-map version parameter at the value it holds: a value the
// build writes, never the user, so a host that records it records what the parameter always holds, and
// the effect's sound and state stay as they are.
//
// Threads: the processor notices on any thread; the host hears of it afterwards on the message thread,
// as of the editor's reports (the wrapper's own notices travel the same way), and several notices before
// then reach it once. A notice raised on a host's thread inside that host's own state call (a chunk or a
// program it sets, a program name it gives) is the host's change, not news to it, and is not passed back:
// a session the host reopens must not look modified by it.

#include "platform/vst2/vk_vst2_interface.h"

#include <juce_audio_processors/juce_audio_processors.h>

class VkJuceProcessorBase;

namespace vk::vst2
{

class StateNotice final : public juce::AudioProcessorListener, private juce::AsyncUpdater
{
public:
    // [thread that creates the effect] Listens to `processor` until destroyed. Allocates.
    StateNotice(Vst2::AEffect& effect, Vst2::audioMasterCallback host, VkJuceProcessorBase& processor);
    // [the host's close, any thread; before the processor goes] Stops listening; a delivery under way on
    // the message thread finishes first.
    ~StateNotice() override;
    StateNotice(const StateNotice&) = delete;
    StateNotice& operator=(const StateNotice&) = delete;

    // juce::AudioProcessorListener [any thread]
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails& details) override;
    void audioProcessorParameterChanged(juce::AudioProcessor*, int, float) override {}

private:
    // [message thread]
    void handleAsyncUpdate() override;

    Vst2::AEffect& m_effect;
    Vst2::audioMasterCallback m_host;
    VkJuceProcessorBase& m_processor;
};

// [thread of a host call] While one that is active exists on a thread, the processor's notices on that
// thread come from the host's own state call.
class HostStateCall
{
public:
    explicit HostStateCall(bool active) noexcept;
    ~HostStateCall();
    HostStateCall(const HostStateCall&) = delete;
    HostStateCall& operator=(const HostStateCall&) = delete;

private:
    bool m_active;
};

} // namespace vk::vst2
