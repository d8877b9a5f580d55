#pragma once

// The host's transport (tempo, meter, play state, positions), in one or two versions. Answers as the
// controller does: the host's result, or -20004 / -20009 without a call. Never throws. [audio thread
// for the play head, else the owner's thread]

#include "formats/aax/acf_ptr.h"
#include "platform/aax/aax_host_interfaces.h"

namespace vk::aax
{

class AAX_ITransport
{
public:
    virtual ~AAX_ITransport() = default;
    virtual Result GetCurrentTempo(double* beatsPerMinute) const = 0;
    virtual Result GetCurrentMeter(std::int32_t* numerator, std::int32_t* denominator) const = 0;
    virtual Result IsTransportPlaying(bool* playing) const = 0;
    virtual Result GetCurrentTickPosition(std::int64_t* ticks) const = 0;
    virtual Result GetCurrentLoopPosition(bool* looping, std::int64_t* startTicks,
                                          std::int64_t* endTicks) const = 0;
    virtual Result GetCurrentNativeSampleLocation(std::int64_t* samples) const = 0;
    virtual Result Query9(Opaque out) const = 0;
    virtual Result Query10(Opaque a, Opaque b, Opaque c, Opaque d) const = 0;
    virtual Result GetTicksPerQuarter(std::uint32_t* ticks) const = 0;
    virtual Result Query12(Opaque out) const = 0;
    virtual Result Query13(Opaque out) const = 0;
    virtual Result GetTimeCodeInfo(std::int32_t* frameRateCode, std::int32_t* offset) const = 0;
    virtual Result Query15(Opaque out) const = 0;
    virtual Result Query16(Opaque out) const = 0;
};

class AAX_VTransport final : public AAX_ITransport
{
public:
    explicit AAX_VTransport(IACFUnknown* host) noexcept;

    Result GetCurrentTempo(double* beatsPerMinute) const override;
    Result GetCurrentMeter(std::int32_t* numerator, std::int32_t* denominator) const override;
    Result IsTransportPlaying(bool* playing) const override;
    Result GetCurrentTickPosition(std::int64_t* ticks) const override;
    Result GetCurrentLoopPosition(bool* looping, std::int64_t* startTicks,
                                  std::int64_t* endTicks) const override;
    Result GetCurrentNativeSampleLocation(std::int64_t* samples) const override;
    Result Query9(Opaque out) const override;
    Result Query10(Opaque a, Opaque b, Opaque c, Opaque d) const override;
    Result GetTicksPerQuarter(std::uint32_t* ticks) const override;
    Result Query12(Opaque out) const override;
    Result Query13(Opaque out) const override;
    Result GetTimeCodeInfo(std::int32_t* frameRateCode, std::int32_t* offset) const override;
    Result Query15(Opaque out) const override;
    Result Query16(Opaque out) const override;

private:
    AcfPtr<IHostTransport> m_v1;
    AcfPtr<IHostTransportV2> m_v2;
};

} // namespace vk::aax
