#include "formats/vst2/vst2_state_notice.h"

#include "processor/vk_processor_base.h"

namespace vk::vst2
{
namespace
{
thread_local int t_hostStateCalls = 0;
} // namespace

StateNotice::StateNotice(Vst2::AEffect& effect, Vst2::audioMasterCallback host,
                         VkJuceProcessorBase& processor)
    : m_effect(effect), m_host(host), m_processor(processor)
{
    m_processor.addListener(this);
}

StateNotice::~StateNotice()
{
    m_processor.removeListener(this);
    // The message thread may be inside handleAsyncUpdate: holding it between messages lets that finish
    // (the wrapper takes the same lock in the same close right after).
    const juce::MessageManagerLock messageThread;
    cancelPendingUpdate();
}

void StateNotice::audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails& details)
{
    if (details.nonParameterStateChanged && t_hostStateCalls == 0)
        triggerAsyncUpdate();
}

void StateNotice::handleAsyncUpdate()
{
    if (m_host == nullptr)
        return;
    m_host(&m_effect, Vst2::audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f);
    const int version = m_processor.getParamMapVersionParameterId();
    if (version >= 0 && version < m_effect.numParams)
        m_host(&m_effect, Vst2::audioMasterAutomate, version, 0, nullptr, m_processor.getParameter(version));
}

HostStateCall::HostStateCall(bool active) noexcept : m_active(active)
{
    if (m_active)
        ++t_hostStateCalls;
}

HostStateCall::~HostStateCall()
{
    if (m_active)
        --t_hostStateCalls;
}

} // namespace vk::vst2
