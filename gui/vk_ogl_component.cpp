#include "vk_ogl_component.h"

#include "font_metrics_table.h"
#include "juce_gl_api.h"
#include "vk_juce_ogl_font.h"
#include "vk_ogl_child_component.h"
#include "vk_ogl_editor_owner.h"

#include "processor/vk_profiler.h"

#include <optional>

namespace vk
{

namespace
{
constexpr const char* renderCaller = "void VkOglComponent::renderOpenGL()";
constexpr const char* stopCaller = "void VkOglComponent::stopRenderThread()";
constexpr const char* destroyCaller = "VkOglComponent::~VkOglComponent()";
} // namespace

VkOglComponent::VkOglComponent(GlApi* headlessApi)
    : gl(headlessApi != nullptr ? headlessApi : &getJuceGlApi()), headless(headlessApi != nullptr),
      stateCache(*gl)
{
    background.setName("<VkOglComponent background>");
    lastFrameTime = juce::Time::getCurrentTime();
    if (!headless)
    {
        context.setRenderer(this);
        context.setComponentPaintingEnabled(false);
        // JUCE would otherwise redraw as fast as the driver allows; the pacer asks for each frame instead.
        context.setContinuousRepainting(false);
        context.attachTo(*this);
        pacer = std::make_unique<FramePacer>([this] { context.triggerRepaintFromAnyThread(); });
        pacer->start();
    }
}

VkOglComponent::~VkOglComponent()
{
    {
        ScopedReadWriteGuard guard(lock, ScopedReadWriteGuard::exclusive,
                                   ScopedReadWriteGuard::spinUntilAcquired, destroyCaller);
        stopping.store(true);
        detachContext();
        for (auto& f : fonts)
            f.reset();
    }
    // Whatever is still registered (background, textures of objects that outlive us) must not call back.
    const juce::ScopedLock sl(textureLock);
    for (auto* t : textures)
        t->detachFromComponent(*this);
    textures.clear();
}

void VkOglComponent::detachContext()
{
    if (pacer != nullptr)
        pacer->stop();
    if (!headless)
        context.detach();
}

void VkOglComponent::setOglOwner(VkOglEditorOwner* editor)
{
    VkOglComponentUser::setOglOwner(editor);
    // Fonts are swapped only while no frame runs; a frame may be drawing text with the old ones.
    ScopedReadWriteGuard guard(lock, ScopedReadWriteGuard::exclusive, ScopedReadWriteGuard::spinUntilAcquired,
                               "void VkOglComponent::setOglOwner(VkOglEditorOwner*)");
    for (int i = 0; i < numFonts; ++i)
    {
        fonts[(size_t)i].reset();
        if (editor == nullptr)
            continue;
        auto font = std::make_unique<VkJuceOglFont>();
        const juce::String resource = "FONT_FontText" + juce::String(fontSizes[(size_t)i]) + "_png";
        font->load(resource.toRawUTF8(), &getFontMetricsTable(i), this);
        fonts[(size_t)i] = std::move(font);
    }
}

void VkOglComponent::stopRenderThread()
{
    ScopedReadWriteGuard guard(lock, ScopedReadWriteGuard::exclusive, ScopedReadWriteGuard::spinUntilAcquired,
                               stopCaller);
    stopping.store(true);
    detachContext();
}

bool VkOglComponent::isContextReady() const
{
    if (headless)
        return true;
    return juce::OpenGLContext::getCurrentContext() == &context;
}

void VkOglComponent::setOrthoProjection()
{
    const auto bounds = getRenderBounds();
    const int w = bounds.getWidth();
    const int h = bounds.getHeight();
    const double scale = headless ? 1.0 : context.getRenderingScale();
    renderScale = scale;
    // JUCE renders into a buffer of the component's size times the display scale; the projection stays in
    // the component's logical pixels.
    gl->viewport(0, 0, juce::roundToInt(w * scale), juce::roundToInt(h * scale));
    gl->matrixMode(GlEnum::projection);
    gl->loadIdentity();
    if (w != 0 && h != 0)
    {
        const float m[16] = {2.0f / (float)w, 0, 0, 0, 0, -2.0f / (float)h, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1};
        gl->loadMatrixf(m);
        gl->translatef((float)-bounds.getX(), (float)-bounds.getY(), 0.0f);
    }
    gl->matrixMode(GlEnum::modelview);
}

void VkOglComponent::renderBackground(int elapsedMs)
{
    juce::ignoreUnused(elapsedMs);
    background.upload(*this);
    if (background.getTextureId() != 0)
    {
        stateCache.setColour(juce::Colours::white);
        // Drawn in full over the cleared frame, an opaque background replaces every pixel; blending it
        // would read back and mix each one for nothing (a large share of a frame on a software driver).
        if (background.isOpaque())
            stateCache.setBlending(false);
        background.draw(getRenderBounds().withZeroOrigin());
    }
}

void VkOglComponent::newOpenGLContextCreated()
{
    setOrthoProjection();
    gl->matrixMode(GlEnum::modelview);
    gl->loadIdentity();
    gl->clearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl->enable(GlEnum::lineSmooth);
    stateCache.setBlendFunction(GlEnum::srcAlpha, GlEnum::oneMinusSrcAlpha);
    gl->hint(GlEnum::lineSmoothHint, GlEnum::nicest);
    gl->texEnvf(GlEnum::textureEnv, GlEnum::textureEnvMode, (float)GlEnum::modulate);
    gl->pixelStorei(GlEnum::unpackAlignment, 4);

    const juce::ScopedLock sl(textureLock);
    for (auto* t : textures)
        t->markDirty();
}

void VkOglComponent::renderOpenGL()
{
    const auto frameStart = juce::Time::getMillisecondCounterHiRes();
    // Every exit tells the pacer, so that the next frame is asked for even when this one drew nothing.
    struct PacerNotify
    {
        FramePacer* p;
        double start;
        ~PacerNotify()
        {
            if (p != nullptr)
                p->frameFinished((int)(juce::Time::getMillisecondCounterHiRes() - start));
        }
    } notify{pacer.get(), frameStart};

    // JUCE 7 hands over the buffer as the last frame left it.
    gl->clearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl->clear(GlEnum::colorBufferBit | GlEnum::depthBufferBit | GlEnum::stencilBufferBit);

    VkOglEditorOwner* editor = owner;
    if (!renderingEnabled.load() || editor == nullptr || stopping.load())
        return;

    ScopedReadWriteGuard guard(lock, ScopedReadWriteGuard::shared, ScopedReadWriteGuard::oneAttempt,
                               renderCaller);
    if (!guard.isAcquired())
        return;

    // Stopped by the scope's end also when drawing throws.
    VkJuceProfilerItem* const profilerItem = editor->getRenderProfilerItem();
    std::optional<VkJuceScopedProfile> profile;
    if (profilerItem != nullptr)
        profile.emplace(*profilerItem);

    const juce::Time now = juce::Time::getCurrentTime();
    const int elapsedMs = (int)(now - lastFrameTime).inMilliseconds();
    lastElapsedMs.store(elapsedMs);

    if (!editor->isEditorTimerRunning())
        editor->startEditorTimer();

    if (projectionDirty.exchange(false))
        newOpenGLContextCreated();

    deletePendingTextures();
    stateCache.resetAll();
    gl->loadIdentity();
    renderBackground(elapsedMs);

    {
        const juce::ScopedLock sl(renderTreeLock);
        for (auto* child : renderChildren.get())
            child->renderTree(elapsedMs);
    }

    stateCache.resetDefaults();
    gl->loadIdentity();
    editor->drawDebugOverlay();

    lastFrameTime = juce::Time::getCurrentTime();
    framesDrawn.fetch_add(1);
}

void VkOglComponent::openGLContextClosing()
{
    const juce::ScopedLock sl(textureLock);
    deletePendingTextures();
    pendingDeletes.clear(); // ids of a context that is going away mean nothing to the next one
    for (auto* t : textures)
        t->release();
    // A texture whose component could not reach this context still loses its id with it.
    for (auto* t : textures)
        t->forgetTextureId();
}

void VkOglComponent::resized()
{
    projectionDirty.store(true);
}

void VkOglComponent::childrenChanged()
{
    renderChildren.rebuild();
}

VkJuceOglFont* VkOglComponent::getFont(int index) const
{
    if (index < 0 || index >= numFonts)
        return nullptr;
    return fonts[(size_t)index].get();
}

VkJuceOglFont* VkOglComponent::getFontForSize(int pixelSize) const
{
    for (int i = 0; i < numFonts; ++i)
        if (fontSizes[(size_t)i] == pixelSize)
            return getFont(i);
    return nullptr;
}

void VkOglComponent::registerTexture(VkOglComponentTexture* texture)
{
    const juce::ScopedLock sl(textureLock);
    if (std::find(textures.begin(), textures.end(), texture) == textures.end())
        textures.push_back(texture);
}

void VkOglComponent::unregisterTexture(VkOglComponentTexture* texture, uint32_t glId)
{
    const juce::ScopedLock sl(textureLock);
    textures.erase(std::remove(textures.begin(), textures.end(), texture), textures.end());
    if (glId != 0)
        pendingDeletes.push_back(glId);
}

int VkOglComponent::getNumRegisteredTextures() const
{
    const juce::ScopedLock sl(textureLock);
    return (int)textures.size();
}

bool VkOglComponent::isTextureRegistered(const VkOglComponentTexture* texture) const
{
    const juce::ScopedLock sl(textureLock);
    return std::find(textures.begin(), textures.end(), texture) != textures.end();
}

void VkOglComponent::deletePendingTextures()
{
    const juce::ScopedLock sl(textureLock);
    if (pendingDeletes.empty() || !isContextReady())
        return;
    gl->deleteTextures((int)pendingDeletes.size(), pendingDeletes.data());
    pendingDeletes.clear();
}

} // namespace vk
