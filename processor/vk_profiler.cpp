#include "processor/vk_profiler.h"

VkJuceProfilerItem::VkJuceProfilerItem(const juce::String& name, bool showFrequency)
    : m_showFrequency(showFrequency), m_name(name)
{
}

void VkJuceProfilerItem::start(double expectedMs) noexcept
{
    if (isEnabled())
        startAt(juce::Time::getMillisecondCounterHiRes(), expectedMs);
}

void VkJuceProfilerItem::startAt(double nowMs, double expectedMs) noexcept
{
    if (!isEnabled())
        return;
    m_start = nowMs;
    m_expected = expectedMs;
}

void VkJuceProfilerItem::stop() noexcept
{
    if (isEnabled() && m_start != 0.0)
        stopAt(juce::Time::getMillisecondCounterHiRes());
}

void VkJuceProfilerItem::stopAt(double nowMs) noexcept
{
    if (!isEnabled() || m_start == 0.0)
        return;
    const double a = m_decay;
    const double elapsed = nowMs - m_start;
    m_averageElapsed = a * m_averageElapsed + (1.0 - a) * elapsed;
    m_maximumElapsed = std::max(m_maximumElapsed, elapsed);

    if (m_expected != 0.0)
    {
        const double ratio = elapsed / m_expected;
        m_averageRatio = a * m_averageRatio + (1.0 - a) * ratio;
        m_maximumRatio = std::max(m_maximumRatio, ratio);
        m_expected = 0.0;
    }

    const double thisStart = m_start;
    m_start = 0.0;
    const double interval = thisStart - m_lastStart;
    m_lastStart = thisStart;
    m_averageInterval = a * m_averageInterval + (1.0 - a) * interval;
}

juce::String VkJuceProfilerItem::getReportLine() const
{
    juce::String line = m_name + " ";
    if (m_maximumRatio != 0.0)
        line << juce::String(m_averageRatio * 100.0, 2) << "% (" << juce::String(m_maximumRatio * 100.0, 2)
             << "%)";
    else
        line << juce::String(m_averageElapsed, 2) << " (" << juce::String(m_maximumElapsed, 2) << ")";

    if (m_showFrequency && m_averageInterval != 0.0)
        line << ", freq = " << juce::String(1000.0 / m_averageInterval, 1) << "Hz";
    return line;
}

VkJuceProfiler::VkJuceProfiler()
{
    m_items.add(new VkJuceProfilerItem("Processor_processBlock (vs sampleRate)"));
    m_items.add(new VkJuceProfilerItem("Processor_timerCallback"));
    m_items.add(new VkJuceProfilerItem("Editor_render", true));
    m_items.add(new VkJuceProfilerItem("Editor_updateGui"));
}

void VkJuceProfiler::setEnabled(bool shouldBeEnabled) noexcept
{
    m_enabled.store(shouldBeEnabled);
    for (auto* item : m_items)
        item->setEnabled(shouldBeEnabled);
}
