#pragma once

#include "render_child_list.h"
#include "vk_ogl_component_user.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace vk
{

/** Base of every component drawn by the OpenGL component's walk: controls, meters and graphs.

    Drawing happens in render(), in the component's own pixel coordinates with y pointing down; the juce paint
    callback is never used. Subclasses that override childrenChanged() must call this class's version.

    [message thread] construction, destruction, child changes. [render thread] renderTree, render.
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

    RenderChildList& getRenderChildren() noexcept { return renderChildren; }

private:
    RenderChildList renderChildren;
};

} // namespace vk
