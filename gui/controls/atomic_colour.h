#pragma once

#include <juce_graphics/juce_graphics.h>

#include <atomic>
#include <cstdint>

namespace vk
{

/** A colour the message thread sets and the render thread reads: one 32-bit word, never torn. */
class AtomicColour
{
public:
    AtomicColour() = default;
    explicit AtomicColour(juce::Colour c) : argb(c.getARGB()) {}
    AtomicColour(const AtomicColour& other) : argb(other.argb.load(std::memory_order_relaxed)) {}
    AtomicColour& operator=(const AtomicColour& other)
    {
        set(other.get());
        return *this;
    }

    juce::Colour get() const noexcept { return juce::Colour(argb.load(std::memory_order_relaxed)); }
    void set(juce::Colour c) noexcept { argb.store(c.getARGB(), std::memory_order_relaxed); }

private:
    std::atomic<uint32_t> argb{0};
};

} // namespace vk
