#include "formats/aax/aax_processor_link.h"

namespace vk::aax
{

ProcessorLink::ProcessorLink(int numParameters) : reports(numParameters) {}

void ProcessorLink::publishPosition(const juce::Optional<PositionInfo>& position) noexcept
{
    PublishedPosition published;
    published.hasPosition = position.hasValue();
    if (position.hasValue())
        published.position = *position;
    m_position.publish(published);
    m_positionLive.store(true, std::memory_order_release);
}

void ProcessorLink::withdrawPosition() noexcept
{
    m_positionLive.store(false, std::memory_order_release);
}

juce::Optional<juce::AudioPlayHead::PositionInfo> ProcessorLink::getPosition() const
{
    if (!m_positionLive.load(std::memory_order_acquire))
        return {};
    const auto published = m_position.read();
    if (!published || !published->hasPosition)
        return {};
    return published->position;
}

void ProcessorLink::audioProcessorParameterChanged(juce::AudioProcessor*, int index, float)
{
    if (!isConfirming())
        reports.noteValue(index);
}

void ProcessorLink::audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails& details)
{
    if (details.nonParameterStateChanged && !isConfirming())
        m_stateChanges.fetch_add(1, std::memory_order_relaxed);
    if (details.latencyChanged)
        reports.noteLatencyChanged();
}

void ProcessorLink::audioProcessorParameterChangeGestureBegin(juce::AudioProcessor*, int index)
{
    if (!isConfirming())
        reports.noteGesture(ParameterReports::Kind::GestureBegin, index);
}

void ProcessorLink::audioProcessorParameterChangeGestureEnd(juce::AudioProcessor*, int index)
{
    if (!isConfirming())
        reports.noteGesture(ParameterReports::Kind::GestureEnd, index);
}

} // namespace vk::aax
