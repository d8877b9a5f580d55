#include "formats/vst3/vst3_audio_effect.h"

namespace vk::vst3
{

using namespace Steinberg;
using namespace Steinberg::Vst;

AudioEffect::AudioEffect()
{
    processSetup.processMode = kRealtime;
    processSetup.symbolicSampleSize = kSample32;
    processSetup.maxSamplesPerBlock = 1024;
    processSetup.sampleRate = 44100.0;
}

AudioBus* AudioEffect::addAudioInput(const tchar* name, SpeakerArrangement arr)
{
    auto* bus = new AudioBus(name, kMain, BusInfo::kDefaultActive, arr);
    audioInputs.push_back(IPtr<Bus>(bus, false));
    return bus;
}

AudioBus* AudioEffect::addAudioOutput(const tchar* name, SpeakerArrangement arr)
{
    auto* bus = new AudioBus(name, kMain, BusInfo::kDefaultActive, arr);
    audioOutputs.push_back(IPtr<Bus>(bus, false));
    return bus;
}

AudioBus* AudioEffect::getAudioInput(int32 index)
{
    return (index >= 0 && index < int32(audioInputs.size())) ? FCast<AudioBus>(audioInputs.at(index).get())
                                                             : nullptr;
}

AudioBus* AudioEffect::getAudioOutput(int32 index)
{
    return (index >= 0 && index < int32(audioOutputs.size())) ? FCast<AudioBus>(audioOutputs.at(index).get())
                                                              : nullptr;
}

tresult PLUGIN_API AudioEffect::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                   SpeakerArrangement* outputs, int32 numOuts)
{
    if (numIns < 0 || numOuts < 0 || numIns > int32(audioInputs.size()) ||
        numOuts > int32(audioOutputs.size()))
        return kResultFalse;
    for (int32 i = 0; i < numIns; ++i)
        if (auto* bus = getAudioInput(i))
            bus->setArrangement(inputs[i]);
    for (int32 i = 0; i < numOuts; ++i)
        if (auto* bus = getAudioOutput(i))
            bus->setArrangement(outputs[i]);
    return kResultTrue;
}

tresult PLUGIN_API AudioEffect::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr)
{
    AudioBus* bus = (dir == kInput) ? getAudioInput(index) : getAudioOutput(index);
    if (bus == nullptr)
        return kInvalidArgument;
    arr = bus->getArrangement();
    return kResultTrue;
}

tresult PLUGIN_API AudioEffect::canProcessSampleSize(int32 symbolicSampleSize)
{
    return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API AudioEffect::setupProcessing(ProcessSetup& setup)
{
    if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue)
        return kResultFalse;
    processSetup = setup;
    return kResultOk;
}

} // namespace vk::vst3
