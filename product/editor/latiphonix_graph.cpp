#include "latiphonix_graph.h"

#include "fan_geometry.h"

#include "vk_ogl_component.h"

LatiphonixGraph::LatiphonixGraph(const vk::DisplayClock& clock, latiphonix::GlListApi* listApi)
    : vk::CFreqGraph(clock), displayClock(&clock), injectedListApi(listApi)
{
    particleTexture.loadFromResource("Graph_particle_png");
    particleTexture.setName("Graph_particle_png");
    particleTexture.setBlendFactors(vk::GlEnum::srcAlpha, vk::GlEnum::one);
    ensureCurves(1);
    setCurveLength(numPoints);
}

LatiphonixGraph::~LatiphonixGraph()
{
    leaveRenderWalk();
}

void LatiphonixGraph::setOglOwner(vk::VkOglEditorOwner* editor)
{
    vk::CFreqGraph::setOglOwner(editor);
    particleTexture.setOglOwner(editor);
}

latiphonix::GlListApi& LatiphonixGraph::listCalls()
{
    if (injectedListApi != nullptr)
        return *injectedListApi;
    if (contextListApi == nullptr)
        contextListApi = std::make_unique<latiphonix::JuceGlListApi>(getOglComponent()->getContext());
    return *contextListApi;
}

void LatiphonixGraph::makeLists(latiphonix::GlListApi& api)
{
    const uint32_t first = api.genLists(numLists);
    for (int i = 0; i < numLists; ++i)
    {
        lists[(size_t)i] = first != 0 ? first + (uint32_t)i : 0;
        if (first != 0)
        {
            api.newList(lists[(size_t)i]);
            api.endList();
        }
        listTimes[(size_t)i] = 0;
    }
}

float LatiphonixGraph::ageLevel(juce::int64 ageMs) noexcept
{
    const double age = (double)std::max<juce::int64>(ageMs, 0);
    return (float)(int)(255.0 - age * 0.000255) / 1700.0f;
}

LatiphonixGraph::Particle LatiphonixGraph::particleFor(int i, int n, float left, float right, float m,
                                                       float textureWidth, juce::Point<float> centre,
                                                       float height) noexcept
{
    const float d = left - right, s = left + right;
    const float r = s > m ? d / s : 0.0f;
    const float T = textureWidth, c = centre.x;
    float u = std::fabs(r) * (2.0f * T + c - 13.0f);
    float half = T;
    if (u <= T)
    {
        half = u;
        u = T;
    }
    else if (u >= T + c)
    {
        half = T - (u - (T + c));
        u = T + c;
    }
    float a = (u - T) / c * latiphonix::FanGeometry::maxAngle;
    if (d > 0.0f)
        a = -a;
    const float radius = height - (float)((n - i) * 4);
    return {(float)(int)(centre.x + std::sin(a) * radius), (float)(int)(centre.y - std::cos(a) * radius),
            half};
}

void LatiphonixGraph::recordRow(latiphonix::GlListApi& api, vk::FreqGraphCurve& curve, juce::int64 now)
{
    const int n = curve.getLength();
    const float* left = curve.getValues(0);
    const float* right = curve.getValues(1);
    float m = 0.0f;
    for (int i = 0; i < n; ++i)
        m = std::max(m, left[i] + right[i]);
    m = std::max(m / (float)n * 0.5f, 0.001f);

    lastRecordTime = now;
    const int list = nextList;
    listTimes[(size_t)list] = now;
    rowAreas[(size_t)list] = {};
    nextList = (nextList + 1) % numLists;
    if (lists[(size_t)list] == 0)
        return;

    const auto bounds = getRenderBounds();
    const latiphonix::FanGeometry fan{bounds.toFloat(), 176.0f};
    const auto centre = fan.centre();
    const float T = (float)particleTexture.getImage().getWidth();
    const float uMax = particleTexture.getExtentU(), vMax = particleTexture.getExtentV();
    auto& gl = getOglComponent()->getGlApi();
    api.newList(lists[(size_t)list]);
    gl.begin(vk::GlEnum::quads);
    auto& area = rowAreas[(size_t)list];
    for (int i = 0; i < n; ++i)
    {
        const auto p = particleFor(i, n, left[i], right[i], m, T, centre, (float)bounds.getHeight());
        if (!(p.halfSize > 0.0f))
            continue; // nothing to see, and one quad fewer per frame
        const juce::Rectangle<float> square{p.x - p.halfSize, p.y - p.halfSize, 2.0f * p.halfSize,
                                            2.0f * p.halfSize};
        area = area.isEmpty() ? square : area.getUnion(square);
        gl.texCoord2f(0.0f, 0.0f);
        gl.vertex2f(p.x - p.halfSize, p.y - p.halfSize);
        gl.texCoord2f(0.0f, vMax);
        gl.vertex2f(p.x - p.halfSize, p.y + p.halfSize);
        gl.texCoord2f(uMax, vMax);
        gl.vertex2f(p.x + p.halfSize, p.y + p.halfSize);
        gl.texCoord2f(uMax, 0.0f);
        gl.vertex2f(p.x + p.halfSize, p.y - p.halfSize);
    }
    gl.end();
    api.endList();
}

void LatiphonixGraph::drawRow(latiphonix::GlListApi& api, int i, float level)
{
    if (lists[(size_t)i] == 0 || listTimes[(size_t)i] == 0)
        return;
    getOglComponent()->getGlApi().color4f(level * 0.25f, level * 0.25f, level * 0.5f, 1.0f);
    api.callList(lists[(size_t)i]);
}

void LatiphonixGraph::updateCanvas(latiphonix::GlListApi& api, vk::FreqGraphCurve& curve, juce::int64 now,
                                   bool recordDue, bool fresh)
{
    // The canvas holds the sum of the live rows. A new row is added once and the one it replaces is
    // subtracted again, so a frame draws two rows instead of all ten. Every so often the sum is made anew,
    // so that the rounding of many additions and subtractions never shows.
    const bool rebuild = fresh || canvasStale || rowsSinceRebuild >= rebuildInterval;
    if (recordDue)
    {
        const int replaced = nextList;
        if (!rebuild && listTimes[(size_t)replaced] != 0)
        {
            api.setSubtractive(true);
            drawRow(api, replaced, canvasLevels[(size_t)replaced]);
            api.setSubtractive(false);
        }
        recordRow(api, curve, now);
        ++rowsSinceRebuild;
        canvasLevels[(size_t)replaced] = ageLevel(0);
        if (!rebuild)
            drawRow(api, replaced, canvasLevels[(size_t)replaced]);
    }
    if (rebuild)
    {
        api.clearOffscreen();
        for (int i = 0; i < numLists; ++i)
        {
            canvasLevels[(size_t)i] = ageLevel(now - listTimes[(size_t)i]);
            drawRow(api, i, canvasLevels[(size_t)i]);
        }
        canvasStale = false;
        rowsSinceRebuild = 0;
    }
}

void LatiphonixGraph::composeCanvas(uint32_t texture)
{
    if (texture == 0)
        return;
    // Only where the live rows drew: in silence nothing at all, and a full-size quad magnified from the
    // canvas is a large share of a frame on a software driver.
    juce::Rectangle<float> drawn;
    for (int i = 0; i < numLists; ++i)
        if (listTimes[(size_t)i] != 0 && !rowAreas[(size_t)i].isEmpty())
            drawn = drawn.isEmpty() ? rowAreas[(size_t)i] : drawn.getUnion(rowAreas[(size_t)i]);
    auto* top = getOglComponent();
    const auto editorBounds = top->getRenderBounds();
    const float w = (float)editorBounds.getWidth(), h = (float)editorBounds.getHeight();
    const auto position = getRenderBounds().getPosition().toFloat();
    // In editor pixels, widened by a canvas pixel for the filter and snapped outward to whole canvas pixels.
    const float d = (float)canvasDivisor;
    const auto editorArea = drawn.translated(position.x, position.y).expanded(d);
    const float x0 = std::max(0.0f, std::floor(editorArea.getX() / d) * d);
    const float y0 = std::max(0.0f, std::floor(editorArea.getY() / d) * d);
    const float x1 = std::min(w, std::ceil(editorArea.getRight() / d) * d);
    const float y1 = std::min(h, std::ceil(editorArea.getBottom() / d) * d);
    if (drawn.isEmpty() || x1 <= x0 || y1 <= y0)
        return;

    auto& cache = top->getStateCache();
    auto& gl = top->getGlApi();
    cache.setBlendFunction(vk::GlEnum::one, vk::GlEnum::one);
    cache.apply();
    // The rows' colours went around the cache, so the colour is sent as it is.
    gl.color4f(1.0f, 1.0f, 1.0f, 1.0f);
    gl.bindTexture(vk::GlEnum::texture2D, texture);
    // The canvas spans the whole editor and its first row is the bottom; drawn in this graph's coordinates.
    const float gx = position.x, gy = position.y;
    gl.begin(vk::GlEnum::quads);
    gl.texCoord2f(x0 / w, 1.0f - y0 / h);
    gl.vertex2f(x0 - gx, y0 - gy);
    gl.texCoord2f(x0 / w, 1.0f - y1 / h);
    gl.vertex2f(x0 - gx, y1 - gy);
    gl.texCoord2f(x1 / w, 1.0f - y1 / h);
    gl.vertex2f(x1 - gx, y1 - gy);
    gl.texCoord2f(x1 / w, 1.0f - y0 / h);
    gl.vertex2f(x1 - gx, y0 - gy);
    gl.end();
}

void LatiphonixGraph::render(int elapsedMs)
{
    juce::ignoreUnused(elapsedMs);
    auto* top = getOglComponent();
    if (top == nullptr || getRenderBounds().isEmpty())
        return;
    const juce::ScopedLock sl(getCurveLock());
    auto* curve = getCurve(0);
    if (curve == nullptr || curve->getSource(0) == nullptr || curve->getSource(1) == nullptr)
        return;

    auto& api = listCalls();
    const uint64_t token = api.contextToken();
    if (token == 0)
        return;
    const bool reset = resetRequested.exchange(false);
    if (reset)
    {
        clearCurves();
        lastRecordTime = 0;
        nextList = 0;
        canvasStale = true;
    }
    if (token != listToken)
    {
        // A new context: the old ids died with the old one.
        listToken = token;
        makeLists(api);
        canvasStale = true;
    }
    else if (reset)
    {
        for (size_t i = 0; i < lists.size(); ++i)
        {
            listTimes[i] = 0;
            if (lists[i] != 0)
            {
                api.newList(lists[i]);
                api.endList();
            }
        }
    }
    if (curve->getLength() != numPoints)
        curve->setLength(numPoints);

    auto& cache = top->getStateCache();
    api.pushAllAttrib();
    // Most of each particle's square is fully transparent; skipping those fragments halves the blending
    // work of a software driver.
    api.discardTransparentFragments();
    particleTexture.upload(*this);
    if (particleTexture.getTextureId() != 0)
    {
        cache.setBlending(true);
        cache.setBlendFunction(vk::GlEnum::srcAlpha, vk::GlEnum::one);
        cache.apply();
        top->getGlApi().texEnvf(vk::GlEnum::textureEnv, vk::GlEnum::textureEnvMode,
                                (float)vk::GlEnum::modulate);

        updateCurveBallistic(0, 0, false, true, true);
        updateCurveBallistic(1, 0, false, true, true);

        const juce::int64 now = displayClock->nowMs();
        if (now < lastRecordTime)
            lastRecordTime = 0;
        const bool recordDue = now - lastRecordTime >= recordIntervalMs;

        // The particles are soft blobs: drawn at a third of the resolution into a canvas and laid over the
        // editor they look the same, at a ninth of the blending work (most of a frame on a software driver).
        const auto editorBounds = top->getRenderBounds();
        const int w = editorBounds.getWidth(), h = editorBounds.getHeight();
        const auto canvas = api.beginOffscreen(w / canvasDivisor, h / canvasDivisor);
        if (canvas == latiphonix::GlListApi::Canvas::none)
        {
            if (recordDue)
                recordRow(api, *curve, now);
            for (int i = 0; i < numLists; ++i)
                drawRow(api, i, ageLevel(now - listTimes[(size_t)i]));
        }
        else
        {
            updateCanvas(api, *curve, now, recordDue, canvas == latiphonix::GlListApi::Canvas::fresh);
            api.endOffscreen();
            composeCanvas(api.offscreenTexture());
        }
    }
    api.popAttrib();
    // GL is back where it was before the push; the cache must not trust what it last sent.
    cache.resetAll();
}
