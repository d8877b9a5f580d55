// Every block, real-time or offline, runs with flush-to-zero and denormals-are-zero, and hands the host's
// thread back in the floating-point mode it came with.

#include "test_processor.h"

#include <xmmintrin.h>

#include <string>
#include <vector>

namespace
{

constexpr unsigned kBothModes = 0x8040u;
// Every exception masked, rounding toward zero, the inexact flag already raised: nothing a block would
// leave this way by chance.
constexpr unsigned kHostMode = 0x1F80u | 0x6000u | 0x0020u;

// Notes the register each block of the algorithm runs with.
class ModeRecordingProcessor : public TestProcessor
{
public:
    void processAlgorithm(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override
    {
        seen.push_back(_mm_getcsr());
        TestProcessor::processAlgorithm(buffer, midi);
    }
    void processOfflineAnalysisBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override
    {
        seen.push_back(_mm_getcsr());
        TestProcessor::processOfflineAnalysisBlock(buffer, midi);
    }
    void processOfflineRenderBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override
    {
        seen.push_back(_mm_getcsr());
        TestProcessor::processOfflineRenderBlock(buffer, midi);
    }

    std::vector<unsigned> seen;
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
    for (const auto& [name, entry] : entries)
    {
        processor.seen.clear();
        const unsigned saved = _mm_getcsr();
        _mm_setcsr(kHostMode);
        entry(processor, buffer, midi);
        const unsigned after = _mm_getcsr();
        _mm_setcsr(saved);

        EXPECT_EQ(after, kHostMode) << name;
        ASSERT_FALSE(processor.seen.empty()) << name;
        for (unsigned inside : processor.seen)
        {
            EXPECT_EQ(inside & kBothModes, kBothModes) << name;
            EXPECT_EQ(inside & ~(kBothModes | 0x3Fu), kHostMode & ~0x3Fu) << name;
        }
    }
}

} // namespace
