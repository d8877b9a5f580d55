#pragma once

// One AAX instance of the binding as a host builds it, in-process over the recording fake host, with the
// framework's test processor (or a variant) behind it.

#include "formats/aax/juce_aax_processor.h"
#include "tests/formats/aax/effect_instance.h"
#include "tests/processor/test_processor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace vk::aax::test
{

// The creation function the binding calls; tests pick what it builds.
inline std::function<VkJuceProcessorBase*(int)>& processorMaker()
{
    static std::function<VkJuceProcessorBase*(int)> maker;
    return maker;
}

inline VkJuceProcessorBase* createForTest(int wrapperType)
{
    auto& maker = processorMaker();
    return maker ? maker(wrapperType) : new TestProcessor(wrapperType);
}

// Takes `lock` within `limit`, as a host that gives up waiting for its own lock does; false when it did not.
inline bool lockWithin(std::mutex& lock, std::chrono::seconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!lock.try_lock())
    {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Sets the binding's creation function and keeps the processors' settings in a temporary folder.
class BindingTest : public ::testing::Test
{
protected:
    BindingTest() { setProcessorFactory(&createForTest); }
    ~BindingTest() override { processorMaker() = nullptr; }

    ScopedDataFolders folders;
    FakeHost host;
};

// The processor wrapper's effect-parameters object, created by its factory.
class Instance : public EffectInstance
{
public:
    explicit Instance(FakeHost& host, bool resetFields = true)
        : EffectInstance(AAXClasses::JuceAAX_Processor::Create(), host, resetFields),
          object(dynamic_cast<AAXClasses::JuceAAX_Processor*>(parameters))
    {
    }

    TestProcessor& processor() const { return *dynamic_cast<TestProcessor*>(object->getProcessor()); }

    AAXClasses::JuceAAX_Processor* object = nullptr;
};

} // namespace vk::aax::test
