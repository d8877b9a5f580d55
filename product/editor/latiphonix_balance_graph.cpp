#include "latiphonix_balance_graph.h"

#include "editor_rules.h"
#include "vk_ogl_component.h"

LatiphonixBalanceGraph::LatiphonixBalanceGraph()
    : juce::Component(juce::String()), VkOglChildComponent(juce::String())
{
    reset();
}

LatiphonixBalanceGraph::~LatiphonixBalanceGraph()
{
    leaveRenderWalk();
}

void LatiphonixBalanceGraph::reset() noexcept
{
    centre = halfWidth = smoothed = initialPosition;
    history.fill(initialPosition);
    historyIndex = 0;
}

void LatiphonixBalanceGraph::update(float left, float right) noexcept
{
    centre = halfWidth = (float)getRenderBounds().getWidth() * 0.5f;
    const float sum = right + left;
    const float b = (std::isfinite(sum) && sum > 0.0001f) ? (right - left) / sum : 0.0f;
    const float p = centre + halfWidth * b;
    historyIndex = (historyIndex + 1) % historyLength;
    history[(size_t)historyIndex] = p;
    smoothed = smoothed * 0.99f + p * 0.00999999f;
}

juce::String LatiphonixBalanceGraph::getReadoutText() const
{
    const int q = readoutPosition.load();
    return q < 0 ? juce::String() : latiphonix::editor_rules::balanceReadoutText(q);
}

void LatiphonixBalanceGraph::render(int elapsedMs)
{
    juce::ignoreUnused(elapsedMs);
    if (resetRequested.exchange(false))
        reset();
    float left = 0.0f, right = 0.0f;
    if (peakSource && peakSource(left, right))
        update(left, right);

    if (halfWidth > 0.0f)
    {
        const float q = ((smoothed - centre) / halfWidth * 0.5f + 0.5f) * 200.0f;
        if (std::isfinite(q))
            readoutPosition.store((int)q);
    }
    draw();
}

void LatiphonixBalanceGraph::draw()
{
    auto* top = getOglComponent();
    if (top == nullptr)
        return;
    auto& cache = top->getStateCache();
    auto& gl = top->getGlApi();
    const float h = (float)getRenderBounds().getHeight();

    // Additive trail: newer segments brighter, overlaps add up.
    cache.setTexturing(false);
    cache.setBlending(true);
    cache.setBlendFunction(vk::GlEnum::one, vk::GlEnum::one);
    cache.apply();
    int i = (historyIndex + 1) % historyLength;
    float x0 = history[(size_t)i];
    gl.begin(vk::GlEnum::quads);
    for (int k = 2; k <= historyLength; ++k)
    {
        i = (i + 1) % historyLength;
        const float x1 = history[(size_t)i];
        const float t = (float)k / (float)historyLength;
        gl.color4f(t * 0.02f, 0.0f, t * 0.15f, 1.0f);
        gl.vertex2f(x0, 0.0f);
        gl.vertex2f(x0, h);
        gl.vertex2f(x1, h);
        gl.vertex2f(x1, 0.0f);
        x0 = x1;
    }
    gl.end();

    cache.setBlendFunction(vk::GlEnum::srcAlpha, vk::GlEnum::oneMinusSrcAlpha);
    cache.apply();
    // The trail's colours went around the cache, so the marker's is sent as it is.
    gl.color4f(0.5f, 0.5f, 0.5f, 1.0f);
    gl.begin(vk::GlEnum::quads);
    gl.vertex2f(smoothed - 1.0f, 0.0f);
    gl.vertex2f(smoothed - 1.0f, h);
    gl.vertex2f(smoothed + 1.0f, h);
    gl.vertex2f(smoothed + 1.0f, 0.0f);
    gl.end();
    cache.resetAll();
}
