#include "formats/vst2/vst2_effect_adapter.h"

#include "processor/vk_processor_base.h"

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
        const int used = m_used.load();
        for (int i = 0; i < used; ++i)
            if (m_slots[size_t(i)].effect.load() == effect)
                return m_slots[size_t(i)].processor.load();
        return nullptr;
    }

    void remove(Vst2::AEffect* effect)
    {
        const int used = m_used.load();
        for (int i = 0; i < used; ++i)
            if (m_slots[size_t(i)].effect.load() == effect)
            {
                m_slots[size_t(i)].processor.store(nullptr);
                m_slots[size_t(i)].effect.store(nullptr);
            }
    }

private:
    struct Slot
    {
        std::atomic<Vst2::AEffect*> effect{nullptr};
        std::atomic<VkJuceProcessorBase*> processor{nullptr};
    };
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

Vst2::VstIntPtr dispatch(Vst2::AEffect* effect, Vst2::VstInt32 opcode, Vst2::VstInt32 index,
                         Vst2::VstIntPtr value, void* ptr, float opt)
{
    if (opcode == Vst2::effVendorSpecific && index == VkJuceProcessorBase::kVendorCommandIndex)
    {
        if (auto* processor = routes().find(effect))
            return Vst2::VstIntPtr(processor->handleVendorCommand(index, value, ptr, opt));
    }
    if (opcode == Vst2::effClose)
        routes().remove(effect); // the wrapper deletes itself and the processor in this call
    const auto result = g_frameworkDispatcher.load()(effect, opcode, index, value, ptr, opt);
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
