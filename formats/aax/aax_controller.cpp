#include "formats/aax/aax_controller.h"

namespace vk::aax
{

namespace
{
constexpr Result kAbsent = kResultNoHostInterface;
constexpr Result kAbsentV2 = kResultNotImplemented;
} // namespace

AAX_VController::AAX_VController(IACFUnknown* host) noexcept
    : m_v1(acfQuery<IHostController>(host, kIID_Controller)),
      m_v2(acfQuery<IHostControllerV2>(host, kIID_ControllerV2))
{
}

Result AAX_VController::Query3(Opaque out) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::Query3, out);
}
Result AAX_VController::GetSampleRate(float* rate) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::GetSampleRate, rate);
}
Result AAX_VController::GetInputStemFormat(std::int32_t* format) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::GetInputStemFormat, format);
}
Result AAX_VController::GetOutputStemFormat(std::int32_t* format) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::GetOutputStemFormat, format);
}
Result AAX_VController::Query7(Opaque out) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::Query7, out);
}
Result AAX_VController::Query8(Opaque out) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::Query8, out);
}
Result AAX_VController::Query9(Opaque out) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::Query9, out);
}
Result AAX_VController::SetSignalLatency(std::int32_t samples)
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::SetSignalLatency, samples);
}
Result AAX_VController::Query11(Opaque out) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::Query11, out);
}
Result AAX_VController::Query12(Opaque out) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::Query12, out);
}
Result AAX_VController::Operation20(Opaque a)
{
    return forwardOr(kAbsentV2, m_v2.get(), &IHostControllerV2::Operation20, a);
}
Result AAX_VController::Operation13(Opaque a)
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::Operation13, a);
}
Result AAX_VController::Operation14(Opaque a)
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::Operation14, a);
}
Result AAX_VController::Operation15(Opaque a)
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::Operation15, a);
}
Result AAX_VController::Operation18(Opaque a)
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::Operation18, a);
}
Result AAX_VController::Operation16(Opaque a)
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::Operation16, a);
}
Result AAX_VController::Operation17(Opaque a)
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::Operation17, a);
}
Result AAX_VController::Operation19(Opaque a)
{
    return forwardOr(kAbsent, m_v1.get(), &IHostController::Operation19, a);
}
Result AAX_VController::Operation21(Opaque a)
{
    return forwardOr(kAbsentV2, m_v2.get(), &IHostControllerV2::Operation21, a);
}
Result AAX_VController::Query22(std::int32_t* value) const
{
    if (!m_v2)
    {
        if (value != nullptr)
            *value = 0;
        return kAbsentV2;
    }
    return m_v2->Query22(value);
}
Result AAX_VController::Operation23(Opaque a)
{
    return forwardOr(kAbsentV2, m_v2.get(), &IHostControllerV2::Operation23, a);
}

} // namespace vk::aax
