// Every block, real-time or offline, runs with flush-to-zero and denormals-are-zero, and hands the host's
// thread back in the floating-point mode it came with.

#include "test_processor.h"

#include "dsp/scoped_flush_to_zero.h"

#include <xmmintrin.h>

#include <limits>
#include <string>
#include <vector>

namespace
{

constexpr unsigned kBothModes = ScopedFlushToZero::kFlushToZero | ScopedFlushToZero::kDenormalsAreZero;
constexpr unsigned kStatusFlags = 0x3Fu;
constexpr unsigned kDefaultMode = 0x1F80u; // every exception masked, round to nearest

// Kept from the compiler, so that the arithmetic runs under the mode of the moment.
float opaque(float x)
{
    volatile float v = x;
    return v;
}

// Notes the register each block of the algorithm runs with, and whether a denormal operand and a denormal
// result come out as zero there.
class ModeRecordingProcessor : public TestProcessor
{
public:
    void processAlgorithm(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override
    {
        note();
        TestProcessor::processAlgorithm(buffer, midi);
    }
    void processOfflineAnalysisBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override
    {
        note();
        TestProcessor::processOfflineAnalysisBlock(buffer, midi);
    }
    void processOfflineRenderBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override
    {
        note();
        TestProcessor::processOfflineRenderBlock(buffer, midi);
    }
    void note()
    {
        constexpr float smallest = std::numeric_limits<float>::min();
        seen.push_back(_mm_getcsr());
        flushed = flushed && opaque(smallest) * opaque(0.25f) == 0.0f &&
                  opaque(smallest / 4) * opaque(8.0f) == 0.0f;
    }

    std::vector<unsigned> seen;
    bool flushed = true;
};

TEST_F(ProcessorTest, BlocksRunWithDenormalsFlushedAndGiveTheHostItsModeBack)
{
    ModeRecordingProcessor processor;
    juce::AudioBuffer<float> buffer(2, 1500);
    buffer.clear();
    juce::MidiBuffer midi;

    using Entry = void (*)(ModeRecordingProcessor&, juce::AudioBuffer<float>&, juce::MidiBuffer&);
    const std::pair<const char*, Entry> entries[] = {
        {"processBlock", [](auto& p, auto& b, auto& m) { p.processBlock(b, m); }},
        {"processBlockBypassed", [](auto& p, auto& b, auto& m) { p.processBlockBypassed(b, m); }},
        {"offline render mode",
         [](auto& p, auto& b, auto& m)
         {
             p.setProcessingMode(VkJuceProcessorBase::kProcessingOfflineRender);
             p.processBlock(b, m);
             p.setProcessingMode(VkJuceProcessorBase::kProcessingNormal);
         }},
        {"processOfflineRender", [](auto& p, auto& b, auto& m) { p.processOfflineRender(b, m); }},
        {"processOfflineAnalysis", [](auto& p, auto& b, auto& m) { p.processOfflineAnalysis(b, m); }},
    };
    // Hosts' modes: rounding toward zero with the inexact flag already raised (nothing a block would leave
    // this way by chance), and either of the two modes already set.
    const unsigned saved = _mm_getcsr();
    for (unsigned host : {kDefaultMode | 0x6000u | 0x0020u, kDefaultMode | ScopedFlushToZero::kFlushToZero,
                          kDefaultMode | ScopedFlushToZero::kDenormalsAreZero})
        for (const auto& [name, entry] : entries)
        {
            processor.seen.clear();
            _mm_setcsr(host);
            entry(processor, buffer, midi);
            const unsigned after = _mm_getcsr();
            _mm_setcsr(saved);

            const std::string where = std::string(name) + " from " + std::to_string(host);
            EXPECT_EQ(after, host) << where; // the flags raised inside are gone with the rest of the mode
            ASSERT_FALSE(processor.seen.empty()) << where;
            for (unsigned inside : processor.seen)
            {
                EXPECT_EQ(inside & kBothModes, kBothModes) << where;
                EXPECT_EQ(inside & ~(kBothModes | kStatusFlags), host & ~(kBothModes | kStatusFlags))
                    << where;
            }
        }
    EXPECT_TRUE(processor.flushed);
    // Without the modes the same arithmetic keeps the denormal (the check above can fail).
    _mm_setcsr(kDefaultMode);
    const float kept = opaque(std::numeric_limits<float>::min() / 4) * opaque(8.0f);
    _mm_setcsr(saved);
    EXPECT_EQ(kept, 2.0f * std::numeric_limits<float>::min());
}

} // namespace
