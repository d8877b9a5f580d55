#include "formats/aax/aax_parameter_reports.h"

namespace vk::aax
{

ParameterReports::ParameterReports()
{
    m_reports.reserve(kCapacity);
}

void ParameterReports::noteValue(int index) noexcept
{
    const std::lock_guard<std::mutex> guard(m_lock);
    // A drag reports one parameter many times in a row: one note stands for them all.
    if (!m_reports.empty() && m_reports.back().kind == Kind::Value && m_reports.back().index == index)
        return;
    if (m_reports.size() < m_reports.capacity())
        m_reports.push_back({Kind::Value, index});
    else
        m_resyncValues = true;
}

void ParameterReports::noteGesture(Kind kind, int index) noexcept
{
    const std::lock_guard<std::mutex> guard(m_lock);
    // Gestures that find no room are dropped: the parameter brackets every value request it sends.
    if (m_reports.size() < m_reports.capacity())
        m_reports.push_back({kind, index});
}

void ParameterReports::noteLatencyChanged() noexcept
{
    const std::lock_guard<std::mutex> guard(m_lock);
    m_latencyChanged = true;
}

void ParameterReports::take(Taken& taken)
{
    taken.reports.clear();
    if (taken.reports.capacity() < kCapacity)
        taken.reports.reserve(kCapacity);
    const std::lock_guard<std::mutex> guard(m_lock);
    m_reports.swap(taken.reports);
    taken.resyncValues = m_resyncValues;
    taken.latencyChanged = m_latencyChanged;
    m_resyncValues = false;
    m_latencyChanged = false;
}

void ParameterReports::clear() noexcept
{
    const std::lock_guard<std::mutex> guard(m_lock);
    m_reports.clear();
    m_resyncValues = false;
    m_latencyChanged = false;
}

} // namespace vk::aax
