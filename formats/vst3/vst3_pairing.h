#pragma once

// The link between a processor wrapper and its controller. The controller does not own the processor;
// both wrappers share this link, so either may be released first: the processor wrapper clears the link's
// processor (under its lock) before deleting it, and a controller whose processor is gone answers from
// defaults. The link also owns the listener that queues the processor's reports for the host, so the
// processor never calls into a freed controller.
//
// Pairing: when the host connects the two (IConnectionPoint), the processor wrapper names its link to the
// controller through that connection, and the controller takes it. Before that the controller acts on no
// processor: a host may create several processors before their controllers, and the one created last is
// not always this controller's.

#include "formats/vst3/vst3_edit_queue.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class VkJuceProcessorBase;

namespace vk::vst3
{

class EditSink;

// Queues the processor's parameter reports and gestures (published ids only) and its change notices, as
// what the host has to read again: the values after a program change, the latency when it differs from
// the one the host knows; and a change of the saved state that is no parameter's (a program's name), as
// the session to mark modified. [any thread]
class EditReporter : public juce::AudioProcessorListener
{
public:
    void audioProcessorParameterChanged(juce::AudioProcessor* processor, int index, float value) override;
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails&) override;
    void audioProcessorParameterChangeGestureBegin(juce::AudioProcessor* processor, int index) override;
    void audioProcessorParameterChangeGestureEnd(juce::AudioProcessor* processor, int index) override;

    // The host has handed the processor values of its own (a restored state): every report still waiting
    // is dropped, and so is every later set-up report, which can only confirm values the host gave or
    // heard of since. [host main thread]
    void hostRestoredValues() noexcept;
    // The latency the host has just been given. [host main thread]
    void hostKnowsLatency(int samples) noexcept { m_hostLatency.store(samples); }

    // [audio thread] A processing call has applied the host's changes of its block. No lock, no allocation.
    void hostChangesApplied() noexcept { m_blocks.fetch_add(1, std::memory_order_acq_rel); }
    // Whether the reports made since the last processing call wait for the next one, while the host calls
    // process. A report made between two blocks (a host's controller call, the editor) may catch the
    // processor's rules half-way: a host that plays automation sets its values again in every block, and a
    // value the rules change between blocks comes back there. The next block comes within milliseconds;
    // reports wait for it at most kBlockWait, for a host that has stopped calling. [message thread]
    bool reportsAwaitNextBlock() const noexcept;
    static constexpr std::chrono::milliseconds kBlockWait{100};

    EditQueue queue;
    // Set by the processor wrapper while it prepares the processor: the processor then reports values
    // it already holds, which is no edit of the user's (see EditQueue).
    std::atomic<bool> settingUp{false};

private:
    std::atomic<bool> m_hostRestoredValues{false};
    std::atomic<int> m_hostLatency{0};
    // The processing calls so far, and their count and the time when the last report was made.
    std::atomic<std::uint64_t> m_blocks{0};
    std::atomic<std::uint64_t> m_lastReportBlock{0};
    std::atomic<std::int64_t> m_lastReportTime{0};
};

struct ProcessorLink
{
    ProcessorLink();

    // Names the link in the module, for the connection message; never 0.
    const std::uint64_t token;
    // Held while the processor is used from a controller, and while the processor wrapper clears it.
    std::mutex lock;
    VkJuceProcessorBase* processor = nullptr;
    std::atomic<bool> bypass{false};
    // Set while the host has the processor active.
    std::atomic<bool> active{false};
    // Odd while the audio thread applies a block's parameter changes from the host. The processor's rules
    // between values pass through values it does not keep (the host switches both solos on: the first
    // turns the second off until the second comes), and a report sends only a value the processor holds
    // between two blocks (heldParameterValue). [audio thread writes, any thread reads]
    std::atomic<std::uint32_t> applyingHostChanges{0};
    // Set by the first processing call after activation. A host restoring a session may hand its values
    // to the processor only then (in the call's parameter queues); the set-up report waits for them.
    std::atomic<bool> processedSinceActivation{false};
    EditReporter reporter;
    // The sink of the controller paired with this processor, for the processor wrapper's restores.
    // Guarded by `lock`.
    std::weak_ptr<EditSink> sink;
    // Set by an editor view while it shows this processor's editor: closes that editor. The processor
    // wrapper calls it just before the processor is deleted, so that no editor outlives its processor
    // when a host releases the component before the view. [message thread, role held]
    std::function<void()> closeEditor;
};

// The value of parameter `index` the processor holds outside the audio thread's application of a block of
// host changes; waits (yielding) only while such an application is under way, which takes microseconds,
// and after a bounded number of tries answers the value as it stands. [any thread but audio, link lock
// held, processor present]
float heldParameterValue(ProcessorLink& link, int index);

// [host main thread] The module-wide pairing record.
void recordCreatedProcessor(const std::shared_ptr<ProcessorLink>& link);
// The link of a live processor wrapper, for the parameter layout every instance shares (names, flags,
// defaults) and nothing else; null when none lives.
std::shared_ptr<ProcessorLink> anyLiveProcessor();
// The live link with this token; null when there is none. [host main thread]
std::shared_ptr<ProcessorLink> findProcessorLink(std::uint64_t token);

} // namespace vk::vst3
