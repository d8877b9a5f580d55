#include "gl_state_cache.h"

namespace vk
{

void GlStateCache::sendCapability(uint32_t cap, bool on)
{
    if (on)
        gl->enable(cap);
    else
        gl->disable(cap);
}

void GlStateCache::apply()
{
    const bool all = !appliedKnown;
    if (all || requested.colour.getARGB() != applied.colour.getARGB())
    {
        const auto& c = requested.colour;
        gl->color4f(c.getRed() / 255.0f, c.getGreen() / 255.0f, c.getBlue() / 255.0f, c.getAlpha() / 255.0f);
    }
    if (all || requested.blending != applied.blending)
        sendCapability(GlEnum::blend, requested.blending);
    if (all || requested.texturing != applied.texturing)
        sendCapability(GlEnum::texture2D, requested.texturing);
    if (all || requested.scissor != applied.scissor)
        sendCapability(GlEnum::scissorTest, requested.scissor);
    if (all || requested.blendSrc != applied.blendSrc || requested.blendDst != applied.blendDst)
        gl->blendFunc(requested.blendSrc, requested.blendDst);
    if (all || requested.lineWidth != applied.lineWidth)
        gl->lineWidth(requested.lineWidth);
    if (all || requested.pointSize != applied.pointSize)
        gl->pointSize(requested.pointSize);
    applied = requested;
    appliedKnown = true;
}

void GlStateCache::resetDefaults()
{
    requested.colour = juce::Colour(0u);
    requested.blending = false;
    requested.texturing = false;
    requested.scissor = false;
    apply();

    requested.colour = juce::Colours::white;
    requested.blending = true;
    requested.blendSrc = GlEnum::srcAlpha;
    requested.blendDst = GlEnum::oneMinusSrcAlpha;
    requested.texturing = false;
    requested.lineWidth = 1.0f;
}

void GlStateCache::resetAll()
{
    appliedKnown = false;
    resetDefaults();
    apply();
}

} // namespace vk
