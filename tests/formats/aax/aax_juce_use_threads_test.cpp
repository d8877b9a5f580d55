// The module's JUCE use count when a host builds and releases AAX objects on several threads at once:
// JUCE starts once, stays up while any object lives, and is down again when the last one goes.

#include "formats/aax/aax_effect_description.h"
#include "formats/aax/juce_aax_gui.h"
#include "formats/aax/juce_aax_processor.h"
#include "formats/vst3/vst3_framework_lifetime.h"
#include "tests/formats/aax/binding_test_support.h"

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

} // namespace
