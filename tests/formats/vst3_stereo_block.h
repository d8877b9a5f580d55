#pragma once

// One stereo block for IAudioProcessor::process as a host hands it over: 32-bit samples, one bus in and
// out on the same two channel buffers (processed in place), and a playing transport of its own.

#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivstprocesscontext.h>

#include <vector>

namespace vk::test
{

struct StereoBlock
{
    explicit StereoBlock(int size) : left(std::size_t(size)), right(std::size_t(size))
    {
        using namespace Steinberg::Vst;
        bus.numChannels = 2;
        bus.channelBuffers32 = channels;
        context.sampleRate = 48000.0;
        context.tempo = 120.0;
        context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid;
        data.processMode = kRealtime;
        data.symbolicSampleSize = kSample32;
        data.numSamples = size;
        data.numInputs = data.numOutputs = 1;
        data.inputs = data.outputs = &bus;
        data.processContext = &context;
    }
    StereoBlock(const StereoBlock&) = delete;
    StereoBlock& operator=(const StereoBlock&) = delete;

    std::vector<float> left, right;
    float* channels[2] = {left.data(), right.data()};
    Steinberg::Vst::AudioBusBuffers bus{};
    Steinberg::Vst::ProcessContext context{};
    Steinberg::Vst::ProcessData data{};
};

} // namespace vk::test
