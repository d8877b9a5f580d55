#include "formats/aax/aax_transport.h"

namespace vk::aax
{

namespace
{
constexpr Result kAbsent = kResultNoHostInterface;
constexpr Result kAbsentV2 = kResultNotImplemented;
} // namespace

AAX_VTransport::AAX_VTransport(IACFUnknown* host) noexcept
    : m_v1(acfQuery<IHostTransport>(host, kIID_Transport)),
      m_v2(acfQuery<IHostTransportV2>(host, kIID_TransportV2))
{
}

Result AAX_VTransport::GetCurrentTempo(double* beatsPerMinute) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostTransport::GetCurrentTempo, beatsPerMinute);
}
Result AAX_VTransport::GetCurrentMeter(std::int32_t* numerator, std::int32_t* denominator) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostTransport::GetCurrentMeter, numerator, denominator);
}
Result AAX_VTransport::IsTransportPlaying(bool* playing) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostTransport::IsTransportPlaying, playing);
}
Result AAX_VTransport::GetCurrentTickPosition(std::int64_t* ticks) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostTransport::GetCurrentTickPosition, ticks);
}
Result AAX_VTransport::GetCurrentLoopPosition(bool* looping, std::int64_t* startTicks,
                                              std::int64_t* endTicks) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostTransport::GetCurrentLoopPosition, looping, startTicks,
                     endTicks);
}
Result AAX_VTransport::GetCurrentNativeSampleLocation(std::int64_t* samples) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostTransport::GetCurrentNativeSampleLocation, samples);
}
Result AAX_VTransport::Query9(Opaque out) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostTransport::Query9, out);
}
Result AAX_VTransport::Query10(Opaque a, Opaque b, Opaque c, Opaque d) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostTransport::Query10, a, b, c, d);
}
Result AAX_VTransport::GetTicksPerQuarter(std::uint32_t* ticks) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostTransport::GetTicksPerQuarter, ticks);
}
Result AAX_VTransport::Query12(Opaque out) const
{
    return forwardOr(kAbsent, m_v1.get(), &IHostTransport::Query12, out);
}
Result AAX_VTransport::Query13(Opaque out) const
{
    return forwardOr(kAbsentV2, m_v2.get(), &IHostTransportV2::Query13, out);
}
Result AAX_VTransport::GetTimeCodeInfo(std::int32_t* frameRateCode, std::int32_t* offset) const
{
    return forwardOr(kAbsentV2, m_v2.get(), &IHostTransportV2::GetTimeCodeInfo, frameRateCode, offset);
}
Result AAX_VTransport::Query15(Opaque out) const
{
    return forwardOr(kAbsentV2, m_v2.get(), &IHostTransportV2::Query15, out);
}
Result AAX_VTransport::Query16(Opaque out) const
{
    return forwardOr(kAbsentV2, m_v2.get(), &IHostTransportV2::Query16, out);
}

} // namespace vk::aax
