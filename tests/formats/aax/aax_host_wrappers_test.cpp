// The wrappers of the host's per-instance objects against the fake host: every operation reaches its
// position with its arguments in order and answers the host's result; a missing version answers its
// fixed result without a call; every reference taken is released, the newest version first.

#include "formats/aax/aax_automation_delegate.h"
#include "formats/aax/aax_controller.h"
#include "formats/aax/aax_host_processor_delegate.h"
#include "formats/aax/aax_transport.h"
#include "formats/aax/aax_view_container.h"
#include "tests/formats/aax/fake_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

using namespace vk::aax;
using vk::aax::test::Answer;
using vk::aax::test::FakeHost;
using Calls = std::vector<std::string>;

Opaque sentinel(std::uintptr_t value)
{
    return reinterpret_cast<Opaque>(value);
}

// Calls every slot of the controller in slot order; the results in that order.
std::vector<Result> driveController(AAX_IController& controller)
{
    float rate = 0.0f;
    std::int32_t format = 0;
    std::int32_t value = -1;
    const Opaque x = sentinel(0x10);
    return {controller.Query3(x),
            controller.GetSampleRate(&rate),
            controller.GetInputStemFormat(&format),
            controller.GetOutputStemFormat(&format),
            controller.Query7(x),
            controller.Query8(x),
            controller.Query9(x),
            controller.SetSignalLatency(64),
            controller.Query11(x),
            controller.Query12(x),
            controller.Operation20(x),
            controller.Operation13(x),
            controller.Operation14(x),
            controller.Operation15(x),
            controller.Operation18(x),
            controller.Operation16(x),
            controller.Operation17(x),
            controller.Operation19(x),
            controller.Operation21(x),
            controller.Query22(&value),
            controller.Operation23(x)};
}

TEST(AaxController, EverySlotReachesItsPositionInSlotOrder)
{
    FakeHost host;
    {
        AAX_VController controller(host.root());
        host.clearLog();
        const auto results = driveController(controller);
        EXPECT_EQ(results,
                  (std::vector<Result>{1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1020,
                                       1013, 1014, 1015, 1018, 1016, 1017, 1019, 1021, 1022, 1023}));
        EXPECT_EQ(
            host.calls("controller"),
            (Calls{"controller#3(0x10)", "controller#4(out)", "controller#5(out)", "controller#6(out)",
                   "controller#7(0x10)", "controller#8(0x10)", "controller#9(0x10)", "controller#10(64)",
                   "controller#11(0x10)", "controller#12(0x10)", "controller#13(0x10)", "controller#14(0x10)",
                   "controller#15(0x10)", "controller#18(0x10)", "controller#16(0x10)", "controller#17(0x10)",
                   "controller#19(0x10)"}));
        EXPECT_EQ(host.calls("controller2"), (Calls{"controller2#20(0x10)", "controller2#21(0x10)",
                                                    "controller2#22(out)", "controller2#23(0x10)"}));
        host.clearLog();
    }
    // Newest version first.
    EXPECT_EQ(host.log(), (Calls{"controller2#2", "controller#2"}));
    EXPECT_TRUE(host.balanced());
}

TEST(AaxController, MissingVersionsAnswerWithoutCalls)
{
    FakeHost host;
    host.answerQuery(kIID_ControllerV2, Answer::Refuse);
    {
        AAX_VController firstOnly(host.root());
        std::int32_t value = 7;
        EXPECT_EQ(firstOnly.Query22(&value), kResultNotImplemented);
        EXPECT_EQ(value, 0);
        const auto results = driveController(firstOnly);
        EXPECT_EQ(results[10], kResultNotImplemented);
        EXPECT_EQ(results[18], kResultNotImplemented);
        EXPECT_EQ(results[1], 1004);
        EXPECT_TRUE(host.calls("controller2").empty());
    }
    AAX_VController none(nullptr);
    const auto results = driveController(none);
    for (std::size_t slot = 0; slot < results.size(); ++slot)
    {
        const bool second = slot == 10 || slot >= 18;
        EXPECT_EQ(results[slot], second ? kResultNotImplemented : kResultNoHostInterface) << slot;
    }
    EXPECT_TRUE(host.balanced());
}

// The faults a host may commit while answering a query: success without a pointer, or a (counted)
// pointer next to an error. Neither is called through nor leaks.
TEST(AaxController, BrokenQueryAnswersLeakNothingAndAreNeverCalled)
{
    for (const Answer answer : {Answer::Refuse, Answer::NullSuccess, Answer::ErrorWithPointer})
    {
        FakeHost host;
        host.answerQuery(kIID_Controller, answer);
        host.answerQuery(kIID_ControllerV2, answer);
        {
            AAX_VController controller(host.root());
            EXPECT_FALSE(controller.hasFirstVersion());
            EXPECT_FALSE(controller.hasSecondVersion());
            host.clearLog();
            driveController(controller);
            EXPECT_TRUE(host.log().empty());
        }
        EXPECT_TRUE(host.balanced()) << int(answer);
    }
}

std::vector<Result> driveTransport(AAX_ITransport& transport)
{
    double tempo = 0.0;
    std::int32_t a = 0;
    std::int32_t b = 0;
    bool flag = false;
    std::int64_t ticks = 0;
    std::int64_t end = 0;
    std::uint32_t perQuarter = 0;
    const Opaque x = sentinel(0x20);
    return {transport.GetCurrentTempo(&tempo),
            transport.GetCurrentMeter(&a, &b),
            transport.IsTransportPlaying(&flag),
            transport.GetCurrentTickPosition(&ticks),
            transport.GetCurrentLoopPosition(&flag, &ticks, &end),
            transport.GetCurrentNativeSampleLocation(&ticks),
            transport.Query9(x),
            transport.Query10(x, sentinel(0x21), sentinel(0x22), sentinel(0x23)),
            transport.GetTicksPerQuarter(&perQuarter),
            transport.Query12(x),
            transport.Query13(x),
            transport.GetTimeCodeInfo(&a, &b),
            transport.Query15(x),
            transport.Query16(x)};
}

TEST(AaxTransport, BothVersionsAndTheFirstAlone)
{
    FakeHost host;
    {
        AAX_VTransport transport(host.root());
        host.clearLog();
        EXPECT_EQ(driveTransport(transport), (std::vector<Result>{1003, 1004, 1005, 1006, 1007, 1008, 1009,
                                                                  1010, 1011, 1012, 1013, 1014, 1015, 1016}));
        EXPECT_EQ(host.calls("transport")[7], "transport#10(0x20,0x21,0x22,0x23)");
        EXPECT_EQ(host.calls("transport2").size(), 4u);

        std::int32_t numerator = 0;
        std::int32_t denominator = 0;
        transport.GetCurrentMeter(&numerator, &denominator);
        EXPECT_EQ(numerator * 10 + denominator, 34);
        std::int32_t rateCode = 0;
        std::int32_t offset = 0;
        transport.GetTimeCodeInfo(&rateCode, &offset);
        EXPECT_EQ(offset, -3);
        host.clearLog();
    }
    EXPECT_EQ(host.log(), (Calls{"transport2#2", "transport#2"}));

    host.answerQuery(kIID_TransportV2, Answer::NullSuccess);
    {
        AAX_VTransport firstOnly(host.root());
        const auto results = driveTransport(firstOnly);
        for (std::size_t slot = 0; slot < results.size(); ++slot)
            EXPECT_EQ(results[slot], slot < 10 ? Result(1003 + slot) : kResultNotImplemented) << slot;
    }
    AAX_VTransport none(nullptr);
    EXPECT_EQ(driveTransport(none)[0], kResultNoHostInterface);
    EXPECT_EQ(driveTransport(none)[13], kResultNotImplemented);
    EXPECT_TRUE(host.balanced());
}

TEST(AaxAutomationDelegate, ForwardsIdentifiersAndValues)
{
    FakeHost host;
    {
        AAX_VAutomationDelegate automation(host.root());
        host.clearLog();
        const std::vector<Result> results{automation.RegisterParameter("3"),
                                          automation.UnregisterParameter("4"),
                                          automation.PostSetValueRequest("5", 0.25),
                                          automation.PostCurrentValue("6", 1.0),
                                          automation.PostTouchRequest("MasterBypassID"),
                                          automation.PostReleaseRequest("MasterBypassID"),
                                          automation.Operation9(sentinel(0x30))};
        EXPECT_EQ(results, (std::vector<Result>{1003, 1004, 1005, 1006, 1007, 1008, 1009}));
        EXPECT_EQ(host.calls("automation"),
                  (Calls{"automation#3(\"3\")", "automation#4(\"4\")", "automation#5(\"5\",0.25)",
                         "automation#6(\"6\",1)", "automation#7(\"MasterBypassID\")",
                         "automation#8(\"MasterBypassID\")", "automation#9(0x30)"}));
    }
    AAX_VAutomationDelegate none(nullptr);
    EXPECT_EQ(none.RegisterParameter("0"), kResultNoHostInterface);
    EXPECT_EQ(none.PostSetValueRequest("0", 0.5), kResultNoHostInterface);
    EXPECT_EQ(none.Operation9(nullptr), kResultNoHostInterface);
    EXPECT_TRUE(host.balanced());
}

TEST(AaxViewContainer, ForwardsToTheHostsContainerOrAnswersAsAbsent)
{
    FakeHost host;
    {
        AAX_VViewContainer view(&host.viewContainer());
        host.clearLog();
        std::uint32_t modifiers = 0;
        EXPECT_EQ(view.GetType(), 1003);
        EXPECT_EQ(view.GetPtr(), sentinel(0x5000));
        EXPECT_EQ(view.GetModifiers(&modifiers), 1005);
        EXPECT_EQ(modifiers, 0x12u);
        EXPECT_EQ(view.SetViewSize(ViewSize{300.0f, 640.0f}), 1006);
        EXPECT_EQ(view.HandleParameterMouseDown("7", 2), 1007);
        EXPECT_EQ(view.HandleParameterMouseDrag("7", 2), 1008);
        EXPECT_EQ(view.HandleParameterMouseUp("7", 0), 1009);
        EXPECT_EQ(host.calls("view"), (Calls{"view#3()", "view#4()", "view#5(out)", "view#6(300,640)",
                                             "view#7(\"7\",2)", "view#8(\"7\",2)", "view#9(\"7\",0)"}));
    }
    AAX_VViewContainer none(nullptr);
    std::uint32_t modifiers = 0;
    EXPECT_EQ(none.GetType(), 0);
    EXPECT_EQ(none.GetPtr(), nullptr);
    EXPECT_EQ(none.GetModifiers(&modifiers), kResultNotImplemented);
    EXPECT_EQ(none.SetViewSize(ViewSize{1.0f, 1.0f}), kResultOk);
    EXPECT_EQ(none.HandleParameterMouseDown("1", 0), kResultNotImplemented);
    EXPECT_EQ(none.HandleParameterMouseDrag("1", 0), kResultNotImplemented);
    EXPECT_EQ(none.HandleParameterMouseUp("1", 0), kResultNotImplemented);
    EXPECT_TRUE(host.balanced());
}

TEST(AaxHostProcessorDelegate, TheSecondVersionServesForBoth)
{
    FakeHost host;
    std::int32_t window = 256;
    {
        AAX_VHostProcessorDelegate delegate(host.root());
        EXPECT_EQ(host.processorDelegate().refs(), 3); // one reference per held version
        // Asked once, for the second version only.
        EXPECT_EQ(std::count(host.log().begin(), host.log().end(), "host#0(HostProcessorDelegateV2)"), 1);
        EXPECT_EQ(std::count(host.log().begin(), host.log().end(), "host#0(HostProcessorDelegate)"), 0);
        host.clearLog();
        EXPECT_EQ(delegate.GetAudio(nullptr, 1, 99, &window), 1003);
        EXPECT_EQ(delegate.GetSideChainInputNum(), 1004);
        EXPECT_EQ(delegate.Operation5(sentinel(0x40)), 1005);
        EXPECT_EQ(host.calls("delegate"),
                  (Calls{"delegate#3(null,1,99,256)", "delegate#4()", "delegate#5(0x40)"}));
    }
    host.answerQuery(kIID_HostProcessorDelegateV2, Answer::Refuse);
    {
        AAX_VHostProcessorDelegate firstOnly(host.root());
        EXPECT_EQ(firstOnly.GetAudio(nullptr, 1, 0, &window), 1003);
        EXPECT_EQ(firstOnly.Operation5(nullptr), kResultNotImplemented);
    }
    AAX_VHostProcessorDelegate none(nullptr);
    EXPECT_EQ(none.GetAudio(nullptr, 1, 0, &window), kResultNoHostInterface);
    EXPECT_EQ(none.GetSideChainInputNum(), 0);
    EXPECT_EQ(none.Operation5(nullptr), kResultNotImplemented);
    EXPECT_TRUE(host.balanced());
}

} // namespace
