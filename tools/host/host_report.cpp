#include "host_report.h"

#include <cmath>
#include <iostream>

namespace vkhost
{

void report(const juce::String& key, const juce::String& value)
{
    std::cout << key << "=" << value.replaceCharacters("\r\n", "  ") << std::endl;
}

void reportError(const juce::String& message)
{
    std::cerr << "error: " << message << std::endl;
    report("error", message);
}

void reportSignal(const juce::String& prefix, const juce::AudioBuffer<float>& buffer, int startSample)
{
    const int n = buffer.getNumSamples();
    const int first = juce::jlimit(0, n, startSample);
    report(prefix + ".channels", juce::String(buffer.getNumChannels()));
    report(prefix + ".samples", juce::String(n));
    bool identical = buffer.getNumChannels() > 1;
    bool finite = true;
    for (int c = 0; c < buffer.getNumChannels(); ++c)
    {
        const float* x = buffer.getReadPointer(c);
        double sum = 0.0;
        float peak = 0.0f;
        for (int s = first; s < n; ++s)
        {
            finite = finite && std::isfinite(x[s]);
            sum += double(x[s]) * x[s];
            peak = std::max(peak, std::abs(x[s]));
            if (c > 0 && x[s] != buffer.getReadPointer(0)[s])
                identical = false;
        }
        report(prefix + ".ch" + juce::String(c) + ".rms",
               juce::String(n > first ? std::sqrt(sum / (n - first)) : 0.0, 9));
        report(prefix + ".ch" + juce::String(c) + ".peak", juce::String(peak, 9));
    }
    report(prefix + ".identical_channels", identical ? "1" : "0");
    report(prefix + ".finite", finite ? "1" : "0");
}

void reportComparison(const juce::AudioBuffer<float>& output, const juce::AudioBuffer<float>& reference,
                      float tolerance)
{
    const int channels = std::min(output.getNumChannels(), reference.getNumChannels());
    const int n = std::min(output.getNumSamples(), reference.getNumSamples());
    juce::int64 firstDiff = -1;
    float maxDiff = 0.0f;
    for (int s = 0; s < n; ++s)
        for (int c = 0; c < channels; ++c)
        {
            const float d = std::abs(output.getSample(c, s) - reference.getSample(c, s));
            maxDiff = std::max(maxDiff, d);
            if (d > tolerance && firstDiff < 0)
                firstDiff = s;
        }
    report("compare.samples", juce::String(n));
    report("compare.first_diff_sample", juce::String(firstDiff));
    report("compare.max_abs_diff", juce::String(maxDiff, 9));
}

} // namespace vkhost
