#include "latiphonix_graph_overlay.h"

#include "product/latiphonix_parameters.h"
#include "product/latiphonix_processor.h"

#include "vk_ogl_component.h"

namespace
{
using namespace latiphonix;
using vk::GlEnum::quads;
using vk::GlEnum::triangleStrip;

constexpr float pi = juce::MathConstants<float>::pi;

struct HandleRow
{
    int parameter;
    int texture;
    float baseRotation;
    float xOffset;
};

// Handles 0..3 belong to the IID path, 4..7 to the ITD path, 8 and 9 to the IID focus range.
constexpr std::array<HandleRow, LatiphonixGraphOverlay::numHandles> handleRows{{
    {kIidWidth, LatiphonixGraphOverlay::widthMarkTexture, pi, 0.0f},
    {kIidWidth, LatiphonixGraphOverlay::widthMarkTexture, 0.0f, 0.0f},
    {kIidHighBound, LatiphonixGraphOverlay::dotTexture, 0.0f, 0.0f},
    {kIidLowBound, LatiphonixGraphOverlay::dotTexture, 0.0f, 0.0f},
    {kItdWidth, LatiphonixGraphOverlay::widthMarkTexture, pi, 0.0f},
    {kItdWidth, LatiphonixGraphOverlay::widthMarkTexture, 0.0f, 0.0f},
    {kItdHighBound, LatiphonixGraphOverlay::dotTexture, 0.0f, 0.0f},
    {kItdLowBound, LatiphonixGraphOverlay::dotTexture, 0.0f, 0.0f},
    {kIidFocusUpper, LatiphonixGraphOverlay::widthMarkTexture, pi / 2.0f, -10.0f},
    {kIidFocusLower, LatiphonixGraphOverlay::widthMarkTexture, pi / 2.0f, -10.0f},
}};

bool isLowBound(int index) noexcept
{
    return index == kIidLowBound || index == kItdLowBound || index == kIidFocusLower;
}

// A bound's partner on the same path; -1 for widths.
int partnerOf(int index) noexcept
{
    switch (index)
    {
    case kIidLowBound:
        return kIidHighBound;
    case kIidHighBound:
        return kIidLowBound;
    case kItdLowBound:
        return kItdHighBound;
    case kItdHighBound:
        return kItdLowBound;
    case kIidFocusLower:
        return kIidFocusUpper;
    case kIidFocusUpper:
        return kIidFocusLower;
    default:
        return -1;
    }
}

// The processor's link offsets: 0 widths, 1 high bounds, 2 low bounds (IID minus ITD).
int linkOffsetSlot(int index) noexcept
{
    switch (index)
    {
    case kIidWidth:
    case kItdWidth:
        return 0;
    case kIidHighBound:
    case kItdHighBound:
        return 1;
    case kIidLowBound:
    case kItdLowBound:
        return 2;
    default:
        return -1;
    }
}
} // namespace

LatiphonixGraphOverlay::LatiphonixGraphOverlay(const vk::DisplayClock& clock)
    : juce::Component(juce::String()), vk::VkJuceControlPointsController(clock)
{
    getTexture(dotTexture).loadFromResource("frequency_banding_dot_png");
    getTexture(widthMarkTexture).loadFromResource("overlay_width_control_mark_png");
    getTexture(arcEdgeTexture).loadFromResource("overlay_arc_edge_png");
    setPointCount(numHandles);
    for (int h = 0; h < numHandles; ++h)
    {
        const auto& row = handleRows[(size_t)h];
        auto& texture = getTexture(row.texture);
        vk::VkControlPoint point;
        point.texture = &texture;
        point.size = (float)texture.getImage().getWidth() * 0.5f;
        point.xOffset = row.xOffset;
        point.parameterIndex = row.parameter;
        setPoint(h, point);
        handleGeometry[(size_t)h].baseRotation = row.baseRotation;
    }
}

LatiphonixGraphOverlay::~LatiphonixGraphOverlay()
{
    leaveRenderWalk();
}

int LatiphonixGraphOverlay::parameterOfHandle(int handle) noexcept
{
    return handle >= 0 && handle < numHandles ? handleRows[(size_t)handle].parameter
                                              : vk::VkJuceControl::noParameter;
}

float LatiphonixGraphOverlay::param(int index) const
{
    auto* processor = getProcessor();
    return processor != nullptr ? processor->getParameterRecord(index).getValue() : 0.0f;
}

void LatiphonixGraphOverlay::updatePoints()
{
    const float iidA = FanGeometry::iidAngle(param(kIidWidth));
    const float itdA = FanGeometry::itdAngle(param(kItdWidth));
    const bool iidOn = param(kIidEnabled) != 0.0f;
    const bool itdOn = param(kItdEnabled) != 0.0f;
    for (int h = 0; h < numHandles; ++h)
    {
        auto& g = handleGeometry[(size_t)h];
        const int index = handleRows[(size_t)h].parameter;
        g.angle = h < 4 ? iidA : (h < 8 ? itdA : 0.0f);
        g.radiusFraction =
            index == kIidWidth || index == kItdWidth ? (h % 2 == 0 ? 1.065f : -0.065f) : param(index);
        g.enabled = (h >= 4 && h < 8) ? itdOn : iidOn;
    }

    const int selected = getSelectedPoint();
    if (getOglComponent() != nullptr)
    {
        drawSector(true, 0, selected);
        drawSector(false, 4, selected);
        drawFocusStrip(selected);
    }

    for (int h = 0; h < juce::jmin(numHandles, pointCount); ++h)
    {
        const auto& g = handleGeometry[(size_t)h];
        auto& p = points[(size_t)h];
        p.alphaHighlighted = g.enabled ? 1.0f : 0.5f;
        p.alphaAtRest = g.enabled ? 0.39f : 0.098f;
        p.angle = g.baseRotation + g.angle;
        const auto at = fan.pointAt(g.angle, g.radiusFraction);
        p.x = at.x;
        p.y = at.y;
    }
}

void LatiphonixGraphOverlay::colour(float alpha)
{
    auto& cache = getOglComponent()->getStateCache();
    cache.setColour(juce::Colours::white.withAlpha(alpha));
    cache.apply();
}

void LatiphonixGraphOverlay::drawTexturedRing(float angle, float radius, float alpha)
{
    auto& gl = getOglComponent()->getGlApi();
    colour(alpha);
    gl.begin(triangleStrip);
    for (int k = 0; k < 40; ++k)
    {
        const float t = (2.0f * (float)k / 39.0f - 1.0f) * angle;
        const auto inner = fan.pointAtRadius(t, radius - 3.0f);
        const auto outer = fan.pointAtRadius(t, radius + 3.0f);
        gl.texCoord2f(0.5f, 0.0f);
        gl.vertex2f(inner.x, inner.y);
        gl.texCoord2f(0.5f, 1.0f);
        gl.vertex2f(outer.x, outer.y);
    }
    gl.end();
}

void LatiphonixGraphOverlay::drawSector(bool iid, int first, int selected)
{
    auto* top = getOglComponent();
    auto& gl = top->getGlApi();
    auto& cache = top->getStateCache();
    const auto& width = handleGeometry[(size_t)first];
    const float A = width.angle;
    const bool on = width.enabled;
    const float rLow = fan.radiusAt(param(iid ? kIidLowBound : kItdLowBound));
    const float rHigh = fan.radiusAt(param(iid ? kIidHighBound : kItdHighBound));
    const bool anyHot = selected >= first && selected < first + 4;

    cache.setTexturing(false);
    cache.setBlending(true);
    cache.setBlendFunction(vk::GlEnum::srcAlpha, vk::GlEnum::oneMinusSrcAlpha);
    colour(anyHot ? (on ? 0.1f : 0.04f) : (on ? 0.05f : 0.02f));
    gl.begin(triangleStrip);
    for (int k = 0; k < 20; ++k)
    {
        const float t = (2.0f * (float)k / 19.0f - 1.0f) * A;
        const auto a = fan.pointAtRadius(t, rLow), b = fan.pointAtRadius(t, rHigh);
        gl.vertex2f(a.x, a.y);
        gl.vertex2f(b.x, b.y);
    }
    gl.end();

    auto& edge = getTexture(arcEdgeTexture);
    edge.upload(*this);
    if (edge.getTextureId() == 0)
        return;
    const auto arcAlpha = [on](bool hot) { return hot ? (on ? 1.0f : 0.4f) : (on ? 0.2f : 0.05f); };
    drawTexturedRing(A, rLow, arcAlpha(selected == first + 3));
    drawTexturedRing(A, rHigh, arcAlpha(selected == first + 2));

    // The width edge runs along the radial line the width handles sit on.
    const auto inner = fan.pointAtRadius(A, fan.radiusAt(0.0f)),
               outer = fan.pointAtRadius(A, fan.radiusAt(1.0f));
    const juce::Point<float> across{std::cos(A) * 3.0f, std::sin(A) * 3.0f};
    colour(arcAlpha(selected == first || selected == first + 1));
    gl.begin(quads);
    gl.texCoord2f(0.5f, 0.0f);
    gl.vertex2f(inner.x - across.x, inner.y - across.y);
    gl.texCoord2f(0.5f, 0.0f);
    gl.vertex2f(outer.x - across.x, outer.y - across.y);
    gl.texCoord2f(0.5f, 1.0f);
    gl.vertex2f(outer.x + across.x, outer.y + across.y);
    gl.texCoord2f(0.5f, 1.0f);
    gl.vertex2f(inner.x + across.x, inner.y + across.y);
    gl.end();
    cache.setTexturing(false);
    cache.apply();
}

void LatiphonixGraphOverlay::drawFocusStrip(int selected)
{
    auto* top = getOglComponent();
    auto& gl = top->getGlApi();
    auto& cache = top->getStateCache();
    const bool on = handleGeometry[8].enabled;
    const bool hot = selected == 8 || selected == 9;
    auto& edge = getTexture(arcEdgeTexture);
    edge.upload(*this);
    if (edge.getTextureId() == 0)
        return;
    colour(hot ? (on ? 1.0f : 0.4f) : (on ? 0.2f : 0.04f));
    const float cx = fan.centre().x, cy = fan.centre().y;
    const float lower = fan.radiusAt(param(kIidFocusLower)), upper = fan.radiusAt(param(kIidFocusUpper));
    const int n = juce::jmin(9, juce::jmin((int)(param(kResolution) * 1000.0f + 0.5f), 1000));
    const float spacing = (upper - lower) / (float)juce::jmax(n, 1);

    gl.begin(quads);
    gl.texCoord2f(0.5f, 0.0f);
    gl.vertex2f(cx - 3.0f, cy - upper);
    gl.texCoord2f(0.5f, 0.0f);
    gl.vertex2f(cx - 3.0f, cy - lower);
    gl.texCoord2f(0.5f, 1.0f);
    gl.vertex2f(cx + 3.0f, cy - lower);
    gl.texCoord2f(0.5f, 1.0f);
    gl.vertex2f(cx + 3.0f, cy - upper);
    for (int i = 0; i <= n; ++i)
    {
        const float y = cy - (lower + spacing * (float)i);
        gl.texCoord2f(0.5f, 0.0f);
        gl.vertex2f(cx - 5.0f, y - 3.0f);
        gl.texCoord2f(0.5f, 1.0f);
        gl.vertex2f(cx - 5.0f, y + 3.0f);
        gl.texCoord2f(0.5f, 1.0f);
        gl.vertex2f(cx, y + 3.0f);
        gl.texCoord2f(0.5f, 0.0f);
        gl.vertex2f(cx, y - 3.0f);
    }
    gl.end();
    cache.setTexturing(false);
    cache.apply();
}

void LatiphonixGraphOverlay::set(int index, float value)
{
    if (auto* processor = getProcessor())
        processor->setParameterInternal(index, juce::jlimit(0.0f, 1.0f, value), true, false, false);
}

void LatiphonixGraphOverlay::followLink(int changed)
{
    auto* processor = dynamic_cast<LatiphonixProcessor*>(getProcessor());
    const int slot = linkOffsetSlot(changed);
    if (processor == nullptr || slot < 0 || param(kLink) == 0.0f)
        return;
    const bool fromIid = changed < kItdEnabled;
    const int twin = fromIid ? changed + 4 : changed - 4;
    const float offset = processor->getAlgorithm().getLinkOffset(slot);
    setPointParameter(twin, fromIid ? param(changed) - offset : param(changed) + offset);
    const int partner = partnerOf(twin);
    if (partner >= 0)
        processor->pushLinkedParameter(twin, partner, isLowBound(twin), minimumGap);
}

void LatiphonixGraphOverlay::dragHandleTo(int handle, juce::Point<float> p)
{
    auto* processor = getProcessor();
    if (processor == nullptr || handle < 0 || handle >= numHandles)
        return;
    const auto polar = fan.polarAt(p);
    const int index = parameterOfHandle(handle);
    // The partner and the twin are set after the handle's own parameter; the readout shows the last change,
    // and must name the handle in the hand rather than a parameter that followed it.
    const int pendingReadout = processor->takeLastChangedParameter(noParameter);
    if (index == kIidWidth)
        set(index, -polar.a);
    else if (index == kItdWidth)
        set(index, polar.a);
    else if (isLowBound(index))
    {
        set(index, juce::jmin(polar.f, lowBoundCeiling));
        processor->pushLinkedParameter(index, partnerOf(index), true, minimumGap);
    }
    else
    {
        set(index, juce::jmax(polar.f, minimumGap));
        processor->pushLinkedParameter(index, partnerOf(index), false, minimumGap);
    }
    followLink(index);
    const bool anyChanged = processor->getLastChangedParameter() != noParameter;
    processor->setLastChangedParameter(anyChanged ? index : pendingReadout);
}

void LatiphonixGraphOverlay::mouseDrag(const juce::MouseEvent& event)
{
    if (offerHostMouseDrag(event) || !isInGesture())
        return;
    dragHandleTo(getSelectedPoint(), event.position);
}
