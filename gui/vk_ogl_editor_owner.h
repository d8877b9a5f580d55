#pragma once

class VkJuceProfilerItem;
class VkJuceProcessorBase;

namespace vk
{

class VkOglComponent;

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
    /** [render thread] Nullable: the processor's "Editor_render" profiler item, which times every frame
        while profiling is switched on. */
    virtual VkJuceProfilerItem* getRenderProfilerItem() { return nullptr; }
    /** [any thread] Nullable: the processor the owner edits; it outlives the owner. */
    virtual VkJuceProcessorBase* getProcessor() const { return nullptr; }
};

} // namespace vk
