#pragma once

#include "dsp/observer_frequency_domain.h"
#include "vk_ogl_component_texture.h"

#include <array>
#include <memory>
#include <vector>

namespace vk
{

/** One curve of a frequency graph: up to eight spectrum sources, and for each source point buffers of one
    entry per plot pixel (values written by the curve updates, held values with the time each was set, and
    two double buffers for the paint hooks), a running-average count, and two optional observers of its own
    for the first two sources.

    Not synchronised: the owning graph touches a curve only under its curve lock.
    Allocates in setLength and setObserver.
*/
class FreqGraphCurve
{
public:
    static constexpr int numSources = 8;
    static constexpr int maxLength = 65536;

    FreqGraphCurve();

    /** Frees and reallocates every buffer of all sources, zero-filled; the length is clamped to
        1..maxLength. */
    void setLength(int n);
    int getLength() const noexcept { return length; }

    /** Index outside 0..7: ignored / null. */
    void setSource(int k, VkJuceObserverFrequencyDomain* source) noexcept;
    VkJuceObserverFrequencyDomain* getSource(int k) const noexcept;
    /** Factor applied to source k when the source asks for curve gain; non-finite or negative is refused. */
    void setSourceGain(int k, float gain) noexcept;
    float getSourceGain(int k) const noexcept;

    /** Buffers of source k (0..7), each getLength() long; null for another k. */
    float* getValues(int k) noexcept;
    float* getHeldValues(int k) noexcept;
    int64_t* getHoldTimes(int k) noexcept;
    double* getExtraA(int k) noexcept;
    double* getExtraB(int k) noexcept;

    /** Zeroes values, held values and hold times of every source and restarts the average. */
    void clearData() noexcept;
    /** Zeroes the held values and hold times of source k. */
    void clearHeld(int k) noexcept;

    int getAverageCount() const noexcept { return averageCount; }
    /** Counts one more update and returns the count. */
    int countUpdate() noexcept { return ++averageCount; }
    void restartAverage() noexcept { averageCount = 0; }

    /** Observer 0 or 1; null when none. */
    VkJuceObserverFrequencyDomain* getObserver(int k) const noexcept;
    void setObserver(int k, std::unique_ptr<VkJuceObserverFrequencyDomain> observer);
    void setObserversOn(bool on) noexcept { observersOn = on; }
    bool areObserversOn() const noexcept { return observersOn; }

    VkOglComponentTexture& getTexture() noexcept { return texture; }

private:
    struct SourceBuffers
    {
        VkJuceObserverFrequencyDomain* source = nullptr;
        float gain = 1.0f;
        std::vector<float> values, held;
        std::vector<int64_t> holdTimes;
        std::vector<double> extraA, extraB;
    };
    std::array<SourceBuffers, numSources> sources;
    int averageCount = 0;
    std::array<std::unique_ptr<VkJuceObserverFrequencyDomain>, 2> observers;
    bool observersOn = false;
    VkOglComponentTexture texture;
    int length = 1;
};

} // namespace vk
