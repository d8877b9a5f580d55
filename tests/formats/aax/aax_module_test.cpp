// The AAX module as a host loads it: dlopen, the seven entry points, start-up, the registration into the
// recording host's description objects, the three factories, instances initialised against hosts of every
// version, audio through the registered render callback (bit-identical with the VST3 module for the same
// input), parameters, both chunks between two instances, the AudioSuite passes, the GUI in an X11 window,
// and the unload. No AAX host runs on Linux: this is the host.

#include "formats/aax/aax_string.h"
#include "platform/aax/aax_module_exports.h"
#include "tests/formats/aax/chunk_record_buffer.h"
#include "tests/formats/aax/effect_instance.h"
#include "tests/formats/aax/float_wav.h"
#include "tests/formats/aax/x11_host_window.h"
#ifdef VK_VST3_HOST
#include "tests/formats/host_runner.h"
#endif
#include "tests/gui/gl_driver_pin.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <random>

#ifndef VK_AAX_MODULE
#error "VK_AAX_MODULE must name the built module"
#endif

namespace
{

using namespace vk::aax;
using namespace vk::aax::test;
using Calls = std::vector<std::string>;

// Before the module starts its framework, which looks the window-manager atoms up only once.
[[maybe_unused]] const bool atomsReadyBeforeTheModuleStarts = hasDisplay() && prepareWindowServer();

constexpr std::uint32_t kJuceChunk = fourCharCode("juce");

template <typename Proc>
Proc resolve(void* handle, const char* name)
{
    return reinterpret_cast<Proc>(dlsym(handle, name));
}

class AaxModule : public ::testing::Test
{
protected:
    void SetUp() override
    {
        handle = dlopen(VK_AAX_MODULE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        registerPlugin = resolve<ACFRegisterPluginProc>(handle, "ACFRegisterPlugin");
        registerComponent = resolve<ACFRegisterComponentProc>(handle, "ACFRegisterComponent");
        getClassFactory = resolve<ACFGetClassFactoryProc>(handle, "ACFGetClassFactory");
        canUnloadNow = resolve<ACFCanUnloadNowProc>(handle, "ACFCanUnloadNow");
        startup = resolve<ACFStartupProc>(handle, "ACFStartup");
        shutdown = resolve<ACFShutdownProc>(handle, "ACFShutdown");
        getSdkVersion = resolve<ACFGetSDKVersionProc>(handle, "ACFGetSDKVersion");
        ASSERT_TRUE(registerPlugin && registerComponent && getClassFactory && canUnloadNow && startup &&
                    shutdown && getSdkVersion);
        ASSERT_EQ(startup(host.root()), kResultOk);
    }

    void TearDown() override
    {
        if (handle == nullptr)
            return;
        EXPECT_EQ(canUnloadNow(), 0);
        EXPECT_EQ(shutdown(host.root()), kResultOk);
        EXPECT_TRUE(host.balanced());
        EXPECT_EQ(dlclose(handle), 0);
    }

    // Registers, keeps the host's record of it, and gives the collection back.
    void registerEffect()
    {
        IACFUnknown* collection = nullptr;
        ASSERT_EQ(registerPlugin(host.root(), &collection), kResultOk);
        ASSERT_NE(collection, nullptr);
        collection->Release();
        ASSERT_EQ(host.registration.procs.size(), 3u);
        ASSERT_EQ(host.registration.components.size(), 2u);
    }

    // A factory's new object, asked for `iid` (one reference).
    template <typename Interface>
    Interface* create(std::uint32_t procId, const Guid& iid)
    {
        IACFUnknown* object = host.registration.procs.at(procId)();
        EXPECT_NE(object, nullptr);
        void* facing = nullptr;
        EXPECT_EQ(object->QueryInterface(iid, &facing), kResultOk);
        return static_cast<Interface*>(facing);
    }

    FakeHost host;
    void* handle = nullptr;
    ACFRegisterPluginProc registerPlugin = nullptr;
    ACFRegisterComponentProc registerComponent = nullptr;
    ACFGetClassFactoryProc getClassFactory = nullptr;
    ACFCanUnloadNowProc canUnloadNow = nullptr;
    ACFStartupProc startup = nullptr;
    ACFShutdownProc shutdown = nullptr;
    ACFGetSDKVersionProc getSdkVersion = nullptr;
};

double valueOf(const EffectInstance& instance, const char* id)
{
    double value = -1.0;
    EXPECT_EQ(instance.parameters->GetParameterNormalizedValue(id, &value), kResultOk) << id;
    return value;
}

Channels noise(int channels, int length, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> level(-0.25f, 0.25f);
    Channels result(static_cast<std::size_t>(channels), std::vector<float>(static_cast<std::size_t>(length)));
    for (auto& channel : result)
        for (auto& sample : channel)
            sample = level(generator);
    return result;
}

bool finiteAndAudible(const std::vector<float>& channel)
{
    double energy = 0.0;
    for (float s : channel)
    {
        if (!std::isfinite(s))
            return false;
        energy += double(s) * double(s);
    }
    return energy > 1e-3;
}

TEST_F(AaxModule, EntryPointsAnswerAsFixed)
{
    std::uint64_t version = 0;
    EXPECT_EQ(getSdkVersion(&version), kResultOk);
    EXPECT_EQ(version, 0x00000201007756BFull);
    EXPECT_EQ(getSdkVersion(nullptr), kResultNullArgument);
    void* factory = &version;
    EXPECT_EQ(getClassFactory(host.root(), kIID_IACFUnknown, kIID_IACFUnknown, &factory),
              kResultNotImplemented);
    EXPECT_EQ(factory, nullptr);
    IACFUnknown* component = host.root();
    EXPECT_EQ(registerComponent(host.root(), 0, &component), kResultOk);
    EXPECT_EQ(component, nullptr);
    EXPECT_EQ(canUnloadNow(), 0);
    // A second start-up keeps the first host services.
    EXPECT_EQ(startup(host.root()), kResultOk);
    EXPECT_EQ(host.liveCreated(), 1);
}

TEST_F(AaxModule, RegistrationDescribesOneEffectWithTwoComponents)
{
    registerEffect();
    EXPECT_EQ(
        host.calls("collection1"),
        (Calls{"collection1#7(\"example.vekla-audio.Latiphonix\",effect1)", "collection1#8(\"VEKLA Audio\")",
               "collection1#9(\"VEKLA Latiphonix3\")", "collection1#9(\"VEKLA Latiphonix3\")",
               "collection1#10(" + std::to_string(0x03020903) + ")"}));
    const auto effect = host.calls("effect1");
    ASSERT_GE(effect.size(), 7u);
    EXPECT_EQ(effect[0], "effect1#4(\"VEKLA Latiphonix3\")");
    EXPECT_EQ(effect[1], "effect1#4(\"VEKLA Latiphonix3\")");
    EXPECT_EQ(effect[2], "effect1#5(512)");
    EXPECT_EQ(effect[3], "effect1#9(1,\"VEKLA Latiphonix3_PageTable.xml\")");
    EXPECT_EQ(effect.back(), "effect1#3(component2)");
    for (std::uint32_t id : {0u, 1u, 3u})
        EXPECT_NE(host.registration.procs.at(id), nullptr) << id;

    const Calls fields{"component1#5(0)", "component1#6(1)", "component1#7(2)", "component1#13(3,8,0)",
                       "component1#13(4,4,0)"};
    const auto component = host.calls("component1");
    ASSERT_GE(component.size(), fields.size());
    EXPECT_EQ(Calls(component.begin(), component.begin() + 5), fields);

    const std::int32_t vkla = std::int32_t(fourCharCode("VKLA"));
    const std::int32_t ltpx = std::int32_t(fourCharCode("LTPX"));
    const std::int32_t ltps = std::int32_t(fourCharCode("LTPS"));
    for (int index = 0; index < 2; ++index)
    {
        const auto& registered = host.registration.components[std::size_t(index)];
        EXPECT_NE(registered.processProc, nullptr);
        const std::map<std::uint32_t, std::int32_t> expected{
            {11, vkla},       {12, ltpx},         {60, 1},  {51, index == 0 ? 0x00000001 : 0x00010002},
            {52, 0x00010002}, {13, ltpx + index}, {115, 1}, {14, ltps + index}};
        EXPECT_EQ(registered.properties, expected) << index;
    }
}

TEST_F(AaxModule, RefusedDescriptionObjectsAreLeftOutOrReported)
{
    host.answerCreate(kCLSID_ComponentDescriptor, Answer::Refuse);
    IACFUnknown* collection = nullptr;
    EXPECT_EQ(registerPlugin(host.root(), &collection), kResultOk);
    collection->Release();
    EXPECT_TRUE(host.registration.components.empty());
    for (const auto& call : host.calls("effect1"))
        EXPECT_NE(call.rfind("effect1#3(", 0), 0u) << "no component may be added: " << call;

    host.answerCreate(kCLSID_EffectDescriptor, Answer::Refuse);
    EXPECT_EQ(registerPlugin(host.root(), &collection), kResultNoHostInterface);

    // A host that grants a factory that is not there breaks the object model: the entry point reports it.
    host.answerCreate(kCLSID_EffectDescriptor, Answer::Grant);
    host.answerQuery(kIID_ComponentFactory, Answer::NullSuccess);
    EXPECT_EQ(registerPlugin(host.root(), &collection), kResultUnexpected);
    host.answerQuery(kIID_ComponentFactory, Answer::Grant);
}

// Hosts with both controller and transport versions, the first only, and none.
class AaxModuleHostVersions : public AaxModule, public ::testing::WithParamInterface<int>
{
};

TEST_P(AaxModuleHostVersions, InstancesInitialiseAndRender)
{
    registerEffect();
    if (GetParam() >= 1)
    {
        host.answerQuery(kIID_ControllerV2, Answer::Refuse);
        host.answerQuery(kIID_TransportV2, Answer::Refuse);
    }
    if (GetParam() == 2)
    {
        host.answerQuery(kIID_Controller, Answer::Refuse);
        host.answerQuery(kIID_Transport, Answer::Refuse);
        host.answerQuery(kIID_AutomationDelegate, Answer::Refuse);
    }
    EffectInstance instance(host.registration.procs.at(0)(), host);
    EXPECT_EQ(instance.initResult, kResultOk);
    std::int32_t count = 0;
    EXPECT_EQ(instance.parameters->GetNumberOfParameters(&count), kResultOk);
    EXPECT_EQ(count, 30);
    const auto in = noise(2, 2048, 3);
    const auto out = instance.render(host.registration.components[1].processProc, in, 2, 512);
    if (GetParam() == 2)
        EXPECT_EQ(out[0][0], -9.0f) << "without a controller there are no channels to render";
    else
    {
        EXPECT_TRUE(finiteAndAudible(out[0]));
        EXPECT_TRUE(finiteAndAudible(out[1]));
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, AaxModuleHostVersions, ::testing::Values(0, 1, 2));

// Sample rates and block sizes a host may use, blocks longer than the size announced to the processor
// included.
class AaxModuleRatesAndBlocks : public AaxModule, public ::testing::WithParamInterface<std::pair<float, int>>
{
};

TEST_P(AaxModuleRatesAndBlocks, RenderFiniteAudio)
{
    registerEffect();
    host.controller().sampleRate = GetParam().first;
    host.controller2().sampleRate = GetParam().first;
    EffectInstance instance(host.registration.procs.at(0)(), host);
    const auto in = noise(2, 16384, 13);
    const auto out = instance.render(host.registration.components[1].processProc, in, 2, GetParam().second);
    EXPECT_TRUE(finiteAndAudible(out[0]));
    EXPECT_TRUE(finiteAndAudible(out[1]));
}

INSTANTIATE_TEST_SUITE_P(Sweep, AaxModuleRatesAndBlocks,
                         ::testing::Values(std::make_pair(22050.0f, 1), std::make_pair(44100.0f, 333),
                                           std::make_pair(48000.0f, 4096), std::make_pair(96000.0f, 8192),
                                           std::make_pair(192000.0f, 1024), std::make_pair(192000.0f, 8192)));

TEST_F(AaxModule, MonoIntoStereoRendersBothChannels)
{
    registerEffect();
    host.controller().inputStem = 0x00000001;
    host.controller2().inputStem = 0x00000001;
    EffectInstance instance(host.registration.procs.at(0)(), host);
    const auto in = noise(1, 4096, 5);
    const auto out = instance.render(host.registration.components[0].processProc, in, 2, 256);
    EXPECT_TRUE(finiteAndAudible(out[0]));
    EXPECT_TRUE(finiteAndAudible(out[1]));
}

#if defined(VK_VST3_HOST) && defined(VK_VST3_BUNDLE)
TEST_F(AaxModule, RendersBitIdenticallyWithTheVst3Module)
{
    registerEffect();
    TempFolder temp;
    const auto in = noise(2, 48000, 11);
    ASSERT_TRUE(writeFloatWav(temp.file("in.wav"), in, 48000));
    const HostRun run = runHost({VK_VST3_BUNDLE, "--input", temp.file("in.wav"), "--rate", "48000", "--block",
                                 "512", "--output", temp.file("vst3.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.text;
    const auto vst3 = readFloatWav(temp.file("vst3.wav"));
    ASSERT_EQ(vst3.size(), 2u);
    ASSERT_EQ(vst3[0].size(), in[0].size());

    EffectInstance instance(host.registration.procs.at(0)(), host);
    const auto aax = instance.render(host.registration.components[1].processProc, in, 2, 512);
    for (int c = 0; c < 2; ++c)
    {
        EXPECT_TRUE(finiteAndAudible(aax[std::size_t(c)]));
        std::size_t firstDifference = aax[0].size();
        for (std::size_t i = 0; i < aax[0].size() && firstDifference == aax[0].size(); ++i)
            if (std::memcmp(&aax[std::size_t(c)][i], &vst3[std::size_t(c)][i], sizeof(float)) != 0)
                firstDifference = i;
        EXPECT_EQ(firstDifference, aax[0].size()) << "channel " << c;
    }
}
#endif

TEST_F(AaxModule, ParametersAndBothChunksTravelBetweenInstances)
{
    registerEffect();
    EffectInstance a(host.registration.procs.at(0)(), host);
    AAX_CString id;
    ASSERT_EQ(a.parameters->GetParameterIDFromIndex(0, &id), kResultOk);
    EXPECT_EQ(id.StdString(), "MasterBypassID");
    ASSERT_EQ(a.parameters->GetParameterIDFromIndex(1, &id), kResultOk);
    const std::string first = id.StdString();
    ASSERT_EQ(a.parameters->UpdateParameterNormalizedValue(first.c_str(), 0.375, 0), kResultOk);
    EXPECT_DOUBLE_EQ(valueOf(a, first.c_str()), 0.375);
    // Texts are for the value asked about.
    AAX_CString text;
    AAX_CString other;
    EXPECT_EQ(a.parameters->GetParameterStringFromValue(first.c_str(), 1.0, &text, 32), kResultOk);
    EXPECT_EQ(a.parameters->GetParameterStringFromValue(first.c_str(), 0.0, &other, 32), kResultOk);
    EXPECT_FALSE(text.StdString().empty());
    EXPECT_NE(text.StdString(), other.StdString());
    EXPECT_EQ(a.parameters->GetParameterStringFromValue("MasterBypassID", 1.0, &text, 7), kResultOk);
    EXPECT_EQ(text.StdString(), "Byp");

    auto state = saveChunk(*a.parameters, kJuceChunk);
    auto controls = saveChunk(*a.parameters, fourCharCode("elck"));

    EffectInstance b(host.registration.procs.at(0)(), host);
    EXPECT_NE(valueOf(b, first.c_str()), 0.375);
    host.clearLog();
    EXPECT_EQ(b.parameters->SetChunk(kJuceChunk, state.record()), kResultOk);
    EXPECT_DOUBLE_EQ(valueOf(b, first.c_str()), 0.375);
    // A restored state is no edit, then or at the host's next call; the controls chunk follows it.
    EXPECT_EQ(b.parameters->TimerWakeup(), kResultOk);
    for (const auto& call : host.calls("automation"))
        EXPECT_EQ(call.rfind("automation#5(", 0), std::string::npos) << call;
    bool equal = false;
    EXPECT_EQ(b.parameters->CompareActiveChunk(controls.record(), &equal), kResultOk);
    EXPECT_TRUE(equal);
    EXPECT_EQ(b.parameters->SetChunk(fourCharCode("elck"), controls.record()), kResultOk);
    // And back: B's state restores A after A moved on.
    ASSERT_EQ(a.parameters->UpdateParameterNormalizedValue(first.c_str(), 0.8, 0), kResultOk);
    auto back = saveChunk(*b.parameters, kJuceChunk);
    EXPECT_EQ(a.parameters->SetChunk(kJuceChunk, back.record()), kResultOk);
    EXPECT_DOUBLE_EQ(valueOf(a, first.c_str()), 0.375);
}

TEST_F(AaxModule, AudioSuitePassesKeepTheWindowWithoutLatency)
{
    registerEffect();
    EffectInstance instance(host.registration.procs.at(0)(), host);
    host.setEffectParameters(instance.parameters);
    auto* suite = create<AAX_IACFHostProcessor>(3, kIID_HostProcessor);
    ASSERT_EQ(suite->Initialize(host.root()), kResultOk);

    const auto in = noise(2, 1024, 7);
    Channels out(2, std::vector<float>(1024, -9.0f));
    const float* inputs[] = {in[0].data(), in[1].data()};
    float* outputs[] = {out[0].data(), out[1].data()};
    std::int32_t window = 1024;
    EXPECT_EQ(suite->PreAnalyze(), kResultOk);
    EXPECT_EQ(suite->AnalyzeAudio(inputs, 2, &window), kResultOk);
    EXPECT_EQ(window, 1024);
    EXPECT_EQ(suite->PostAnalyze(), kResultOk);
    EXPECT_EQ(suite->PreRender(), kResultOk);
    window = 1024;
    EXPECT_EQ(suite->RenderAudio(inputs, 2, outputs, 2, &window), kResultOk);
    EXPECT_EQ(window, 1024);
    EXPECT_EQ(suite->PostRender(), kResultOk);
    EXPECT_TRUE(finiteAndAudible(out[0]));
    EXPECT_TRUE(finiteAndAudible(out[1]));

    suite->Uninitialize();
    suite->Release();
    host.setEffectParameters(nullptr);
}

TEST_F(AaxModule, GuiAttachesToTheHostsX11Window)
{
    registerEffect();
    EffectInstance instance(host.registration.procs.at(0)(), host);
    host.setEffectParameters(instance.parameters);
    auto* gui = create<AAX_IACFEffectGUI>(1, kIID_EffectGUI);
    ViewSize size{-1.0f, -1.0f};
    EXPECT_EQ(gui->GetViewSize(&size), kResultNoHostInterface);
    ASSERT_EQ(gui->Initialize(host.root()), kResultOk);
    // The content exists at the product editor's size.
    EXPECT_EQ(gui->GetViewSize(&size), kResultOk);
    EXPECT_EQ(size.width, 640.0f);
    EXPECT_EQ(size.height, 435.0f);

    std::unique_ptr<X11HostWindow> window;
    if (hasDisplay())
    {
        window = std::make_unique<X11HostWindow>(640, 480);
        host.viewContainer().type = kViewTypeNativeWindow;
        host.viewContainer().window = window->handle();
    }
    ASSERT_EQ(gui->SetViewContainer(&host.viewContainer()), kResultOk);
    if (window)
    {
        EXPECT_EQ(window->waitForChildren(1), 1);
        vk::test::pinGlDriverLibraries();
    }
    ASSERT_EQ(gui->SetViewContainer(nullptr), kResultOk);
    if (window)
    {
        EXPECT_EQ(window->waitForChildren(0), 0);
    }
    EXPECT_EQ(gui->GetViewSize(&size), kResultNoHostInterface);

    EXPECT_EQ(gui->Uninitialize(), kResultOk);
    gui->Release();
    host.setEffectParameters(nullptr);
}

TEST_F(AaxModule, LiveObjectsKeepTheModuleLoaded)
{
    registerEffect();
    IACFUnknown* first = host.registration.procs.at(0)();
    IACFUnknown* second = host.registration.procs.at(3)();
    first->AddRef();
    second->AddRef();
    EXPECT_EQ(canUnloadNow(), 2);
    first->Release();
    second->Release();
    EXPECT_EQ(canUnloadNow(), 0);
}

} // namespace
