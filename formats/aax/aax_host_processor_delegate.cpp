#include "formats/aax/aax_host_processor_delegate.h"

namespace vk::aax
{

AAX_VHostProcessorDelegate::AAX_VHostProcessorDelegate(IACFUnknown* host) noexcept
{
    m_v2 = acfQuery<IHostProcessorDelegateV2>(host, kIID_HostProcessorDelegateV2);
    if (m_v2)
        m_v1 = AcfPtr<IHostProcessorDelegate>::share(m_v2.get());
    else
        m_v1 = acfQuery<IHostProcessorDelegate>(host, kIID_HostProcessorDelegate);
}

Result AAX_VHostProcessorDelegate::GetAudio(const float* const* inputs, std::int32_t inputCount,
                                            std::int64_t location, std::int32_t* windowSize)
{
    return forwardOr(kResultNoHostInterface, m_v1.get(), &IHostProcessorDelegate::GetAudio, inputs,
                     inputCount, location, windowSize);
}
std::int32_t AAX_VHostProcessorDelegate::GetSideChainInputNum()
{
    return forwardOr(std::int32_t(0), m_v1.get(), &IHostProcessorDelegate::GetSideChainInputNum);
}
Result AAX_VHostProcessorDelegate::Operation5(Opaque a)
{
    return forwardOr(kResultNotImplemented, m_v2.get(), &IHostProcessorDelegateV2::Operation5, a);
}

} // namespace vk::aax
