#pragma once

// AAX_CHostProcessor: the base of the AudioSuite processor as the host sees it. Holds the host's
// controller and processor delegate from Initialize, the effect's parameters object, and the bounds and
// location of the current pass. The base renders and analyses nothing. [the host's processing thread]

#include "formats/aax/aax_controller.h"
#include "formats/aax/aax_host_processor_delegate.h"
#include "formats/aax/acf_unknown_object.h"
#include "platform/aax/aax_plugin_interfaces.h"

#include <memory>

namespace vk::aax
{

class AAX_IHostProcessor : public CACFHostObject<AAX_IACFHostProcessor>
{
};

class AAX_CHostProcessor : public AAX_IHostProcessor
{
public:
    AAX_CHostProcessor() = default;
    ~AAX_CHostProcessor() override;

    Result InternalQueryInterface(const Guid& iid, void** out) override;

    // -20011 without a host object or when a wrapper cannot be built.
    Result Initialize(IACFUnknown* host) override;
    Result Uninitialize() override;
    // -20030 and nothing stored when an out pointer is null.
    Result InitOutputBounds(std::int64_t sourceStart, std::int64_t sourceEnd, std::int64_t* destStart,
                            std::int64_t* destEnd) override;
    Result SetLocation(std::int64_t location) override;
    Result RenderAudio(const float* const*, std::int32_t, float* const*, std::int32_t, std::int32_t*) override
    {
        return kResultNotImplemented;
    }
    Result PreRender() override { return kResultOk; }
    Result PostRender() override { return kResultOk; }
    Result AnalyzeAudio(const float* const*, std::int32_t, std::int32_t*) override
    {
        return kResultNotImplemented;
    }
    Result PreAnalyze() override { return kResultOk; }
    Result PostAnalyze() override { return kResultOk; }

    // The base copies the source bounds.
    virtual Result TranslateOutputBounds(std::int64_t sourceStart, std::int64_t sourceEnd,
                                         std::int64_t& destStart, std::int64_t& destEnd);
    // Through the host's processor delegate (-20004 without one).
    virtual Result GetAudio(const float* const* inputs, std::int32_t inputCount, std::int64_t location,
                            std::int32_t* windowSize);
    virtual std::int32_t GetSideChainInputNum();

    std::int64_t GetSrcStart() const noexcept { return m_sourceStart; }
    std::int64_t GetSrcEnd() const noexcept { return m_sourceEnd; }
    std::int64_t GetDstStart() const noexcept { return m_destStart; }
    std::int64_t GetDstEnd() const noexcept { return m_destEnd; }
    std::int64_t GetLocation() const noexcept { return m_location; }

protected:
    AAX_IController* GetController() const noexcept { return m_controller.get(); }
    AAX_IHostProcessorDelegate* GetHostProcessorDelegate() const noexcept { return m_delegate.get(); }
    AAX_IACFEffectParameters* GetEffectParameters() const noexcept { return m_effectParameters.get(); }

private:
    std::unique_ptr<AAX_VController> m_controller;
    std::unique_ptr<AAX_VHostProcessorDelegate> m_delegate;
    AcfPtr<AAX_IACFEffectParameters> m_effectParameters;
    std::int64_t m_sourceStart = 0;
    std::int64_t m_sourceEnd = 0;
    std::int64_t m_destStart = 0;
    std::int64_t m_destEnd = 0;
    std::int64_t m_location = 0;
};

} // namespace vk::aax
