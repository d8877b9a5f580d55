#pragma once

// Maps the host's channels onto the processor's configured input and output counts for one block:
// equal counts process the outputs; more outputs than inputs spread the inputs over them (a stereo
// input by the processor's channel-layout choice); more inputs than outputs process the extra inputs too,
// each in a scratch channel of our own, since the host's input buffers are not ours to write.
//
// Nothing is read or written past `numSamples` of a channel the host passed. A null output channel skips
// the block (there is nowhere to put it); a null input channel reads as silence.
//
// [audio thread] route: no allocation. [message thread, audio excluded] configure allocates.

#include <algorithm>
#include <cstring>
#include <vector>

namespace vk::aax
{

class ChannelRouter
{
public:
    // Blocks longer than the scratch are processed in pieces when scratch channels are in use.
    static constexpr int kScratchSamples = 1024;

    void configure(int inputs, int outputs);
    int inputs() const noexcept { return m_inputs; }
    int outputs() const noexcept { return m_outputs; }

    // `layoutChoice()` is asked only when a stereo input feeds more outputs; `process(channels, count,
    // samples)` runs on the mapped channels, once or (with scratch channels) once per piece.
    template <typename LayoutChoice, typename Process>
    void route(const float* const* in, float* const* out, int numSamples, LayoutChoice&& layoutChoice,
               Process&& process);

private:
    static void copyOrSilence(const float* source, float* destination, int numSamples) noexcept
    {
        if (source == nullptr)
            std::fill(destination, destination + numSamples, 0.0f);
        else if (source != destination)
            std::memmove(destination, source, std::size_t(numSamples) * sizeof(float));
    }
    const float* input(const float* const* in, int k) const noexcept
    {
        return in != nullptr ? in[k] : nullptr;
    }

    int m_inputs = 0;
    int m_outputs = 0;
    std::vector<float> m_scratch;
    std::vector<float*> m_channels;
};

template <typename LayoutChoice, typename Process>
void ChannelRouter::route(const float* const* in, float* const* out, int numSamples,
                          LayoutChoice&& layoutChoice, Process&& process)
{
    if (numSamples <= 0 || m_outputs <= 0 || out == nullptr)
        return;
    for (int k = 0; k < m_outputs; ++k)
        if (out[k] == nullptr)
            return;

    if (m_inputs <= m_outputs)
    {
        if (m_inputs == m_outputs)
            for (int k = 0; k < m_outputs; ++k)
                copyOrSilence(input(in, k), out[k], numSamples);
        else if (m_inputs == 1)
        {
            // Output 0 last, in case the host runs in place and input 0 is output 0.
            for (int k = m_outputs - 1; k >= 0; --k)
                copyOrSilence(input(in, 0), out[k], numSamples);
        }
        else if (m_inputs == 2)
        {
            const auto [left, right] = layoutChoice();
            // The inputs are read before any output is cleared, so an in-place host keeps its audio.
            for (int k = 0; k < m_outputs; ++k)
                if (k != left && k != right && k != 0 && k != 1)
                    std::fill(out[k], out[k] + numSamples, 0.0f);
            float* leftOut = out[std::clamp(left, 0, m_outputs - 1)];
            float* rightOut = out[std::clamp(right, 0, m_outputs - 1)];
            // Right first when it moves up, so that input 1 is read before output 1 is overwritten.
            copyOrSilence(input(in, 1), rightOut, numSamples);
            copyOrSilence(input(in, 0), leftOut, numSamples);
            for (int k = 0; k < 2 && k < m_outputs; ++k)
                if (out[k] != leftOut && out[k] != rightOut)
                    std::fill(out[k], out[k] + numSamples, 0.0f);
        }
        else
        {
            for (int k = 0; k < m_outputs; ++k)
                if (k < m_inputs)
                    copyOrSilence(input(in, k), out[k], numSamples);
                else
                    std::fill(out[k], out[k] + numSamples, 0.0f);
        }
        process(out, m_outputs, numSamples);
        return;
    }

    // More inputs than outputs: outputs 0 .. outs-1 carry the first inputs, scratch channels the rest.
    for (int done = 0; done < numSamples;)
    {
        const int piece = std::min(numSamples - done, kScratchSamples);
        for (int k = 0; k < m_outputs; ++k)
        {
            const float* source = input(in, k);
            copyOrSilence(source != nullptr ? source + done : nullptr, out[k] + done, piece);
            m_channels[std::size_t(k)] = out[k] + done;
        }
        for (int k = m_outputs; k < m_inputs; ++k)
        {
            float* scratch = m_channels[std::size_t(k)];
            const float* source = input(in, k);
            copyOrSilence(source != nullptr ? source + done : nullptr, scratch, piece);
        }
        // The scratch channels are processed and dropped.
        process(m_channels.data(), m_inputs, piece);
        done += piece;
    }
}

} // namespace vk::aax
