#include "vk_juce_control_points_controller.h"

#include "controls/host_modifiers.h"
#include "display_parameters.h"
#include "editor/vk_juce_editor_base.h"
#include "ogl_draw_helpers.h"
#include "vk_ogl_component.h"

#include "processor/vk_processor_base.h"

#include <cmath>

namespace vk
{

VkJuceControlPointsController::VkJuceControlPointsController(const DisplayClock& c)
    : VkJuceControlWithHelpers(juce::String()), clock(&c)
{
}

VkJuceControlPointsController::~VkJuceControlPointsController()
{
    leaveRenderWalk();
}

void VkJuceControlPointsController::setOglOwner(VkOglEditorOwner* editor)
{
    VkJuceControlWithHelpers::setOglOwner(editor);
    for (auto& t : textures)
        t.setOglOwner(editor);
}

VkOglComponentTexture& VkJuceControlPointsController::getTexture(int index) noexcept
{
    return textures[(size_t)juce::jlimit(0, numTextures - 1, index)];
}

void VkJuceControlPointsController::setPointCount(int count)
{
    const juce::ScopedLock sl(pointsLock);
    pointCount = juce::jlimit(0, maxPoints, count);
}

int VkJuceControlPointsController::getPointCount() const
{
    const juce::ScopedLock sl(pointsLock);
    return pointCount;
}

void VkJuceControlPointsController::setPoint(int index, const VkControlPoint& point)
{
    if (index < 0 || index >= maxPoints)
        return;
    const juce::ScopedLock sl(pointsLock);
    points[(size_t)index] = point;
}

VkControlPoint VkJuceControlPointsController::getPoint(int index) const
{
    if (index < 0 || index >= maxPoints)
        return {};
    const juce::ScopedLock sl(pointsLock);
    return points[(size_t)index];
}

void VkJuceControlPointsController::pickPoint(float x, float y)
{
    int best = -1;
    float bestDistance = 0.0f;
    {
        const juce::ScopedLock sl(pointsLock);
        for (int i = 0; i < pointCount; ++i)
        {
            const auto& p = points[(size_t)i];
            if (!p.visible || !(p.size > 0.0f))
                continue;
            const float dx = x - p.x - p.xOffset;
            const float dy = y - p.y - p.yOffset;
            const float d = dx * dx + dy * dy;
            if (best < 0 || d < bestDistance)
            {
                best = i;
                bestDistance = d;
            }
        }
    }
    selectedPoint.store(best >= 0 && bestDistance < pickDistanceSquared ? best : -1);
}

int VkJuceControlPointsController::getSelectedParameter() const
{
    const int selected = selectedPoint.load();
    const juce::ScopedLock sl(pointsLock);
    if (selected < 0 || selected >= pointCount)
        return noParameter;
    return points[(size_t)selected].parameterIndex;
}

void VkJuceControlPointsController::bindToParameter(int index)
{
    // Binding without an editor would also drop the owner this controller draws for.
    if (auto* editor = getOwnerEditor())
        attachToParameter(index, editor);
}

bool VkJuceControlPointsController::hitTest(int x, int y)
{
    pickPoint((float)x, (float)y);
    if (selectedPoint.load() < 0)
        return catchAllClicks.load();
    if (isShowValueOnHover())
        if (auto* editor = getOwnerEditor())
        {
            const int index = getSelectedParameter();
            if (index != noParameter)
                editor->showParameterValue(index);
        }
    return true;
}

void VkJuceControlPointsController::beginChangeGesture()
{
    bindToParameter(getSelectedParameter());
    VkJuceControlWithHelpers::beginChangeGesture();
}

void VkJuceControlPointsController::mouseDown(const juce::MouseEvent& event)
{
    const int selected = selectedPoint.load();
    if (selected < 0 || selected >= getPointCount())
        return;
    const int index = getSelectedParameter();
    // The host must see the handle under the pointer, not the one the previous press bound.
    bindToParameter(index);
    if (offerHostMouseDown(event))
        return;
    beginChangeGesture();
    if (index == noParameter || !HostModifiers::isResetHeld(event.mods, isHostProTools()))
        return;
    if (auto* processor = getProcessor())
    {
        auto& record = processor->getParameterRecord(index);
        if (&record != &VkJuceProcessorBase::getDummyParameterRecord())
            processor->setParameterInternal(index, record.defaultValue.load(), true, false, false);
    }
}

void VkJuceControlPointsController::mouseUp(const juce::MouseEvent& event)
{
    if (offerHostMouseUp(event))
        return;
    // A release without a press on a handle has no gesture to end.
    if (isInGesture())
        endChangeGesture();
}

void VkJuceControlPointsController::mouseMove(const juce::MouseEvent& event)
{
    pickPoint(event.position.x, event.position.y);
}

void VkJuceControlPointsController::mouseEnter(const juce::MouseEvent& event)
{
    pickPoint(event.position.x, event.position.y);
}

void VkJuceControlPointsController::mouseExit(const juce::MouseEvent& event)
{
    pickPoint(event.position.x, event.position.y);
}

void VkJuceControlPointsController::mouseDrag(const juce::MouseEvent& event)
{
    juce::ignoreUnused(event);
}

void VkJuceControlPointsController::mouseWheelMove(const juce::MouseEvent& event,
                                                   const juce::MouseWheelDetails& wheel)
{
    juce::ignoreUnused(event, wheel);
}

void VkJuceControlPointsController::setPointParameter(int index, float value)
{
    setDisplayParameter(getProcessor(), index, value);
}

void VkJuceControlPointsController::render(int elapsedMs)
{
    juce::ignoreUnused(elapsedMs);
    if (getOglComponent() == nullptr)
        return;
    std::array<VkControlPoint, maxPoints> local;
    int count = 0;
    {
        const juce::ScopedLock sl(pointsLock);
        updatePoints();
        count = juce::jlimit(0, maxPoints, pointCount);
        std::copy(points.begin(), points.begin() + count, local.begin());
    }
    const int selected = selectedPoint.load();
    const int64_t now = clock->nowMs();
    for (int i = 0; i < count; ++i)
        if (i != selected && local[(size_t)i].visible)
            drawPoint(i, local[(size_t)i], false, now);
    // The highlighted handle last, so that it lies on top.
    if (selected >= 0 && selected < count && local[(size_t)selected].visible)
        drawPoint(selected, local[(size_t)selected], true, now);
}

void VkJuceControlPointsController::drawPoint(int index, const VkControlPoint& p, bool highlighted,
                                              int64_t nowMs)
{
    if (p.texture == nullptr)
        return;
    float f = 0.0f;
    auto& fadeStart = fadeStartMs[(size_t)index];
    if (highlighted)
    {
        f = 1.0f;
        fadeStart = nowMs;
    }
    else if (fadeStart != 0)
    {
        f = juce::jlimit(0.0f, 1.0f, 1.0f - ((float)(nowMs - fadeStart) - 50.0f) / 200.0f);
        if (f <= 0.0f)
            fadeStart = 0;
    }
    const juce::Colour colour = interpolateColour(p.colourAtRest.withAlpha(p.alphaAtRest),
                                                  p.colourHighlighted.withAlpha(p.alphaHighlighted), f);

    const float cx = p.x + p.xOffset, cy = p.y + p.yOffset;
    const float c = std::cos(p.angle + 0.7853982f) * p.size * 1.414f;
    const float s = std::sin(p.angle + 0.7853982f) * p.size * 1.414f;
    const auto area = getRenderBounds();
    if (p.keepInside && (cx - std::fabs(c) < 0.0f || cx + std::fabs(c) > (float)area.getWidth() ||
                         cy - std::fabs(s) < 0.0f || cy + std::fabs(s) > (float)area.getHeight()))
        return;

    auto* top = getOglComponent();
    p.texture->upload(*this);
    if (p.texture->getTextureId() == 0)
        return;
    const float u = p.texture->getExtentU(), t = p.texture->getExtentV();
    auto& cache = top->getStateCache();
    cache.setColour(colour);
    cache.apply();
    GlApi& gl = top->getGlApi();
    gl.begin(GlEnum::quads);
    gl.texCoord2f(0.0f, 0.0f);
    gl.vertex2f(cx - c, cy - s);
    gl.texCoord2f(0.0f, t);
    gl.vertex2f(cx - s, cy + c);
    gl.texCoord2f(u, t);
    gl.vertex2f(cx + c, cy + s);
    gl.texCoord2f(u, 0.0f);
    gl.vertex2f(cx + s, cy - c);
    gl.end();
}

} // namespace vk
