#pragma once

// What an AAX instance's processor calls back into: its listener, which notes the processor's reports for
// the host (ParameterReports) and counts the changes of its state that are no parameter edit, and its
// play head, which answers from the position the audio thread read from the host's transport in its last
// block.
//
// Why the play head answers from a copy: the processor reads its play head on any thread (a tempo-synced
// parameter reads the tempo where it changes, on JUCE's message thread for the editor), but only the host's
// threads may call the host's transport, inside the host's calls: the host takes it away when it
// uninitialises the instance. So the audio thread, inside the host's render call, reads the transport once
// a block and publishes what it answered; every read, on every thread, takes the last copy published. Before
// the first block, and after the host took its transport away, there is no position. AudioSuite passes run
// on the host's offline thread, outside any render call: their reads answer from the copy too.
//
// Why it is an object of its own: JUCE calls a processor's listeners, and a processor calls its play head,
// outside any lock the instance could take, so a report or a read may still be under way on another thread
// (the processor's timer on the message thread, an editor change) when the host lets go of the instance.
// The instance therefore hands this object over with the processor, to be deleted after it on the message
// thread: once the processor is gone, nothing can call in here any more.

#include "formats/aax/aax_parameter_reports.h"
#include "processor/vk_sequenced_copy.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <cstdint>
#include <thread>

namespace vk::aax
{

// What the audio thread read from the host's transport for one block.
struct PublishedPosition
{
    bool hasPosition = false;
    juce::AudioPlayHead::PositionInfo position;
};

class ProcessorLink final : public juce::AudioPlayHead, public juce::AudioProcessorListener
{
public:
    // Gestures are recorded for the processor's `numParameters` indexes. Allocates.
    explicit ProcessorLink(int numParameters);

    // [audio thread, inside the host's render call] What the host's transport answered for this block
    // (nothing when there is no transport). Lock-free, no allocation.
    void publishPosition(const juce::Optional<PositionInfo>& position) noexcept;
    // [host main thread] The host takes its transport away: no position until the next block.
    void withdrawPosition() noexcept;

    // juce::AudioPlayHead [any thread] The last position published. Lock-free, no allocation.
    juce::Optional<PositionInfo> getPosition() const override;

    // juce::AudioProcessorListener [any thread] Noted for the host's next call; no call is made. A notice
    // of a changed state that is no parameter edit (a program's name) counts as a change, unless it
    // confirms what the host restores; only a notice of a changed latency asks the host to read the
    // latency.
    void audioProcessorParameterChanged(juce::AudioProcessor*, int index, float value) override;
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails&) override;
    void audioProcessorParameterChangeGestureBegin(juce::AudioProcessor*, int index) override;
    void audioProcessorParameterChangeGestureEnd(juce::AudioProcessor*, int index) override;

    // [any thread] The changes of the processor's state that are no parameter edit, so far.
    std::int32_t stateChanges() const noexcept { return m_stateChanges.load(std::memory_order_relaxed); }

    ParameterReports reports;
    // The host thread that prepares the processor or restores its state: what the processor reports from
    // it confirms values the host gave, and is no edit.
    std::atomic<std::thread::id> confirmingThread{};

private:
    bool isConfirming() const noexcept { return confirmingThread.load() == std::this_thread::get_id(); }

    VkSequencedCopy<PublishedPosition> m_position;
    std::atomic<bool> m_positionLive{false};
    std::atomic<std::int32_t> m_stateChanges{0};
};

} // namespace vk::aax
