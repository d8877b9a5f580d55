#pragma once

// The VST3 audio processor: owns one product processor (created with wrapper type 7 through the
// creation function the module sets), hands it the host's parameter changes and audio, keeps its state
// through the host state chunk and gives it the host transport as its play head. No callback lock is
// held around processing. Host order: initialize, setBusArrangements, setupProcessing, setActive(true),
// setProcessing(true), process ..., setProcessing(false), setActive(false), terminate, release.
// The calls that configure the processor or restore and save its state (set-up, bus arrangements, state)
// hold the message thread's work off while they do (MessageWorkPause): the processor's timer work there
// reads the sample rate, the filter set-up and the programs they write.

#include "formats/vst3/vst3_audio_effect.h"
#include "formats/vst3/vst3_framework_lifetime.h"
#include "formats/vst3/vst3_message_thread.h"
#include "formats/vst3/vst3_pairing.h"
#include "formats/vst3/vst3_play_head.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <pluginterfaces/vst/ivstprocesscontext.h>

#include <atomic>
#include <memory>

class VkJuceProcessorBase;

namespace vk::vst3
{
// Creates the product processor for a wrapper-type number. [message thread]
using ProcessorFactoryFunction = VkJuceProcessorBase* (*)(int wrapperType);
void setProcessorFactory(ProcessorFactoryFunction create);
ProcessorFactoryFunction getProcessorFactory();

inline constexpr int kWrapperTypeVst3 = 7;
inline constexpr int kMaxProcessedChannels = 10;
} // namespace vk::vst3

namespace Steinberg::Vst
{

// The SDK's interfaces have no virtual destructors by design: objects are freed through release().
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class VST3Processor : public vk::vst3::AudioEffect, public juce::AudioPlayHead
{
public:
    // [host main thread] Counts itself into the framework and creates the processor on the calling
    // thread (waiting for no other thread); the processor is null when the creation function fails.
    VST3Processor();
    // Hands the processor to the message thread for deletion (at once when the caller is the message
    // thread; never waiting for the module's own thread), then counts itself out: the framework outlives
    // the processor.
    ~VST3Processor() override;

    static FUnknown* createInstance();

    tresult PLUGIN_API initialize(FUnknown* context) SMTG_OVERRIDE;
    tresult PLUGIN_API terminate() SMTG_OVERRIDE;
    // Also names this wrapper's link to the controller on the other side (see vst3_pairing.h).
    tresult PLUGIN_API connect(IConnectionPoint* other) SMTG_OVERRIDE;
    tresult PLUGIN_API setActive(TBool state) SMTG_OVERRIDE;
    tresult PLUGIN_API setProcessing(TBool state) SMTG_OVERRIDE;
    tresult PLUGIN_API setupProcessing(ProcessSetup& setup) SMTG_OVERRIDE;
    tresult PLUGIN_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                          SpeakerArrangement* outputs, int32 numOuts) SMTG_OVERRIDE;
    tresult PLUGIN_API activateBus(MediaType type, BusDirection dir, int32 index, TBool state) SMTG_OVERRIDE;
    uint32 PLUGIN_API getLatencySamples() SMTG_OVERRIDE;
    tresult PLUGIN_API setState(IBStream* state) SMTG_OVERRIDE;
    tresult PLUGIN_API getState(IBStream* state) SMTG_OVERRIDE;
    // [audio thread] No allocation, no lock.
    tresult PLUGIN_API process(ProcessData& data) SMTG_OVERRIDE;

    // juce::AudioPlayHead [any thread: the audio thread's blocks, and parameter changes on the host's UI
    // thread (the tempo-synced rate)] Lock-free.
    juce::Optional<PositionInfo> getPosition() const override;

    VkJuceProcessorBase* getProcessor() const noexcept { return m_processor.get(); }
    bool isBypassed() const noexcept { return m_link->bypass.load(); }
    bool isStarted() const noexcept { return m_started.load(); }
    int32 getInputChannels() const noexcept { return m_inputChannels; }
    int32 getOutputChannels() const noexcept { return m_outputChannels; }

    // The state algorithm shared by this wrapper's setState and the controller's setComponentState, on
    // the whole state read from the host's stream: refuses what inspectComponentState refuses, and our
    // chunk when it holds no whole document (nothing changes then); reads our chunk and its bypass
    // trailer, or takes anything else as the state of an earlier version (not bypassed). Nothing of it
    // reaches the host as an edit, then or after the next processing calls, and every report waiting from
    // before it is dropped; the host is asked to read the values again. [host main thread]
    static tresult readComponentState(VkJuceProcessorBase& processor, vk::vst3::EditReporter& reporter,
                                      const juce::MemoryBlock& whole, bool& bypassed);

private:
    void applyPlayConfiguration();
    void applyParameterChanges(IParameterChanges* changes);
    bool rebuildBuses(const char16* inName, const char16* outName, SpeakerArrangement in,
                      SpeakerArrangement out);

    vk::vst3::FrameworkLifetime m_framework;
    vk::vst3::RunLoopOffer m_contextRunLoop;
    std::shared_ptr<vk::vst3::ProcessorLink> m_link = std::make_shared<vk::vst3::ProcessorLink>();
    std::unique_ptr<VkJuceProcessorBase> m_processor;

    std::atomic<bool> m_started{false};
#pragma GCC diagnostic pop
    int32 m_inputChannels = 2;
    int32 m_outputChannels = 2;
    int32 m_processMode = kRealtime;
    double m_sampleRate = 0.0;
    int32 m_maxBlock = 0;
    vk::vst3::ProcessContextExchange m_context;
    juce::MidiBuffer m_midi;
};

} // namespace Steinberg::Vst
