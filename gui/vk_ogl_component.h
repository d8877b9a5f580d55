#pragma once

#include "frame_pacer.h"
#include "gl_state_cache.h"
#include "named_read_write_lock.h"
#include "render_child_list.h"
#include "render_geometry.h"
#include "vk_ogl_component_texture.h"
#include "vk_ogl_component_user.h"

#include <juce_opengl/juce_opengl.h>

#include <array>
#include <atomic>
#include <memory>
#include <vector>

namespace vk
{

class VkJuceOglFont;

/** The editor's one full-size OpenGL surface: owns the context, draws the background and walks the tree of
    OpenGL children once per frame.

    Frames are paced to one every 15 ms by a FramePacer; nothing is drawn before an owner editor exists and
    has enabled rendering. The component lock is taken shared by every frame without waiting, and exclusively
    (spinning) by stopRenderThread and the destructor, which therefore wait for a running frame to end.

    Each component has its own render-tree lock: a frame holds it while it walks this component's children,
    and the message thread holds it while it changes a copy of a child list of this tree (RenderChildList).
    Editors of other plug-in instances never wait on it.

    A derived class whose frames read members of its own calls stopRenderThread() first in its destructor,
    as the editor does: the frames stop only in this base's destructor, after those members are gone.

    Textures still registered when the component goes (background, textures of objects that outlive it) are
    detached: they forget the component, its editor and their ids, and never call back.

    A component built with a GlApi of its own (tests) attaches no context and draws through that table only
    when renderOpenGL is called by hand.

    [message thread] construction, destruction, setOglOwner, stopRenderThread, child changes, resizing.
    [render thread] newOpenGLContextCreated, renderOpenGL, texture uploads, all drawing.
    openGLContextClosing arrives on the message thread with this context current (JUCE 7).
*/
class VkOglComponent : public juce::Component, public VkOglComponentUser, public juce::OpenGLRenderer
{
public:
    static constexpr int numFonts = 9;
    static constexpr std::array<int, numFonts> fontSizes{10, 11, 12, 14, 18, 20, 22, 24, 28};

    /** headlessApi: draw through this table without any OpenGL context (tests); null = the real context. */
    explicit VkOglComponent(GlApi* headlessApi = nullptr);
    ~VkOglComponent() override;

    /** [message thread] Takes the editor and loads the nine bitmap fonts with it as owner. */
    void setOglOwner(VkOglEditorOwner* editor) override;

    /** [message thread] Waits for a running frame, then detaches the context; the render thread has stopped
        drawing this component when it returns. */
    virtual void stopRenderThread();
    /** [any thread] True when the calling thread may create or delete GL objects of this component. */
    virtual bool isContextReady() const;
    /** [render thread] Viewport and pixel projection with y pointing down. */
    virtual void setOrthoProjection();
    /** [render thread] Uploads the background texture when needed and draws it over the whole component. */
    virtual void renderBackground(int elapsedMs);

    void newOpenGLContextCreated() override;
    void renderOpenGL() override;
    void openGLContextClosing() override;

    void resized() override;
    void childrenChanged() override;

    /** [message thread] The product editor enables rendering at the end of its construction. */
    void setRenderingEnabled(bool enabled) noexcept { renderingEnabled.store(enabled); }
    bool isRenderingEnabled() const noexcept { return renderingEnabled.load(); }
    void setProjectionDirty() noexcept { projectionDirty.store(true); }
    bool isProjectionDirty() const noexcept { return projectionDirty.load(); }
    /** [any thread] True once stopRenderThread or the destructor has begun; uploads give up at once. */
    bool isRenderStopping() const noexcept { return stopping.load(); }

    GlApi& getGlApi() const noexcept { return *gl; }
    GlStateCache& getStateCache() noexcept { return stateCache; }
    /** [render thread] Device pixels per logical pixel of the projection (the display scale). */
    double getRenderScale() const noexcept { return renderScale; }
    NamedReadWriteLock& getLock() noexcept { return lock; }
    juce::OpenGLContext& getContext() noexcept { return context; }
    VkOglComponentTexture& getBackground() noexcept { return background; }
    RenderChildList& getRenderChildren() noexcept { return renderChildren; }
    /** Held by a frame for the walk of this component's tree; see RenderChildList. */
    juce::CriticalSection& getRenderTreeLock() noexcept { return renderTreeLock; }
    /** [any thread] Bounds in the parent's coordinates as the message thread last set them; frames read
        these, never juce's own getters. */
    juce::Rectangle<int> getRenderBounds() const noexcept { return renderGeometry.get().bounds; }

    /** [any thread] Font by index 0..8 (sizes 10..28), or by pixel size; null before an owner is set. */
    VkJuceOglFont* getFont(int index) const;
    VkJuceOglFont* getFontForSize(int pixelSize) const;

    /** [any thread] Registry of textures owned by this component, guarded for use from both threads. */
    void registerTexture(VkOglComponentTexture* texture);
    /** glId: the texture's id in this context, deleted at the next frame (or when the context closes). */
    void unregisterTexture(VkOglComponentTexture* texture, uint32_t glId);
    int getNumRegisteredTextures() const;
    bool isTextureRegistered(const VkOglComponentTexture* texture) const;

    /** [any thread] Diagnostics and tests. */
    int64_t getFrameCount() const noexcept { return framesDrawn.load(); }
    int getLastElapsedMs() const noexcept { return lastElapsedMs.load(); }

private:
    void deletePendingTextures();
    void detachContext();

    // Declared first so that it outlives every texture member that unregisters in its destructor.
    juce::CriticalSection textureLock;
    std::vector<VkOglComponentTexture*> textures;
    std::vector<uint32_t> pendingDeletes;

    GlApi* gl;
    const bool headless;
    GlStateCache stateCache;
    VkOglComponentTexture background;
    juce::Time lastFrameTime;
    std::array<std::unique_ptr<VkJuceOglFont>, numFonts> fonts;
    std::atomic<bool> projectionDirty{false};
    NamedReadWriteLock lock{juce::String()};
    std::atomic<bool> renderingEnabled{false};
    std::atomic<bool> stopping{false};
    juce::CriticalSection renderTreeLock;
    RenderChildList renderChildren{*this};
    RenderGeometry renderGeometry{*this};
    std::atomic<int64_t> framesDrawn{0};
    std::atomic<int> lastElapsedMs{0};
    juce::OpenGLContext context;
    std::unique_ptr<FramePacer> pacer;
    double renderScale = 1.0; // render thread

    JUCE_DECLARE_NON_COPYABLE(VkOglComponent)
};

} // namespace vk
