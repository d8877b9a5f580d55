#include "editor_capture.h"

#include "vk_ogl_component.h"

namespace latiphonix
{

bool pumpUntil(const std::function<bool()>& pred, int boundMs)
{
    return vk::test::pumpUntil(pred, boundMs);
}

CapturingEditor::CapturingEditor(LatiphonixProcessor& processor) : LatiphonixEditor(processor) {}

CapturingEditor::~CapturingEditor()
{
    getOglComponent().stopRenderThread();
}

bool CapturingEditor::openWindow(int boundMs)
{
    addToDesktop(0);
    setVisible(true);
    return pumpUntil([this] { return getOglComponent().getFrameCount() >= 2; }, boundMs);
}

void CapturingEditor::pump(int ms, const std::function<void()>& between)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)ms;
    while (juce::Time::getMillisecondCounter() < end)
    {
        if (between)
            between();
        if (!juce::dispatchNextMessageOnSystemQueue(true))
            juce::Thread::sleep(1);
    }
}

void CapturingEditor::drawOverlayHook()
{
    LatiphonixEditor::drawOverlayHook();
    readback.captureIfRequested(getOglComponent());
}

juce::Image CapturingEditor::captureFrame(int boundMs)
{
    return readback.read(getOglComponent(), boundMs) ? readback.image() : juce::Image();
}

void CapturingEditor::clickAt(juce::Point<float> pos)
{
    auto* peer = getPeer();
    if (peer == nullptr)
        return;
    const auto t = (juce::int64)juce::Time::getMillisecondCounter();
    const auto type = juce::MouseInputSource::InputSourceType::mouse;
    peer->handleMouseEvent(type, pos, juce::ModifierKeys(), juce::MouseInputSource::defaultPressure, 0.0f, t);
    peer->handleMouseEvent(type, pos, juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier),
                           juce::MouseInputSource::defaultPressure, 0.0f, t + 1);
    peer->handleMouseEvent(type, pos, juce::ModifierKeys(), juce::MouseInputSource::defaultPressure, 0.0f,
                           t + 2);
}

void CapturingEditor::dragBy(juce::Point<float> from, juce::Point<float> by)
{
    auto* peer = getPeer();
    if (peer == nullptr)
        return;
    const auto t = (juce::int64)juce::Time::getMillisecondCounter();
    const auto down = juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier);
    const auto type = juce::MouseInputSource::InputSourceType::mouse;
    const auto pressure = juce::MouseInputSource::defaultPressure;
    peer->handleMouseEvent(type, from, juce::ModifierKeys(), pressure, 0.0f, t);
    peer->handleMouseEvent(type, from, down, pressure, 0.0f, t + 1);
    for (int step = 1; step <= 4; ++step)
        peer->handleMouseEvent(type, from + by * ((float)step / 4.0f), down, pressure, 0.0f,
                               t + 1 + 25 * step);
    peer->handleMouseEvent(type, from + by, juce::ModifierKeys(), pressure, 0.0f, t + 150);
}

void fillDemoBlock(juce::AudioBuffer<float>& buffer, double sampleRate, juce::int64 start,
                   juce::Random& random)
{
    auto* left = buffer.getWritePointer(0);
    auto* right = buffer.getWritePointer(1);
    const double twoPi = juce::MathConstants<double>::twoPi;
    for (int i = 0; i < buffer.getNumSamples(); ++i)
    {
        const double t = (double)(start + i) / sampleRate;
        const float bed = (random.nextFloat() * 2.0f - 1.0f) * 0.25f;
        const float low = (float)std::sin(twoPi * 180.0 * t) * 0.35f;
        const float high = (float)std::sin(twoPi * 3100.0 * t) * 0.2f;
        // Peaks near -6 dBFS, as a mixed track would have.
        left[i] = 0.55f * (bed + low + (random.nextFloat() * 2.0f - 1.0f) * 0.12f + high * 0.2f);
        right[i] = 0.55f * (bed * 0.8f + low * 0.3f + high + (random.nextFloat() * 2.0f - 1.0f) * 0.2f);
    }
}

} // namespace latiphonix

#include "tests/gui/display_test_support.h"

bool latiphonix::prepareDisplay()
{
    return vk::test::hasDisplay() && vk::test::internWindowManagerAtoms();
}
