#pragma once

#include <juce_core/juce_core.h>

#include <vector>

namespace juce
{
class Component;
}

namespace vk
{

class VkOglChildComponent;

/** The render thread's own copy of a component's OpenGL children.

    The message thread adds, removes and reorders juce children at any time; the render thread must not walk
    juce's child array meanwhile. Each change rebuilds this copy under getRenderTreeLock(), and the render
    thread walks only copies while it holds the same lock.
*/
class RenderChildList
{
public:
    /** [message thread] Allocates. */
    void rebuildFrom(const juce::Component& parent);
    /** [message thread] Drops one entry at once, before the child is gone. */
    void remove(const VkOglChildComponent* child);
    /** [render thread] Only while getRenderTreeLock() is held. */
    const std::vector<VkOglChildComponent*>& get() const noexcept { return children; }

private:
    std::vector<VkOglChildComponent*> children;
};

/** One lock for every render walk of the process; held by the render thread for one component tree's walk
    and by the message thread only for a copy of a child list. */
juce::CriticalSection& getRenderTreeLock();

} // namespace vk
