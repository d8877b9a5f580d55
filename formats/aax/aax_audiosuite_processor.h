#pragma once

// The AudioSuite (offline, file-based) processor of one AAX instance: runs the instance's processor in
// the processor's analysis and render passes, window by window, and removes the processor's latency from
// the rendered result. The first window of a render pass drops the delayed start of the output; every
// later window reads its input as far ahead as the output has been held back, so that the rendered file
// stays aligned with its source.
//
// The latency is read at the first window of a render pass and holds for the whole pass, so that a change
// in between cannot drop or repeat samples. A window no longer than the latency is refused with -20030
// and changes nothing: it could never report a sample, and a host offering it again would wait forever.
// Too few host outputs are refused the same way.
//
// Nothing the processor or an allocation throws reaches the host: the factory's object answers such a
// call with 0x8000FFFF (aax_host_facing.h).
//
// [the host's offline thread, one call at a time] Each window allocates its channel lists; the analysis
// pass also allocates its scratch output.

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
    // The body's answer for the instance's processor object; -20004 without one.
    template <typename Body>
    vk::aax::Result withEffect(Body&& body);
    // A pass's begin or end hook on the instance's processor.
    template <typename Hook>
    vk::aax::Result runPassHook(Hook&& hook);

    bool m_firstWindow = true;
    // The render pass's latency, read at its first window.
    int m_latency = 0;
};

} // namespace AAXClasses
