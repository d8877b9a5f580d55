#include "formats/aax/aax_parameter_reports.h"

#include <algorithm>

namespace vk::aax
{

ParameterReports::ParameterReports(int numParameters) : m_held(std::size_t(std::max(numParameters, 0)), 0)
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
        m_catchUp = true;
}

void ParameterReports::noteGesture(Kind kind, int index) noexcept
{
    const std::lock_guard<std::mutex> guard(m_lock);
    if (index >= 0 && std::size_t(index) < m_held.size())
        m_held[std::size_t(index)] = kind == Kind::GestureBegin ? 1 : 0;
    if (m_reports.size() < m_reports.capacity())
        m_reports.push_back({kind, index});
    else
        m_catchUp = true;
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
    taken.held.resize(m_held.size());
    const std::lock_guard<std::mutex> guard(m_lock);
    m_reports.swap(taken.reports);
    taken.catchUp = m_catchUp;
    if (m_catchUp)
        std::copy(m_held.begin(), m_held.end(), taken.held.begin());
    taken.latencyChanged = m_latencyChanged;
    m_catchUp = false;
    m_latencyChanged = false;
}

void ParameterReports::clear() noexcept
{
    const std::lock_guard<std::mutex> guard(m_lock);
    m_reports.clear();
    m_catchUp = false;
    m_latencyChanged = false;
}

} // namespace vk::aax
