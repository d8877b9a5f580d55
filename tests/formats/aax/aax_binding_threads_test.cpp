// The binding across threads: the module's JUCE use count when a host builds and releases AAX objects on
// several threads at once (JUCE starts once, stays up while any object lives, and is down again when the
// last one goes), and host automation while the render callback plays.

#include "formats/aax/aax_effect_description.h"
#include "formats/aax/juce_aax_gui.h"
#include "formats/aax/juce_aax_processor.h"
#include "formats/vst3/vst3_framework_lifetime.h"
#include "tests/formats/aax/binding_test_support.h"

#include <atomic>
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

} // namespace
