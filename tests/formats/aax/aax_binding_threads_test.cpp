// The binding across threads: the module's JUCE use count when a host builds and releases AAX objects on
// several threads at once (JUCE starts once, stays up while any object lives, and is down again when the
// last one goes), host automation while the render callback plays, editor changes on JUCE's message thread
// while the host rebuilds the parameters, and a host that guards its objects with a lock of its own.

#include "formats/aax/aax_audiosuite_processor.h"
#include "formats/aax/aax_effect_description.h"
#include "formats/aax/juce_aax_gui.h"
#include "formats/aax/juce_aax_processor.h"
#include "formats/vst3/vst3_framework_lifetime.h"
#include "tests/formats/aax/binding_test_support.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

namespace
{

using namespace vk::aax;
using namespace vk::aax::test;

using AaxJuceUse = BindingTest;

TEST_F(AaxJuceUse, ObjectsOnSeveralThreadsKeepTheCountBalanced)
{
    const auto liveBefore = CACFUnknown::LiveObjectCount();
    auto churn = [](CreateObjectProc create, const Guid& iid)
    {
        for (int round = 0; round < 4; ++round)
        {
            IACFUnknown* object = create();
            void* facing = nullptr;
            ASSERT_EQ(object->QueryInterface(iid, &facing), kResultOk);
            static_cast<IACFUnknown*>(facing)->Release();
        }
    };
    std::vector<std::thread> threads;
    threads.emplace_back(churn, &AAXClasses::JuceAAX_Processor::Create, kIID_EffectParameters);
    threads.emplace_back(churn, &AAXClasses::JuceAAX_Processor::Create, kIID_EffectParameters);
    threads.emplace_back(churn, &AAXClasses::JuceAAX_GUI::Create, kIID_EffectGUI);
    threads.emplace_back(
        [this]
        {
            // The only thread that calls the (single-threaded) fake host: the others' objects never
            // reach it.
            for (int round = 0; round < 4; ++round)
            {
                AAX_VCollection collection(host.root());
                EXPECT_EQ(AAXClasses::GetEffectDescriptions(collection), kResultOk);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(CACFUnknown::LiveObjectCount(), liveBefore);
    EXPECT_EQ(vk::vst3::liveFrameworkUsers(), 0);
}

TEST_F(AaxJuceUse, TheDescriptionStartsJuceOnlyForItsOwnLength)
{
    {
        AAX_VCollection collection(host.root());
        EXPECT_EQ(AAXClasses::GetEffectDescriptions(collection), kResultOk);
    }
    EXPECT_EQ(vk::vst3::liveFrameworkUsers(), 0);
    {
        Instance instance(host);
        AAX_VCollection collection(host.root());
        EXPECT_EQ(AAXClasses::GetEffectDescriptions(collection), kResultOk);
        EXPECT_EQ(vk::vst3::liveFrameworkUsers(), 1);
    }
    EXPECT_EQ(vk::vst3::liveFrameworkUsers(), 0);
}

TEST_F(AaxJuceUse, AutomationWhilePlaying)
{
    // The fake host records on one thread only: its transport stays out of the audio thread's way.
    host.answerQuery(kIID_Transport, Answer::Refuse);
    host.answerQuery(kIID_TransportV2, Answer::Refuse);
    Instance instance(host);
    std::vector<float> left(256, 0.1f);
    std::vector<float> right(256, -0.1f);
    std::atomic<bool> finite{true};
    std::thread audio(
        [&]
        {
            const float* in[] = {left.data(), right.data()};
            std::vector<float> outLeft(256);
            std::vector<float> outRight(256);
            float* out[] = {outLeft.data(), outRight.data()};
            const std::int32_t length = 256;
            const RenderContext context = instance.context(in, out, &length);
            const void* contexts[] = {&context};
            for (int block = 0; block < 400; ++block)
            {
                AAXClasses::algorithmProcessCallback(const_cast<void* const*>(contexts), contexts + 1);
                if (!std::isfinite(outLeft[255]) || !std::isfinite(outRight[0]))
                    finite.store(false);
            }
        });
    for (int change = 0; change < 400; ++change)
    {
        instance.parameters->UpdateParameterNormalizedValue("3", double(change % 10) / 10.0, 0);
        instance.parameters->UpdateParameterNormalizedValue(kMasterBypassId, double(change % 2), 0);
    }
    audio.join();
    EXPECT_TRUE(finite.load());
    EXPECT_GT(instance.processor().m_algorithmBlocks.load(), 0);
}

// The parameters belong to the host's thread, which hears the editor's changes in its next call.
TEST_F(AaxJuceUse, EditorChangesWhileTheHostRebuildsTheParameters)
{
    Instance instance(host);
    EditorChanges editor(instance.processor(), [](int n) { return 3 + n % 2; });
    for (int round = 0; round < 1500; ++round)
    {
        EXPECT_EQ(instance.parameters->Uninitialize(), kResultOk);
        EXPECT_EQ(instance.parameters->Initialize(host.root()), kResultOk);
        std::uint32_t size = 0;
        EXPECT_EQ(instance.parameters->GetChunkSize(kControlsChunkId, &size), kResultOk);
        EXPECT_EQ(instance.parameters->TimerWakeup(), kResultOk);
    }
    EXPECT_TRUE(editor.stop());
}

// The host's calls that prepare the processor, restore or save its state and run AudioSuite passes change
// what the processor's message-thread work reads (the sample rate, the programs): that work waits for them.
TEST_F(AaxJuceUse, HostCallsThatChangeTheProcessorNeverOverlapItsTimerWork)
{
    processorMaker() = [](int type) { return new TimerOverlapProbe(type); };
    Instance instance(host);
    auto& probe = dynamic_cast<TimerOverlapProbe&>(instance.processor());
    auto state = saveChunk(*instance.parameters, AAXClasses::JuceAAX_Processor::kJuceChunkId);
    host.setEffectParameters(instance.object->GetControllingUnknown());
    void* facing = nullptr;
    ASSERT_EQ(AAXClasses::AAX_AudiosuiteProcessor::Create()->QueryInterface(kIID_HostProcessor, &facing),
              kResultOk);
    auto* suite = static_cast<AAX_IACFHostProcessor*>(facing);
    ASSERT_EQ(suite->Initialize(host.root()), kResultOk);
    std::vector<float> window(1024, 0.1f);
    const float* in[] = {window.data(), window.data()};
    float* out[] = {window.data(), window.data()};

    for (int round = 0; round < 100; ++round)
    {
        EXPECT_EQ(instance.parameters->ResetFieldData(kFieldPrepared, &instance.preparedField,
                                                      sizeof instance.preparedField),
                  kResultOk);
        EXPECT_EQ(instance.parameters->SetChunk(AAXClasses::JuceAAX_Processor::kJuceChunkId, state.record()),
                  kResultOk);
        state = saveChunk(*instance.parameters, AAXClasses::JuceAAX_Processor::kJuceChunkId);
        std::int32_t size = std::int32_t(window.size());
        EXPECT_EQ(suite->PreRender(), kResultOk);
        EXPECT_EQ(suite->RenderAudio(in, 2, out, 2, &size), kResultOk);
        EXPECT_EQ(suite->PostRender(), kResultOk);
    }
    EXPECT_GT(probe.m_timerHookCalls.load(), 20);
    EXPECT_EQ(probe.overlaps.load(), 0);
    suite->Uninitialize();
    suite->Release();
    host.setEffectParameters(nullptr);
}

// A host that guards its objects with a lock of its own, held by its main thread while it calls the
// module, and taken inside its automation: while the module's message thread has an editor change to
// report, the host's calls wait for no JUCE thread.
TEST_F(AaxJuceUse, HostCallsDoNotWaitForTheMessageThread)
{
    HostLock hostLock;
    host.onAutomation = [&] { hostLock.enter(); };
    Instance instance(host);
    std::atomic<int> made{0};
    hostLock.hold();
    postEditorChange(instance.processor(), 3, 0.7f, made);
    // Made, and about to be reported.
    waitUntil([&] { return instance.processor().getParameter(3) == 0.7f; }, std::chrono::seconds(4));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));

    const auto start = std::chrono::steady_clock::now();
    std::uint32_t size = 0;
    EXPECT_EQ(instance.parameters->GetChunkSize(AAXClasses::JuceAAX_Processor::kJuceChunkId, &size),
              kResultOk);
    std::int32_t prepared = 0;
    EXPECT_EQ(instance.parameters->ResetFieldData(kFieldPrepared, &prepared, sizeof prepared), kResultOk);
    EXPECT_EQ(Instance(host).initResult, kResultOk); // another one made, prepared and let go of
    const auto waited = std::chrono::steady_clock::now() - start;
    hostLock.release();

    EXPECT_LT(waited, std::chrono::seconds(2));
    EXPECT_TRUE(waitUntil([&] { return made.load() == 1; }, std::chrono::seconds(30)));
    // The change reaches the host's automation in its next call, on its own thread.
    EXPECT_EQ(instance.parameters->TimerWakeup(), kResultOk);
    const auto automation = host.calls("automation");
    EXPECT_NE(std::find(automation.begin(), automation.end(), "automation#5(\"3\",0.7)"), automation.end());
}

// The processor's code may take its play head and read it a moment later, on the message thread (an
// editor change) while the host lets go of the instance on its own thread: the read still finds what it
// reads, since that stays until the processor itself is gone.
TEST_F(AaxJuceUse, APlayHeadReadUnderWayOutlivesTheInstance)
{
    Instance keepsJuceUp(host);
    auto* instance = new Instance(host);
    auto& processor = instance->processor();
    std::atomic<int> stage{0};
    std::atomic<bool> answered{false};
    juce::MessageManager::callAsync(
        [&processor, &stage, &answered]
        {
            juce::AudioPlayHead* playHead = processor.getPlayHead();
            stage.store(1);
            waitUntil([&] { return stage.load() == 2; }, std::chrono::seconds(10));
            if (playHead != nullptr)
                answered.store(!playHead->getPosition().hasValue());
        });
    ASSERT_TRUE(waitUntil([&] { return stage.load() == 1; }, std::chrono::seconds(10)));
    delete instance;
    stage.store(2);
    // No block was rendered: there is no position to give.
    EXPECT_TRUE(waitUntil([&] { return answered.load(); }, std::chrono::seconds(10)));
}

} // namespace
