// Every operation an AAX host calls on the binding's objects (the three factories, the effect's
// parameters, its GUI, the AudioSuite processor, the render callback and the last Release), run again and
// again with one more of its allocations failing each time until it runs through: whatever fails, the host
// gets a result code back and never an exception, and the same object then answers as usual.
//
// The allocation probe replaces the global operator new, so this runs in its own executable.

#include "formats/aax/aax_audiosuite_processor.h"
#include "formats/aax/juce_aax_gui.h"
#include "formats/vst3/vst3_framework_lifetime.h"
#include "formats/vst3/vst3_message_thread.h"
#include "tests/formats/aax/allocation_probe.h"
#include "tests/formats/aax/binding_test_support.h"
#include "tests/formats/aax/host_call_sweep.h"
#include "tests/gui/editor_test_support.h"
#include "tests/gui/recording_gl_api.h"

#include "controls/vk_juce_button.h"

#include <atomic>
#include <vector>

namespace
{

using namespace vk::aax;
using namespace vk::aax::test;
using AAXClasses::AAX_AudiosuiteProcessor;
using AAXClasses::JuceAAX_GUI;
using AAXClasses::JuceAAX_Processor;

constexpr float kGainAtDefaults = 0.75f; // the test processor's gain at its default values
const std::vector<std::string> kPublished{kMasterBypassId, "3", "4", "5", "6", "7"};

// The test processor with a headless editor base, so that the GUI has an editor to show, and real-time
// blocks that allocate, as a careless processor's might, so that the render path has something to fail.
// Each one alive is listed (without allocating), so that one the binding kept alive can be found.
class ProbedProcessor final : public TestProcessor
{
public:
    explicit ProbedProcessor(int wrapperType) : TestProcessor(wrapperType) { list(nullptr, this); }
    ~ProbedProcessor() override { list(this, nullptr); }

    juce::AudioProcessorEditor* createEditor() override
    {
        auto editor = std::make_unique<vk::test::TestEditorBase>(*this, &glApi, 800, 400);
        // A control the processor keeps beyond each editor, as a product keeps some.
        if (m_keptControl == nullptr)
            m_keptControl = std::make_unique<vk::VkJuceButton>("m_btnKept");
        m_keptControl->attachToParameter(3, editor.get());
        editor->addControl(m_keptControl.get(), -1);
        return editor.release();
    }
    bool hasEditor() const override { return true; }
    // Remembers the first play head the binding gives: the part of the binding this processor calls into.
    void setPlayHead(juce::AudioPlayHead* playHead) override
    {
        if (m_binding == nullptr)
            m_binding = playHead;
        TestProcessor::setPlayHead(playHead);
    }
    void processAlgorithm(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override
    {
        m_scratch = std::vector<float>(std::size_t(buffer.getNumSamples()));
        TestProcessor::processAlgorithm(buffer, midi);
    }

    static std::vector<ProbedProcessor*> alive()
    {
        std::vector<ProbedProcessor*> result;
        for (auto& slot : s_alive)
            if (auto* processor = slot.load())
                result.push_back(processor);
        return result;
    }

    vk::test::RecordingGlApi glApi;
    juce::AudioPlayHead* m_binding = nullptr;

private:
    static void list(ProbedProcessor* from, ProbedProcessor* to)
    {
        for (auto& slot : s_alive)
            if (auto expected = from; slot.compare_exchange_strong(expected, to))
                return;
    }

    static inline std::atomic<ProbedProcessor*> s_alive[64] = {};
    std::vector<float> m_scratch;
    std::unique_ptr<vk::VkJuceButton> m_keptControl;
};

template <typename Interface>
Interface* facingOf(IACFUnknown* created, const Guid& iid)
{
    void* facing = nullptr;
    EXPECT_EQ(created != nullptr ? created->QueryInterface(iid, &facing) : kResultUnexpected, kResultOk);
    return static_cast<Interface*>(facing);
}

// Creates with `factory` and lets go again: the whole life of an object the host never initialises.
Result createAndRelease(IACFUnknown* (*factory)())
{
    IACFUnknown* created = factory();
    if (created == nullptr)
        return kResultNoHostObject;
    created->AddRef();
    created->Release();
    return kResultOk;
}

class AaxAllocationFailure : public BindingTest
{
protected:
    AaxAllocationFailure()
    {
        processorMaker() = [](int type) { return new ProbedProcessor(type); };
        instance = std::make_unique<Instance>(host);
        host.setEffectParameters(instance->object->GetControllingUnknown());
    }
    ~AaxAllocationFailure() override
    {
        instance.reset();
        host.setEffectParameters(nullptr);
    }

    std::unique_ptr<Instance> instance;
};

TEST_F(AaxAllocationFailure, FactoriesAndTheLastReleaseAnswerTheHost)
{
    // No other object alive: each try starts the framework, and stops it again.
    instance.reset();
    host.setEffectParameters(nullptr);
    // The first Initialize, and the last Release of an initialised object whose GUI shows an editor: a
    // fresh object each try.
    AAX_IACFEffectParameters_V2* parameters = nullptr;
    AAX_IACFEffectGUI* gui = nullptr;
    const auto freshParameters = [&] {
        parameters =
            facingOf<AAX_IACFEffectParameters_V2>(JuceAAX_Processor::Create(), kIID_EffectParametersV2);
    };
    const auto initialisedParameters = [&]
    {
        freshParameters();
        parameters->Initialize(host.root());
    };
    // What a failed first Initialize leaves must be whole; it goes with the object.
    const auto lookUpAndRelease = [&]
    {
        lookUpParameters(*parameters, kPublished);
        parameters->Uninitialize();
        parameters->Release();
    };
    const auto initialisedGui = [&]
    {
        gui = facingOf<AAX_IACFEffectGUI>(JuceAAX_GUI::Create(), kIID_EffectGUI);
        gui->Initialize(host.root());
        gui->SetViewContainer(&host.viewContainer());
    };

    EXPECT_GT(sweepAll({
                  {"effect-parameters factory", [] { return createAndRelease(&JuceAAX_Processor::Create); }},
                  {"GUI factory", [] { return createAndRelease(&JuceAAX_GUI::Create); }},
                  {"AudioSuite factory", [] { return createAndRelease(&AAX_AudiosuiteProcessor::Create); }},
                  {"first Initialize", [&] { return parameters->Initialize(host.root()); }, kResultOk,
                   freshParameters, lookUpAndRelease},
                  {"effect parameters' last Release", [&] { return Result(parameters->Release()); }, 0,
                   initialisedParameters},
                  {"GUI's last Release", [&] { return Result(gui->Release()); }, 0, initialisedGui},
              }),
              0);
    EXPECT_EQ(vk::vst3::liveFrameworkUsers(), 0) << "a start that failed must not stay counted";

    // A processor whose deletion found no room on the message thread's queue is kept alive rather than
    // deleted under that thread: one for each row that lets an effect go, at the try that fails the queue.
    // So is the part of the binding it may still call into, which goes after it.
    const auto kept = ProbedProcessor::alive();
    EXPECT_EQ(kept.size(), 2u);
    const vk::vst3::FrameworkLifetime framework;
    const vk::vst3::MessageThreadScope messageThread;
    for (auto* processor : kept)
    {
        auto* binding = processor->m_binding;
        delete processor;
        delete binding;
    }
}

TEST_F(AaxAllocationFailure, EffectParametersAnswerTheHost)
{
    auto* fx = instance->parameters;
    EffectCallState state(*fx);
    // Edits in the editor, noted for the host's next periodic call.
    const auto editorEdits = [&]
    {
        instance->processor().editorSet(4, 0.3f);
        instance->processor().editorSet(5, 0.6f);
    };
    EXPECT_GT(sweepAll(effectParameterCalls(state, host.root(), "3", kPublished, editorEdits)), 0);

    // The same object answers as before: every parameter, both chunks, the editor's last edit.
    instance->processor().editorSet(6, 0.2f);
    ASSERT_EQ(fx->TimerWakeup(), kResultOk);
    std::int32_t count = 0;
    ASSERT_EQ(fx->GetNumberOfParameters(&count), kResultOk);
    EXPECT_EQ(count, 6);
    double value = 0.0;
    ASSERT_EQ(fx->GetParameterNormalizedValue("6", &value), kResultOk);
    EXPECT_FLOAT_EQ(float(value), 0.2f);
    saveChunk(*fx, kControlsChunkId);
    saveChunk(*fx, JuceAAX_Processor::kJuceChunkId);
}

TEST_F(AaxAllocationFailure, RenderCallbackAndHybridRenderAnswerTheHost)
{
    const Channels in(2, std::vector<float>(256, 0.25f));
    Channels out(2, std::vector<float>(256, 0.5f));
    const std::vector<const float*> inputs{in[0].data(), in[1].data()};
    const std::vector<float*> outputs{out[0].data(), out[1].data()};
    const std::int32_t length = 256;
    const RenderContext context = instance->context(inputs.data(), outputs.data(), &length);
    const void* contexts[] = {&context};
    const auto renderCallback = [&]
    {
        AAXClasses::algorithmProcessCallback(const_cast<void* const*>(contexts), contexts + 1);
        return kResultOk;
    };
    HybridRenderInfo hybrid{inputs.data(), outputs.data(), &length};

    EXPECT_EQ(sweepAll({
                  {"render callback", renderCallback},
                  {"RenderAudio_Hybrid", [&] { return instance->parameters->RenderAudio_Hybrid(&hybrid); }},
              }),
              2);

    // A block that fails is silence, not half-processed audio; the next one is processed.
    AllocationProbe::arm(1);
    renderCallback();
    ASSERT_TRUE(AllocationProbe::disarm());
    EXPECT_EQ(out, Channels(2, std::vector<float>(256, 0.0f)));
    renderCallback();
    EXPECT_EQ(out, Channels(2, std::vector<float>(256, 0.25f * kGainAtDefaults)));
}

TEST_F(AaxAllocationFailure, GuiAnswersTheHost)
{
    auto* gui = facingOf<AAX_IACFEffectGUI>(JuceAAX_GUI::Create(), kIID_EffectGUI);
    ViewSize viewSize{};
    // The calls that take the editor down find one at every try.
    const auto showEditor = [&]
    {
        gui->Initialize(host.root());
        gui->SetViewContainer(&host.viewContainer());
    };
    EXPECT_GT(
        sweepAll({
            {"GUI Initialize", [&] { return gui->Initialize(host.root()); }},
            {"GUI NotificationReceived", [&] { return gui->NotificationReceived(0, nullptr, 0); }},
            {"GUI SetViewContainer", [&] { return gui->SetViewContainer(&host.viewContainer()); }},
            {"GUI GetViewSize", [&] { return gui->GetViewSize(&viewSize); }},
            {"GUI ParameterUpdated", [&] { return gui->ParameterUpdated("3"); }},
            {"GUI Hook8", [&] { return gui->Hook8(nullptr); }},
            {"GUI Hook11", [&] { return gui->Hook11(nullptr); }, kResultNoHostInterface},
            {"GUI SetViewContainer (none)", [&] { return gui->SetViewContainer(nullptr); }, kResultOk,
             showEditor},
            {"GUI SetViewContainer again", [&] { return gui->SetViewContainer(&host.viewContainer()); }},
            {"GUI Uninitialize", [&] { return gui->Uninitialize(); }, kResultOk, showEditor},
            {"GUI Initialize again", [&] { return gui->Initialize(host.root()); }, kResultOk, showEditor},
        }),
        0);

    // The same GUI still shows the editor at its size.
    EXPECT_EQ(gui->SetViewContainer(&host.viewContainer()), kResultOk);
    ASSERT_EQ(gui->GetViewSize(&viewSize), kResultOk);
    EXPECT_EQ(viewSize.width, 800.0f);
    EXPECT_EQ(viewSize.height, 400.0f);
    EXPECT_EQ(gui->Uninitialize(), kResultOk);
    gui->Release();
}

TEST_F(AaxAllocationFailure, AudioSuiteProcessorAnswersTheHost)
{
    auto* suite = facingOf<AAX_IACFHostProcessor>(AAX_AudiosuiteProcessor::Create(), kIID_HostProcessor);
    const Channels in(2, std::vector<float>(512, 0.25f));
    Channels out(2, std::vector<float>(512, 0.0f));
    const std::vector<const float*> inputs{in[0].data(), in[1].data()};
    const std::vector<float*> outputs{out[0].data(), out[1].data()};
    std::int32_t window = 512;
    std::int64_t start = 0;
    std::int64_t end = 0;
    const auto fullWindow = [&] { window = 512; };

    EXPECT_GT(
        sweepAll({
            {"AudioSuite Initialize", [&] { return suite->Initialize(host.root()); }},
            {"InitOutputBounds", [&] { return suite->InitOutputBounds(0, 512, &start, &end); }},
            {"SetLocation", [&] { return suite->SetLocation(0); }},
            {"PreAnalyze", [&] { return suite->PreAnalyze(); }},
            {"AnalyzeAudio", [&] { return suite->AnalyzeAudio(inputs.data(), 2, &window); }, kResultOk,
             fullWindow},
            {"PostAnalyze", [&] { return suite->PostAnalyze(); }},
            {"PreRender", [&] { return suite->PreRender(); }},
            {"RenderAudio", [&] { return suite->RenderAudio(inputs.data(), 2, outputs.data(), 2, &window); },
             kResultOk, fullWindow},
            {"PostRender", [&] { return suite->PostRender(); }},
            {"AudioSuite Uninitialize", [&] { return suite->Uninitialize(); }, kResultOk,
             [&] { suite->Initialize(host.root()); }},
            {"AudioSuite Initialize again", [&] { return suite->Initialize(host.root()); }},
        }),
        0);

    // The same processor renders a whole window.
    window = 512;
    EXPECT_EQ(suite->PreRender(), kResultOk);
    EXPECT_EQ(suite->RenderAudio(inputs.data(), 2, outputs.data(), 2, &window), kResultOk);
    EXPECT_EQ(window, 512);
    EXPECT_EQ(suite->Uninitialize(), kResultOk);
    suite->Release();
}

} // namespace
