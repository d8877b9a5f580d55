#include "formats/aax/aax_channel_router.h"

namespace vk::aax
{

void ChannelRouter::configure(int inputs, int outputs)
{
    m_inputs = std::max(inputs, 0);
    m_outputs = std::max(outputs, 0);
    const int extra = std::max(m_inputs - m_outputs, 0);
    m_scratch.assign(std::size_t(extra) * kScratchSamples, 0.0f);
    m_channels.assign(std::size_t(std::max(m_inputs, m_outputs)) + 1, nullptr);
    for (int k = 0; k < extra; ++k)
        m_channels[std::size_t(m_outputs + k)] = m_scratch.data() + std::size_t(k) * kScratchSamples;
}

} // namespace vk::aax
