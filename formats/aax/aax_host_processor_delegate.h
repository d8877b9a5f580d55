#pragma once

// The host's side of an AudioSuite pass: audio fetched from the host, side-chain inputs. The second
// version is asked first and, when present, serves for both. Absent: GetAudio -20004, the side-chain
// count 0, the second-version operation -20009. Never throws. [the host's processing thread]

#include "formats/aax/acf_ptr.h"
#include "platform/aax/aax_host_interfaces.h"

namespace vk::aax
{

class AAX_IHostProcessorDelegate
{
public:
    virtual ~AAX_IHostProcessorDelegate() = default;
    virtual Result GetAudio(const float* const* inputs, std::int32_t inputCount, std::int64_t location,
                            std::int32_t* windowSize) = 0;
    virtual std::int32_t GetSideChainInputNum() = 0;
    virtual Result Operation5(Opaque a) = 0;
};

class AAX_VHostProcessorDelegate final : public AAX_IHostProcessorDelegate
{
public:
    explicit AAX_VHostProcessorDelegate(IACFUnknown* host) noexcept;

    Result GetAudio(const float* const* inputs, std::int32_t inputCount, std::int64_t location,
                    std::int32_t* windowSize) override;
    std::int32_t GetSideChainInputNum() override;
    Result Operation5(Opaque a) override;

private:
    AcfPtr<IHostProcessorDelegate> m_v1;
    AcfPtr<IHostProcessorDelegateV2> m_v2;
};

} // namespace vk::aax
