#pragma once

#include "render_child_list.h"
#include "render_geometry.h"
#include "vk_ogl_component_user.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace vk
{

/** Base of every component drawn by the OpenGL component's walk: controls, meters and graphs.

    Drawing happens in render(), in the component's own pixel coordinates with y pointing down; the juce paint
    callback is never used. Subclasses that override childrenChanged() must call this class's version.
    render() takes the component's size from getRenderBounds() (or getLocalBoundsOf), never from juce's own
    getters, which the message thread may be changing while the frame runs.

    Destruction while frames run (menu screens, the preset browser): C++ destroys a derived class's members,
    and switches its virtual functions back to this base's, before this base's destructor runs, so this base
    cannot take the component out of the walk in time by itself. Every class derived from it therefore
    starts its destructor with leaveRenderWalk(), even when it has no members of its own:

        MyControl::~MyControl() { leaveRenderWalk(); }

    That one call also covers the component's OpenGL children: a screen that makes it takes its whole
    subtree out of the walk before its member children go. Calling it again (a derived class of a derived
    class, or this base's own destructor, which calls it for classes written without) does nothing. The call
    waits only for a frame that walks this component's own tree, for at most the rest of that frame; a
    component under no OpenGL component is walked by no frame, and the call returns at once.

    [message thread] construction, destruction, child changes, leaveRenderWalk.
    [render thread] renderTree, render.
*/
class VkOglChildComponent : public virtual VkOglComponentUser, public virtual juce::Component
{
public:
    explicit VkOglChildComponent(const juce::String& componentName);
    ~VkOglChildComponent() override;

    /** [render thread] Draws this component and then its visible OpenGL children, each inside its own matrix.
     */
    virtual void renderTree(int elapsedMs);
    /** [render thread] Draws the component; elapsedMs is the whole milliseconds since the previous frame. */
    virtual void render(int elapsedMs) { juce::ignoreUnused(elapsedMs); }

    void childrenChanged() override;

    /** [message thread] Takes this component, and with it its OpenGL children, out of the render walk for
        good, and returns once no frame is drawing it any more. Its parent's later child changes never put it
        back. Blocks for at most the rest of a running frame. */
    void leaveRenderWalk();
    /** [message thread] True once leaveRenderWalk has run. */
    bool hasLeftRenderWalk() const noexcept { return leftRenderWalk; }

    RenderChildList& getRenderChildren() noexcept { return renderChildren; }

    /** [any thread] Bounds in the parent's coordinates, and visibility, as the message thread last set them.
     */
    juce::Rectangle<int> getRenderBounds() const noexcept { return renderGeometry.get().bounds; }
    bool isRenderVisible() const noexcept { return renderGeometry.get().visible; }

private:
    RenderChildList renderChildren;
    bool leftRenderWalk = false;
    RenderGeometry renderGeometry{*this};
};

} // namespace vk
