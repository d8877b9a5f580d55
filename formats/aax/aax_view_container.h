#pragma once

// The host's container of the editor's view: the native window to draw in, the view size, and the
// parameter mouse events the host may take before a control does. Without a container: type 0, no
// view, SetViewSize 0, the rest -20009; the host is never called. Never throws. [GUI thread]

#include "formats/aax/acf_ptr.h"
#include "platform/aax/aax_host_interfaces.h"

namespace vk::aax
{

class AAX_IViewContainer
{
public:
    virtual ~AAX_IViewContainer() = default;
    virtual std::int32_t GetType() = 0;
    virtual void* GetPtr() = 0;
    virtual Result GetModifiers(std::uint32_t* modifiers) = 0;
    virtual Result SetViewSize(const ViewSize& size) = 0;
    virtual Result HandleParameterMouseDown(const char* parameterId, std::uint32_t modifiers) = 0;
    virtual Result HandleParameterMouseDrag(const char* parameterId, std::uint32_t modifiers) = 0;
    virtual Result HandleParameterMouseUp(const char* parameterId, std::uint32_t modifiers) = 0;
};

class AAX_VViewContainer final : public AAX_IViewContainer
{
public:
    // `viewContainer`: the object the host passed to SetViewContainer (may be null).
    explicit AAX_VViewContainer(IACFUnknown* viewContainer) noexcept;

    std::int32_t GetType() override;
    void* GetPtr() override;
    Result GetModifiers(std::uint32_t* modifiers) override;
    Result SetViewSize(const ViewSize& size) override;
    Result HandleParameterMouseDown(const char* parameterId, std::uint32_t modifiers) override;
    Result HandleParameterMouseDrag(const char* parameterId, std::uint32_t modifiers) override;
    Result HandleParameterMouseUp(const char* parameterId, std::uint32_t modifiers) override;

private:
    AcfPtr<IHostViewContainer> m_container;
};

} // namespace vk::aax
