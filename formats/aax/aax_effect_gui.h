#pragma once

// AAX_CEffectGUI: the base of the effect's GUI object as the host sees it. Holds the host's controller
// and transport from Initialize, the effect's parameters object, and the host's view container while
// the host shows the view. The derived GUI supplies the view itself. [the host's GUI thread]

#include "formats/aax/aax_controller.h"
#include "formats/aax/aax_transport.h"
#include "formats/aax/aax_view_container.h"
#include "formats/aax/acf_unknown_object.h"
#include "platform/aax/aax_plugin_interfaces.h"

#include <memory>

namespace vk::aax
{

class AAX_IEffectGUI : public CACFHostObject<AAX_IACFEffectGUI>
{
};

class AAX_CEffectGUI : public AAX_IEffectGUI
{
public:
    AAX_CEffectGUI() = default;
    ~AAX_CEffectGUI() override;

    Result InternalQueryInterface(const Guid& iid, void** out) override;

    // -20011 without a host object or when the controller cannot be built.
    Result Initialize(IACFUnknown* host) override;
    Result Uninitialize() override;
    Result NotificationReceived(std::uint32_t, const void*, std::uint32_t) override { return kResultOk; }
    // Replaces the view-container wrapper (none for null) and tells the derived GUI.
    Result SetViewContainer(IACFUnknown* viewContainer) override;
    Result GetViewSize(ViewSize*) const override { return kResultOk; }
    Result Hook8(Opaque) override { return kResultOk; }
    Result Hook9(Opaque) override { return kResultOk; }
    Result ParameterUpdated(const char*) override { return kResultOk; }
    Result Hook11(Opaque) override { return kResultNoHostInterface; }
    Result Hook12(Opaque) override { return kResultOk; }

    virtual void CreateViewContents() = 0;
    virtual void CreateViewContainer() = 0;
    virtual void DeleteViewContainer() = 0;
    // ParameterUpdated for every parameter the effect's parameters object lists.
    virtual void UpdateAllParameters();

protected:
    AAX_IController* GetController() const noexcept { return m_controller.get(); }
    AAX_IACFEffectParameters* GetEffectParameters() const noexcept { return m_effectParameters.get(); }
    AAX_IViewContainer* GetViewContainer() const noexcept { return m_viewContainer.get(); }
    // The container kept alive for a call that may outlast the host's next SetViewContainer.
    std::shared_ptr<AAX_IViewContainer> ViewContainerRef() const noexcept { return m_viewContainer; }
    AAX_ITransport* GetTransport() const noexcept { return m_transport.get(); }

private:
    void releaseHostObjects() noexcept;

    std::unique_ptr<AAX_VController> m_controller;
    AcfPtr<AAX_IACFEffectParameters> m_effectParameters;
    std::shared_ptr<AAX_VViewContainer> m_viewContainer;
    std::unique_ptr<AAX_VTransport> m_transport;
};

} // namespace vk::aax
