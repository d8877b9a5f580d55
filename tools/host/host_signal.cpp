#include "host_signal.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>

namespace vkhost
{

std::optional<juce::AudioBuffer<float>> readWav(const juce::File& file, juce::String& error)
{
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader(
        wav.createReaderFor(file.createInputStream().release(), true));
    if (reader == nullptr)
    {
        error = "cannot read WAV file " + file.getFullPathName();
        return std::nullopt;
    }
    juce::AudioBuffer<float> buffer(int(reader->numChannels), int(reader->lengthInSamples));
    reader->read(&buffer, 0, buffer.getNumSamples(), 0, true, true);
    return buffer;
}

bool writeWav(const juce::File& file, const juce::AudioBuffer<float>& buffer, double sampleRate,
              juce::String& error)
{
    file.deleteFile();
    std::unique_ptr<juce::OutputStream> stream = file.createOutputStream();
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer(
        stream == nullptr
            ? nullptr
            : wav.createWriterFor(stream.get(), sampleRate, unsigned(buffer.getNumChannels()), 32, {}, 0));
    if (writer == nullptr)
    {
        error = "cannot write WAV file " + file.getFullPathName();
        return false;
    }
    stream.release(); // the writer owns the stream now
    // 32 bits with float data: the writer stores IEEE floats.
    return writer->writeFromAudioSampleBuffer(buffer, 0, buffer.getNumSamples());
}

std::optional<juce::AudioBuffer<float>> makeSignal(const HostOptions& options, int numChannels,
                                                   juce::int64 numSamples, juce::String& error)
{
    if (options.signal == SignalKind::WavFile)
        return readWav(options.inputFile, error);

    juce::AudioBuffer<float> buffer(numChannels, int(numSamples));
    buffer.clear();
    juce::Random random(options.seed);
    for (int s = 0; s < buffer.getNumSamples(); ++s)
    {
        for (int c = 0; c < numChannels; ++c)
        {
            float x = 0.0f;
            if (options.signal == SignalKind::Noise)
                x = options.level * (2.0f * random.nextFloat() - 1.0f);
            else if (options.signal == SignalKind::Sine)
            {
                // A quarter-period offset per channel keeps the channels distinct.
                const double phase =
                    2.0 * juce::MathConstants<double>::pi * options.sineHz * s / options.sampleRate;
                x = options.level * float(std::sin(phase + c * juce::MathConstants<double>::halfPi));
            }
            buffer.setSample(c, s, x);
        }
    }
    return buffer;
}

} // namespace vkhost
