#include "host_render.h"

#include "host_plugin.h"

#include <algorithm>

namespace juce
{
// The framework's own dispatcher of one message; a console host has no other event loop.
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
} // namespace juce

namespace vkhost
{

void runMessages(int ms)
{
    const auto end = juce::Time::getMillisecondCounterHiRes() + ms;
    do
    {
        while (juce::dispatchNextMessageOnSystemQueue(true))
        {
        }
        if (ms > 0)
            juce::Thread::sleep(1);
    } while (juce::Time::getMillisecondCounterHiRes() < end);
}

std::optional<RenderResult> render(juce::AudioPluginInstance& plugin, const juce::AudioBuffer<float>& input,
                                   const HostOptions& options, juce::String& error)
{
    struct Pending
    {
        juce::AudioProcessorParameter* parameter;
        float value;
        juce::int64 atSample;
    };
    std::vector<Pending> pending;
    for (const auto& change : options.changes)
    {
        if (change.atSeconds < 0.0)
            continue;
        auto* parameter = findParameter(plugin, change.ref);
        if (parameter == nullptr)
        {
            error = "no parameter " + change.ref;
            return std::nullopt;
        }
        pending.push_back(
            {parameter, change.value, juce::int64(change.atSeconds * options.sampleRate + 0.5)});
    }
    std::stable_sort(pending.begin(), pending.end(),
                     [](const Pending& a, const Pending& b) { return a.atSample < b.atSample; });

    const int inChannels = plugin.getTotalNumInputChannels();
    const int outChannels = plugin.getTotalNumOutputChannels();
    const int ioChannels = std::max(inChannels, outChannels);
    const int total = input.getNumSamples();

    RenderResult result;
    result.output.setSize(outChannels, total);
    result.output.clear();
    juce::AudioBuffer<float> io(ioChannels, options.blockSize);
    juce::MidiBuffer midi;
    std::size_t nextChange = 0;
    const double startMs = juce::Time::getMillisecondCounterHiRes();

    for (int pos = 0; pos < total || (total == 0 && result.blocks == 0); pos += options.blockSize)
    {
        while (nextChange < pending.size() && pending[nextChange].atSample <= pos)
        {
            setParameter(*pending[nextChange].parameter, pending[nextChange].value);
            ++nextChange;
            ++result.appliedChanges;
        }

        if (options.zeroLengthBlocks)
        {
            juce::AudioBuffer<float> empty(io.getArrayOfWritePointers(), ioChannels, 0);
            plugin.processBlock(empty, midi);
            ++result.zeroLengthBlocks;
        }

        const int n = std::min(options.blockSize, total - pos);
        io.clear();
        for (int c = 0; c < std::min(inChannels, input.getNumChannels()); ++c)
            io.copyFrom(c, 0, input, c, pos, n);
        juce::AudioBuffer<float> block(io.getArrayOfWritePointers(), ioChannels, n);
        plugin.processBlock(block, midi);
        midi.clear();
        for (int c = 0; c < outChannels; ++c)
            result.output.copyFrom(c, pos, io, c, 0, n);
        ++result.blocks;

        runMessages(0);
        if (options.realtime)
        {
            const double dueMs = startMs + 1000.0 * (pos + n) / options.sampleRate;
            while (juce::Time::getMillisecondCounterHiRes() < dueMs)
            {
                runMessages(0);
                juce::Thread::sleep(1);
            }
        }
        if (n <= 0)
            break;
    }
    return result;
}

} // namespace vkhost
