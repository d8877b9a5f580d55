#include "vk_juce_dynamic_display_level_meter.h"

#include "gl_api.h"
#include "ogl_draw_helpers.h"
#include "vk_ogl_component.h"

#include <cmath>

namespace vk
{

namespace
{
// Beyond this a decibel scale means nothing, and segment arithmetic in int would overflow.
constexpr float largestScaleValue = 100000.0f;
// A very narrow scale far from 0 dB puts 0 dB billions of pixels away from the meter, beyond int.
// Positions are worked out in 64 bits from products held within +-2^40 (exact in both types), and what
// reaches GL within +-2^30, far off every screen.
constexpr float farProduct = 1099511627776.0f; // 2^40
constexpr int64_t farPixel = int64_t{1} << 30;

/** int(v) as the scale arithmetic means it, defined for every float (NaN gives 0). */
int64_t truncatedPixels(float v) noexcept
{
    if (std::isnan(v))
        return 0;
    return (int64_t)juce::jlimit(-farProduct, farProduct, v);
}

int toGlPixel(int64_t v) noexcept
{
    return (int)juce::jlimit(-farPixel, farPixel, v);
}
} // namespace

VkJuceDynamicDisplayLevelMeter::VkJuceDynamicDisplayLevelMeter(const juce::String& componentName,
                                                               const DisplayClock& c)
    : VkJuceControl(componentName), ballisticsA(2.0f, 1.5f, 1.0f, c), ballisticsB(0.1f, 1.5f, 1.0f, c),
      clock(&c)
{
}

VkJuceDynamicDisplayLevelMeter::~VkJuceDynamicDisplayLevelMeter()
{
    leaveRenderWalk();
}

void VkJuceDynamicDisplayLevelMeter::setClock(const DisplayClock& c) noexcept
{
    clock = &c;
    ballisticsA.setClock(c);
    ballisticsB.setClock(c);
    ballisticsA.reset();
    ballisticsB.reset();
}

void VkJuceDynamicDisplayLevelMeter::resetBallistics()
{
    resetRequested.store(true);
}

void VkJuceDynamicDisplayLevelMeter::setOrientation(int o)
{
    if (o == 0 || o == 1)
        orientation.store(o);
}

void VkJuceDynamicDisplayLevelMeter::setSegmentGap(int pixels)
{
    if (pixels >= 0)
        segmentGap.store(pixels);
}

void VkJuceDynamicDisplayLevelMeter::setSegmentAlphas(uint8_t lit, uint8_t partlyLit, uint8_t dim) noexcept
{
    litAlpha.store(lit);
    partlyLitAlpha.store(partlyLit);
    dimAlpha.store(dim);
}

void VkJuceDynamicDisplayLevelMeter::mouseDown(const juce::MouseEvent& event)
{
    juce::ignoreUnused(event);
    if (resetOnClick.load())
        resetBallistics();
}

void VkJuceDynamicDisplayLevelMeter::pullLevel()
{
    auto* source = getDataSource();
    if (source == nullptr)
        return;
    float v = source->getValue();
    // A source that has nothing to say yet (NaN), or that overflowed (+inf), reads as silence rather than
    // lighting the whole meter; an infinite peak would never fall again.
    if (!std::isfinite(v))
        v = -1000.0f;
    lastLevel = v;
    ballisticsA.push(v);
    ballisticsB.push(v);
}

void VkJuceDynamicDisplayLevelMeter::updateGeometry()
{
    const auto area = getRenderBounds();
    width = area.getWidth();
    height = area.getHeight();
    const float mx = maximum.load();
    const float span = mx - minimum.load();
    if (!(span > 0.0f) || !std::isfinite(span))
    {
        scale = 0.0f;
        offset = 0;
        return;
    }
    if (orientation.load() == 0)
    {
        scale = (float)width / span;
        offset = width - truncatedPixels(scale * mx);
    }
    else
    {
        scale = (float)height / span;
        offset = truncatedPixels(scale * mx);
    }
}

bool VkJuceDynamicDisplayLevelMeter::getDrawableScale(Scale& s) const noexcept
{
    s = {minimum.load(), maximum.load(), segmentSize.load()};
    if (!std::isfinite(s.minimum) || !std::isfinite(s.maximum) || !(s.maximum > s.minimum))
        return false;
    if (std::fabs(s.minimum) > largestScaleValue || std::fabs(s.maximum) > largestScaleValue)
        return false;
    if (!std::isfinite(s.segmentSize) || !(s.segmentSize > 0.0f))
        return false;
    s.segmentSize = std::fmax(s.segmentSize, (s.maximum - s.minimum) / (float)maxSegments);
    return true;
}

bool VkJuceDynamicDisplayLevelMeter::isBlinkOn() const noexcept
{
    return clock->nowMs() % 500 < 250;
}

void VkJuceDynamicDisplayLevelMeter::drawSegment(float lo, float hi, juce::Colour colour, uint8_t alpha)
{
    auto* top = getOglComponent();
    const int64_t length = std::max<int64_t>(1, truncatedPixels((hi - lo) * scale) - segmentGap.load());
    auto& cache = top->getStateCache();
    cache.setTexturing(false);
    cache.setBlending(true);
    cache.setColour(colour.withAlpha(alpha));
    cache.apply();
    if (orientation.load() == 0)
    {
        const int64_t x = truncatedPixels(scale * lo) + offset;
        top->getGlApi().recti(toGlPixel(x), 0, toGlPixel(x + length), height);
    }
    else
    {
        const int64_t y = offset - truncatedPixels(scale * hi);
        top->getGlApi().recti(0, toGlPixel(y), width, toGlPixel(y + length));
    }
}

void VkJuceDynamicDisplayLevelMeter::render(int elapsedMs)
{
    juce::ignoreUnused(elapsedMs);
    auto* top = getOglComponent();
    const auto area = getRenderBounds().withZeroOrigin();
    if (top == nullptr || area.isEmpty())
        return;
    if (getDataSource() == nullptr)
    {
        drawPlaceholderBox(*top, area, 0);
        return;
    }
    if (resetRequested.exchange(false))
    {
        ballisticsA.reset();
        ballisticsB.reset();
    }
    updateGeometry();
    pullLevel();

    Scale s{};
    if (!getDrawableScale(s))
        return;
    const float level = juce::jlimit(s.minimum, s.maximum, lastLevel);
    const float pA = ballisticsA.get();
    const float pB = ballisticsB.get();
    if (reversed.load())
        renderReversed(s, level, pA, pB);
    else
        renderNormal(s, level, pA, pB);
}

void VkJuceDynamicDisplayLevelMeter::renderNormal(const Scale& s, float level, float pA, float pB)
{
    const float margin = noFloorMargin.load() ? 0.0f : 10.0f;
    const float floor = s.minimum - margin;
    const float ceiling = s.maximum - 0.0001f;
    auto limit = [&](float p) { return p < floor ? floor : (p > ceiling ? ceiling : p); };
    pA = limit(pA);
    pB = limit(pB);

    const float size = s.segmentSize;
    const int k = (int)(s.maximum / size) + 1;
    const uint8_t lit = litAlpha.load(), partly = partlyLitAlpha.load(), dim = dimAlpha.load();
    const bool fast = showFastMarker.load(), peak = showPeakMarker.load(), blink = clipBlink.load();
    const juce::Colour peakCol = peakColour.get();
    uint8_t previousAlpha = lit;

    float lo = s.minimum;
    for (int n = 0; lo < s.maximum && n <= maxSegments + 1; ++n)
    {
        float hi = std::fmin((float)((int)(lo / size + 0.0001f - (float)k) + k) * size, s.maximum);
        if (!(hi > lo)) // float rounding near a boundary: step one segment on
            hi = std::fmin(lo + size, s.maximum);
        juce::Colour colour = colourTable.colourFor(hi);
        const float mid = (lo + hi) * 0.5f;
        uint8_t alpha;
        const bool isDim = mid >= level;
        if (isDim)
            alpha = dim;
        else if (partly != 0 && hi - lo + mid >= level)
            alpha = partly;
        else
            alpha = previousAlpha;
        // The next segment takes this one's fill, never a marker's full alpha.
        previousAlpha = alpha;
        if (!isDim && lo <= level && level < hi)
            colour = colourTable.colourFor(level);

        bool clip = false;
        if (fast && lo <= pB && pB < hi)
        {
            alpha = 255;
            colour = colourTable.colourFor(pB);
            clip = ballisticsB.getCurrentValue() > s.maximum;
        }
        if (peak && lo <= pA && pA < hi)
        {
            alpha = 255;
            colour = peakCol.isTransparent() ? colourTable.colourFor(pA) : peakCol;
            clip = clip || ballisticsA.getCurrentValue() > s.maximum;
        }
        if (clip && blink && isBlinkOn())
            colour = juce::Colours::white;
        drawSegment(lo, hi, colour, alpha);
        lo = hi;
    }
}

void VkJuceDynamicDisplayLevelMeter::renderReversed(const Scale& s, float level, float pA, float pB)
{
    const float margin = noFloorMargin.load() ? 0.0f : 10.0f;
    const float floor = s.minimum + 0.0001f;
    const float ceiling = s.maximum + margin;
    auto limit = [&](float p) { return p < floor ? floor : (p > ceiling ? ceiling : p); };
    pA = limit(pA);
    pB = limit(pB);

    const float size = s.segmentSize;
    const int k = (int)(-s.minimum / size) + 1;
    const uint8_t lit = litAlpha.load(), dim = dimAlpha.load();
    const bool fast = showFastMarker.load(), peak = showPeakMarker.load(), blink = clipBlink.load();

    // Each segment shows the table colour of its upper edge, as the normal direction does; the markers the
    // colour of their own level.
    float hi = s.maximum;
    for (int n = 0; hi > s.minimum && n <= maxSegments + 1; ++n)
    {
        float lo = std::fmax((float)((int)(hi / size - 0.0001f + (float)k) - k) * size, s.minimum);
        if (!(lo < hi))
            lo = std::fmax(hi - size, s.minimum);
        juce::Colour colour = colourTable.colourFor(hi);
        uint8_t alpha = (lo + hi) * 0.5f > level ? lit : dim;
        if (fast && lo <= pB && pB < hi)
        {
            alpha = 255;
            colour = colourTable.colourFor(pB);
        }
        if (peak && lo <= pA && pA < hi)
        {
            alpha = 255;
            colour = colourTable.colourFor(pA);
            if (blink && ballisticsA.getCurrentValue() < s.minimum && isBlinkOn())
                colour = juce::Colours::white;
        }
        drawSegment(lo, hi, colour, alpha);
        hi = lo;
    }
}

} // namespace vk
