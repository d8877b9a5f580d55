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
    juce's child array meanwhile. Each change rebuilds this copy under the render-tree lock of the OpenGL
    component at the top of the owner's tree (VkOglComponent::getRenderTreeLock), and the render thread walks
    the copies of that tree only while it holds the same lock. A tree that hangs under no OpenGL component is
    walked by no frame, so its copies change without a lock.

    Children that have left the walk for good (VkOglChildComponent::leaveRenderWalk) are never copied again.
*/
class RenderChildList
{
public:
    /** owner: the component whose children this copy holds; it outlives the list. */
    explicit RenderChildList(const juce::Component& owner) noexcept : ownerComponent(owner) {}

    RenderChildList(const RenderChildList&) = delete;
    RenderChildList& operator=(const RenderChildList&) = delete;

    /** [message thread] Copies the owner's current OpenGL children. Allocates. Waits for a frame that walks
        this tree. */
    void rebuild();
    /** [message thread] Drops one entry. Waits for a frame that walks this tree, so that on return no frame
        is drawing the child any more. */
    void remove(const VkOglChildComponent* child);
    /** [render thread] Only while the tree's render-tree lock is held. */
    const std::vector<VkOglChildComponent*>& get() const noexcept { return children; }

private:
    const juce::Component& ownerComponent;
    std::vector<VkOglChildComponent*> children;
};

} // namespace vk
