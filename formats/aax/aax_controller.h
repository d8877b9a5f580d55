#pragma once

// The host's controller of one effect instance (sample rate, stem formats, latency), in one or two
// versions. Every operation answers the host's result unchanged, or -20004 (first version) / -20009
// (second version) without a call when the host did not provide that version. Never throws.
// [the owner's thread]

#include "formats/aax/acf_ptr.h"
#include "platform/aax/aax_host_interfaces.h"

namespace vk::aax
{

class AAX_IController
{
public:
    virtual ~AAX_IController() = default;
    virtual Result Query3(Opaque out) const = 0;
    virtual Result GetSampleRate(float* rate) const = 0;
    virtual Result GetInputStemFormat(std::int32_t* format) const = 0;
    virtual Result GetOutputStemFormat(std::int32_t* format) const = 0;
    virtual Result Query7(Opaque out) const = 0;
    virtual Result Query8(Opaque out) const = 0;
    virtual Result Query9(Opaque out) const = 0;
    virtual Result SetSignalLatency(std::int32_t samples) = 0;
    virtual Result Query11(Opaque out) const = 0;
    virtual Result Query12(Opaque out) const = 0;
    virtual Result Operation20(Opaque a) = 0;
    virtual Result Operation13(Opaque a) = 0;
    virtual Result Operation14(Opaque a) = 0;
    virtual Result Operation15(Opaque a) = 0;
    virtual Result Operation18(Opaque a) = 0;
    virtual Result Operation16(Opaque a) = 0;
    virtual Result Operation17(Opaque a) = 0;
    virtual Result Operation19(Opaque a) = 0;
    virtual Result Operation21(Opaque a) = 0;
    // Sets *value to 0 when the host lacks the second version.
    virtual Result Query22(std::int32_t* value) const = 0;
    virtual Result Operation23(Opaque a) = 0;
};

class AAX_VController final : public AAX_IController
{
public:
    // `host` may be null: then every operation answers its absent result.
    explicit AAX_VController(IACFUnknown* host) noexcept;

    Result Query3(Opaque out) const override;
    Result GetSampleRate(float* rate) const override;
    Result GetInputStemFormat(std::int32_t* format) const override;
    Result GetOutputStemFormat(std::int32_t* format) const override;
    Result Query7(Opaque out) const override;
    Result Query8(Opaque out) const override;
    Result Query9(Opaque out) const override;
    Result SetSignalLatency(std::int32_t samples) override;
    Result Query11(Opaque out) const override;
    Result Query12(Opaque out) const override;
    Result Operation20(Opaque a) override;
    Result Operation13(Opaque a) override;
    Result Operation14(Opaque a) override;
    Result Operation15(Opaque a) override;
    Result Operation18(Opaque a) override;
    Result Operation16(Opaque a) override;
    Result Operation17(Opaque a) override;
    Result Operation19(Opaque a) override;
    Result Operation21(Opaque a) override;
    Result Query22(std::int32_t* value) const override;
    Result Operation23(Opaque a) override;

    bool hasFirstVersion() const noexcept { return bool(m_v1); }
    bool hasSecondVersion() const noexcept { return bool(m_v2); }

private:
    // Destroyed in reverse: the second version is released first.
    AcfPtr<IHostController> m_v1;
    AcfPtr<IHostControllerV2> m_v2;
};

} // namespace vk::aax
