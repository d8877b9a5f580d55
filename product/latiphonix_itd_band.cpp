#include "product/latiphonix_itd_band.h"

namespace
{
constexpr float kQ = 1.0f;
constexpr float kGain = 1.0f;
} // namespace

void LatiphonixItdBand::Pair::design(float lowPassHz, float highPassHz, float sampleRate) noexcept
{
    lowPass.design(lowPassHz, kQ, sampleRate, kGain);
    highPass.design(highPassHz, kQ, sampleRate, kGain);
    lowHistory = {};
    highHistory = {};
}

bool LatiphonixItdBand::Pair::isOn(float lowPassHz, float highPassHz, float sampleRate) const noexcept
{
    return lowPass.getFrequency() == lowPassHz && highPass.getFrequency() == highPassHz &&
           lowPass.getSampleRate() == sampleRate && highPass.getSampleRate() == sampleRate;
}

void LatiphonixItdBand::resetAll() noexcept
{
    for (Pair& pair : m_pairs)
    {
        pair.lowPass.resetAll();
        pair.highPass.resetAll();
        pair.lowHistory = {};
        pair.highHistory = {};
    }
    m_current = 0;
    m_fadePosition = 0.0f;
    m_fadeStep = 0.0f;
}

void LatiphonixItdBand::reset(float lowPassHz, float highPassHz, float sampleRate) noexcept
{
    finishFade();
    m_pairs[std::size_t(m_current)].design(lowPassHz, highPassHz, sampleRate);
}

bool LatiphonixItdBand::retune(float lowPassHz, float highPassHz, float sampleRate, int fadeLength) noexcept
{
    if (isFading())
        return false;
    if (m_pairs[std::size_t(m_current)].isOn(lowPassHz, highPassHz, sampleRate))
        return true;
    m_pairs[std::size_t(1 - m_current)].design(lowPassHz, highPassHz, sampleRate);
    m_fadePosition = 0.0f;
    m_fadeStep = 1.0f / float(fadeLength > 0 ? fadeLength : 1);
    return true;
}

void LatiphonixItdBand::finishFade() noexcept
{
    if (!isFading())
        return;
    m_current = 1 - m_current;
    m_fadePosition = 0.0f;
    m_fadeStep = 0.0f;
}

void LatiphonixItdBand::clearHistory() noexcept
{
    for (Pair& pair : m_pairs)
    {
        pair.lowHistory = {};
        pair.highHistory = {};
    }
}

void LatiphonixItdBand::processSteady(float* samples, int from, int to) noexcept
{
    Pair& pair = m_pairs[std::size_t(m_current)];
    LatiphonixSection lowPass = LatiphonixSection::load(pair.lowPass, pair.lowHistory);
    LatiphonixSection highPass = LatiphonixSection::load(pair.highPass, pair.highHistory);
    for (int k = from; k < to; ++k)
        samples[k] = highPass.process(lowPass.process(samples[k]));
    pair.lowHistory = lowPass.h;
    pair.highHistory = highPass.h;
}

void LatiphonixItdBand::process(float* samples, int length) noexcept
{
    int k = 0;
    if (isFading())
    {
        Pair& from = m_pairs[std::size_t(m_current)];
        Pair& to = m_pairs[std::size_t(1 - m_current)];
        LatiphonixSection fromLow = LatiphonixSection::load(from.lowPass, from.lowHistory);
        LatiphonixSection fromHigh = LatiphonixSection::load(from.highPass, from.highHistory);
        LatiphonixSection toLow = LatiphonixSection::load(to.lowPass, to.lowHistory);
        LatiphonixSection toHigh = LatiphonixSection::load(to.highPass, to.highHistory);
        float position = m_fadePosition;
        for (; k < length && position < 1.0f; ++k)
        {
            const float x = samples[k];
            const float old = fromHigh.process(fromLow.process(x));
            const float next = toHigh.process(toLow.process(x));
            samples[k] = old + (next - old) * position;
            position += m_fadeStep;
        }
        from.lowHistory = fromLow.h;
        from.highHistory = fromHigh.h;
        to.lowHistory = toLow.h;
        to.highHistory = toHigh.h;
        m_fadePosition = position;
        if (position >= 1.0f)
            finishFade();
    }
    processSteady(samples, k, length);
}
