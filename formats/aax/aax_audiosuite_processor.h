#pragma once

// The AudioSuite (offline, file-based) processor of one AAX instance: runs the instance's processor in
// the processor's analysis and render passes, window by window, and removes the processor's latency from
// the rendered result. The first window of a render pass drops the delayed start of the output; every
// later window reads its input as far ahead as the output has been held back, so that the rendered file
// stays aligned with its source.
//
// Windows no longer than the latency still drop the latency as it passes: nothing is reported until the
// dropped samples are used up, and no count is ever negative.
//
// [the host's offline thread, one call at a time] The analysis pass allocates its scratch output.

#include "formats/aax/aax_host_processor.h"

namespace AAXClasses
{

class JuceAAX_Processor;

class AAX_AudiosuiteProcessor : public vk::aax::AAX_CHostProcessor
{
public:
    AAX_AudiosuiteProcessor() = default;

    // The factory procedure (id 3): the new object, with no reference yet, or null.
    static vk::aax::IACFUnknown* Create();

    vk::aax::Result RenderAudio(const float* const* inputs, std::int32_t inputCount, float* const* outputs,
                                std::int32_t outputCount, std::int32_t* windowSize) override;
    vk::aax::Result PreRender() override;
    vk::aax::Result PostRender() override;
    vk::aax::Result AnalyzeAudio(const float* const* inputs, std::int32_t inputCount,
                                 std::int32_t* windowSize) override;
    vk::aax::Result PreAnalyze() override;
    vk::aax::Result PostAnalyze() override;

private:
    // The instance's processor object, or null after the warning line.
    JuceAAX_Processor* effect() const;

    bool m_firstWindow = true;
    // Input samples already processed beyond the start of the host's next window.
    std::int64_t m_lead = 0;
    // Delayed output samples still to drop from the front of the result.
    std::int64_t m_toDrop = 0;
};

} // namespace AAXClasses
