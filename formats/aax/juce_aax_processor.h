#pragma once

// The effect's parameters object of one AAX instance: owns the instance's processor and adapts it to the
// host. It prepares the processor for the host's stem formats, publishes the processor's exposed
// parameters (identifier = the decimal index) beside the master bypass "MasterBypassID", passes value
// changes both ways, keeps the processor's state as the chunk "juce" beside the controls chunk "elck",
// runs the processor from the render callback, and answers the processor's play head from the host's
// transport (through its ProcessorLink, which is the processor's listener and play head). The AudioSuite
// processor and the GUI reach the processor through this object.
//
// Threads, and who may call what:
// - The host's main thread owns the AAX parameter objects, the parameter manager, the controls chunk
//   and the host wrappers: every host call (Initialize / Uninitialize, parameter, chunk, field and timer
//   calls) and nothing else touches them. It may call the host's automation and controller.
// - The render callback and RenderAudio_Hybrid come on the host's audio thread and touch only the
//   processor (under its callback lock), the routing, the bypass flag and the host's transport, whose
//   answers they publish for the processor's play head.
// - The processor's reports (the listener calls) come on whatever thread changed it: the module's JUCE
//   message thread (editor, processor timer), the audio thread or a host thread. They only note the report
//   (ParameterReports) and call no one; the host's thread delivers the notes to the parameters and the
//   host's automation in its next TimerWakeup (or chunk call). The play head, read on any thread, answers
//   from what the audio thread published and calls no one either.
// - No host call waits for the module's JUCE message thread: the processor is made on the host's thread
//   and deleted on the message thread (queued, not waited for), and preparing it, its state and its
//   parameters take only the processor's own locks.

#include "formats/aax/aax_channel_router.h"
#include "formats/aax/aax_effect_parameters.h"
#include "formats/aax/aax_juce_runtime.h"
#include "formats/aax/aax_processor_link.h"
#include "platform/aax/aax_render_context.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <memory>
#include <vector>

class VkJuceProcessorBase;

namespace AAXClasses
{

using vk::aax::Result;

// The render callback registered with every component: runs each context's instance.
void algorithmProcessCallback(void* const* contextsBegin, const void* contextsEnd);

class JuceAAX_Processor : public vk::aax::AAX_CEffectParameters
{
public:
    static constexpr std::uint32_t kJuceChunkId = vk::aax::fourCharCode("juce");
    static constexpr std::int32_t kJuceChunkIndex = 1;
    static constexpr int kMaxBlockSize = 1024;

    enum Mode
    {
        kRealtime = 0,
        kOfflineAnalysis = 1,
        kOfflineRender = 2,
    };

    // Creates the processor through the creation function (wrapper type 4); without one, or when it
    // fails, the object exists but initialising it fails.
    JuceAAX_Processor();
    ~JuceAAX_Processor() override;

    // The factory procedure (id 0): the new object, with no reference yet, or null.
    static vk::aax::IACFUnknown* Create();

    VkJuceProcessorBase* getProcessor() const noexcept { return m_processor.get(); }
    // The channel counts the host's stem formats gave (0 before the processor was prepared).
    int getNumInputs() const noexcept { return m_router.inputs(); }
    int getNumOutputs() const noexcept { return m_router.outputs(); }

    // The host takes its objects away: the processor's play head has no position until the next block.
    Result Uninitialize() override;
    Result EffectInit() override;
    Result GetParameterStringFromValue(const char* id, double value, vk::aax::AAX_IString* text,
                                       std::int32_t maxLength) const override;
    Result GetParameterValueString(const char* id, vk::aax::AAX_IString* text,
                                   std::int32_t maxLength) const override;
    Result GetParameterNormalizedValue(const char* id, double* value) const override;
    Result SetParameterNormalizedValue(const char* id, double value) override;
    Result UpdateParameterNormalizedValue(const char* id, double value, std::int32_t source) override;
    Result ResetFieldData(std::uint32_t fieldIndex, void* block, std::uint32_t blockSize) const override;
    Result GetNumberOfChunks(std::int32_t* count) const override;
    Result GetChunkIDFromIndex(std::int32_t index, std::uint32_t* chunkId) const override;
    Result GetChunkSize(std::uint32_t chunkId, std::uint32_t* size) const override;
    Result GetChunk(std::uint32_t chunkId, vk::aax::ChunkRecord* chunk) const override;
    Result SetChunk(std::uint32_t chunkId, const vk::aax::ChunkRecord* chunk) override;
    Result CompareActiveChunk(const vk::aax::ChunkRecord* chunk, bool* equal) const override;
    // The count the host compares between calls to know whether the session needs saving: the parameter
    // edits it heard of, and the changes of the processor's state that are no parameter edit (JUCE's
    // non-parameter state notice), which reach no parameter.
    Result GetNumberOfChanges(std::int32_t* count) const override;
    // The host's periodic call: the processor's reports since the last call reach the parameters and the
    // host's automation.
    Result TimerWakeup() override;
    Result RenderAudio_Hybrid(void* renderInfo) override;

    // [audio thread] A real-time block for the host (the render callback, RenderAudio_Hybrid): the host's
    // transport is read for the processor's play head, then the block is processed, or, when processing
    // throws, answered with silence and 0x8000FFFF rather than half-processed audio.
    Result render(const float* const* inputs, float* const* outputs, int numSamples, bool bypass) noexcept;
    // [audio or offline thread] Maps the host's channels onto the processor's and processes them, under
    // the processor's callback lock. No allocation.
    void process(const float* const* inputs, float* const* outputs, int numSamples, bool bypass, Mode mode);
    // [audio thread] The master bypass as the host last set it.
    bool isBypassed() const noexcept { return m_bypass.load(std::memory_order_relaxed); }
    // [audio thread] Whether the host's field reset prepared this object for its stem formats.
    bool isPrepared() const noexcept { return m_prepared.load(std::memory_order_acquire); }

    // The processor index an identifier stands for: a published parameter named by its decimal index;
    // -1 for anything else (the bypass, unknown or malformed identifiers).
    int processorIndexOf(const char* id) const;

private:
    void preparePlugin();
    void addAudioProcessorParameters();
    void refreshBypass();
    void processWithMode(float* const* channels, int numChannels, int numSamples, bool bypass, Mode mode);
    // The processor's state into the cache. [host main thread]
    void cacheState() const;
    // [host main thread] Hands the processor's noted reports to the parameters and the host, in order.
    void deliverReports();
    void deliverReport(const vk::aax::ParameterReports::Report& report);
    // [host main thread] After reports were dropped: the host hears a touch for every gesture the
    // processor holds and the host has not heard of, then every value, then a release for every touch it
    // heard whose gesture has ended.
    void catchUp(const std::vector<std::uint8_t>& held);
    // [host main thread] Every parameter whose value differs from the processor's asks the host for it.
    void requestProcessorValues();
    // [host main thread] Every parameter takes the processor's value without a request to the host (the
    // host learns it as the current value).
    void followProcessorValues();

    // Declared first: JUCE is up before the processor exists and stays up until it is gone.
    vk::aax::JuceGuiUse m_juce;
    std::unique_ptr<VkJuceProcessorBase> m_processor;
    juce::MidiBuffer m_midi;
    vk::aax::ChannelRouter m_router;
    float m_sampleRate = 0.0f;
    mutable juce::MemoryBlock m_stateCache;
    // The size the last GetChunkSize("juce") answered; -1 before the first.
    mutable std::int64_t m_answeredStateSize = -1;
    std::atomic<bool> m_bypass{false};
    std::atomic<bool> m_prepared{false};
    // The processor's listener and play head; outlives this object until the processor is gone.
    std::unique_ptr<vk::aax::ProcessorLink> m_link;
    vk::aax::ParameterReports::Taken m_taken;
    // Per processor index: the touches the host heard from gesture reports and has not heard released.
    std::vector<int> m_hostTouches;
    // While reports are delivered, the processor already holds the values: answers to them stay here.
    bool m_deliveringReports = false;
};

} // namespace AAXClasses
