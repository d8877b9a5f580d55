#include "formats/aax/aax_host_processor.h"

#include <new>

namespace vk::aax
{

AAX_CHostProcessor::~AAX_CHostProcessor()
{
    m_effectParameters.reset();
    m_delegate.reset();
    m_controller.reset();
}

Result AAX_CHostProcessor::InternalQueryInterface(const Guid& iid, void** out)
{
    return answerQuery(iid, out, kIID_HostProcessor);
}

Result AAX_CHostProcessor::Initialize(IACFUnknown* host)
{
    // A second Initialize starts over rather than leaking the first one's host objects.
    m_effectParameters.reset();
    m_delegate.reset();
    m_controller.reset(host != nullptr ? new (std::nothrow) AAX_VController(host) : nullptr);
    if (!m_controller)
        return kResultNoHostObject;
    m_delegate.reset(new (std::nothrow) AAX_VHostProcessorDelegate(host));
    if (!m_delegate)
        return kResultNoHostObject;
    m_effectParameters = acfQuery<AAX_IACFEffectParameters>(host, kIID_EffectParameters);
    return kResultOk;
}

Result AAX_CHostProcessor::Uninitialize()
{
    m_effectParameters.reset();
    m_delegate.reset();
    m_controller.reset();
    return kResultOk;
}

Result AAX_CHostProcessor::InitOutputBounds(std::int64_t sourceStart, std::int64_t sourceEnd,
                                            std::int64_t* destStart, std::int64_t* destEnd)
{
    if (destStart == nullptr || destEnd == nullptr)
        return kResultNullArgument;
    m_sourceStart = sourceStart;
    m_sourceEnd = sourceEnd;
    TranslateOutputBounds(sourceStart, sourceEnd, *destStart, *destEnd);
    m_destStart = *destStart;
    m_destEnd = *destEnd;
    return kResultOk;
}

Result AAX_CHostProcessor::SetLocation(std::int64_t location)
{
    m_location = location;
    return kResultOk;
}

Result AAX_CHostProcessor::TranslateOutputBounds(std::int64_t sourceStart, std::int64_t sourceEnd,
                                                 std::int64_t& destStart, std::int64_t& destEnd)
{
    destStart = sourceStart;
    destEnd = sourceEnd;
    return kResultOk;
}

Result AAX_CHostProcessor::GetAudio(const float* const* inputs, std::int32_t inputCount,
                                    std::int64_t location, std::int32_t* windowSize)
{
    return m_delegate ? m_delegate->GetAudio(inputs, inputCount, location, windowSize)
                      : kResultNoHostInterface;
}

std::int32_t AAX_CHostProcessor::GetSideChainInputNum()
{
    return m_delegate ? m_delegate->GetSideChainInputNum() : 0;
}

} // namespace vk::aax
