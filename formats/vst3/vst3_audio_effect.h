#pragma once

// The audio-effect base the SDK subset lacks: the SDK's bundled Component (buses, controller class id,
// connection point) plus IAudioProcessor with the set-up a processor needs: adding audio buses, keeping
// the last process set-up and answering the bus arrangement queries. [host main thread unless noted]

#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <public.sdk/source/vst/vstbus.h>
#include <public.sdk/source/vst/vstcomponent.h>

namespace vk::vst3
{

// The SDK's interfaces have no virtual destructors by design: objects are freed through release().
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class AudioEffect : public Steinberg::Vst::Component, public Steinberg::Vst::IAudioProcessor
{
public:
    AudioEffect();

    // Adds a main audio bus, active by default.
    Steinberg::Vst::AudioBus* addAudioInput(const Steinberg::tchar* name,
                                            Steinberg::Vst::SpeakerArrangement arr);
    Steinberg::Vst::AudioBus* addAudioOutput(const Steinberg::tchar* name,
                                             Steinberg::Vst::SpeakerArrangement arr);
    Steinberg::Vst::AudioBus* getAudioInput(Steinberg::int32 index);
    Steinberg::Vst::AudioBus* getAudioOutput(Steinberg::int32 index);

    // IAudioProcessor
    Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs,
                                                     Steinberg::int32 numIns,
                                                     Steinberg::Vst::SpeakerArrangement* outputs,
                                                     Steinberg::int32 numOuts) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getBusArrangement(Steinberg::Vst::BusDirection dir, Steinberg::int32 index,
                                                    Steinberg::Vst::SpeakerArrangement& arr) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API getLatencySamples() SMTG_OVERRIDE { return 0; }
    Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setProcessing(Steinberg::TBool) SMTG_OVERRIDE
    {
        return Steinberg::kResultOk;
    }
    // [audio thread]
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData&) SMTG_OVERRIDE
    {
        return Steinberg::kNotImplemented;
    }
    Steinberg::uint32 PLUGIN_API getTailSamples() SMTG_OVERRIDE { return Steinberg::Vst::kNoTail; }

    OBJ_METHODS(AudioEffect, Component)
    DEFINE_INTERFACES
    DEF_INTERFACE(IAudioProcessor)
    END_DEFINE_INTERFACES(Component)
    REFCOUNT_METHODS(Component)

protected:
    Steinberg::Vst::ProcessSetup processSetup{};
#pragma GCC diagnostic pop
};

} // namespace vk::vst3
