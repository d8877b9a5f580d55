// Strings, reference-counted base objects and the GUI and host-processor bases, against the fake host.

#include "formats/aax/aax_effect_gui.h"
#include "formats/aax/aax_host_processor.h"
#include "formats/aax/aax_string.h"
#include "tests/formats/aax/fake_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using namespace vk::aax;
using vk::aax::test::Answer;
using vk::aax::test::FakeHost;
using Calls = std::vector<std::string>;

TEST(AaxString, LengthsCountBytesAndNullIsEmpty)
{
    EXPECT_EQ(AAX_CString(nullptr).Length(), 0u);
    EXPECT_EQ(AAX_CString("\xC3\xA9t\xC3\xA9").Length(), 5u);

    AAX_CString text("Hello");
    text.Erase(3, 10);
    EXPECT_STREQ(text.Get(), "Hel");
    text.Erase(7, 1);
    EXPECT_STREQ(text.Get(), "Hel");
    text.Set(nullptr);
    EXPECT_EQ(text.Length(), 0u);
    EXPECT_TRUE(AAX_CString("a") == AAX_CString("a"));
    EXPECT_FALSE(AAX_CString("a") == AAX_CString("A"));
}

TEST(AaxString, NumbersAsTheStandardStreamsWriteAndReadThem)
{
    AAX_CString text("x=");
    text.AppendNumber(2.5, 3);
    EXPECT_STREQ(text.Get(), "x=2.500");
    AAX_CString negative;
    negative.AppendNumber(-0.25, 3);
    EXPECT_STREQ(negative.Get(), "-0.250");

    double value = -1.0;
    EXPECT_TRUE(AAX_CString("  2.5 dB").ParseDouble(&value));
    EXPECT_EQ(value, 2.5);
    EXPECT_TRUE(AAX_CString("0.5abc").ParseDouble(&value));
    EXPECT_EQ(value, 0.5);
    value = -1.0;
    EXPECT_FALSE(AAX_CString("").ParseDouble(&value));
    EXPECT_EQ(value, 0.0);
    value = -1.0;
    EXPECT_FALSE(AAX_CString("dB").ParseDouble(&value));
    EXPECT_EQ(value, 0.0);
}

// A string the host wrote into, whose buffer holds no terminator within its length.
class UnterminatedString final : public AAX_IString
{
public:
    std::uint32_t Length() const override { return 3; }
    std::uint32_t MaxLength() const override { return 3; }
    const char* Get() const override { return m_bytes; }
    void Set(const char*) override {}
    AAX_IString& operator=(const char*) override { return *this; }
    AAX_IString& operator=(const AAX_IString&) override { return *this; }

private:
    char m_bytes[3] = {'a', 'b', 'c'};
};

TEST(AaxString, AStringFromTheHostIsReadNoFurtherThanItsLength)
{
    const UnterminatedString host;
    AAX_CString copy;
    copy = static_cast<const AAX_IString&>(host);
    EXPECT_EQ(copy.StdString(), "abc");
}

class PlainObject final : public CACFUnknown
{
public:
    explicit PlainObject(int& finalReleases) : m_finalReleases(finalReleases) {}
    void FinalRelease() override { ++m_finalReleases; }

private:
    int& m_finalReleases;
};

TEST(AaxBaseObject, ReleaseToZeroDestroysAndTheLiveCountFollows)
{
    const auto before = CACFUnknown::LiveObjectCount();
    int finalReleases = 0;
    auto* object = new PlainObject(finalReleases);
    EXPECT_EQ(CACFUnknown::LiveObjectCount(), before + 1);
    EXPECT_EQ(object->referenceCount(), 0);

    void* unknown = nullptr;
    ASSERT_EQ(object->GetControllingUnknown()->QueryInterface(kIID_IACFUnknown, &unknown), kResultOk);
    EXPECT_EQ(unknown, object->GetControllingUnknown());
    EXPECT_EQ(object->AddRef(), 2u);

    void* other = &finalReleases;
    EXPECT_EQ(object->InternalQueryInterface(kIID_Controller, &other), kResultNoSuchInterface);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(object->InternalQueryInterface(kIID_IACFUnknown, nullptr), kResultNoSuchInterface);

    EXPECT_EQ(object->Release(), 1u);
    EXPECT_EQ(finalReleases, 0);
    EXPECT_EQ(static_cast<IACFUnknown*>(unknown)->Release(), 0u);
    EXPECT_EQ(finalReleases, 1);
    EXPECT_EQ(CACFUnknown::LiveObjectCount(), before);
}

// The GUI as a derived GUI would build it: records the hooks the base calls.
class RecordingGui final : public AAX_CEffectGUI
{
public:
    Calls hooks;
    void CreateViewContents() override { hooks.push_back("contents"); }
    void CreateViewContainer() override { hooks.push_back("container"); }
    void DeleteViewContainer() override { hooks.push_back("delete"); }
    Result ParameterUpdated(const char* id) override
    {
        hooks.push_back(std::string("updated ") + id);
        return kResultOk;
    }
    AAX_IController* controller() const { return GetController(); }
    AAX_ITransport* transport() const { return GetTransport(); }
    AAX_IViewContainer* container() const { return GetViewContainer(); }
    AAX_IACFEffectParameters* parameters() const { return GetEffectParameters(); }
};

// A GUI as the host holds it: through its own interface, ended by the last Release.
template <typename Object, typename Interface>
Interface* hostReference(Object* object, const Guid& iid)
{
    void* answer = nullptr;
    EXPECT_EQ(object->GetControllingUnknown()->QueryInterface(iid, &answer), kResultOk);
    return static_cast<Interface*>(answer);
}

TEST(AaxEffectGui, InitializeBuildsHostObjectsAndTheLastReleaseEndsIt)
{
    const auto before = CACFUnknown::LiveObjectCount();
    FakeHost host;
    auto* gui = new RecordingGui;
    auto* facing = hostReference<RecordingGui, AAX_IACFEffectGUI>(gui, kIID_EffectGUI);
    EXPECT_EQ(static_cast<void*>(facing), static_cast<AAX_IACFEffectGUI*>(gui));

    EXPECT_EQ(facing->Initialize(host.root()), kResultOk);
    EXPECT_EQ(gui->hooks, Calls{"contents"});
    ASSERT_NE(gui->parameters(), nullptr);
    float rate = 0.0f;
    EXPECT_EQ(gui->controller()->GetSampleRate(&rate), 1004);
    EXPECT_EQ(rate, 48000.0f);
    double tempo = 0.0;
    EXPECT_EQ(gui->transport()->GetCurrentTempo(&tempo), 1003);

    EXPECT_EQ(facing->Uninitialize(), kResultOk);
    EXPECT_EQ(gui->controller(), nullptr);
    EXPECT_EQ(gui->parameters(), nullptr);
    EXPECT_TRUE(host.balanced());

    EXPECT_EQ(facing->Initialize(host.root()), kResultOk);
    EXPECT_EQ(facing->Release(), 0u); // destroyed while initialised: releases everything itself
    EXPECT_EQ(CACFUnknown::LiveObjectCount(), before);
    EXPECT_TRUE(host.balanced());
}

TEST(AaxEffectGui, WithoutAHostObjectInitializeRefusesAndHoldsNothing)
{
    FakeHost host;
    RecordingGui gui;
    EXPECT_EQ(gui.Initialize(nullptr), kResultNoHostObject);
    EXPECT_EQ(gui.transport(), nullptr);
    EXPECT_EQ(gui.parameters(), nullptr);
    EXPECT_TRUE(gui.hooks.empty());
    gui.UpdateAllParameters();
    EXPECT_TRUE(gui.hooks.empty());

    // A host without the effect's parameters object: the GUI still works, with nothing to update.
    host.answerQuery(kIID_EffectParameters, Answer::ErrorWithPointer);
    EXPECT_EQ(gui.Initialize(host.root()), kResultOk);
    EXPECT_EQ(gui.parameters(), nullptr);
    EXPECT_EQ(host.effectParameters().refs(), 1);
}

TEST(AaxEffectGui, ViewContainerIsReplacedAndUpdatesEveryParameter)
{
    FakeHost host;
    {
        RecordingGui gui;
        host.effectParameters().ids = {"0", "", "MasterBypassID"};
        ASSERT_EQ(gui.Initialize(host.root()), kResultOk);
        gui.hooks.clear();

        auto* view = static_cast<IACFUnknown*>(&host.viewContainer());
        EXPECT_EQ(gui.SetViewContainer(view), kResultOk);
        EXPECT_EQ(gui.SetViewContainer(view), kResultOk);
        EXPECT_EQ(host.viewContainer().refs(), 2); // exactly one wrapper holds it
        EXPECT_EQ(gui.hooks, (Calls{"container", "updated 0", "updated MasterBypassID", "container",
                                    "updated 0", "updated MasterBypassID"}));
        EXPECT_EQ(gui.container()->GetType(), 1003);

        gui.hooks.clear();
        EXPECT_EQ(gui.SetViewContainer(nullptr), kResultOk);
        EXPECT_EQ(host.viewContainer().refs(), 1);
        EXPECT_EQ(gui.container(), nullptr);
        EXPECT_EQ(gui.hooks, Calls{"delete"});

        // A failing or negative count stops the update before any identifier is asked for.
        host.effectParameters().countResult = kResultNotImplemented;
        host.clearLog();
        gui.UpdateAllParameters();
        EXPECT_EQ(host.calls("parameters"), Calls{"parameters#6(out)"});
        gui.SetViewContainer(view);
    }
    EXPECT_TRUE(host.balanced());
}

class BoundsProcessor final : public AAX_CHostProcessor
{
public:
    AAX_IHostProcessorDelegate* delegate() const { return GetHostProcessorDelegate(); }
    AAX_IACFEffectParameters* parameters() const { return GetEffectParameters(); }
};

TEST(AaxHostProcessor, BoundsLocationAndTheHostsAudio)
{
    const auto before = CACFUnknown::LiveObjectCount();
    FakeHost host;
    auto* processor = new BoundsProcessor;
    auto* facing = hostReference<BoundsProcessor, AAX_IACFHostProcessor>(processor, kIID_HostProcessor);

    std::int64_t start = -1;
    std::int64_t end = -1;
    EXPECT_EQ(facing->InitOutputBounds(100, 200, &start, nullptr), kResultNullArgument);
    EXPECT_EQ(processor->GetSrcStart(), 0);
    EXPECT_EQ(facing->InitOutputBounds(100, 200, &start, &end), kResultOk);
    EXPECT_EQ(start, 100);
    EXPECT_EQ(end, 200);
    EXPECT_EQ(processor->GetDstEnd(), 200);
    EXPECT_EQ(facing->SetLocation(4410), kResultOk);
    EXPECT_EQ(processor->GetLocation(), 4410);

    std::int32_t window = 0;
    EXPECT_EQ(facing->Initialize(nullptr), kResultNoHostObject);
    EXPECT_EQ(processor->delegate(), nullptr);
    EXPECT_EQ(processor->GetAudio(nullptr, 0, 0, &window), kResultNoHostInterface);
    EXPECT_EQ(processor->GetSideChainInputNum(), 0);

    EXPECT_EQ(facing->Initialize(host.root()), kResultOk);
    EXPECT_NE(processor->parameters(), nullptr);
    window = 512;
    host.clearLog();
    EXPECT_EQ(processor->GetAudio(nullptr, 2, 4410, &window), 1003);
    EXPECT_EQ(processor->GetSideChainInputNum(), 1004);
    EXPECT_EQ(host.calls("delegate"), (Calls{"delegate#3(null,2,4410,512)", "delegate#4()"}));

    EXPECT_EQ(facing->Uninitialize(), kResultOk);
    EXPECT_TRUE(host.balanced());
    EXPECT_EQ(facing->Initialize(host.root()), kResultOk);
    EXPECT_EQ(facing->Release(), 0u);
    EXPECT_EQ(CACFUnknown::LiveObjectCount(), before);
    EXPECT_TRUE(host.balanced());
}

} // namespace
