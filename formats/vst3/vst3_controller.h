#pragma once

// The VST3 edit controller: publishes the processor's exposed parameters and the bypass, passes the
// host's edits to the processor and reports the processor's changes to the host. It does not own the
// processor: it uses the one of the processor wrapper created just before it, through their shared link,
// and answers from defaults once that processor is gone. The controller has no state of its own and
// publishes no program list and no parameter texts (plain parameters).
//
// Threads: all host calls come on the host's main thread. Reports from the processor, on any thread,
// are queued by the link's reporter and reach the host on the module's message thread, each performEdit
// bracketed by beginEdit and endEdit.

#include "formats/vst3/vst3_framework_lifetime.h"
#include "formats/vst3/vst3_pairing.h"

#include <public.sdk/source/vst/vsteditcontroller.h>

#include <memory>

class VkJuceProcessorBase;

namespace Steinberg::Vst
{

// The SDK's interfaces have no virtual destructors by design: objects are freed through release().
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class VST3Controller : public EditController, private vk::vst3::EditFlushTarget
{
public:
    VST3Controller();
    ~VST3Controller() override;

    static FUnknown* createInstance();

    tresult PLUGIN_API initialize(FUnknown* context) SMTG_OVERRIDE;
    tresult PLUGIN_API terminate() SMTG_OVERRIDE;
    tresult PLUGIN_API setComponentState(IBStream* state) SMTG_OVERRIDE;
    tresult PLUGIN_API setState(IBStream* state) SMTG_OVERRIDE;
    tresult PLUGIN_API getState(IBStream* state) SMTG_OVERRIDE;
    ParamValue PLUGIN_API getParamNormalized(ParamID id) SMTG_OVERRIDE;
    tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) SMTG_OVERRIDE;
    tresult PLUGIN_API setComponentHandler(IComponentHandler* handler) SMTG_OVERRIDE;
    IPlugView* PLUGIN_API createView(FIDString name) SMTG_OVERRIDE;

    bool hasProcessor();

private:
    void flushEdits() override;
    void buildParameters(VkJuceProcessorBase& processor);

    vk::vst3::FrameworkLifetime m_framework;
    std::shared_ptr<vk::vst3::ProcessorLink> m_link;
    bool m_listening = false;
};
#pragma GCC diagnostic pop

} // namespace Steinberg::Vst
