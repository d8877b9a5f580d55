#pragma once

#include "render_child_list.h"
#include "vk_ogl_component_user.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace vk
{

/** Base of every component drawn by the OpenGL component's walk: controls, meters and graphs.

    Drawing happens in render(), in the component's own pixel coordinates with y pointing down; the juce paint
    callback is never used. Subclasses that override childrenChanged() must call this class's version.

    Destruction while frames run: C++ destroys a derived class's members before this base's destructor runs,
    so this base cannot take the component out of the walk in time by itself. Every class derived from it
    therefore starts its destructor with leaveRenderWalk():

        MyControl::~MyControl() { leaveRenderWalk(); }

    That one call also covers the component's OpenGL children: a screen that calls it takes its whole subtree
    out of the walk, and the children it owns as members may then go in any order. Calling it again (a
    derived class of a derived class) does nothing. An OpenGL component that is not being drawn by any frame
    (no OpenGL component above it, or that component's frames stopped) makes the call return at once.

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

private:
    RenderChildList renderChildren;
    bool leftRenderWalk = false;
};

} // namespace vk
