// The adapter in front of the VST 2.4 wrapper, with effect records of the test's own: thousands of live
// instances (more than any fixed route table holds) each get silence before the first resume and after
// a suspend, and reach the wrapper's block call only in between. A processor instance per record would
// take gigabytes; the adapter only routes to it, so the records share one.

#include "formats/vst2/vst2_effect_adapter.h"
#include "tests/processor/test_processor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{

// The wrapper's procedures, as the adapter finds them in each record: they count what reaches them.
int g_wrapperBlocks = 0;

Vst2::VstIntPtr wrapperDispatcher(Vst2::AEffect*, Vst2::VstInt32, Vst2::VstInt32, Vst2::VstIntPtr, void*,
                                  float)
{
    return 0;
}
void wrapperSetParameter(Vst2::AEffect*, Vst2::VstInt32, float) {}
void wrapperProcess(Vst2::AEffect*, float**, float** outputs, Vst2::VstInt32 frames)
{
    ++g_wrapperBlocks;
    for (int c = 0; c < 2; ++c)
        std::fill(outputs[c], outputs[c] + frames, 0.5f);
}

std::unique_ptr<Vst2::AEffect> makeRecord()
{
    auto effect = std::make_unique<Vst2::AEffect>();
    effect->magic = kEffectMagic;
    effect->dispatcher = &wrapperDispatcher;
    effect->setParameter = &wrapperSetParameter;
    effect->processReplacing = &wrapperProcess;
    effect->numInputs = effect->numOutputs = 2;
    return effect;
}

TEST(Vst2EffectAdapter, EveryLiveInstanceIsGuardedHoweverManyThereAre)
{
    juce::ScopedJuceInitialiser_GUI framework;
    TestProcessor processor(vk::kWrapperVst);
    constexpr int kCount = 5000;
    std::vector<std::unique_ptr<Vst2::AEffect>> records(kCount);
    const auto call = [](Vst2::AEffect& effect, Vst2::VstInt32 opcode, Vst2::VstIntPtr value = 0)
    { effect.dispatcher(&effect, opcode, 0, value, nullptr, 0.0f); };
    const auto open = [&](int i)
    {
        records[std::size_t(i)] = makeRecord();
        vk::vst2::attachVendorCommandRoute(*records[std::size_t(i)], &processor);
        call(*records[std::size_t(i)], Vst2::effOpen);
    };

    std::vector<float> in(32, 0.25f), left(32), right(32);
    float* inputs[2] = {in.data(), in.data()};
    float* outputs[2] = {left.data(), right.data()};
    // 1 when the wrapper processed the block (its output), 0 when the adapter gave silence.
    const auto block = [&](Vst2::AEffect& effect)
    {
        std::fill(left.begin(), left.end(), 1.0f);
        std::fill(right.begin(), right.end(), 1.0f);
        const int before = g_wrapperBlocks;
        effect.processReplacing(&effect, inputs, outputs, 32);
        const int ran = g_wrapperBlocks - before;
        EXPECT_TRUE(left == right && left == std::vector<float>(32, ran != 0 ? 0.5f : 0.0f));
        return ran;
    };
    const auto expectGuarded = [&](std::initializer_list<int> instances)
    {
        for (int i : instances)
        {
            auto& effect = *records[std::size_t(i)];
            EXPECT_EQ(block(effect), 0) << "instance " << i << " not resumed";
            call(effect, Vst2::effMainsChanged, 1);
            EXPECT_EQ(block(effect), 1) << "instance " << i << " resumed";
            call(effect, Vst2::effMainsChanged, 0);
            EXPECT_EQ(block(effect), 0) << "instance " << i << " suspended";
        }
    };

    for (int i = 0; i < kCount; ++i)
        open(i);
    expectGuarded({0, 1023, 1024, 1025, kCount - 1});
    // Closed instances give their routes to new ones; the rest keep theirs.
    for (int i = 0; i < kCount; i += 2)
        call(*records[std::size_t(i)], Vst2::effClose);
    for (int i = 0; i < kCount; i += 2)
        open(i);
    expectGuarded({0, 1, 2048, 2049, kCount - 1});
    for (auto& record : records)
        call(*record, Vst2::effClose);
}

} // namespace
