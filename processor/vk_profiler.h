#pragma once

// A small built-in profiler for the diagnostic overlay: running averages and maxima of how long a
// recurring operation takes, against its time budget where it has one.
// Each item is written by the one thread that runs its operation [audio, message or render thread] and read
// by the overlay without a lock; its figures are diagnostic only. Only the enabled flag, which another
// thread switches, is atomic. No allocation while timing.

#include <juce_core/juce_core.h>

#include <atomic>

class VkJuceProfilerItem
{
public:
    explicit VkJuceProfilerItem(const juce::String& name = {}, bool showFrequency = false);
    virtual ~VkJuceProfilerItem() = default;

    void setEnabled(bool shouldBeEnabled) noexcept { m_enabled.store(shouldBeEnabled); }
    bool isEnabled() const noexcept { return m_enabled.load(); }

    // Begins a measurement when enabled; expectedMs is the budget (0 = none).
    void start(double expectedMs = 0.0) noexcept;
    void startAt(double nowMs, double expectedMs) noexcept;

    // Ends the running measurement and folds it into the averages; nothing when disabled or not started.
    void stop() noexcept;
    void stopAt(double nowMs) noexcept;

    // "name avg% (max%)" against the budget, else "name avg (max)" in ms, plus ", freq = …Hz" when asked.
    juce::String getReportLine() const;

    const juce::String& getName() const noexcept { return m_name; }
    double getAverageElapsed() const noexcept { return m_averageElapsed; }
    double getAverageRatio() const noexcept { return m_averageRatio; }
    double getAverageInterval() const noexcept { return m_averageInterval; }
    double getMaximumElapsed() const noexcept { return m_maximumElapsed; }
    double getMaximumRatio() const noexcept { return m_maximumRatio; }

    static constexpr float kDecay = 0.99f;

private:
    std::atomic<bool> m_enabled{false};
    bool m_showFrequency;
    float m_decay = kDecay;
    juce::String m_name;
    double m_start = 0.0;
    double m_lastStart = 0.0;
    double m_averageElapsed = 0.0;
    double m_averageRatio = 0.0;
    double m_averageInterval = 0.0;
    double m_maximumElapsed = 0.0;
    double m_maximumRatio = 0.0;
    double m_expected = 0.0;
};

// Stops the item when the timed scope ends, also when it ends by an exception.
class VkJuceScopedProfile
{
public:
    VkJuceScopedProfile(VkJuceProfilerItem& item, double expectedMs = 0.0) noexcept : m_item(item)
    {
        m_item.start(expectedMs);
    }
    ~VkJuceScopedProfile() { m_item.stop(); }
    VkJuceScopedProfile(const VkJuceScopedProfile&) = delete;
    VkJuceScopedProfile& operator=(const VkJuceScopedProfile&) = delete;

private:
    VkJuceProfilerItem& m_item;
};

// The processor's profiler: the items in a fixed order, switched on and off together.
class VkJuceProfiler
{
public:
    enum Item
    {
        kProcessBlock = 0,
        kTimerCallback,
        kEditorRender,
        kEditorUpdateGui,
        kNumItems
    };

    VkJuceProfiler();

    void setEnabled(bool shouldBeEnabled) noexcept;
    bool isEnabled() const noexcept { return m_enabled.load(); }

    int getNumItems() const noexcept { return m_items.size(); }
    // Null for an index outside the items.
    VkJuceProfilerItem* getItem(int index) const noexcept { return m_items[index]; }

private:
    std::atomic<bool> m_enabled{false};
    juce::OwnedArray<VkJuceProfilerItem> m_items;
};
