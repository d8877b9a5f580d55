#pragma once

// The link between a processor wrapper and the controller created after it. The controller does not own
// the processor; both wrappers share this link, so either may be released first: the processor wrapper
// clears the link's processor (under its lock) before deleting it, and a controller whose processor is
// gone answers from defaults. The link also owns the listener that queues the processor's reports for
// the host, so the processor never calls into a freed controller.

#include "formats/vst3/vst3_edit_queue.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <memory>
#include <mutex>

class VkJuceProcessorBase;

namespace vk::vst3
{

// Queues the processor's parameter reports (published ids only) and its change notices. [any thread]
class EditReporter : public juce::AudioProcessorListener
{
public:
    void audioProcessorParameterChanged(juce::AudioProcessor* processor, int index, float value) override;
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails&) override;
    void audioProcessorParameterChangeGestureBegin(juce::AudioProcessor*, int) override
    {
        gestureIdle.store(false);
    }
    void audioProcessorParameterChangeGestureEnd(juce::AudioProcessor*, int) override
    {
        gestureIdle.store(true);
    }

    EditQueue queue;
    // Set by the processor wrapper while it prepares the processor: the processor then reports every
    // value it holds, which is no edit of the user's (see EditQueue).
    std::atomic<bool> settingUp{false};
    // True at start, cleared by a gesture begin and set by a gesture end; gestures do not reach the host,
    // since every reported edit is bracketed on its own.
    std::atomic<bool> gestureIdle{true};
};

struct ProcessorLink
{
    // Held while the processor is used from a controller, and while the processor wrapper clears it.
    std::mutex lock;
    VkJuceProcessorBase* processor = nullptr;
    std::atomic<bool> bypass{false};
    // Set while the host has the processor active. Hosts finish setting a plug-in up (connecting the
    // controller, synchronising its state, building their own parameter tables) before they activate it,
    // and a host may not be ready for edits from another thread until then; queued edits wait for it.
    std::atomic<bool> active{false};
    // Set by the first processing call after activation. A host restoring a session may hand its values
    // to the processor only then (in the call's parameter queues); the set-up report waits for them.
    std::atomic<bool> processedSinceActivation{false};
    EditReporter reporter;
};

// [host main thread] The module-wide pairing record.
void recordCreatedProcessor(const std::shared_ptr<ProcessorLink>& link);
// The link of the processor wrapper created last; null when none was created or it is gone.
std::shared_ptr<ProcessorLink> lastCreatedProcessor();

} // namespace vk::vst3
