#pragma once

// The VST3 edit controller: publishes the processor's exposed parameters and the bypass, passes the
// host's edits to the processor and reports the processor's changes to the host. It does not own the
// processor: it uses the one of the processor wrapper the host connected it to (vst3_pairing.h), through
// their shared link, and answers from defaults once that processor is gone. The controller has no state of
// its own and publishes no program list and no parameter texts (plain parameters). The bypass is the
// binding's own parameter, kept in the link: the controller and the processor wrapper answer the same.
//
// Before it is paired, the controller acts on no processor. It publishes the parameter layout every
// instance shares (names, flags, defaults), answers the values it was told or the defaults, and keeps what
// the host tells it (values, a component state) for its own processor, which takes them once paired.
//
// Threads: all host calls come on the host's main thread. Reports from the processor, on any thread,
// are queued by the link's reporter and reach the host through the controller's edit sink on the message
// thread (the host's run loop whenever it offers one): the edits of a drag between one beginEdit and one
// endEdit, any other edit bracketed on its own. Letting go of the host's handler (terminate, or another
// handler) ends what it was told of first, on the calling thread.

#include "formats/vst3/vst3_edit_sink.h"
#include "formats/vst3/vst3_framework_lifetime.h"
#include "formats/vst3/vst3_message_thread.h"
#include "formats/vst3/vst3_pairing.h"

#include <public.sdk/source/vst/vsteditcontroller.h>

#include <juce_core/juce_core.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class VkJuceProcessorBase;

namespace Steinberg::Vst
{

class VST3Editor;

// The SDK's interfaces have no virtual destructors by design: objects are freed through release().
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class VST3Controller : public EditController
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
    // Takes the link message of the processor wrapper the host connected this controller to.
    tresult PLUGIN_API notify(IMessage* message) SMTG_OVERRIDE;

    // The view tells its controller it is being destroyed. [host UI thread]
    void viewGone(VST3Editor* view);

    bool hasProcessor();
    // The processor this controller is paired with; null when none. [host main thread]
    VkJuceProcessorBase* pairedProcessor();

private:
    // What the host told the controller before it was paired, in order: a component state, then the
    // values set after it (the last of each parameter).
    struct Told
    {
        std::optional<juce::MemoryBlock> state;
        std::vector<std::pair<ParamID, ParamValue>> values;
    };

    // The published parameters, with `processor`'s values or, for a processor that is not this
    // controller's own, the defaults.
    void buildParameters(VkJuceProcessorBase& processor, bool ownValues);
    // The parameter objects take the paired processor's values. [link lock held]
    void followProcessorValues(VkJuceProcessorBase& processor);
    void startListening();
    void stopListening();
    void pairWith(std::shared_ptr<vk::vst3::ProcessorLink> link);
    void applyTold();
    // Restores `bytes` into the paired processor, then has the host read the values.
    tresult restore(const juce::MemoryBlock& bytes);
    // Names this controller's sink in the link, or takes it out again.
    void attachSink();
    void detachSink();

    vk::vst3::FrameworkLifetime m_framework;
    vk::vst3::RunLoopOffer m_contextRunLoop;
    std::shared_ptr<vk::vst3::ProcessorLink> m_link;
    std::shared_ptr<vk::vst3::EditSink> m_sink;
    // The views that live; not owned (the host holds them).
    std::vector<VST3Editor*> m_views;
    bool m_initialized = false;
    bool m_listening = false;
    bool m_parametersBuilt = false;
    // Before pairing: the bypass the host set or a kept state carries.
    ParamValue m_bypass = 0.0;
    Told m_told;
};
#pragma GCC diagnostic pop

} // namespace Steinberg::Vst
