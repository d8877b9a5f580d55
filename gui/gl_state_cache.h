#pragma once

#include "gl_api.h"

#include <juce_graphics/juce_graphics.h>

namespace vk
{

/** One record of the few GL states the components change. */
struct GlRenderState
{
    juce::Colour colour{0u};
    bool blending = false;
    bool texturing = false;
    bool scissor = false;
    uint32_t blendSrc = GlEnum::srcAlpha;
    uint32_t blendDst = GlEnum::oneMinusSrcAlpha;
    float lineWidth = 1.0f;
    float pointSize = 1.0f;
};

/** Sends GL state to the driver only when it differs from what GL already has.

    Drawing code sets the requested state and calls apply() right before each primitive; a frame starts with
    resetAll() because another context user (JUCE itself) may have touched GL between frames.

    [render thread] No allocation.
*/
class GlStateCache
{
public:
    explicit GlStateCache(GlApi& api) : gl(&api) {}

    void setGlApi(GlApi& api) { gl = &api; }
    GlApi& getGlApi() const noexcept { return *gl; }

    /** Sends what differs, in the order colour, blend, texture, scissor, blend function, line width, point
     * size. */
    void apply();
    /** Turns colour, blending, texturing and scissor off in GL, then requests the drawing defaults. */
    void resetDefaults();
    /** Forgets what GL has, so that everything is sent again, then resetDefaults() and apply(). */
    void resetAll();

    void setColour(juce::Colour c) noexcept { requested.colour = c; }
    void setBlending(bool on) noexcept { requested.blending = on; }
    void setTexturing(bool on) noexcept { requested.texturing = on; }
    void setScissor(bool on) noexcept { requested.scissor = on; }
    void setBlendFunction(uint32_t src, uint32_t dst) noexcept
    {
        requested.blendSrc = src;
        requested.blendDst = dst;
    }
    void setLineWidth(float w) noexcept { requested.lineWidth = w; }
    void setPointSize(float s) noexcept { requested.pointSize = s; }

    /** Text drawing keeps the caller's requested state aside and puts it back afterwards. */
    void saveRequested() noexcept { saved = requested; }
    void restoreRequested() noexcept { requested = saved; }

    const GlRenderState& getRequested() const noexcept { return requested; }
    const GlRenderState& getApplied() const noexcept { return applied; }

private:
    void sendCapability(uint32_t cap, bool on);

    GlApi* gl;
    GlRenderState applied;
    GlRenderState requested;
    GlRenderState saved;
    // An explicit flag rather than a bit pattern: every colour, all-ones included, is a valid request.
    bool appliedKnown = false;
};

} // namespace vk
