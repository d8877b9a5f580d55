#pragma once

namespace vk
{

class VkOglComponent;

/** Times one rendered frame for the editor's diagnostics.

    The processor framework's profiler item "Editor_render" is adapted to this by the editor; until then an
    owner returns null from getRenderTimingHook() and frames are simply not timed.

    [render thread] Implementations must not allocate or block.
*/
class VkOglRenderTimingHook
{
public:
    virtual ~VkOglRenderTimingHook() = default;
    virtual void frameStarted() = 0;
    virtual void frameFinished() = 0;
};

/** What the OpenGL layer needs from the editor that owns it.

    The OpenGL component renders only for an owner: the owner provides the component, starts its own periodic
    GUI timer on the first frame, and draws its diagnostic overlay last in every frame.
*/
class VkOglEditorOwner
{
public:
    virtual ~VkOglEditorOwner() = default;

    /** [any thread] The owner's one full-size OpenGL component; it lives as long as the owner. */
    virtual VkOglComponent& getOglComponent() = 0;

    /** [render thread] Racy by design: a stale answer only delays the timer start by one frame. */
    virtual bool isEditorTimerRunning() const = 0;
    /** [render thread] Starts the owner's GUI timer; must be safe to call from the render thread. */
    virtual void startEditorTimer() = 0;
    /** [render thread] Draws the owner's diagnostic overlay with the GL state cache at its defaults. */
    virtual void drawDebugOverlay() {}
    /** [render thread] Nullable: the profiler item that times frames, when profiling is on. */
    virtual VkOglRenderTimingHook* getRenderTimingHook() { return nullptr; }
};

} // namespace vk
