#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace vk
{

/** The render thread's copy of one component's bounds and visibility.

    juce keeps a component's bounds and flags in plain members that the message thread writes at any time
    (setBounds, setVisible, and the mouse and focus bookkeeping that shares the flags' word); a frame must not
    read them meanwhile. This listener copies what a frame needs each time it changes, on the message thread,
    and frames read the copy.

    [message thread] construction, destruction, the copying. [any thread] get. No allocation.
*/
class RenderGeometry : private juce::ComponentListener
{
public:
    struct Snapshot
    {
        juce::Rectangle<int> bounds; // in the parent's coordinates
        bool visible = false;
    };

    /** component: the component to follow; it outlives this object. */
    explicit RenderGeometry(juce::Component& componentToFollow) : component(componentToFollow)
    {
        copy();
        component.addComponentListener(this);
    }
    ~RenderGeometry() override { component.removeComponentListener(this); }

    RenderGeometry(const RenderGeometry&) = delete;
    RenderGeometry& operator=(const RenderGeometry&) = delete;

    /** [any thread] Bounds and visibility as the message thread's last change left them. */
    Snapshot get() const noexcept
    {
        const juce::SpinLock::ScopedLockType sl(lock);
        return snapshot;
    }

private:
    void copy()
    {
        const Snapshot fresh{component.getBounds(), component.isVisible()};
        const juce::SpinLock::ScopedLockType sl(lock);
        snapshot = fresh;
    }
    void componentMovedOrResized(juce::Component&, bool, bool) override { copy(); }
    void componentVisibilityChanged(juce::Component&) override { copy(); }

    juce::Component& component;
    mutable juce::SpinLock lock; // held for the copy of a few words only
    Snapshot snapshot;
};

} // namespace vk
