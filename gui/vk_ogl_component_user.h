#pragma once

#include <atomic>
#include <cstdint>

class VkJuceProcessorBase;

namespace vk
{

class VkOglComponent;
class VkOglEditorOwner;

/** Empty mix-in shared by every object the product's editor and processor hand around as a "channel user". */
class VkJuceChannelUser
{
public:
    virtual ~VkJuceChannelUser() = default;
};

/** Ties a GL-drawn object (texture, font, control, graph) to its owning editor and that editor's OpenGL
    component.

    The rendering-now flag lets the message thread wait for a frame that is drawing this object before it
    changes the object's owner.
*/
class VkOglComponentUser : public VkJuceChannelUser
{
public:
    VkOglComponentUser() = default;
    ~VkOglComponentUser() override = default;

    VkOglComponentUser(const VkOglComponentUser&) = delete;
    VkOglComponentUser& operator=(const VkOglComponentUser&) = delete;

    /** [message thread] When the owner changes, waits in 1 ms sleeps until no frame draws this object, then
        takes the editor and its component (both null for a null editor). */
    virtual void setOglOwner(VkOglEditorOwner* editor);

    VkOglEditorOwner* getOglOwner() const noexcept { return owner; }
    VkOglComponent* getOglComponent() const noexcept { return oglComponent; }
    /** [any thread] The owner's processor; null without an owner or when the owner edits none. */
    VkJuceProcessorBase* getProcessor() const;

    /** [render thread] Set around this object's own render operation. */
    void setRenderingNow(bool now) noexcept { renderingNow.store(now, std::memory_order_release); }
    bool isRenderingNow() const noexcept { return renderingNow.load(std::memory_order_acquire); }

protected:
    VkOglComponent* oglComponent = nullptr;
    VkOglEditorOwner* owner = nullptr;
    std::atomic<bool> renderingNow{false};
    // Written by the message thread (new image) and read by the render thread (upload).
    std::atomic<bool> textureDirty{true};
    bool dropAlpha = false;
};

} // namespace vk
