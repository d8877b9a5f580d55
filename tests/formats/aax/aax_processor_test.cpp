// The processor wrapper in-process over the recording fake host.

#include "formats/aax/aax_string.h"
#include "formats/aax/aax_transport_position.h"
#include "tests/formats/aax/binding_test_support.h"
#include "tests/formats/aax/chunk_record_buffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <new>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace
{

using namespace vk::aax;
using namespace vk::aax::test;
using AAXClasses::JuceAAX_Processor;
using Calls = std::vector<std::string>;

constexpr float kTestGain = 0.75f; // the test processor's gain at its default values

// Channels of a block, each filled with its own ramp.
struct Block
{
    Block(int channels, int samples, float offset)
        : data(std::size_t(channels), std::vector<float>(std::size_t(samples)))
    {
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < samples; ++i)
                data[std::size_t(c)][std::size_t(i)] = offset + 0.01f * float(c) + 0.0001f * float(i % 97);
        for (auto& channel : data)
            pointers.push_back(channel.data());
    }
    std::vector<std::vector<float>> data;
    std::vector<float*> pointers;
};

void render(const Instance& instance, const Block& in, Block& out)
{
    const std::int32_t length = std::int32_t(out.data[0].size());
    const RenderContext context = instance.context(in.pointers.data(), out.pointers.data(), &length);
    const void* contexts[] = {&context};
    AAXClasses::algorithmProcessCallback(const_cast<void* const*>(contexts), contexts + 1);
}

using AaxProcessor = BindingTest;

TEST_F(AaxProcessor, PublishesTheBypassThenTheExposedParametersAndPreparesForTheStems)
{
    Instance instance(host);
    ASSERT_EQ(instance.initResult, kResultOk);
    auto* fx = instance.parameters;
    std::int32_t count = 0;
    ASSERT_EQ(fx->GetNumberOfParameters(&count), kResultOk);
    ASSERT_EQ(count, 6); // the bypass and the exposed parameters 3..7
    const Calls ids{"MasterBypassID", "3", "4", "5", "6", "7"};
    for (std::int32_t i = 0; i < count; ++i)
    {
        AAX_CString id;
        ASSERT_EQ(fx->GetParameterIDFromIndex(i, &id), kResultOk);
        EXPECT_EQ(id.StdString(), ids[std::size_t(i)]);
    }
    AAX_CString name;
    double defaultValue = 0.0;
    std::int32_t steps = 0;
    std::int32_t bypassType = -1;
    std::int32_t type = -1;
    EXPECT_EQ((std::vector<Result>{fx->GetParameterName("5", &name),
                                   fx->GetParameterDefaultNormalizedValue("6", &defaultValue),
                                   fx->GetParameterNumberOfSteps(kMasterBypassId, &steps),
                                   fx->GetParameterType(kMasterBypassId, &bypassType),
                                   fx->GetParameterType("3", &type)}),
              std::vector<Result>(5, kResultOk));
    EXPECT_EQ(name.StdString(), "Param 5");
    EXPECT_FLOAT_EQ(float(defaultValue), TestProcessor::kMainDefaults[6]);
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(bypassType, kParameterTypeDiscrete);
    EXPECT_EQ(type, kParameterTypeContinuous);

    // Sample rate, both stem formats, the latency; then the same again for the field reset.
    const Calls prepare{"controller#4(out)", "controller#5(out)", "controller#6(out)", "controller#10(0)",
                        "controller#5(out)", "controller#6(out)", "controller#10(0)"};
    EXPECT_EQ(host.calls("controller"), prepare);
    EXPECT_EQ(instance.processor().getSampleRate(), 48000.0);
    EXPECT_EQ(instance.processor().getBlockSize(), JuceAAX_Processor::kMaxBlockSize);
    EXPECT_EQ(instance.object->getNumInputs(), 2);
    EXPECT_EQ(instance.object->getNumOutputs(), 2);
}

TEST_F(AaxProcessor, BypassReadsOffOrBypassedWhereverTheHostAsks)
{
    Instance instance(host);
    auto* fx = instance.parameters;
    AAX_CString out;
    const std::tuple<double, int, const char*> texts[] = {
        {1.0, 7, "Byp"}, {1.0, 8, "Bypassed"}, {0.0, 8, "Off"}, {1.0, 2, "By"}};
    for (const auto& [value, length, expected] : texts)
    {
        EXPECT_EQ(fx->GetParameterStringFromValue(kMasterBypassId, value, &out, length), kResultOk);
        EXPECT_EQ(out.StdString(), expected) << value << " in " << length;
    }

    EXPECT_EQ(fx->GetParameterValueString(kMasterBypassId, &out, 32), kResultOk);
    EXPECT_EQ(out.StdString(), "Off");
    EXPECT_EQ(fx->UpdateParameterNormalizedValue(kMasterBypassId, 1.0, 0), kResultOk);
    EXPECT_EQ(fx->GetParameterValueString(kMasterBypassId, &out, 32), kResultOk);
    EXPECT_EQ(out.StdString(), "Bypassed");
    EXPECT_TRUE(instance.object->isBypassed());
    // Only the two full texts shown parse back; other spellings are refused and write nothing.
    const std::pair<const char*, double> parses[] = {
        {"Off", 0.0}, {"Bypassed", 1.0}, {"on", -1.0}, {"Byp", -1.0}, {"bypassed", -1.0}};
    for (const auto& [text, expected] : parses)
    {
        double parsed = -1.0;
        EXPECT_EQ(fx->GetParameterValueFromString(kMasterBypassId, &parsed, AAX_CString(text)),
                  expected < 0.0 ? kResultConversionFailed : kResultOk)
            << text;
        EXPECT_EQ(parsed, expected) << text;
    }
}

TEST_F(AaxProcessor, AHostWithoutASampleRatePreparesAt44100)
{
    for (const float rate : {0.0f, -48000.0f, std::numeric_limits<float>::quiet_NaN()})
    {
        host.controller().sampleRate = rate;
        Instance instance(host);
        ASSERT_EQ(instance.initResult, kResultOk);
        EXPECT_EQ(instance.processor().getSampleRate(), 44100.0) << rate;
    }
}

TEST_F(AaxProcessor, AProcessorThatCannotBeMadeLeavesTheFactoryWithNothing)
{
    const auto liveBefore = CACFUnknown::LiveObjectCount();
    const std::function<VkJuceProcessorBase*(int)> makers[] = {
        [](int) -> VkJuceProcessorBase* { throw std::bad_alloc(); },
        [](int) -> VkJuceProcessorBase* { throw 7; },
    };
    for (const auto& maker : makers)
    {
        processorMaker() = maker;
        EXPECT_EQ(JuceAAX_Processor::Create(), nullptr);
        EXPECT_EQ(CACFUnknown::LiveObjectCount(), liveBefore);
    }
    processorMaker() = nullptr;
    EXPECT_EQ(Instance(host).initResult, kResultOk);
}

TEST_F(AaxProcessor, ParameterTextIsForTheValueAskedAbout)
{
    Instance instance(host);
    auto* fx = instance.parameters;
    AAX_CString out;
    EXPECT_EQ(fx->GetParameterStringFromValue("3", 0.5, &out, 32), kResultOk);
    EXPECT_EQ(out.StdString(), "0.5");
    EXPECT_EQ(fx->GetParameterStringFromValue("3", 0.125, &out, 3), kResultOk);
    EXPECT_EQ(out.StdString(), "0.1"); // bounded by the host's length
    EXPECT_FLOAT_EQ(instance.processor().getParameter(3), TestProcessor::kMainDefaults[3]);
    EXPECT_EQ(fx->GetParameterValueString("3", &out, 32), kResultOk);
    EXPECT_EQ(out.StdString(), "0.25");
    EXPECT_EQ(fx->GetParameterStringFromValue("3", std::numeric_limits<double>::quiet_NaN(), &out, 32),
              kResultConversionFailed);

    // Identifiers are checked before they are read as indexes: only published ones are answered.
    for (const char* id : {"2", "03", "3x", "-3", "99999999999", "", "8"})
    {
        double value = 0.0;
        EXPECT_EQ(fx->GetParameterStringFromValue(id, 0.5, &out, 32), kResultUnknownParameter) << id;
        EXPECT_EQ(fx->GetParameterNormalizedValue(id, &value), kResultUnknownParameter) << id;
        EXPECT_EQ(fx->UpdateParameterNormalizedValue(id, 0.5, 0), kResultUnknownParameter) << id;
        EXPECT_EQ(instance.object->processorIndexOf(id), -1) << id;
    }
    EXPECT_EQ(fx->GetParameterStringFromValue(nullptr, 0.5, &out, 32), kResultUnknownParameter);
    EXPECT_FLOAT_EQ(instance.processor().getParameter(2), TestProcessor::kMainDefaults[2]);
}

// What the editor does at the start and at the end of a drag.
void startDrag(TestProcessor& processor, int index)
{
    processor.getParameterRecord(index).gestureHeld = true;
    processor.queueParameterChange(index, false, true);
}

void endDrag(TestProcessor& processor, int index)
{
    processor.getParameterRecord(index).gestureHeld = false;
    processor.endParameterGesture(index);
}

// The host's automation calls per identifier: touches not yet released (negative: a release of a touch
// never made), and the value requested last with the touches open at that moment.
struct Automation
{
    explicit Automation(const Calls& calls)
    {
        for (const auto& call : calls)
        {
            const auto open = call.find("(\"");
            const auto close = call.find('"', open + 2);
            if (open == std::string::npos || close == std::string::npos)
                continue;
            const std::string id = call.substr(open + 2, close - open - 2);
            if (call.rfind("automation#7(", 0) == 0)
                ++openTouches[id];
            else if (call.rfind("automation#8(", 0) == 0)
                --openTouches[id];
            else if (call.rfind("automation#5(", 0) == 0)
            {
                lastValue[id] = std::stod(call.substr(close + 2));
                touchesAtLastValue[id] = openTouches[id];
            }
        }
    }
    std::map<std::string, int> openTouches;
    std::map<std::string, double> lastValue;
    std::map<std::string, int> touchesAtLastValue;
};

TEST_F(AaxProcessor, ValuesTravelBothWays)
{
    Instance instance(host);
    auto* fx = instance.parameters;
    EXPECT_EQ(fx->UpdateParameterNormalizedValue("4", 0.9, 0), kResultOk);
    EXPECT_FLOAT_EQ(instance.processor().getParameter(4), 0.9f);
    double value = 0.0;
    EXPECT_EQ(fx->GetParameterNormalizedValue("4", &value), kResultOk);
    EXPECT_FLOAT_EQ(float(value), 0.9f);
    EXPECT_EQ(fx->UpdateParameterNormalizedValue("4", std::numeric_limits<double>::infinity(), 0),
              kResultConversionFailed);
    EXPECT_FLOAT_EQ(instance.processor().getParameter(4), 0.9f);

    // The processor's own changes and gestures wait for the host's next call (they may come on any
    // thread), then reach the host's automation in the order they came.
    host.clearLog();
    instance.processor().setParameterInternal(5, 0.3f, true, false, false);
    startDrag(instance.processor(), 6);
    endDrag(instance.processor(), 6);
    EXPECT_EQ(host.calls("automation"), Calls{});
    EXPECT_EQ(fx->TimerWakeup(), kResultOk);
    EXPECT_EQ(host.calls("automation"),
              (Calls{"automation#7(\"5\")", "automation#5(\"5\",0.3)", "automation#8(\"5\")",
                     "automation#7(\"6\")", "automation#8(\"6\")"}));
    host.clearLog();
    EXPECT_EQ(fx->TimerWakeup(), kResultOk);
    EXPECT_EQ(host.calls("automation"), Calls{});

    // A latency change reaches the host too.
    instance.processor().setLatencySamples(32);
    EXPECT_EQ(fx->TimerWakeup(), kResultOk);
    EXPECT_EQ(host.calls("controller"), Calls{"controller#10(32)"});
}

// A change of the saved state that is no parameter edit (a program renamed) counts as one more change in
// what the host reads to know whether the session needs saving, whatever thread it comes on, and asks
// the host for nothing else; one that a state the host restores brings does not count. The count used to
// follow parameter edits only: a renamed program left the session unmodified.
TEST_F(AaxProcessor, AStateChangeThatIsNoParameterEditCountsAsAChange)
{
    struct ChangedByRestore : TestProcessor
    {
        using TestProcessor::TestProcessor;
        void setExtraState(const void*, int) override
        {
            updateHostDisplay(ChangeDetails{}.withNonParameterStateChanged(true));
        }
    };
    processorMaker() = [](int type) { return new ChangedByRestore(type); };
    Instance instance(host);
    auto* fx = instance.parameters;
    const auto changes = [fx]
    {
        std::int32_t count = -1;
        EXPECT_EQ(fx->GetNumberOfChanges(&count), kResultOk);
        return count;
    };
    const std::int32_t before = changes();
    host.clearLog();
    std::thread(
        [&]
        {
            instance.processor().updateHostDisplay(
                juce::AudioProcessorListener::ChangeDetails{}.withNonParameterStateChanged(true));
        })
        .join();
    EXPECT_EQ(changes(), before + 1);
    EXPECT_EQ(fx->TimerWakeup(), kResultOk);
    EXPECT_EQ(changes(), before + 1);
    EXPECT_EQ(host.calls("controller"), Calls{}) << "the latency did not change";

    ChunkRecordBuffer restored(8, 0x55);
    restored.record()->chunkId = JuceAAX_Processor::kJuceChunkId;
    fx->SetChunk(JuceAAX_Processor::kJuceChunkId, restored.record());
    EXPECT_EQ(changes(), before + 1);
}

// The reports wait in a queue of fixed size. A host that lets it fill up hears what did not fit in its
// next call all the same: every value, and every gesture as the processor holds it then (a touch for a
// drag still going on before its values, a release for one that ended after them).
TEST_F(AaxProcessor, GesturesSurviveAFullReportQueue)
{
    Instance instance(host);
    auto* fx = instance.parameters;
    auto& processor = instance.processor();

    // A drag on 6 with changes of 3 and 4 (each begins its companion gesture once), until the queue is
    // full: the ends of all three gestures find no room.
    host.clearLog();
    startDrag(processor, 6);
    const int changes = int(ParameterReports::kCapacity) - 3;
    for (int change = 0; change < changes; ++change)
        processor.editorSet(3 + change % 2, float(change % 97) / 100.0f);
    endDrag(processor, 6);
    EXPECT_EQ(fx->TimerWakeup(), kResultOk);
    Automation heard(host.calls("automation"));
    for (const char* id : {"6", "3", "4"})
        EXPECT_EQ(heard.openTouches[id], 0) << id;
    for (const char* id : {"3", "4"})
    {
        EXPECT_FLOAT_EQ(float(heard.lastValue[id]), processor.getParameter(std::stoi(id))) << id;
        EXPECT_GE(heard.touchesAtLastValue[id], 2) << id; // inside its gesture, and its own request's
    }

    // A drag on 7 that begins when the queue is full: the host hears its touch before its value, and its
    // release when it ends.
    host.clearLog();
    for (int change = 0; change < int(ParameterReports::kCapacity); ++change)
        processor.editorSet(3 + change % 2, float(change % 89) / 100.0f);
    startDrag(processor, 7);
    processor.editorSet(7, 0.6f);
    EXPECT_EQ(fx->TimerWakeup(), kResultOk);
    heard = Automation(host.calls("automation"));
    EXPECT_EQ(heard.openTouches["7"], 1);
    EXPECT_FLOAT_EQ(float(heard.lastValue["7"]), 0.6f);
    EXPECT_EQ(heard.touchesAtLastValue["7"], 2);
    endDrag(processor, 7);
    EXPECT_EQ(fx->TimerWakeup(), kResultOk);
    heard = Automation(host.calls("automation"));
    EXPECT_EQ(heard.openTouches["7"], 0);
    for (const char* id : {"3", "4"})
        EXPECT_EQ(heard.openTouches[id], 0) << id;
}

// A host without automation: the values it sets itself reach the processor, and the processor's own
// changes reach the parameters, with no echo back.
TEST_F(AaxProcessor, WithoutHostAutomationValuesStillTravelBothWays)
{
    host.answerQuery(kIID_AutomationDelegate, Answer::Refuse);
    Instance instance(host);
    auto* fx = instance.parameters;
    auto& processor = instance.processor();
    auto controls = saveChunk(*fx, kControlsChunkId);
    EXPECT_EQ(fx->SetParameterNormalizedValue("3", 0.8), kResultOk);
    EXPECT_FLOAT_EQ(processor.getParameter(3), 0.8f);
    EXPECT_EQ(fx->SetParameterNormalizedRelative("3", -0.3), kResultOk);
    EXPECT_FLOAT_EQ(processor.getParameter(3), 0.5f);
    EXPECT_EQ(fx->SetChunk(kControlsChunkId, controls.record()), kResultOk);
    EXPECT_FLOAT_EQ(processor.getParameter(3), TestProcessor::kMainDefaults[3]);
    bool equal = false;
    EXPECT_EQ(fx->CompareActiveChunk(controls.record(), &equal), kResultOk);
    EXPECT_TRUE(equal);

    processor.setParameterInternal(5, 0.3f, true, false, false);
    EXPECT_EQ(fx->TimerWakeup(), kResultOk);
    EXPECT_FLOAT_EQ(processor.getParameter(5), 0.3f);
    EXPECT_EQ(fx->CompareActiveChunk(controls.record(), &equal), kResultOk);
    EXPECT_FALSE(equal);
}

TEST_F(AaxProcessor, ChunksAreListedAndWrittenOnlyIntoTheSizeTheHostWasTold)
{
    Instance instance(host);
    auto* fx = instance.parameters;
    std::int32_t count = 0;
    EXPECT_EQ(fx->GetNumberOfChunks(&count), kResultOk);
    EXPECT_EQ(count, 2);
    std::uint32_t id = 1;
    EXPECT_EQ(fx->GetChunkIDFromIndex(0, &id), kResultOk);
    EXPECT_EQ(id, fourCharCode("elck"));
    EXPECT_EQ(fx->GetChunkIDFromIndex(1, &id), kResultOk);
    EXPECT_EQ(id, fourCharCode("juce"));
    EXPECT_EQ(fx->GetChunkIDFromIndex(2, &id), kResultUnknownChunkIndex);
    EXPECT_EQ(id, 0u);

    // Never sized: nothing is written.
    ChunkRecordBuffer unsized(64, 0xAB);
    EXPECT_EQ(fx->GetChunk(JuceAAX_Processor::kJuceChunkId, unsized.record()), kResultChunkSizeMismatch);
    EXPECT_EQ(unsized.record()->size, 64);
    EXPECT_EQ(unsized.data()[0], 0xAB);

    const auto first = saveChunk(*fx, JuceAAX_Processor::kJuceChunkId);
    EXPECT_GT(first.recordBytes(), kChunkRecordHeaderBytes + 8);
    // A second GetChunk fetches a fresh state of the same size.
    ChunkRecordBuffer again(first.recordBytes() - kChunkRecordHeaderBytes, 0xAB);
    EXPECT_EQ(fx->GetChunk(JuceAAX_Processor::kJuceChunkId, again.record()), kResultOk);

    // The state sized by GetChunkSize is the one written, even when the processor changed in between.
    std::uint32_t size = 0;
    EXPECT_EQ(fx->GetChunkSize(JuceAAX_Processor::kJuceChunkId, &size), kResultOk);
    instance.processor().changeProgramName(1, juce::String::repeatedString("long name ", 40));
    ChunkRecordBuffer sized(size, 0xAB);
    EXPECT_EQ(fx->GetChunk(JuceAAX_Processor::kJuceChunkId, sized.record()), kResultOk);
    // A fresh state that has grown past the size the host was told is not written.
    ChunkRecordBuffer small(size, 0xAB);
    EXPECT_EQ(fx->GetChunk(JuceAAX_Processor::kJuceChunkId, small.record()), kResultChunkSizeMismatch);
    EXPECT_EQ(small.record()->size, std::int32_t(size));
    EXPECT_TRUE(std::all_of(small.data(), small.data() + size, [](unsigned char b) { return b == 0xAB; }));
}

TEST_F(AaxProcessor, TheStateChunkCarriesTheStateToAnotherInstance)
{
    Instance a(host);
    EXPECT_EQ(a.parameters->UpdateParameterNormalizedValue("3", 0.6, 0), kResultOk);
    a.processor().changeProgramName(1, "Carried");
    auto state = saveChunk(*a.parameters, JuceAAX_Processor::kJuceChunkId);

    Instance b(host);
    EXPECT_EQ(b.parameters->SetChunk(JuceAAX_Processor::kJuceChunkId, state.record()), kResultOk);
    EXPECT_FLOAT_EQ(b.processor().getParameter(3), 0.6f);
    EXPECT_EQ(b.processor().getProgramName(1), "Carried");
}

TEST_F(AaxProcessor, HostileStateChunksChangeNothing)
{
    Instance a(host);
    EXPECT_EQ(a.parameters->UpdateParameterNormalizedValue("3", 0.6, 0), kResultOk);
    auto state = saveChunk(*a.parameters, JuceAAX_Processor::kJuceChunkId);
    const std::int32_t full = state.record()->size;

    Instance b(host);
    const float before = b.processor().getParameter(3);
    state.record()->size = -1;
    EXPECT_EQ(b.parameters->SetChunk(JuceAAX_Processor::kJuceChunkId, state.record()),
              kResultChunkSizeMismatch);
    // Refused, and answered so: the host must not take a cut state for a restored one.
    for (std::int32_t size : {0, 1, 4, 8, full / 2, full - 40})
    {
        state.record()->size = size;
        EXPECT_EQ(b.parameters->SetChunk(JuceAAX_Processor::kJuceChunkId, state.record()),
                  kResultChunkSizeMismatch)
            << size;
        EXPECT_FLOAT_EQ(b.processor().getParameter(3), before) << size;
    }
    ChunkRecordBuffer garbage(300, 0x5A);
    EXPECT_EQ(b.parameters->SetChunk(JuceAAX_Processor::kJuceChunkId, garbage.record()),
              kResultChunkSizeMismatch);
    EXPECT_FLOAT_EQ(b.processor().getParameter(3), before);
    EXPECT_EQ(b.parameters->SetChunk(JuceAAX_Processor::kJuceChunkId, nullptr), kResultNullArgument);
}

TEST_F(AaxProcessor, FieldResetFillsEverySlotAndPreparesAgain)
{
    Instance instance(host, false);
    std::uint64_t instanceSlots[3] = {7, 7, 7};
    EXPECT_EQ(instance.parameters->ResetFieldData(kFieldInstance, instanceSlots, 2 * sizeof(std::uint64_t)),
              kResultOk);
    EXPECT_EQ(instanceSlots[0], std::uint64_t(reinterpret_cast<std::uintptr_t>(instance.object)));
    EXPECT_EQ(instanceSlots[1], instanceSlots[0]);
    EXPECT_EQ(instanceSlots[2], 7u);

    EXPECT_FALSE(instance.object->isPrepared());
    host.controller().inputStem = 0x00000001;
    host.clearLog();
    std::int32_t preparedSlots[3] = {0, 0, 9};
    EXPECT_EQ(instance.parameters->ResetFieldData(kFieldPrepared, preparedSlots, 2 * sizeof(std::int32_t)),
              kResultOk);
    EXPECT_EQ(preparedSlots[0], 1);
    EXPECT_EQ(preparedSlots[1], 1);
    EXPECT_EQ(preparedSlots[2], 9);
    EXPECT_TRUE(instance.object->isPrepared());
    EXPECT_EQ(instance.object->getNumInputs(), 1);
    EXPECT_EQ(host.calls("controller"),
              (Calls{"controller#5(out)", "controller#6(out)", "controller#10(0)"}));

    std::int32_t other[2] = {5, 5};
    EXPECT_EQ(instance.parameters->ResetFieldData(9, other, sizeof other), kResultOk);
    EXPECT_EQ(other[0], 5);
    EXPECT_EQ(instance.parameters->ResetFieldData(kFieldPrepared, nullptr, 4), kResultOk);
}

TEST_F(AaxProcessor, RenderCallbackRunsOnlyPreparedInstances)
{
    Instance ready(host);
    Instance unprepared(host, false);
    Block in(2, 64, 0.1f);
    Block out(2, 64, 9.0f);
    Block untouched(2, 64, 9.0f);
    const std::int32_t length = 64;

    RenderContext good = ready.context(in.pointers.data(), out.pointers.data(), &length);
    void* noInstance = nullptr;
    RenderContext nullInstance = good;
    nullInstance.instance = &noInstance;
    RenderContext notPrepared = unprepared.context(in.pointers.data(), untouched.pointers.data(), &length);
    std::int32_t zero = 0;
    RenderContext flagDown = good;
    flagDown.prepared = &zero;
    flagDown.outputs = untouched.pointers.data();
    const void* contexts[] = {&nullInstance, nullptr, &notPrepared, &flagDown, &good};
    AAXClasses::algorithmProcessCallback(const_cast<void* const*>(contexts), contexts + 5);

    EXPECT_EQ(ready.processor().m_algorithmBlocks.load(), 1);
    EXPECT_EQ(unprepared.processor().m_algorithmBlocks.load(), 0);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 64; ++i)
        {
            ASSERT_FLOAT_EQ(out.data[std::size_t(c)][std::size_t(i)],
                            kTestGain * in.data[std::size_t(c)][std::size_t(i)]);
            ASSERT_EQ(untouched.data[std::size_t(c)][std::size_t(i)],
                      9.0f + 0.01f * float(c) + 0.0001f * float(i % 97));
        }
    AAXClasses::algorithmProcessCallback(nullptr, nullptr);

    // The bypass passes the input (no latency to align) from the block after it engages.
    EXPECT_EQ(ready.parameters->UpdateParameterNormalizedValue(kMasterBypassId, 1.0, 0), kResultOk);
    render(ready, in, out);
    render(ready, in, out);
    EXPECT_EQ(out.data[1][10], in.data[1][10]);
}

TEST_F(AaxProcessor, ExtraInputsAreProcessedInOurOwnBuffersNeverTheHosts)
{
    host.controller().inputStem = 0x00060006;
    Instance instance(host);
    const int samples = 2500; // longer than the scratch: processed in pieces
    Block in(6, samples, 0.3f);
    const auto original = in.data;
    Block out(2, samples, 5.0f);
    render(instance, in, out);
    EXPECT_EQ(in.data, original);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < samples; ++i)
            ASSERT_FLOAT_EQ(out.data[std::size_t(c)][std::size_t(i)],
                            kTestGain * in.data[std::size_t(c)][std::size_t(i)]);
    EXPECT_EQ(instance.processor().m_algorithmBlocks.load(), 3);
}

TEST_F(AaxProcessor, HybridRenderProcessesTheGivenBlock)
{
    Instance instance(host);
    Block in(2, 32, 0.1f);
    Block out(2, 32, 0.0f);
    const std::int32_t length = 32;
    HybridRenderInfo info{in.pointers.data(), out.pointers.data(), &length};
    EXPECT_EQ(instance.parameters->RenderAudio_Hybrid(&info), kResultOk);
    EXPECT_FLOAT_EQ(out.data[0][3], kTestGain * in.data[0][3]);
    EXPECT_EQ(instance.parameters->RenderAudio_Hybrid(nullptr), kResultNullArgument);
}

// The processor's play head after a block: what the host's transport answered the render call.
juce::Optional<juce::AudioPlayHead::PositionInfo> positionAfterABlock(const Instance& instance)
{
    const Block in(2, 16, 0.1f);
    Block out(2, 16, 0.0f);
    render(instance, in, out);
    return instance.processor().getPlayHead()->getPosition();
}

TEST_F(AaxProcessor, PlayHeadReportsWhatTheHostAnswered)
{
    host.succeed = true;
    Instance instance(host);
    auto& transport = host.transport();
    auto* playHead = instance.processor().getPlayHead();
    // Before the first block the host has answered nothing, and no thread but the audio thread asks it.
    EXPECT_FALSE(playHead->getPosition().hasValue());
    EXPECT_TRUE(host.calls("transport").empty());
    auto position = positionAfterABlock(instance);
    ASSERT_TRUE(position.hasValue());
    EXPECT_TRUE(position->getIsPlaying());
    EXPECT_EQ(*position->getBpm(), 120.0);
    EXPECT_EQ(position->getTimeSignature()->numerator, 3);
    EXPECT_EQ(position->getTimeSignature()->denominator, 4);
    EXPECT_EQ(*position->getPpqPosition(), 1.0);
    EXPECT_DOUBLE_EQ(*position->getTimeInSeconds(), 0.5);
    EXPECT_EQ(*position->getTimeInSamples(), 44100);
    EXPECT_TRUE(position->getIsLooping());
    EXPECT_DOUBLE_EQ(position->getLoopPoints()->ppqEnd, 200.0 / 960000.0);
    EXPECT_EQ(position->getFrameRate()->getType(), juce::AudioPlayHead::fps30);
    EXPECT_FALSE(position->getPpqPositionOfLastBarStart().hasValue());
    EXPECT_FALSE(position->getIsRecording());

    // Failed queries leave their fields unset.
    transport.failing = {3, 8, 14};
    host.transport2().failing = {3, 8, 14};
    position = positionAfterABlock(instance);
    EXPECT_FALSE(position->getBpm().hasValue());
    EXPECT_FALSE(position->getTimeInSeconds().hasValue());
    EXPECT_FALSE(position->getTimeInSamples().hasValue());
    EXPECT_FALSE(position->getFrameRate().hasValue());
    EXPECT_EQ(*position->getPpqPosition(), 1.0);

    // Stopped: only that.
    transport.failing.clear();
    host.transport2().failing.clear();
    transport.playing = false;
    host.transport2().playing = false;
    position = positionAfterABlock(instance);
    EXPECT_FALSE(position->getIsPlaying());
    EXPECT_FALSE(position->getBpm().hasValue());
    EXPECT_FALSE(position->getPpqPosition().hasValue());
    EXPECT_TRUE(position->getFrameRate().hasValue());

    // The host takes its transport away: no position until its next block.
    EXPECT_EQ(instance.parameters->Uninitialize(), kResultOk);
    EXPECT_FALSE(playHead->getPosition().hasValue());
    EXPECT_EQ(instance.parameters->Initialize(host.root()), kResultOk);
    EXPECT_FALSE(playHead->getPosition().hasValue());
}

TEST_F(AaxProcessor, WithoutATransportNothingIsReported)
{
    host.succeed = true;
    host.answerQuery(kIID_Transport, Answer::Refuse);
    host.answerQuery(kIID_TransportV2, Answer::Refuse);
    Instance instance(host);
    const auto position = positionAfterABlock(instance);
    ASSERT_TRUE(position.hasValue());
    EXPECT_FALSE(position->getIsPlaying());
    EXPECT_FALSE(position->getBpm().hasValue());
    EXPECT_FALSE(position->getTimeInSamples().hasValue());
    EXPECT_FALSE(position->getFrameRate().hasValue());
    EXPECT_TRUE(host.calls("transport").empty());
}

TEST(AaxTimeCode, CodesOutsideTheTableGiveNoFrameRate)
{
    for (int code : {0, 8, -1, 99})
        EXPECT_FALSE(frameRateFromTimeCode(code).hasValue()) << code;
}

} // namespace
