// The VST3 bundle loaded as hosts load it (dlopen, ModuleEntry, GetPluginFactory), with a host of the
// test's own: a state the host restores (IComponent::setState, then the controller's
// setComponentState) is no edit, neither at once nor after the next processing calls, the controller
// answers the restored values right away, and random banks come back bit for bit.

#include "stored_state.h"
#include "vst3_stereo_block.h"

#include "formats/identity/vk_plugin_identity.h"
#include "processor/vk_wrapper_type.h"
#include "product/latiphonix_processor.h"

#include <gtest/gtest.h>
#include <pluginterfaces/base/ipluginbase.h>
#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>
#include <pluginterfaces/vst/ivstmessage.h>
#include <pluginterfaces/vst/ivstprocesscontext.h>
#include <public.sdk/source/common/memorystream.h>

#include <dlfcn.h>

#include <chrono>
#include <cstring>
#include <iostream>
#include <mutex>
#include <thread>
#include <vector>

// The SDK's interfaces have no virtual destructors by design; the host's objects live on the stack.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{

constexpr int kNumParameters = 35;
constexpr int kNumPrograms = 46;
constexpr ParamID kSoloLeft = 29;
constexpr ParamID kSoloRight = 30;

// The parameters the controller publishes (the processor's exposed ones).
std::vector<ParamID> publishedIds()
{
    static const std::vector<ParamID> ids = []
    {
        LatiphonixProcessor reference(vk::kWrapperVst3);
        std::vector<ParamID> out;
        for (int i = 0; i < kNumParameters; ++i)
            if (reference.isParameterExposedToHost(i))
                out.push_back(ParamID(i));
        return out;
    }();
    return ids;
}

// The host's component handler: every performEdit with its id and value.
class Edits : public IComponentHandler
{
public:
    tresult PLUGIN_API beginEdit(ParamID) override { return kResultOk; }
    tresult PLUGIN_API performEdit(ParamID id, ParamValue value) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_edits.emplace_back(id, value);
        return kResultOk;
    }
    tresult PLUGIN_API endEdit(ParamID) override { return kResultOk; }
    tresult PLUGIN_API restartComponent(int32) override { return kResultOk; }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

    std::vector<std::pair<ParamID, ParamValue>> edits()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_edits;
    }
    void clear()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_edits.clear();
    }
    bool waitFor(ParamID id, ParamValue value)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < end)
        {
            for (const auto& [i, v] : edits())
                if (i == id && v == value)
                    return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

private:
    std::mutex m_lock;
    std::vector<std::pair<ParamID, ParamValue>> m_edits;
};

class Vst3ModuleState : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Kept mapped to the end, like hosts keep modules: its factory lives as long as the module.
        m_module = dlopen(VK_VST3_MODULE_BINARY, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        ASSERT_NE(m_module, nullptr) << dlerror();
        auto entry = reinterpret_cast<bool (*)(void*)>(dlsym(m_module, "ModuleEntry"));
        auto getFactory = reinterpret_cast<IPluginFactory* (*)()>(dlsym(m_module, "GetPluginFactory"));
        ASSERT_TRUE(entry != nullptr && getFactory != nullptr);
        ASSERT_TRUE(entry(m_module));
        m_factory = getFactory();
        ASSERT_NE(m_factory, nullptr);

        void* object = nullptr;
        ASSERT_EQ(
            m_factory->createInstance(reinterpret_cast<const char*>(vk::identity::kProcessorClassId.data()),
                                      IComponent::iid, &object),
            kResultOk);
        m_component = static_cast<IComponent*>(object);
        ASSERT_EQ(m_component->queryInterface(IAudioProcessor::iid, &object), kResultOk);
        m_audio = static_cast<IAudioProcessor*>(object);
        ASSERT_EQ(
            m_factory->createInstance(reinterpret_cast<const char*>(vk::identity::kControllerClassId.data()),
                                      IEditController::iid, &object),
            kResultOk);
        m_controller = static_cast<IEditController*>(object);
        ASSERT_EQ(m_component->initialize(nullptr), kResultOk);
        ASSERT_EQ(m_controller->initialize(nullptr), kResultOk);
        IConnectionPoint* a = nullptr;
        IConnectionPoint* b = nullptr;
        m_component->queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&a));
        m_controller->queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&b));
        ASSERT_TRUE(a != nullptr && b != nullptr);
        a->connect(b);
        b->connect(a);
        a->release();
        b->release();
        m_controller->setComponentHandler(&m_edits);
        ProcessSetup setup{kRealtime, kSample32, 64, 48000.0};
        ASSERT_EQ(m_audio->setupProcessing(setup), kResultOk);
        ASSERT_EQ(m_component->setActive(true), kResultOk);
        m_audio->setProcessing(true);
    }

    void TearDown() override
    {
        if (m_controller != nullptr)
        {
            m_controller->setComponentHandler(nullptr);
            m_controller->terminate();
            m_controller->release();
        }
        if (m_component != nullptr)
        {
            m_audio->setProcessing(false);
            m_component->setActive(false);
            m_component->terminate();
            m_audio->release();
            m_component->release();
        }
        if (m_factory != nullptr)
            m_factory->release();
        if (m_module != nullptr)
        {
            if (auto exit = reinterpret_cast<bool (*)()>(dlsym(m_module, "ModuleExit")))
                exit();
            dlclose(m_module);
        }
    }

    // Blocks of stereo noise with a playing transport.
    void process(int blocks)
    {
        vk::test::StereoBlock block(64);
        for (int b = 0; b < blocks; ++b)
        {
            for (std::size_t i = 0; i < block.left.size(); ++i)
                block.left[i] = block.right[i] =
                    float((i * 7919 + std::size_t(b) * 31) % 200) / 400.0f - 0.25f;
            m_audio->process(block.data);
            block.context.projectTimeSamples += 64;
        }
    }

    // A change the processor makes itself (Solo Left on switches Solo Right off) is reported; once it has
    // reached the host, every report made before it has too.
    void reportSentinel()
    {
        m_controller->setParamNormalized(kSoloRight, 1.0);
        m_controller->setParamNormalized(kSoloLeft, 0.0);
        m_controller->setParamNormalized(kSoloLeft, 1.0);
        ASSERT_TRUE(m_edits.waitFor(kSoloRight, 0.0));
    }

    void restore(const juce::MemoryBlock& state)
    {
        MemoryStream forComponent;
        int32 written = 0;
        forComponent.write(const_cast<void*>(state.getData()), int32(state.getSize()), &written);
        forComponent.seek(0, IBStream::kIBSeekSet, nullptr);
        ASSERT_EQ(m_component->setState(&forComponent), kResultOk);
        forComponent.seek(0, IBStream::kIBSeekSet, nullptr);
        ASSERT_EQ(m_controller->setComponentState(&forComponent), kResultOk);
    }

    juce::MemoryBlock save()
    {
        MemoryStream stream;
        EXPECT_EQ(m_component->getState(&stream), kResultOk);
        return juce::MemoryBlock(stream.getData(), std::size_t(stream.getSize()));
    }

    void* m_module = nullptr;
    IPluginFactory* m_factory = nullptr;
    IComponent* m_component = nullptr;
    IAudioProcessor* m_audio = nullptr;
    IEditController* m_controller = nullptr;
    Edits m_edits;
};

TEST_F(Vst3ModuleState, RestoredStateIsNoEditThenOrAfterProcessingAndTheControllerHasItsValues)
{
    process(4);
    reportSentinel();
    std::mt19937 random(3);
    for (int trial = 0; trial < 4; ++trial)
    {
        m_edits.clear();
        auto state = vk::test::randomStoredState(random, kNumPrograms, kNumParameters);
        // Where the rules between values would move them: both IID bounds at the top, both solos on.
        auto& values = state.programs[std::size_t(state.current)];
        values[14] = values[15] = 1.0f;
        values[kSoloLeft] = values[kSoloRight] = 1.0f;
        restore(vk::test::frameStoredState(state, vk::test::productParameterKeys()));
        for (ParamID id : publishedIds())
            EXPECT_EQ(float(m_controller->getParamNormalized(id)), values[id]) << "parameter " << id;
        process(6);
        reportSentinel();
        const auto edits = m_edits.edits();
        ASSERT_EQ(edits.size(), 1u) << "trial " << trial << ": first edit " << edits[0].first << " = "
                                    << edits[0].second;
        EXPECT_EQ(edits[0].first, kSoloRight);
    }
}

TEST_F(Vst3ModuleState, RandomStatesRoundTripBitForBit)
{
    const int trips = vk::test::kSanitizedBuild ? 100 : 1000;
    const int exact = vk::test::countExactRoundTrips(
        trips, 1001,
        [&](const juce::MemoryBlock& chunk, const vk::test::StoredState& state, int trip)
        {
            restore(chunk);
            // The controller's values right after the restore, every tenth trip, after a block too.
            if (trip % 10 != 0)
                return;
            process(1);
            for (ParamID id : publishedIds())
                EXPECT_EQ(float(m_controller->getParamNormalized(id)),
                          state.programs[std::size_t(state.current)][id])
                    << "trip " << trip << ", parameter " << id;
        },
        [&] { return save(); });
    std::cout << "VST3 state round trips exact: " << exact << " of " << trips << std::endl;
}

} // namespace
