#pragma once

#include "vk_ogl_component_user.h"

#include <juce_graphics/juce_graphics.h>

namespace vk
{

/** An image that becomes a GL texture in the owning component's context on first use.

    The message thread only stores images (setImage, loadFromResource); the render thread uploads at the next
    draw. A texture registers with its OpenGL component so that the component can re-upload it into a new
    context and release it when the context goes; it unregisters when it changes owner or is destroyed. A
    texture may outlive its component: the component detaches it when it goes.

    [message thread] construction, destruction, setImage, loadFromResource, setOglOwner.
    [render thread] upload, draw, release.
*/
class VkOglComponentTexture : public VkOglComponentUser
{
public:
    VkOglComponentTexture() = default;
    ~VkOglComponentTexture() override;

    void setOglOwner(VkOglEditorOwner* editor) override;

    /** [message thread] Marks the texture for re-upload unless the image shares the current pixel data. */
    void setImage(const juce::Image& newImage);
    /** [message thread] The resource name is used as it is (no "_png" appended); false when unknown. */
    bool loadFromResource(const char* name);
    bool loadFromResource(const char* name, VkOglComponentUser& ownerUser);

    void markDirty() noexcept { textureDirty.store(true); }
    void useAdditiveBlend() noexcept;
    void setBlending(bool on) noexcept { blending = on; }
    void setBlendFactors(uint32_t src, uint32_t dst) noexcept;
    void setLinearFiltering(bool on) noexcept { linearFiltering = on; }
    void setDropAlpha(bool drop) noexcept { dropAlpha = drop; }
    void setTextureExtent(float uExtent, float vExtent) noexcept;
    void setName(const juce::String& n) { name = n; }

    /** [render thread] Deletes the GL texture when the context is ready; forgets the id either way. */
    void release();
    /** [render thread] Uploads when needed and binds; needs the user's editor as owner. May allocate once per
        image change (format conversion). */
    void upload(VkOglComponentUser& user);
    /** [render thread] One quad over rect; nothing before a successful upload. */
    void draw(juce::Rectangle<int> rect);
    void draw(juce::Rectangle<float> rect);

    /** [any thread] */
    juce::Image getImage() const;
    bool hasImage() const;
    uint32_t getTextureId() const noexcept { return textureId; }
    float getTexelWidth() const noexcept { return texelWidth; }
    float getTexelHeight() const noexcept { return texelHeight; }
    float getExtentU() const noexcept { return extentU; }
    float getExtentV() const noexcept { return extentV; }
    bool isDirty() const noexcept { return textureDirty.load(); }
    bool hasAlphaChannel() const noexcept { return hasAlpha; }
    /** [render thread] Every texel of the uploaded image has full alpha (known after the upload). */
    bool isOpaque() const noexcept { return opaque; }
    const juce::String& getResourceName() const noexcept { return resourceName; }
    const juce::String& getName() const noexcept { return name; }

    /** [render thread] Called by the component when its context goes: the id is gone with the context. */
    void forgetTextureId() noexcept { textureId = 0; }
    /** [message thread] Called by the component this texture is registered with when that component is
        destroyed (its frames have stopped): the texture forgets the component, the editor that owns it and
        its id, which went with the context. A later owner gets a fresh upload. */
    void detachFromComponent(const VkOglComponent& dying) noexcept;

private:
    void createGlTexture(const juce::Image& img);
    /** [render thread] With this texture bound. */
    void setFilter(uint32_t wanted);
    void unregisterFromComponent();

    float texelWidth = 0.0f;
    float texelHeight = 0.0f;
    int pixelWidth = 0, pixelHeight = 0; // of the uploaded image
    float extentU = 1.0f;
    float extentV = 1.0f;
    bool linearFiltering = true;
    uint32_t filter = 0; // the bound texture's filter as last set, render thread
    juce::Image image;
    mutable juce::SpinLock
        imageLock; // the image is swapped on the message thread and read by the render thread
    uint32_t textureId = 0;
    bool blending = true;
    bool hasAlpha = true;
    bool opaque = false;
    uint32_t blendSrc = 0x0302; // GL_SRC_ALPHA
    uint32_t blendDst = 0x0303; // GL_ONE_MINUS_SRC_ALPHA
    juce::String resourceName;
    juce::String name;
    VkOglComponent* registeredWith = nullptr;
};

} // namespace vk
