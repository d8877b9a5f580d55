// The VST3 bundle loaded as hosts load it (dlopen, ModuleEntry, GetPluginFactory), with a host of the
// test's own: a state the host restores (IComponent::setState, then the controller's
// setComponentState), before or after it sets the instance up, is no edit, neither at once nor after the
// next processing calls, the controller answers the restored values right away and the host is asked to
// read them, as it is for a fresh instance, and random banks come back bit for bit.

#include "stored_state.h"
#include "vst3_run_loop_host.h"
#include "vst3_stereo_block.h"
#include "vst3_test_support.h"

#include "formats/vst3/vst3_component_state.h"
#include "processor/vk_wrapper_type.h"
#include "product/latiphonix_processor.h"

#include <gtest/gtest.h>
#include <pluginterfaces/base/ipluginbase.h>
#include <public.sdk/source/common/memorystream.h>

#include <algorithm>
#include <dlfcn.h>
#include <random>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{

constexpr ParamID kAcuity = 5;
constexpr ParamID kSoloLeft = 29;
constexpr ParamID kSoloRight = 30;

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
        ASSERT_TRUE(entry != nullptr && getFactory != nullptr && entry(m_module));
        ASSERT_NE(m_factory = getFactory(), nullptr);
        m_instance.createFrom(*m_factory, nullptr);
        ASSERT_TRUE(m_instance.controller != nullptr && m_instance.audio != nullptr);
        m_instance.controller->setComponentHandler(&m_edits);
        m_instance.audio->setProcessing(true);
        // The parameters the controller publishes (the processor's exposed ones).
        LatiphonixProcessor reference(vk::kWrapperVst3);
        for (int i = 0; i < reference.getNumParameters(); ++i)
            if (reference.isParameterExposedToHost(i))
                m_published.push_back(ParamID(i));
    }

    void TearDown() override
    {
        if (m_instance.controller != nullptr)
        {
            m_instance.audio->setProcessing(false);
            m_instance.destroy();
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
            m_instance.audio->process(block.data);
            block.context.projectTimeSamples += 64;
        }
    }

    // A change the processor makes itself (Solo Left on switches Solo Right off) is reported; once it has
    // reached the host, every report made before it has too.
    void reportSentinel()
    {
        for (auto [id, value] : {std::pair{kSoloRight, 1.0}, {kSoloLeft, 0.0}, {kSoloLeft, 1.0}})
            m_instance.controller->setParamNormalized(id, value);
        ASSERT_TRUE(vk::test::waitUntil([&] { return m_edits.has("perform 30", 0.0); }));
    }

    // The fixture's instance replaced by a new one, created and connected but neither set up nor active.
    void renewUnprepared()
    {
        m_instance.audio->setProcessing(false);
        m_instance.destroy();
        m_instance.createFrom(*m_factory, nullptr, false);
        m_instance.controller->setComponentHandler(&m_edits);
        m_edits.clear();
    }

    // What the host heard besides the sentinel's reports and requests to read the values again.
    std::vector<std::string> editsBesidesSentinel()
    {
        std::vector<std::string> out;
        const auto sentinel = m_edits.of(kSoloRight);
        for (const auto& call : m_edits.calls())
            if (call.what != "restart" &&
                std::find(sentinel.begin(), sentinel.end(), call.what) == sentinel.end())
                out.push_back(call.what);
        return out;
    }

    void restore(const juce::MemoryBlock& state)
    {
        MemoryStream stream;
        int32 written = 0;
        stream.write(const_cast<void*>(state.getData()), int32(state.getSize()), &written);
        stream.seek(0, IBStream::kIBSeekSet, nullptr);
        ASSERT_EQ(m_instance.component->setState(&stream), kResultOk);
        stream.seek(0, IBStream::kIBSeekSet, nullptr);
        ASSERT_EQ(m_instance.controller->setComponentState(&stream), kResultOk);
    }

    // Hands `state` to the component and then to the controller, as hosts do; the two results.
    std::pair<tresult, tresult> tryRestore(const juce::MemoryBlock& state)
    {
        MemoryStream stream;
        int32 written = 0;
        stream.write(const_cast<void*>(state.getData()), int32(state.getSize()), &written);
        stream.seek(0, IBStream::kIBSeekSet, nullptr);
        const tresult component = m_instance.component->setState(&stream);
        stream.seek(0, IBStream::kIBSeekSet, nullptr);
        return {component, m_instance.controller->setComponentState(&stream)};
    }

    juce::MemoryBlock savedState()
    {
        MemoryStream stream;
        EXPECT_EQ(m_instance.component->getState(&stream), kResultOk);
        return juce::MemoryBlock(stream.getData(), std::size_t(stream.getSize()));
    }

    void expectControllerValues(const vk::test::StoredState& state, int trial)
    {
        for (ParamID id : m_published)
            EXPECT_EQ(float(m_instance.controller->getParamNormalized(id)),
                      state.programs[std::size_t(state.current)][id])
                << "trial " << trial << ", parameter " << id;
    }

    void* m_module = nullptr;
    IPluginFactory* m_factory = nullptr;
    vk::test::Instance m_instance;
    vk::test::HostEdits m_edits;
    std::vector<ParamID> m_published;
};

TEST_F(Vst3ModuleState, RestoredStateIsNoEditThenOrAfterProcessingAndTheControllerHasItsValues)
{
    process(4);
    reportSentinel();
    std::mt19937 random(3);
    for (int trial = 0; trial < 4; ++trial)
    {
        m_edits.clear();
        const auto state = vk::test::randomStoredState(random, true);
        restore(vk::test::frameStoredState(state));
        expectControllerValues(state, trial);
        process(6);
        reportSentinel();
        // The sentinel's reports alone, and the request to read the restored values.
        EXPECT_EQ(m_edits.count("perform 30"), 1) << "trial " << trial;
        EXPECT_TRUE(editsBesidesSentinel().empty()) << "trial " << trial;
        EXPECT_TRUE(vk::test::waitUntil([&] { return m_edits.has("restart", kParamValuesChanged); },
                                        std::chrono::seconds(5)))
            << "trial " << trial;
    }
}

// A fresh instance holds its start-up program, not the defaults it declares (all a host knows of it at
// first): once the host has set its handler, it is asked to read the values.
TEST_F(Vst3ModuleState, AFreshInstanceHasTheHostReadItsValues)
{
    renewUnprepared();
    vk::test::HostEdits host;
    m_instance.controller->setComponentHandler(&host);
    m_instance.setUp();
    m_instance.component->setActive(true);
    process(40);
    EXPECT_TRUE(vk::test::waitUntil([&] { return host.has("restart", kParamValuesChanged); },
                                    std::chrono::seconds(5)));
    EXPECT_FLOAT_EQ(float(m_instance.controller->getParamNormalized(kAcuity)), 0.56f)
        << "not the declared 0.8";
    m_instance.controller->setComponentHandler(&m_edits); // lets go of `host` before it goes
}

// A session load restores before the set-up; a host may also restore into an instance it has set up.
TEST_F(Vst3ModuleState, RestoredStateIsNoEditWhetherItComesBeforeOrAfterTheSetUp)
{
    std::mt19937 random(5);
    for (const bool restoreFirst : {true, false})
    {
        renewUnprepared();
        const auto state = vk::test::randomStoredState(random, true);
        const auto chunk = vk::test::frameStoredState(state);
        if (restoreFirst)
            restore(chunk);
        m_instance.setUp();
        if (!restoreFirst)
            restore(chunk);
        m_instance.component->setActive(true);
        m_instance.audio->setProcessing(true);
        expectControllerValues(state, restoreFirst);
        process(6);
        reportSentinel();
        EXPECT_EQ(m_edits.count("perform 30"), 1) << "restore first: " << restoreFirst;
        EXPECT_TRUE(editsBesidesSentinel().empty())
            << "restore first: " << restoreFirst << ": " << ::testing::PrintToString(editsBesidesSentinel());
    }
}

// Reports to the host, from an instance on a host whose UI thread is a run loop: what the host does in one
// call on that thread happens before the next pass, as in a host that changes two controls in one moment.
// Each report goes out as the value the processor holds when it is sent, so two solo controls switched on
// together end as the processor ends them (the second on); a restored state leaves no report from before
// it behind (one would undo a restored value); and the host reads the restored values before the restore
// returns, never later over values it has set since.
TEST_F(Vst3ModuleState, ReportsCarryTheProcessorsValuesAndNoneOutlivesARestore)
{
    RunLoopHost loop;
    loop.call(
        [&]
        {
            m_instance.audio->setProcessing(false);
            m_instance.destroy();
            m_instance.createFrom(*m_factory, loop.context());
            m_instance.controller->setComponentHandler(&m_edits);
            m_instance.audio->setProcessing(true);
        });
    process(4);
    reportSentinel();
    const auto lastPerform = [&](ParamID id)
    {
        double value = -1.0;
        for (const auto& call : m_edits.calls())
            if (call.what == "perform " + std::to_string(id))
                value = call.value;
        return value;
    };
    const auto settle = [&]
    {
        process(2);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    };

    loop.call(
        [&]
        {
            m_instance.controller->setParamNormalized(kSoloLeft, 0.0);
            m_instance.controller->setParamNormalized(kSoloRight, 1.0);
        });
    settle();
    m_edits.clear();
    // Solo Left on turns Solo Right off, Solo Right on turns Solo Left off: two reports.
    loop.call(
        [&]
        {
            m_instance.controller->setParamNormalized(kSoloLeft, 1.0);
            m_instance.controller->setParamNormalized(kSoloRight, 1.0);
        });
    settle();
    EXPECT_EQ(m_instance.controller->getParamNormalized(kSoloRight), 1.0);
    EXPECT_EQ(lastPerform(kSoloRight), 1.0) << "the solo the host switched on last";
    EXPECT_EQ(lastPerform(kSoloLeft), 0.0);

    std::mt19937 random(7);
    auto state = vk::test::randomStoredState(random);
    auto& restored = state.programs[std::size_t(state.current)];
    restored[kSoloLeft] = 0.0f;
    restored[kSoloRight] = 1.0f;
    const auto chunk = vk::test::frameStoredState(state);
    m_edits.clear();
    int readRequestsInTheRestore = 0;
    const auto readRequests = [&]
    {
        int n = 0;
        for (const auto& call : m_edits.calls())
            n += call.what == "restart" && (int(call.value) & kParamValuesChanged) != 0;
        return n;
    };
    loop.call(
        [&]
        {
            m_instance.controller->setParamNormalized(kSoloLeft, 1.0); // reports Solo Right off
            restore(chunk);
            readRequestsInTheRestore = readRequests();
        });
    EXPECT_GE(readRequestsInTheRestore, 1) << "the host reads the restored values before the restore returns";
    m_instance.controller->setParamNormalized(kAcuity, 0.25);
    settle();
    EXPECT_TRUE(m_edits.of(kSoloRight).empty()) << "a report from before the restore";
    EXPECT_EQ(m_instance.controller->getParamNormalized(kSoloRight), 1.0);
    EXPECT_EQ(readRequests(), readRequestsInTheRestore)
        << "a request that lands on the value the host set since";

    // A host playing both solo lanes sets both on in every block, and syncs its controller with them
    // between blocks: the rule turns Solo Right off there, and the next block (a host's block period
    // later) turns it on again. The host hears what that block leaves, never the value in between.
    m_edits.clear();
    loop.call([&] { m_instance.controller->setParamNormalized(kSoloLeft, 1.0); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    vk::test::Changes lanes{{kSoloLeft, {1.0}}, {kSoloRight, {1.0}}};
    vk::test::StereoBlock block(64);
    block.data.inputParameterChanges = &lanes;
    m_instance.audio->process(block.data);
    settle();
    EXPECT_EQ(lastPerform(kSoloRight), 1.0);
    EXPECT_FALSE(m_edits.has("perform 30", 0.0)) << "a value the rules passed through between blocks";

    loop.call(
        [&]
        {
            m_instance.audio->setProcessing(false);
            m_instance.destroy();
        });
}

TEST_F(Vst3ModuleState, RandomStatesRoundTripBitForBit)
{
    vk::test::expectExactRoundTrips(
        1001,
        [&](const juce::MemoryBlock& chunk, const vk::test::StoredState& state, int trip)
        {
            restore(chunk);
            // The controller's values after the restore, every tenth trip after a block.
            if (trip % 10 == 0)
            {
                process(1);
                expectControllerValues(state, trip);
            }
        },
        [&] { return savedState(); });
}

// A state cut short (a damaged session or preset file) is refused by the component and the controller and
// changes nothing, the bypass its trailer set included; the whole state is read. The cuts that ended in
// the root's start or end tag used to load as a document, and every cut turned the bypass off, inside the
// trailer too.
TEST_F(Vst3ModuleState, CutStatesAreRefusedAndChangeNothing)
{
    std::mt19937 random(5);
    auto bypassed = vk::test::frameStoredState(vk::test::randomStoredState(random));
    vk::vst3::appendBypassTrailer(bypassed, true);
    restore(bypassed);
    const auto before = savedState();
    ASSERT_EQ(static_cast<const char*>(before.getData())[before.getSize() - 1], 1) << "bypassed";
    for (int cut = 1; cut < vk::vst3::kBypassTrailerSize; ++cut)
        EXPECT_EQ(tryRestore(juce::MemoryBlock(bypassed.getData(), bypassed.getSize() - std::size_t(cut))),
                  (std::pair<tresult, tresult>{kResultFalse, kResultFalse}))
            << "trailer cut by " << cut;

    const auto otherState = vk::test::randomStoredState(random);
    const auto other = vk::test::frameStoredState(otherState);
    const auto* data = static_cast<const char*>(other.getData());
    const int wholeText = int(other.getSize()) - 1;
    for (int size = 8; size < wholeText; size += size < 300 || size > wholeText - 300 ? 1 : 97)
    {
        const auto [component, controller] = tryRestore(juce::MemoryBlock(data, std::size_t(size)));
        EXPECT_EQ(component, kResultFalse) << size;
        EXPECT_EQ(controller, kResultFalse) << size;
    }
    EXPECT_EQ(savedState(), before);

    const auto [component, controller] = tryRestore(juce::MemoryBlock(data, std::size_t(wholeText)));
    EXPECT_EQ(component, kResultOk);
    EXPECT_EQ(controller, kResultOk);
    const auto after = savedState();
    EXPECT_EQ(static_cast<const char*>(after.getData())[after.getSize() - 1], 0) << "not bypassed";
    const auto read = vk::test::readStoredState(after);
    EXPECT_EQ(read.current, otherState.current);
    EXPECT_EQ(read.programs, otherState.programs);
}

} // namespace
