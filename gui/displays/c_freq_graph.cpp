#include "c_freq_graph.h"

#include "display_parameters.h"
#include "freq_axis.h"
#include "freq_band_tables.h"

#include "processor/vk_processor_base.h"

#include <cmath>

namespace vk
{

namespace
{
bool isFinite(float a, float b) noexcept
{
    return std::isfinite(a) && std::isfinite(b);
}

// Keeps [min, max] inside [lowest, highest] with at least `span` between them, moving the end that the
// caller did not ask to keep.
CFreqGraph::Range limitRange(float min, float max, float lowest, float highest, float span) noexcept
{
    min = juce::jlimit(lowest, highest - span, min);
    max = juce::jlimit(lowest + span, highest, max);
    if (max - min < span)
    {
        if (min + span <= highest)
            max = min + span;
        else
            min = max - span;
    }
    return {min, max};
}

// Zoom factors beyond this range mean a runaway drag; they would overflow exp() and produce inf or NaN.
double limitedExp(double x) noexcept
{
    return std::exp(juce::jlimit(-20.0, 20.0, x));
}
} // namespace

CFreqGraph::CFreqGraph(const DisplayClock& c) : VkJuceControl(juce::String()), clock(&c)
{
    attachedParameters.fill(noParameter);
    for (auto& a : layerAlphas)
        a.store(1.0f);
}

CFreqGraph::~CFreqGraph()
{
    leaveRenderWalk();
}

void CFreqGraph::setOglOwner(VkOglEditorOwner* editor)
{
    VkJuceControl::setOglOwner(editor);
    const juce::ScopedLock sl(curveLock);
    for (auto& c : curves)
        c->getTexture().setOglOwner(editor);
}

//==================================================================================================
// Curves

void CFreqGraph::render(int elapsedMs)
{
    juce::ignoreUnused(elapsedMs);
    if (getRenderBounds().isEmpty())
        return;
    const juce::ScopedLock sl(curveLock);
    paintUnderlay();
    paintBackground();
}

void CFreqGraph::paintBackground()
{
    paintGraph(false);
}

void CFreqGraph::setCurveLength(int n)
{
    const juce::ScopedLock sl(curveLock);
    for (auto& c : curves)
        c->setLength(std::max(1, n));
}

int CFreqGraph::getNumCurves() const
{
    const juce::ScopedLock sl(curveLock);
    return (int)curves.size();
}

FreqGraphCurve* CFreqGraph::getCurve(int i) const
{
    const juce::ScopedLock sl(curveLock);
    return i >= 0 && i < (int)curves.size() ? curves[(size_t)i].get() : nullptr;
}

void CFreqGraph::ensureCurves(int n)
{
    const juce::ScopedLock sl(curveLock);
    n = std::min(n, maxCurves);
    while ((int)curves.size() < n)
    {
        auto curve = std::make_unique<FreqGraphCurve>();
        curve->getTexture().setOglOwner(getOglOwner());
        curves.push_back(std::move(curve));
    }
}

void CFreqGraph::setSource(int slot, VkJuceObserverFrequencyDomain* source)
{
    if (slot < 0 || slot >= FreqGraphCurve::numSources)
        return;
    const juce::ScopedLock sl(curveLock);
    ensureCurves(1);
    curves[0]->setSource(slot, source);
    curves[0]->setLength(getWidth());
}

void CFreqGraph::setCurveExtras(bool on)
{
    const juce::ScopedLock sl(curveLock);
    for (auto& c : curves)
    {
        for (int k = 0; k < 2; ++k)
        {
            if (!on)
            {
                c->setObserver(k, nullptr);
                continue;
            }
            if (auto* existing = c->getObserver(k))
            {
                // A runaway spectrum (magnitude above 10^6, power above 10^12) would pin the curve: start
                // over.
                bool runaway = false;
                {
                    VkJuceObserverFrequencyDomain::Reader reader(*existing);
                    for (int i = 0; reader.isValid() && i < reader.size() && !runaway; ++i)
                        runaway = reader.data()[i] > 1.0e12;
                }
                if (runaway)
                    existing->clear();
            }
            else if (auto* source = c->getSource(k))
            {
                c->setObserver(
                    k, std::make_unique<VkJuceObserverFrequencyDomain>(2 * source->getHalfSize(), 22005.0f));
            }
        }
        c->setObserversOn(on);
    }
}

void CFreqGraph::clearCurves()
{
    const juce::ScopedLock sl(curveLock);
    for (auto& c : curves)
    {
        for (int k = 0; k < FreqGraphCurve::numSources; ++k)
            if (auto* source = c->getSource(k))
                source->clear();
        c->clearData();
    }
}

void CFreqGraph::markCurvesDirty(int k)
{
    if (k != 0 && k != 1)
        return;
    const juce::ScopedLock sl(curveLock);
    for (auto& c : curves)
        c->clearHeld(k);
}

double CFreqGraph::getSpectrumSampleRate() const
{
    auto* processor = getProcessor();
    if (processor == nullptr)
        return 1.0;
    const double rate = processor->getSampleRate();
    return rate > 0.0 ? rate : 44100.0;
}

void CFreqGraph::updateCurveBallistic(int sourceIndex, int curveIndex, bool ballistics, bool holdEnd,
                                      bool fullRange)
{
    updateCurve(UpdateKind::ballistic, sourceIndex, curveIndex, ballistics, holdEnd, fullRange);
}

void CFreqGraph::updateCurveSmoothed(int sourceIndex, int curveIndex, bool smooth, bool holdEnd,
                                     bool fullRange)
{
    updateCurve(UpdateKind::smoothed, sourceIndex, curveIndex, smooth, holdEnd, fullRange);
}

void CFreqGraph::updateCurve(UpdateKind kind, int k, int c, bool enabled, bool holdEnd, bool fullRange)
{
    const juce::ScopedLock sl(curveLock);
    auto* curve = getCurve(c);
    if (curve == nullptr || k < 0 || k >= FreqGraphCurve::numSources)
        return;
    VkJuceObserverFrequencyDomain* source = curve->getSource(k);
    if (curve->areObserversOn() && curve->getObserver(k) != nullptr)
    {
        source = curve->getObserver(k);
        if (kind == UpdateKind::ballistic)
            enabled = false;
    }
    if (source == nullptr || source->getHalfSize() <= 0)
        return;
    const double sampleRate = getSpectrumSampleRate();
    if (!(sampleRate > 0.0))
        return;
    // Skipped, never awaited: the next frame tries again.
    if (kind == UpdateKind::ballistic && !source->isDataReady())
        return;

    source->noteRead();
    double elapsedSeconds = 0.0;
    if (kind == UpdateKind::ballistic)
    {
        const int64_t now = clock->nowMs();
        const int64_t last = source->exchangeLastReadTime(now);
        elapsedSeconds = (double)std::max<int64_t>(0, now - last) / 1000.0;
    }

    const VkJuceObserverFrequencyDomain::Reader reader(*source);
    if (!reader.isValid() || reader.size() < source->getHalfSize() + 1)
        return;

    const int margin = leftMarginOn.load() ? leftMarginWidth.load() : 0;
    CurveUpdateGeometry g;
    g.binsPerHz = 2.0 * source->getHalfSize() / sampleRate;
    const Range r = fullRange ? xRange : xDisplay;
    g.minHz = r.min;
    g.maxHz = r.max;
    g.pixels = curve->getLength() - margin;
    g.gain = (double)source->getGain() * (source->usesCurveGain() ? (double)curve->getSourceGain(k) : 1.0);
    g.previousFloor = kind == UpdateKind::ballistic ? 1e-8 : 1e-10;
    g.holdEnd = holdEnd;

    CurveSmoothingRule rule;
    if (averaging)
    {
        rule.kind = CurveSmoothingRule::Kind::average;
        const int updates = curve->countUpdate();
        rule.averageCoefficient = fixedAverageOn ? (double)fixedAverageCoefficient : 1.0 - 1.0 / updates;
    }
    else if (kind == UpdateKind::ballistic)
    {
        rule = CurveSmoothingRule::ballistic(enabled, elapsedSeconds, riseRate, fallRate);
    }
    else
    {
        rule.kind = CurveSmoothingRule::Kind::smoothed;
        rule.attack = enabled ? attack : 0.0;
        rule.release = enabled ? release : 0.0;
    }

    const SpectrumView spectrum{reader.data(), source->getHalfSize()};
    peakValue = 0.0f;
    double peak = 0.0;
    if (bandRatio == 0.0f)
        peak = updateCurvePerPixel(spectrum, g, rule, curve->getValues(k));
    else
        peak = updateCurveBands(spectrum, g, bandRatio, bandTable, rule, curve->getValues(k), firstBandWidth);
    peakValue = (float)peak;
}

//==================================================================================================
// Ranges

void CFreqGraph::setXRange(float min, float max, float viewMin, float viewMax)
{
    if (!isFinite(min, max) || !(min > 0.0f) || !(max - min >= minimumFrequencySpan))
        return;
    if (viewMin == noView)
        viewMin = min;
    if (viewMax == noView)
        viewMax = max;
    if (!isFinite(viewMin, viewMax))
        return;
    const juce::ScopedLock sl(curveLock);
    xRange = {min, max};
    xView = limitRange(viewMin, viewMax, min, max, minimumFrequencySpan);
    xDisplay = limitRange(xDisplay.min, xDisplay.max, min, max, minimumFrequencySpan);
}

void CFreqGraph::setYRange(float min, float max, float viewMin, float viewMax)
{
    if (!isFinite(min, max) || !(max - min >= minimumLevelSpan))
        return;
    if (viewMin == noView)
        viewMin = min;
    if (viewMax == noView)
        viewMax = max;
    if (!isFinite(viewMin, viewMax))
        return;
    const juce::ScopedLock sl(curveLock);
    yRange = {min, max};
    yView = limitRange(viewMin, viewMax, min, max, minimumLevelSpan);
    yDisplay = limitRange(yDisplay.min, yDisplay.max, min, max, minimumLevelSpan);
}

void CFreqGraph::setXDisplayRange(float min, float max)
{
    setXDisplayRangeForZone(min, max, barZone);
}

void CFreqGraph::setXDisplayRangeForZone(float min, float max, int zone)
{
    if (!isFinite(min, max))
        return;
    Range next{};
    {
        const juce::ScopedLock sl(curveLock);
        // A zone drag moves only its own end, so the span is kept by limiting that end alone.
        if (zone == 0)
            next = {juce::jlimit(xRange.min, xDisplay.max - minimumFrequencySpan, min), xDisplay.max};
        else if (zone == 2)
            next = {xDisplay.min, juce::jlimit(xDisplay.min + minimumFrequencySpan, xRange.max, max)};
        else
            next = limitRange(min, max, xRange.min, xRange.max, minimumFrequencySpan);
        if (next.min == xDisplay.min && next.max == xDisplay.max)
            return;
        xDisplay = next;
    }
    sendDisplayParameter(xDisplayMinParameter, (next.min - 20.0f) / 21980.0f);
    sendDisplayParameter(xDisplayMaxParameter, (next.max - 20.0f) / 21980.0f);
    markCurvesDirty(0);
    markCurvesDirty(1);
    const juce::ScopedLock sl(curveLock);
    if (averaging)
        for (auto& c : curves)
            c->restartAverage();
}

void CFreqGraph::setYDisplayRange(float min, float max, bool notify)
{
    if (!isFinite(min, max))
        return;
    Range next{};
    {
        const juce::ScopedLock sl(curveLock);
        next = limitRange(min, max, yRange.min, yRange.max, minimumLevelSpan);
        if (next.min == yDisplay.min && next.max == yDisplay.max)
            return;
        yDisplay = next;
    }
    if (notify)
    {
        sendDisplayParameter(yDisplayMinParameter, (next.min + 100.0f) / 100.0f);
        sendDisplayParameter(yDisplayMaxParameter, (next.max + 100.0f) / 100.0f);
    }
    markCurvesDirty(0);
    markCurvesDirty(1);
}

void CFreqGraph::resetYDisplayRange()
{
    const Range view = getYView();
    setYDisplayRange(view.min, view.max, true);
}

void CFreqGraph::sendDisplayParameter(int slot, float value)
{
    setDisplayParameter(getProcessor(), attachedParameters[(size_t)slot], value);
}

void CFreqGraph::setAttachedParameter(int slot, int parameterIndex)
{
    if (slot >= 0 && slot < numAttachedParameters)
        attachedParameters[(size_t)slot] = parameterIndex;
}

int CFreqGraph::getAttachedParameter(int slot) const
{
    return slot >= 0 && slot < numAttachedParameters ? attachedParameters[(size_t)slot] : noParameter;
}

CFreqGraph::Range CFreqGraph::getXRange() const
{
    return readLocked(xRange);
}

CFreqGraph::Range CFreqGraph::getXView() const
{
    return readLocked(xView);
}

CFreqGraph::Range CFreqGraph::getXDisplayRange() const
{
    return readLocked(xDisplay);
}

CFreqGraph::Range CFreqGraph::getYRange() const
{
    return readLocked(yRange);
}

CFreqGraph::Range CFreqGraph::getYView() const
{
    return readLocked(yView);
}

CFreqGraph::Range CFreqGraph::getYDisplayRange() const
{
    return readLocked(yDisplay);
}

//==================================================================================================
// Settings

void CFreqGraph::setCurveRiseTime(float seconds)
{
    if (!std::isfinite(seconds) || seconds < 0.0f)
        return;
    const juce::ScopedLock sl(curveLock);
    riseRate = seconds == 0.0f ? 1000.0f : 20.0f / seconds;
}

void CFreqGraph::setCurveFallTime(float seconds)
{
    if (!std::isfinite(seconds) || seconds < 0.0f)
        return;
    const juce::ScopedLock sl(curveLock);
    fallRate = seconds == 0.0f ? 1000.0f : 20.0f / seconds;
}

float CFreqGraph::getRiseRate() const
{
    return readLocked(riseRate);
}

float CFreqGraph::getFallRate() const
{
    return readLocked(fallRate);
}

void CFreqGraph::setAttackRelease(float newAttack, float newRelease)
{
    if (!isFinite(newAttack, newRelease))
        return;
    const juce::ScopedLock sl(curveLock);
    attack = juce::jlimit(0.0f, 1.0f, newAttack);
    release = juce::jlimit(0.0f, 1.0f, newRelease);
}

void CFreqGraph::setAveraging(bool on)
{
    const juce::ScopedLock sl(curveLock);
    averaging = on;
}

void CFreqGraph::setFixedAverage(bool on, float coefficient)
{
    if (on && (!std::isfinite(coefficient) || coefficient < 0.0f || coefficient > 1.0f))
        return;
    const juce::ScopedLock sl(curveLock);
    fixedAverageOn = on;
    if (on)
        fixedAverageCoefficient = coefficient;
}

void CFreqGraph::setBandRatio(float ratio)
{
    if (!(ratio == 0.0f || ratio == -1.0f || ratio > 1.001f) || !std::isfinite(ratio))
        return;
    const juce::ScopedLock sl(curveLock);
    bandRatio = ratio;
}

float CFreqGraph::getBandRatio() const
{
    return readLocked(bandRatio);
}

void CFreqGraph::setBandTable(int row)
{
    if (row < 0 || row >= FreqBandTables::numRows)
        return;
    const juce::ScopedLock sl(curveLock);
    bandTable = row;
}

int CFreqGraph::getBandTable() const
{
    return readLocked(bandTable);
}

int CFreqGraph::getFirstBandWidth() const
{
    return readLocked(firstBandWidth);
}

float CFreqGraph::getPeakValue() const
{
    return readLocked(peakValue);
}

float CFreqGraph::getLayerAlpha(int layer) const noexcept
{
    return layer >= 0 && layer < numLayers ? layerAlphas[(size_t)layer].load() : 1.0f;
}

juce::String CFreqGraph::getReadoutText() const
{
    return readLocked(readoutText);
}

void CFreqGraph::setBottomBar(bool on, int heightPixels)
{
    bottomBarOn = on;
    bottomBarHeight = std::max(0, heightPixels);
}

void CFreqGraph::setSideBar(bool on, int widthPixels)
{
    sideBarOn = on;
    sideBarWidth = std::max(0, widthPixels);
}

void CFreqGraph::setLeftMargin(bool on, int widthPixels)
{
    leftMarginOn.store(on);
    leftMarginWidth.store(std::max(0, widthPixels));
}

void CFreqGraph::setColours(juce::Colour background, juce::Colour second, juce::Colour third) noexcept
{
    backgroundColour.set(background);
    secondColour.set(second);
    thirdColour.set(third);
}

//==================================================================================================
// Axis, labels and mouse

juce::String CFreqGraph::getFrequencyLabel(double hz) const
{
    return FreqAxis::frequencyLabel(hz, getBandTable());
}

int CFreqGraph::getPlotLeft() const noexcept
{
    return leftMarginOn.load() ? leftMarginWidth.load() : 0;
}

int CFreqGraph::getPlotWidth() const noexcept
{
    return std::max(1, getWidth() - getPlotLeft());
}

double CFreqGraph::getFrequencyAtX(float x) const
{
    const Range r = getXDisplayRange();
    return FreqAxis::frequencyAtPixel((double)x - getPlotLeft(), getPlotWidth(), r.min, r.max);
}

void CFreqGraph::showFrequency(const juce::MouseEvent& event, double hz)
{
    juce::ignoreUnused(event);
    const juce::String label = getFrequencyLabel(hz);
    const juce::ScopedLock sl(curveLock);
    readoutText = label;
}

bool CFreqGraph::isOverBottomBar(float y) const noexcept
{
    return bottomBarOn && y >= (float)(getHeight() - bottomBarHeight);
}

bool CFreqGraph::isOverSideBar(float x) const noexcept
{
    return sideBarOn && x >= (float)(getWidth() - sideBarWidth);
}

int CFreqGraph::zoneFor(float x) const noexcept
{
    if (!zonesOn)
        return 1;
    const float px = x - (float)getPlotLeft();
    const float w = (float)getPlotWidth();
    return px < w * 0.25f ? 0 : (px > w * 0.75f ? 2 : 1);
}

bool CFreqGraph::onPress(const juce::MouseEvent& event)
{
    juce::ignoreUnused(event);
    return false;
}

void CFreqGraph::onPlotClick(const juce::MouseEvent& event)
{
    juce::ignoreUnused(event);
    clearCurves();
}

void CFreqGraph::mouseMove(const juce::MouseEvent& event)
{
    try
    {
        mouseMode = 0;
        const auto pos = event.position;
        if (isOverBottomBar(pos.y))
        {
            mouseMode = 1;
            barZone = zoneFor(pos.x);
            setMouseCursor(juce::MouseCursor::UpDownLeftRightResizeCursor);
        }
        else if (isOverSideBar(pos.x))
        {
            mouseMode = 2;
            setMouseCursor(juce::MouseCursor::UpDownLeftRightResizeCursor);
        }
        else if (readoutOn)
        {
            setMouseCursor(juce::MouseCursor::NormalCursor);
            showFrequency(event, getFrequencyAtX(pos.x));
        }
    }
    catch (...)
    {
        // The readout is cosmetic; a failure in a product hook must not take the editor down.
    }
}

void CFreqGraph::mouseDown(const juce::MouseEvent& event)
{
    try
    {
        beginChangeGesture();
        if (onPress(event))
            return;
        const auto pos = event.position;
        if (event.mods.isRightButtonDown())
        {
            const double hz = getFrequencyAtX(pos.x);
            onRightClick(event, getBandTable() == 4 ? FreqAxis::snapToNote(hz) : hz);
        }
        if (isOverBottomBar(pos.y))
        {
            if (event.mods.isCtrlDown())
            {
                const Range view = getXView();
                setXDisplayRangeForZone(view.min, view.max, 1); // both ends, whatever zone was last
            }
            barZone = zoneFor(pos.x);
            mouseMode = 3;
            setMouseCursor(juce::MouseCursor::UpDownLeftRightResizeCursor);
            lastMousePosition = pos;
        }
        else if (isOverSideBar(pos.x))
        {
            if (event.mods.isCtrlDown())
                resetYDisplayRange();
            mouseMode = 4;
            setMouseCursor(juce::MouseCursor::UpDownLeftRightResizeCursor);
            lastMousePosition = pos;
        }
        else
        {
            setMouseCursor(juce::MouseCursor::NormalCursor);
            onPlotClick(event);
        }
        onMouseEvent(event);
    }
    catch (...)
    {
        // As in mouseMove: a product hook's failure ends this press quietly.
    }
}

void CFreqGraph::mouseDrag(const juce::MouseEvent& event)
{
    onMouseEvent(event);
    if (mouseMode == 3)
        dragBottomBar(event);
    else if (mouseMode == 4)
        dragSideBar(event);
    else
        onPlotDrag(event);
}

void CFreqGraph::mouseUp(const juce::MouseEvent& event)
{
    juce::ignoreUnused(event);
    endChangeGesture();
}

void CFreqGraph::mouseExit(const juce::MouseEvent& event)
{
    juce::ignoreUnused(event);
    mouseMode = 0;
    barZone = 1;
    const juce::ScopedLock sl(curveLock);
    readoutText.clear();
}

void CFreqGraph::dragBottomBar(const juce::MouseEvent& event)
{
    const auto pos = event.position;
    if (pos == lastMousePosition || !isFinite(pos.x, pos.y))
        return;
    const double s = event.mods.isShiftDown() ? 0.1 : 1.0;
    const Range display = getXDisplayRange();
    const Range range = getXRange();
    const double lo = std::log(display.min), hi = std::log(display.max);
    const double w = getPlotWidth();
    const double c = lo + (hi - lo) * ((double)pos.x - getPlotLeft()) / w;
    double z = limitedExp(((double)pos.y - lastMousePosition.y) * 0.01 * s);
    if (z < 1.0 && display.max - display.min <= minimumFrequencySpan)
        z = 1.0;
    const double p = ((double)pos.x - lastMousePosition.x) * (hi - lo) / w * s;
    const double newMin = juce::jlimit((double)range.min, (double)range.max - minimumFrequencySpan,
                                       std::exp((lo - c) * z + c - p));
    const double newMax = juce::jlimit((double)range.min + minimumFrequencySpan, (double)range.max,
                                       std::exp((hi - c) * z + c - p));
    lastMousePosition = pos;
    setXDisplayRange((float)newMin, (float)newMax);
}

void CFreqGraph::dragSideBar(const juce::MouseEvent& event)
{
    const auto pos = event.position;
    if (pos == lastMousePosition || !isFinite(pos.x, pos.y))
        return;
    const double s = event.mods.isShiftDown() ? 0.1 : 1.0;
    const Range display = getYDisplayRange();
    const Range range = getYRange();
    const double lo = display.min, hi = display.max;
    const double h = std::max(1, getHeight());
    const double c = hi - (hi - lo) * (double)pos.y / h; // the top edge is the display maximum
    double z = limitedExp(((double)lastMousePosition.x - pos.x) * 0.01 * s);
    if (z < 1.0 && hi - lo <= minimumLevelSpan)
        z = 1.0;
    // Dragging down moves the scale with the pointer: the levels shown rise.
    const double p = ((double)pos.y - lastMousePosition.y) * (hi - lo) / h * s;
    const double newMin =
        juce::jlimit((double)range.min, (double)range.max - minimumLevelSpan, (lo - c) * z + c + p);
    const double newMax =
        juce::jlimit((double)range.min + minimumLevelSpan, (double)range.max, (hi - c) * z + c + p);
    lastMousePosition = pos;
    setYDisplayRange((float)newMin, (float)newMax, true);
}

void CFreqGraph::resized()
{
    setCurveLength(getWidth());
    updateFade(getX(), getY());
    const float alpha = VkComponentFadeEffect::getAlpha();
    for (auto& a : layerAlphas)
        a.store(alpha);
}

} // namespace vk
