#include "formats/vst2/vst2_effect_adapter.h"

#include "processor/vk_processor_base.h"

#include <algorithm>
#include <array>
#include <atomic>

namespace vk::vst2
{
namespace
{

// Record -> processor, readable without a lock: the host's setParameter may come on the audio thread.
// Slots are claimed at creation and given back at close; lookups scan up to the highest slot used.
class Routes
{
public:
    static constexpr int kCapacity = 1024;

    bool add(Vst2::AEffect* effect, VkJuceProcessorBase* processor)
    {
        for (int i = 0; i < kCapacity; ++i)
        {
            Vst2::AEffect* expected = nullptr;
            if (m_slots[size_t(i)].effect.compare_exchange_strong(expected, effect))
            {
                m_slots[size_t(i)].processor.store(processor);
                int used = m_used.load();
                while (used < i + 1 && !m_used.compare_exchange_weak(used, i + 1))
                {
                }
                return true;
            }
        }
        return false;
    }

    VkJuceProcessorBase* find(Vst2::AEffect* effect) const
    {
        const auto* slot = findSlot(effect);
        return slot != nullptr ? slot->processor.load() : nullptr;
    }

    // Whether the host has resumed the effect (effMainsChanged 1) and not suspended it since.
    bool isResumed(Vst2::AEffect* effect) const
    {
        const auto* slot = findSlot(effect);
        return slot != nullptr && slot->resumed.load();
    }

    void setResumed(Vst2::AEffect* effect, bool resumed)
    {
        if (auto* slot = findSlot(effect))
            slot->resumed.store(resumed);
    }

    void remove(Vst2::AEffect* effect)
    {
        const int used = m_used.load();
        for (int i = 0; i < used; ++i)
            if (m_slots[size_t(i)].effect.load() == effect)
            {
                m_slots[size_t(i)].processor.store(nullptr);
                m_slots[size_t(i)].resumed.store(false);
                m_slots[size_t(i)].effect.store(nullptr);
            }
    }

private:
    struct Slot
    {
        std::atomic<Vst2::AEffect*> effect{nullptr};
        std::atomic<VkJuceProcessorBase*> processor{nullptr};
        std::atomic<bool> resumed{false};
    };

    Slot* findSlot(Vst2::AEffect* effect)
    {
        const int used = m_used.load();
        for (int i = 0; i < used; ++i)
            if (m_slots[size_t(i)].effect.load() == effect)
                return &m_slots[size_t(i)];
        return nullptr;
    }
    const Slot* findSlot(Vst2::AEffect* effect) const { return const_cast<Routes*>(this)->findSlot(effect); }
    std::array<Slot, kCapacity> m_slots;
    std::atomic<int> m_used{0};
};

Routes& routes()
{
    static Routes r;
    return r;
}

// The wrapper's procedures. Every record of the module has the same ones.
std::atomic<Vst2::AEffectDispatcherProc> g_frameworkDispatcher{nullptr};
std::atomic<Vst2::AEffectSetParameterProc> g_frameworkSetParameter{nullptr};
std::atomic<Vst2::AEffectProcessProc> g_frameworkProcessReplacing{nullptr};
std::atomic<Vst2::AEffectProcessDoubleProc> g_frameworkProcessDoubleReplacing{nullptr};

// The wrapper's block call reads channel buffers it builds at resume and frees at suspend: a host that
// processes while the effect is suspended, or before resuming it, gets silence instead of a crash.
template <typename Sample>
bool silenceUnlessResumed(Vst2::AEffect* effect, Sample** outputs, Vst2::VstInt32 sampleFrames)
{
    if (routes().isResumed(effect))
        return false;
    if (outputs != nullptr && sampleFrames > 0)
        for (int channel = 0; channel < effect->numOutputs; ++channel)
            if (outputs[channel] != nullptr)
                std::fill(outputs[channel], outputs[channel] + sampleFrames, Sample(0));
    return true;
}

void processReplacing(Vst2::AEffect* effect, float** inputs, float** outputs, Vst2::VstInt32 sampleFrames)
{
    if (!silenceUnlessResumed(effect, outputs, sampleFrames))
        g_frameworkProcessReplacing.load()(effect, inputs, outputs, sampleFrames);
}

void processDoubleReplacing(Vst2::AEffect* effect, double** inputs, double** outputs,
                            Vst2::VstInt32 sampleFrames)
{
    if (!silenceUnlessResumed(effect, outputs, sampleFrames))
        g_frameworkProcessDoubleReplacing.load()(effect, inputs, outputs, sampleFrames);
}

// The wrapper fills in its block procedures only after it has asked for the unique id, where the route
// is attached, so they are taken over at the host's first dispatcher call (effOpen comes before any
// block), before the host can process.
void adoptBlockProcedures(Vst2::AEffect* effect)
{
    if (effect->processReplacing != nullptr && effect->processReplacing != &processReplacing)
    {
        g_frameworkProcessReplacing.store(effect->processReplacing);
        effect->processReplacing = &processReplacing;
    }
    if (effect->processDoubleReplacing != nullptr &&
        effect->processDoubleReplacing != &processDoubleReplacing)
    {
        g_frameworkProcessDoubleReplacing.store(effect->processDoubleReplacing);
        effect->processDoubleReplacing = &processDoubleReplacing;
    }
}

Vst2::VstIntPtr dispatch(Vst2::AEffect* effect, Vst2::VstInt32 opcode, Vst2::VstInt32 index,
                         Vst2::VstIntPtr value, void* ptr, float opt)
{
    if (opcode == Vst2::effClose)
        routes().remove(effect); // the wrapper deletes itself and the processor in this call
    else
        adoptBlockProcedures(effect);
    if (opcode == Vst2::effVendorSpecific && index == VkJuceProcessorBase::kVendorCommandIndex)
    {
        if (auto* processor = routes().find(effect))
            return Vst2::VstIntPtr(processor->handleVendorCommand(index, value, ptr, opt));
    }
    // Suspended before the wrapper frees its buffers, resumed only once it has built them again.
    if (opcode == Vst2::effMainsChanged && value == 0)
        routes().setResumed(effect, false);
    const auto result = g_frameworkDispatcher.load()(effect, opcode, index, value, ptr, opt);
    if (opcode == Vst2::effMainsChanged && value != 0)
        routes().setResumed(effect, true);
    // The wrapper announces an editor until an editor call finds out whether there is one; a host
    // reading the flag after opening the effect learns the truth at once.
    if (opcode == Vst2::effOpen)
        if (auto* processor = routes().find(effect); processor != nullptr && !processor->hasEditor())
            effect->flags &= ~Vst2::effFlagsHasEditor;
    return result;
}

// A host change goes straight to the processor's setParameter (the setter marks it as from the host
// and does not report it back). The wrapper's own path would pass it through the framework's parameter
// object, whose echo suppression swallows the first report the processor makes during the call (the
// Solo switches turning each other off) and reports the host's own change back to it instead.
void setParameter(Vst2::AEffect* effect, Vst2::VstInt32 index, float value)
{
    if (auto* processor = routes().find(effect))
    {
        if (index >= 0 && index < effect->numParams)
            processor->setParameter(index, value);
        return;
    }
    g_frameworkSetParameter.load()(effect, index, value);
}

} // namespace

void attachVendorCommandRoute(Vst2::AEffect& effect, VkJuceProcessorBase* processor)
{
    if (processor == nullptr || effect.dispatcher == nullptr || effect.dispatcher == &dispatch)
        return;
    if (!routes().add(&effect, processor))
        return; // more live instances than slots: this one keeps the wrapper's own procedures
    g_frameworkDispatcher.store(effect.dispatcher);
    g_frameworkSetParameter.store(effect.setParameter);
    effect.dispatcher = &dispatch;
    effect.setParameter = &setParameter;
}

} // namespace vk::vst2
