#include "vk_juce_scalable_button.h"

#include "vk_juce_ogl_font.h"
#include "vk_ogl_component.h"

namespace vk
{

VkJuceScalableButton::VkJuceScalableButton(const juce::String& componentName) : VkJuceButton(componentName)
{
    for (auto& state : cornerColours)
        state.fill(juce::Colours::white);
    setImageTint(juce::Colours::white, allStates);
    setHoverDisabled(true);
}

VkJuceScalableButton::~VkJuceScalableButton()
{
    leaveRenderWalk();
}

void VkJuceScalableButton::setBorders(int horizontalBorder, int verticalBorder)
{
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        borderX = std::max(0, horizontalBorder);
        borderY = std::max(0, verticalBorder);
    }
    resized();
}

void VkJuceScalableButton::setGradient(const VkJuceColourGradient& gradient, int state)
{
    if (state < 0 || state > 3)
        return;
    gradients[(size_t)state] = gradient;
    gradients[(size_t)state].setHorizontal(gradientHorizontal.load());
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        gradientOn = true;
    }
    rebuildCornerColours();
}

void VkJuceScalableButton::setGradientHorizontal(bool horizontal)
{
    gradientHorizontal.store(horizontal);
    for (auto& g : gradients)
        g.setHorizontal(horizontal);
    rebuildCornerColours();
}

juce::Colour VkJuceScalableButton::getCornerColour(int state, int index) const
{
    if (state < 0 || state > 3 || index < 0 || index >= numCornerColours)
        return {};
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    return cornerColours[(size_t)state][(size_t)index];
}

void VkJuceScalableButton::resized()
{
    const juce::Image first = getStateImage(0).isValid() ? getStateImage(0) : getStateImage(1);
    if (first.isValid())
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        const float tw = (float)first.getWidth(), th = (float)first.getHeight();
        borderTexCoords = {(float)borderX / tw, (tw - (float)borderX) / tw, (float)borderY / th,
                           (th - (float)borderY) / th};
    }
    rebuildCornerColours();
}

void VkJuceScalableButton::rebuildCornerColours()
{
    int bx = 0, by = 0;
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        if (!gradientOn)
            return;
        bx = borderX;
        by = borderY;
    }
    const int w = getWidth(), h = getHeight();
    const bool horizontal = gradientHorizontal.load();
    const int size = horizontal ? w : h;
    const int border = horizontal ? bx : by;
    // Sampling needs both sizes: a position of border / 0 means nothing.
    if (size == 0 || w == 0 || h == 0)
        return;
    const float xs[4] = {0.0f, (float)bx / (float)w, (float)(w - bx) / (float)w, 1.0f};
    const float ys[4] = {0.0f, (float)by / (float)h, (float)(h - by) / (float)h, 1.0f};

    for (int s = 0; s < 4; ++s)
    {
        auto& g = gradients[(size_t)s];
        const int n = g.getNumStops();
        if (n < 4)
            break;
        g.setStopPosition(0.0f, 0);
        g.setStopPosition((float)border / (float)size, 1);
        g.setStopPosition((float)(size - border) / (float)size, n - 2);
        g.setStopPosition(1.0f, n - 1);

        std::array<juce::Colour, numCornerColours> sampled;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
            {
                const size_t p = (size_t)(r * 3 + c);
                sampled[2 * p] = g.getColourAt(xs[c], ys[r]);
                sampled[2 * p + 1] =
                    horizontal ? g.getColourAt(xs[c + 1], ys[r]) : g.getColourAt(xs[c], ys[r + 1]);
            }
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        cornerColours[(size_t)s] = sampled;
    }
}

void VkJuceScalableButton::drawNinePatches(VkOglComponentTexture& texture, int state, float alpha)
{
    auto* top = getOglComponent();
    if (top == nullptr)
        return;
    int bx = 0, by = 0;
    std::array<float, 4> tc{};
    bool gradient = false;
    std::array<juce::Colour, numCornerColours> colours;
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        bx = borderX;
        by = borderY;
        tc = borderTexCoords;
        gradient = gradientOn;
        colours = cornerColours[(size_t)state];
    }
    const auto area = getRenderBounds();
    const int w = area.getWidth(), h = area.getHeight();
    if (w < 2 * bx || h < 2 * by)
        return;
    texture.upload(*this);
    if (texture.getTextureId() == 0)
        return;

    auto& cache = top->getStateCache();
    GlApi& gl = top->getGlApi();
    if (!gradient)
    {
        const juce::Colour tint = getImageTint(state);
        cache.setColour(tint.withAlpha(tint.getFloatAlpha() * alpha));
    }
    cache.apply();

    const float xs[4] = {0.0f, (float)bx, (float)(w - bx), (float)w};
    const float ys[4] = {0.0f, (float)by, (float)(h - by), (float)h};
    const float eu = texture.getExtentU(), ev = texture.getExtentV();
    const float us[4] = {0.0f, tc[0] * eu, tc[1] * eu, eu};
    const float vs[4] = {0.0f, tc[2] * ev, tc[3] * ev, ev};
    const bool horizontal = gradientHorizontal.load();

    gl.begin(GlEnum::quads);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
        {
            const size_t p = (size_t)(r * 3 + c);
            const auto vertex = [&](int ci, int ri)
            {
                if (gradient)
                {
                    const bool firstColour = horizontal ? ci == c : ri == r;
                    const juce::Colour col = colours[2 * p + (firstColour ? 0 : 1)];
                    gl.color4f(col.getFloatRed(), col.getFloatGreen(), col.getFloatBlue(),
                               col.getFloatAlpha() * alpha);
                }
                gl.texCoord2f(us[ci], vs[ri]);
                gl.vertex2f(xs[ci], ys[ri]);
            };
            vertex(c, r + 1);
            vertex(c, r);
            vertex(c + 1, r);
            vertex(c + 1, r + 1);
        }
    gl.end();

    if (gradient)
    {
        // The vertices changed GL's colour behind the cache's back; give GL the colour the cache believes in.
        const juce::Colour applied = cache.getApplied().colour;
        gl.color4f(applied.getFloatRed(), applied.getFloatGreen(), applied.getFloatBlue(),
                   applied.getFloatAlpha());
    }
}

void VkJuceScalableButton::updateStateRect()
{
    drawNinePatches(stateTexture, isOn() ? 1 : 0, getAlpha());
}

void VkJuceScalableButton::renderHoverOverlay(bool off)
{
    juce::ignoreUnused(off);
    juce::Rectangle<int> unused;
    const float level = stepHoverFade(unused);
    if (level <= 0.0f)
        return;
    const bool on = isOn();
    drawingOverlay.store(true);
    drawNinePatches(on ? overlayOnTexture : overlayOffTexture, on ? 3 : 2, level);
    drawingOverlay.store(false);
}

void VkJuceScalableButton::renderText(const juce::String& text, uint32_t justification)
{
    if (!drawTextAlways.load())
    {
        auto* font = getEffectiveFont();
        const auto area = getRenderBounds();
        if (font == nullptr || font->measureText(text.toRawUTF8()) > area.getWidth() ||
            font->getLineHeight() > area.getHeight())
            return;
    }
    VkJuceButton::renderText(text, justification);
}

} // namespace vk
