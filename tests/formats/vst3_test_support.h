#pragma once

// What the in-process VST3 tests share: a bounded wait, the host's recording component handler, and one
// processor/controller pair made through the module's factory as a host makes it.

#include "formats/identity/vk_plugin_identity.h"
#include "formats/vst3/vst3_module_factory.h"
#include "formats/vst3/vst3_processor.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>
#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>
#include <pluginterfaces/vst/ivstmessage.h>
#include <pluginterfaces/vst/ivstparameterchanges.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The SDK's interfaces have no virtual destructors by design; the tests' host objects live on the stack.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// A host object on the stack: no reference counting, and no interface but its own.
// clang-format off
#define VK_NO_REFCOUNT                                                                                       \
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }                                             \
    Steinberg::uint32 PLUGIN_API release() override { return 1; }
#define VK_STACK_OBJECT                                                                                      \
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID, void**) override { return Steinberg::kNoInterface; } \
    VK_NO_REFCOUNT
// clang-format on

namespace vk::test
{

template <typename Condition>
bool waitUntil(Condition condition, std::chrono::seconds limit = std::chrono::seconds(30))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// The host's component handler: every call ("begin 5", "perform 5", "end 5", "restart") with its value and
// thread. `onCall` runs inside each call, as the host's own code would.
class HostEdits : public Steinberg::Vst::IComponentHandler
{
public:
    struct Call
    {
        std::string what;
        double value;
        std::thread::id thread;
        bool onMessageThread;
    };

    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override { return add("begin", id); }
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                              Steinberg::Vst::ParamValue v) override
    {
        return add("perform", id, v);
    }
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override { return add("end", id); }
    // The flags as the value.
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override
    {
        return add("restart", -1, flags);
    }
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID, void**) override
    {
        return Steinberg::kNoInterface;
    }
    // Counted as a host's handler is: a controller let go of it may still be finishing a delivery on the
    // module's thread, with a reference of its own, and the handler must outlive that reference.
    Steinberg::uint32 PLUGIN_API addRef() override { return Steinberg::uint32(++m_references); }
    Steinberg::uint32 PLUGIN_API release() override { return Steinberg::uint32(--m_references); }
    // The references the module holds.
    int references() const { return m_references.load(); }
    ~HostEdits()
    {
        if (!waitUntil([this] { return m_references.load() == 0; }))
        {
            ADD_FAILURE() << "the module still holds the host's handler";
            std::abort();
        }
    }

    std::vector<Call> calls()
    {
        std::lock_guard<std::mutex> g(m_lock);
        return m_calls;
    }
    // Calls named `what` ("" for all), on `thread` (or off it, with onIt false; any thread when unset).
    int count(const std::string& what, std::thread::id thread = {}, bool onIt = true)
    {
        int n = 0;
        for (const auto& c : calls())
            n += (what.empty() || c.what == what) &&
                 (thread == std::thread::id() || (c.thread == thread) == onIt);
        return n;
    }
    bool has(const std::string& what, double value)
    {
        for (const auto& c : calls())
            if (c.what == what && std::abs(c.value - value) < 1e-3)
                return true;
        return false;
    }
    // The names of the calls for one parameter, in order.
    std::vector<std::string> of(Steinberg::Vst::ParamID id)
    {
        std::vector<std::string> out;
        const std::string suffix = " " + std::to_string(id);
        for (const auto& c : calls())
            if (c.what.size() > suffix.size() &&
                c.what.compare(c.what.size() - suffix.size(), suffix.size(), suffix) == 0)
                out.push_back(c.what);
        return out;
    }
    void clear()
    {
        std::lock_guard<std::mutex> g(m_lock);
        m_calls.clear();
    }
    // Records something else the test follows, with its thread.
    void note(const char* what) { add(what, -1); }

    std::function<void(Steinberg::Vst::ParamID)> onCall;

private:
    Steinberg::tresult add(const char* what, long long id, double value = 0.0)
    {
        {
            std::lock_guard<std::mutex> g(m_lock);
            m_calls.push_back({id < 0 ? std::string(what) : what + (" " + std::to_string(id)), value,
                               std::this_thread::get_id(), juce::MessageManager::existsAndIsCurrentThread()});
        }
        if (onCall)
            onCall(Steinberg::Vst::ParamID(id));
        return Steinberg::kResultOk;
    }
    std::mutex m_lock;
    std::vector<Call> m_calls;
    std::atomic<int> m_references{0};
};

// A host's parameter changes for one block: one queue per parameter, each with its list of points.
class Changes : public Steinberg::Vst::IParameterChanges
{
public:
    class Queue : public Steinberg::Vst::IParamValueQueue
    {
    public:
        Queue(Steinberg::Vst::ParamID id, std::vector<double> values) : m_id(id), m_values(std::move(values))
        {
        }
        Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return m_id; }
        Steinberg::int32 PLUGIN_API getPointCount() override { return Steinberg::int32(m_values.size()); }
        Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& offset,
                                               Steinberg::Vst::ParamValue& value) override
        {
            offset = index;
            value = m_values[std::size_t(index)];
            return Steinberg::kResultTrue;
        }
        Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32, Steinberg::Vst::ParamValue,
                                               Steinberg::int32&) override
        {
            return Steinberg::kResultFalse;
        }
        VK_STACK_OBJECT

    private:
        Steinberg::Vst::ParamID m_id;
        std::vector<double> m_values;
    };

    Changes(std::initializer_list<std::pair<Steinberg::Vst::ParamID, std::vector<double>>> queues)
    {
        for (const auto& [id, values] : queues)
            m_queues.emplace_back(id, values);
    }
    Steinberg::int32 PLUGIN_API getParameterCount() override { return Steinberg::int32(m_queues.size()); }
    Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override
    {
        return &m_queues[std::size_t(index)];
    }
    Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID&,
                                                                  Steinberg::int32&) override
    {
        return nullptr;
    }
    VK_STACK_OBJECT

    // A processing call of no samples that hands these changes over.
    Steinberg::tresult processOn(Steinberg::Vst::IAudioProcessor& p)
    {
        Steinberg::Vst::ProcessData data{};
        data.inputParameterChanges = this;
        return p.process(data);
    }

private:
    std::vector<Queue> m_queues;
};

// A processor and its controller from the module's factory, initialised with `context` and connected, as
// hosts make them; `prepare` also sets them up and activates the processor.
struct Instance
{
    Steinberg::Vst::IComponent* component = nullptr;
    Steinberg::Vst::IAudioProcessor* audio = nullptr;
    Steinberg::Vst::IEditController* controller = nullptr;

    void create(Steinberg::FUnknown* context, bool prepare = true)
    {
        createFrom(vst3::moduleFactory(), context, prepare);
    }
    // The same from another factory (a module the test loaded itself).
    void createFrom(Steinberg::IPluginFactory& factory, Steinberg::FUnknown* context, bool prepare = true)
    {
        using namespace Steinberg::Vst;
        void* obj = nullptr;
        factory.createInstance(reinterpret_cast<const char*>(identity::kProcessorClassId.data()),
                               IComponent::iid, &obj);
        component = static_cast<IComponent*>(obj);
        component->queryInterface(IAudioProcessor::iid, &obj);
        audio = static_cast<IAudioProcessor*>(obj);
        factory.createInstance(reinterpret_cast<const char*>(identity::kControllerClassId.data()),
                               IEditController::iid, &obj);
        controller = static_cast<IEditController*>(obj);
        component->initialize(context);
        controller->initialize(context);
        connect();
        if (!prepare)
            return;
        setUp();
        component->setActive(true);
    }
    // Connects the two halves both ways, as hosts do.
    void connect()
    {
        using Steinberg::Vst::IConnectionPoint;
        IConnectionPoint* a = nullptr;
        IConnectionPoint* b = nullptr;
        component->queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&a));
        controller->queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&b));
        a->connect(b);
        b->connect(a);
        a->release();
        b->release();
    }
    // Stereo, 48 kHz, 256 samples.
    void setUp()
    {
        Steinberg::Vst::ProcessSetup setup{Steinberg::Vst::kRealtime, Steinberg::Vst::kSample32, 256,
                                           48000.0};
        audio->setupProcessing(setup);
    }

    void destroyController()
    {
        controller->setComponentHandler(nullptr);
        controller->terminate();
        controller->release();
        controller = nullptr;
    }
    void destroyProcessor(bool deactivate = true)
    {
        if (deactivate)
            component->setActive(false);
        component->terminate();
        audio->release();
        component->release();
        component = nullptr;
    }
    void destroy()
    {
        destroyController();
        destroyProcessor();
    }

    VkJuceProcessorBase* processor()
    {
        return static_cast<Steinberg::Vst::VST3Processor*>(audio)->getProcessor();
    }

    // A processing call with no audio, from the calling (audio) thread.
    void processNothing()
    {
        Steinberg::Vst::ProcessData data{};
        data.numSamples = 0;
        audio->process(data);
    }
};

} // namespace vk::test
