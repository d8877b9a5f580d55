#pragma once

// One AAX instance of the binding as a host builds it, in-process over the recording fake host, with the
// framework's test processor (or a variant) behind it.

#include "formats/aax/juce_aax_processor.h"
#include "tests/formats/aax/fake_host.h"
#include "tests/processor/test_processor.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

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

// Sets the binding's creation function and keeps the processors' settings in a temporary folder.
class BindingTest : public ::testing::Test
{
protected:
    BindingTest() { setProcessorFactory(&createForTest); }
    ~BindingTest() override { processorMaker() = nullptr; }

    ScopedDataFolders folders;
    FakeHost host;
};

// The effect's parameters object, created by its factory, initialised, and its fields reset as a host
// does before the first render callback.
class Instance
{
public:
    explicit Instance(FakeHost& host, bool resetFields = true)
    {
        IACFUnknown* created = AAXClasses::JuceAAX_Processor::Create();
        void* facing = nullptr;
        EXPECT_EQ(created->QueryInterface(kIID_EffectParametersV2, &facing), kResultOk);
        parameters = static_cast<AAX_IACFEffectParameters_V2*>(facing);
        object = dynamic_cast<AAXClasses::JuceAAX_Processor*>(parameters);
        initResult = parameters->Initialize(host.root());
        if (resetFields)
        {
            EXPECT_EQ(parameters->ResetFieldData(kFieldInstance, &instanceField, sizeof instanceField),
                      kResultOk);
            EXPECT_EQ(parameters->ResetFieldData(kFieldPrepared, &preparedField, sizeof preparedField),
                      kResultOk);
        }
    }
    ~Instance()
    {
        parameters->Uninitialize();
        parameters->Release();
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    TestProcessor& processor() const { return *dynamic_cast<TestProcessor*>(object->getProcessor()); }

    // A render context over the instance's fields.
    RenderContext context(const float* const* inputs, float* const* outputs, const std::int32_t* length) const
    {
        return RenderContext{inputs, outputs, length, &instanceField, &preparedField};
    }

    AAX_IACFEffectParameters_V2* parameters = nullptr;
    AAXClasses::JuceAAX_Processor* object = nullptr;
    Result initResult = -1;
    void* instanceField = nullptr;
    std::int32_t preparedField = 0;
};

} // namespace vk::aax::test
