#pragma once

#include "controls/atomic_colour.h"

#include <atomic>

namespace vk
{

/** What feeds a display: one value (a meter's level in decibels) that the render thread reads while the
    audio or message thread updates it. Implementations keep the value in an atomic or equivalent. */
class VkJuceDisplaySource
{
public:
    virtual ~VkJuceDisplaySource() = default;
    /** [render thread] The current value. */
    virtual float getValue() const = 0;
};

/** Connects a display control to its data source. A display without a source shows a placeholder.

    [message thread] setDataSource, setDisplayColour; [render thread] reads. The source must outlive the
    display or be replaced by null first.
*/
class VkJuceDynamicDisplay
{
public:
    void setDataSource(VkJuceDisplaySource* source) noexcept { dataSource.store(source); }
    VkJuceDisplaySource* getDataSource() const noexcept { return dataSource.load(); }
    void setDisplayColour(juce::Colour c) noexcept { displayColour.set(c); }
    juce::Colour getDisplayColour() const noexcept { return displayColour.get(); }

protected:
    // A mix-in of display controls, never deleted on its own.
    ~VkJuceDynamicDisplay() = default;

private:
    std::atomic<VkJuceDisplaySource*> dataSource{nullptr};
    AtomicColour displayColour{juce::Colours::black};
};

} // namespace vk
