#include "formats/aax/aax_effect_gui.h"

#include "formats/aax/aax_string.h"

#include <new>

namespace vk::aax
{

AAX_CEffectGUI::~AAX_CEffectGUI()
{
    releaseHostObjects();
}

void AAX_CEffectGUI::releaseHostObjects() noexcept
{
    m_effectParameters.reset();
    m_controller.reset();
    m_viewContainer.reset();
    m_transport.reset();
}

Result AAX_CEffectGUI::InternalQueryInterface(const Guid& iid, void** out)
{
    return answerQuery(iid, out, kIID_EffectGUI);
}

Result AAX_CEffectGUI::Initialize(IACFUnknown* host)
{
    // A second Initialize starts over rather than leaking the first one's host objects.
    m_effectParameters.reset();
    m_transport.reset();
    m_controller.reset(host != nullptr ? new (std::nothrow) AAX_VController(host) : nullptr);
    if (!m_controller)
        return kResultNoHostObject;
    m_effectParameters = acfQuery<AAX_IACFEffectParameters>(host, kIID_EffectParameters);
    m_transport.reset(new (std::nothrow) AAX_VTransport(host));
    CreateViewContents();
    return kResultOk;
}

Result AAX_CEffectGUI::Uninitialize()
{
    m_effectParameters.reset();
    m_controller.reset();
    m_transport.reset();
    return kResultOk;
}

Result AAX_CEffectGUI::SetViewContainer(IACFUnknown* viewContainer)
{
    m_viewContainer.reset();
    if (viewContainer != nullptr)
    {
        if (auto* container = new (std::nothrow) AAX_VViewContainer(viewContainer))
            m_viewContainer.reset(container);
        CreateViewContainer();
        UpdateAllParameters();
    }
    else
        DeleteViewContainer();
    return kResultOk;
}

void AAX_CEffectGUI::UpdateAllParameters()
{
    if (!m_effectParameters)
        return;
    std::int32_t count = 0;
    if (m_effectParameters->GetNumberOfParameters(&count) != kResultOk || count < 0)
        return;
    for (std::int32_t index = 0; index < count; ++index)
    {
        AAX_CString id;
        if (m_effectParameters->GetParameterIDFromIndex(index, &id) == kResultOk)
            ParameterUpdated(id.Get());
    }
}

} // namespace vk::aax
