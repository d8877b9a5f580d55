#include "vk_juce_slider.h"

#include "ogl_draw_helpers.h"
#include "vk_ogl_component.h"

namespace vk
{

VkJuceSlider::VkJuceSlider(const juce::String& componentName) : VkJuceControlWithHelpers(componentName) {}

VkJuceSlider::~VkJuceSlider()
{
    leaveRenderWalk();
}

void VkJuceSlider::updateAppearance()
{
    // The texture swaps its image under its own lock; no wait for the renderer is needed.
    selectStateImage(0);
}

juce::Point<int> VkJuceSlider::thumbSize() const
{
    const auto thumb = getStateImage(0);
    return {thumb.getWidth(), thumb.getHeight()};
}

juce::Rectangle<int> VkJuceSlider::getTrack() const
{
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    return track;
}

void VkJuceSlider::setThumbColours(juce::Colour normal, juce::Colour highlighted, bool twoColour)
{
    thumbColour.set(normal);
    thumbColourHighlighted.set(highlighted);
    twoColourThumb.store(twoColour);
}

void VkJuceSlider::setThumbAlphas(float highlighted, float atRest)
{
    thumbAlphaHighlighted.store(highlighted);
    thumbAlphaAtRest.store(atRest);
}

void VkJuceSlider::setThumbOffset(juce::Point<int> offset)
{
    const juce::SpinLock::ScopedLockType sl(renderDataLock);
    thumbOffset = offset;
}

void VkJuceSlider::setTrackBounds(int x, int y, int width, int height, bool autoOrientation)
{
    setTrackBounds(juce::Rectangle<int>(x, y, width, height), autoOrientation);
}

void VkJuceSlider::setTrackBounds(juce::Rectangle<int> r, bool autoOrientation)
{
    if (autoOrientation)
        setOrientation(r.getWidth() <= r.getHeight() ? vertical : horizontal);
    const auto thumb = thumbSize();
    if (getOrientation() == vertical)
        r = juce::Rectangle<int>(r.getX(), r.getY() - thumb.y / 2, std::max(0, r.getWidth()),
                                 std::max(0, r.getHeight() + thumb.y / 2 * 2));
    else
        r = juce::Rectangle<int>(r.getX() - thumb.x / 2, r.getY(),
                                 std::max(0, r.getWidth() + thumb.x / 2 * 2), std::max(0, r.getHeight()));
    setSliderBounds(r);
}

void VkJuceSlider::setSliderBounds(int x, int y, int width, int height)
{
    setSliderBounds(juce::Rectangle<int>(x, y, width, height));
}

void VkJuceSlider::setSliderBounds(juce::Rectangle<int> r)
{
    const auto thumb = thumbSize();
    juce::Rectangle<int> t;
    if (getOrientation() == vertical)
        t = juce::Rectangle<int>(r.getX(), r.getY() + thumb.y / 2, r.getWidth(),
                                 std::max(0, r.getHeight() - thumb.y / 2 * 2));
    else
        t = juce::Rectangle<int>(r.getX() + thumb.x / 2, r.getY(),
                                 std::max(0, r.getWidth() - thumb.x / 2 * 2), r.getHeight());
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        track = t;
    }
    setBounds(r);
}

void VkJuceSlider::position(const juce::MouseEvent& event)
{
    const float s = getDragSpeedFactor(event);
    const auto thumb = thumbSize();
    const auto t = getTrack();
    juce::Component::SafePointer<juce::Component> self(this);
    if (getOrientation() == vertical)
    {
        const float p = (float)(event.getPosition().y - pressPosition.y) * s + (float)pressPosition.y;
        const float v = (p - (float)thumb.y / 2.0f) / (float)t.getHeight();
        setValue(1.0f - v, true);
    }
    else if (getOrientation() == horizontal)
    {
        const float p = (float)(event.getPosition().x - pressPosition.x) * s + (float)pressPosition.x;
        setValue((p - (float)thumb.x / 2.0f) / (float)t.getWidth(), true);
    }
    if (self != nullptr)
        resetToDefaultOnClick(event);
}

void VkJuceSlider::mouseDown(const juce::MouseEvent& event)
{
    if (!beginUserGesture(event))
        return;
    pressPosition = event.getPosition();
    position(event);
}

void VkJuceSlider::mouseDrag(const juce::MouseEvent& event)
{
    if (offerHostMouseDrag(event) || isGreyedOut())
        return;
    position(event);
}

void VkJuceSlider::mouseUp(const juce::MouseEvent& event)
{
    if (offerHostMouseUp(event) || isGreyedOut())
        return;
    endChangeGesture();
}

void VkJuceSlider::mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel)
{
    if (!beginUserGesture(event))
        return;
    juce::Component::SafePointer<juce::Component> self(this);
    const auto t = getTrack();
    const int o = getOrientation();
    if (o == horizontal || o == vertical)
    {
        const float d =
            o == horizontal ? wheel.deltaX / (float)t.getWidth() : wheel.deltaY / (float)t.getHeight();
        setValue(getValue() + d * getDragSpeedFactor(event) * 35.0f, true);
        if (self == nullptr)
            return;
    }
    endChangeGesture();
}

void VkJuceSlider::mouseEnter(const juce::MouseEvent& event)
{
    VkJuceControlWithHelpers::mouseEnter(event);
    if (!isGreyedOut())
        hoveringThumb.store(true);
}

void VkJuceSlider::mouseExit(const juce::MouseEvent& event)
{
    VkJuceControlWithHelpers::mouseExit(event);
    hoveringThumb.store(false);
}

float VkJuceSlider::fadeAfterLeaving(double msSinceLeaving) noexcept
{
    return (float)juce::jlimit(0.0, 1.0, 1.0 - (msSinceLeaving - 50.0) / 200.0);
}

void VkJuceSlider::render(int elapsedMs)
{
    juce::ignoreUnused(elapsedMs);
    auto* top = getOglComponent();
    if (top == nullptr)
        return;
    auto& cache = top->getStateCache();
    GlApi& gl = top->getGlApi();

    juce::Rectangle<int> t;
    juce::Point<int> offset;
    {
        const juce::SpinLock::ScopedLockType sl(renderDataLock);
        t = track;
        offset = thumbOffset;
    }
    t = t - getRenderBounds().getPosition();
    const float v = getValue();
    const int o = getOrientation();

    const auto fill = [&](juce::Colour c, juce::Rectangle<int> r)
    {
        cache.setTexturing(false);
        cache.setBlending(!c.isOpaque());
        cache.setColour(c);
        cache.apply();
        gl.recti(r.getX(), r.getY(), r.getRight(), r.getBottom());
    };
    if (const auto c = trackColour.get(); !c.isTransparent())
        fill(c, t);
    if (const auto c = fillColour.get(); !c.isTransparent())
    {
        if (o == horizontal)
        {
            fill(c, t.withWidth((int)((float)t.getWidth() * v)));
        }
        else
        {
            const int above = (int)((1.0f - v) * (float)t.getHeight());
            if (isInverted())
                fill(c, t.withHeight(above));
            else
                fill(c, t.withTrimmedTop(above));
        }
    }

    if (!stateTexture.hasImage())
        return;
    stateTexture.upload(*this);
    float f = 0.0f;
    const double now = juce::Time::getMillisecondCounterHiRes();
    if (hoveringThumb.load() && !isGreyedOut())
    {
        f = 1.0f;
        fadeStartMs = now;
    }
    else if (fadeStartMs > 0.0)
    {
        f = fadeAfterLeaving(now - fadeStartMs);
        if (f <= 0.0f)
            fadeStartMs = 0.0;
    }
    const float rest = thumbAlphaAtRest.load();
    const float a = (thumbAlphaHighlighted.load() - rest) * f + rest;
    if (twoColourThumb.load())
        cache.setColour(interpolateColour(thumbColour.get(), thumbColourHighlighted.get(), f));
    else
        cache.setColour(thumbColour.get().withAlpha(getAlpha() * a));

    const auto thumb = thumbSize();
    int x = 0, y = 0;
    if (o == horizontal)
        x = (int)((float)t.getWidth() * v);
    else
        y = (int)((1.0f - v) * (float)t.getHeight());
    stateTexture.draw(juce::Rectangle<int>(x + offset.x, y + offset.y, thumb.x, thumb.y));
}

} // namespace vk
