#include "tests/formats/aax/host_call_sweep.h"

#include "formats/aax/aax_effect_parameters.h"
#include "platform/aax/aax_render_context.h"
#include "tests/formats/aax/allocation_probe.h"

#include <gtest/gtest.h>

#include <utility>

namespace vk::aax::test
{

namespace
{

// No host call allocates this often; a sweep that gets here never ends.
constexpr long kMostAllocations = 1000000;

constexpr std::uint32_t kStateChunkId = fourCharCode("juce");

long sweep(const HostCall& hostCall)
{
    bool escaped = false;
    for (long n = 1; n < kMostAllocations; ++n)
    {
        hostCall.before();
        AllocationProbe::arm(n);
        Result result = kResultOk;
        try
        {
            result = hostCall.call();
        }
        catch (...)
        {
            if (!escaped)
                ADD_FAILURE() << hostCall.name << ": an exception reached the host at allocation " << n;
            escaped = true;
        }
        const bool failed = AllocationProbe::disarm();
        hostCall.after();
        if (!failed)
        {
            EXPECT_EQ(result, hostCall.expected) << hostCall.name << " with every allocation granted";
            return n - 1;
        }
    }
    ADD_FAILURE() << hostCall.name << " did not get through";
    return kMostAllocations;
}

} // namespace

long sweepAll(const std::vector<HostCall>& calls)
{
    long failedTries = 0;
    for (const auto& call : calls)
        failedTries += sweep(call);
    return failedTries;
}

EffectCallState::EffectCallState(AAX_IACFEffectParameters_V2& effect) : fx(effect), controls(0), state(0) {}

std::vector<HostCall> effectParameterCalls(EffectCallState& s, IACFUnknown* host, const char* id,
                                           std::vector<std::string> ids,
                                           std::function<void()> beforeTimerWakeup)
{
    auto& fx = s.fx;
    // A host sizes each chunk, then fetches it into a record of that size.
    const auto sizeRecord = [&s](std::uint32_t chunkId, ChunkRecordBuffer& record)
    {
        return [&s, chunkId, &record]
        {
            s.fx.GetChunkSize(chunkId, &s.size);
            record = ChunkRecordBuffer(s.size);
        };
    };
    std::vector<HostCall> calls{
        {"Initialize", [&fx, host] { return fx.Initialize(host); }},
        {"NotificationReceived",
         [&] { return fx.NotificationReceived(fourCharCode("ASPv"), &s.preview, 4); }},
        {"GetNumberOfParameters", [&] { return fx.GetNumberOfParameters(&s.number); }},
        {"GetMasterBypassParameter", [&] { return fx.GetMasterBypassParameter(&s.text); }},
        {"GetParameterIsAutomatable", [&, id] { return fx.GetParameterIsAutomatable(id, &s.flag); }},
        {"GetParameterNumberOfSteps", [&, id] { return fx.GetParameterNumberOfSteps(id, &s.number); }},
        {"GetParameterName", [&, id] { return fx.GetParameterName(id, &s.text); }},
        {"GetParameterNameOfLength", [&, id] { return fx.GetParameterNameOfLength(id, &s.text, 4); }},
        {"GetParameterDefaultNormalizedValue",
         [&, id] { return fx.GetParameterDefaultNormalizedValue(id, &s.value); }},
        {"SetParameterDefaultNormalizedValue",
         [&, id] { return fx.SetParameterDefaultNormalizedValue(id, 0.5); }},
        {"GetParameterType", [&, id] { return fx.GetParameterType(id, &s.number); }},
        {"GetParameterOrientation", [&, id] { return fx.GetParameterOrientation(id, &s.number); }},
        {"GetParameter", [&, id] { return fx.GetParameter(id, &s.parameter); }},
        {"GetParameterIndex", [&, id] { return fx.GetParameterIndex(id, &s.number); }},
        {"GetParameterIDFromIndex", [&] { return fx.GetParameterIDFromIndex(1, &s.text); }},
        {"GetParameterValueInfo", [&, id] { return fx.GetParameterValueInfo(id, 0, &s.number); },
         kResultNotImplemented},
        {"GetParameterValueFromString",
         [&] { return fx.GetParameterValueFromString(kMasterBypassId, &s.value, AAX_CString("Off")); }},
        {"GetParameterStringFromValue",
         [&, id] { return fx.GetParameterStringFromValue(id, 0.5, &s.text, 16); }},
        {"GetParameterStringFromValue (bypass)",
         [&] { return fx.GetParameterStringFromValue(kMasterBypassId, 1.0, &s.text, 16); }},
        {"GetParameterValueString", [&, id] { return fx.GetParameterValueString(id, &s.text, 16); }},
        {"GetParameterNormalizedValue", [&, id] { return fx.GetParameterNormalizedValue(id, &s.value); }},
        {"SetParameterNormalizedValue", [&, id] { return fx.SetParameterNormalizedValue(id, 0.4); }},
        {"SetParameterNormalizedRelative", [&, id] { return fx.SetParameterNormalizedRelative(id, 0.1); }},
        {"TouchParameter", [&, id] { return fx.TouchParameter(id); }},
        {"ReleaseParameter", [&, id] { return fx.ReleaseParameter(id); }},
        {"UpdateParameterTouch", [&, id] { return fx.UpdateParameterTouch(id, true); }},
        {"UpdateParameterNormalizedValue", [&, id] { return fx.UpdateParameterNormalizedValue(id, 0.7, 0); }},
        {"UpdateParameterNormalizedValue (bypass)",
         [&] { return fx.UpdateParameterNormalizedValue(kMasterBypassId, 0.0, 0); }},
        {"UpdateParameterNormalizedRelative",
         [&, id] { return fx.UpdateParameterNormalizedRelative(id, -0.1); }},
        {"GenerateCoefficients", [&] { return fx.GenerateCoefficients(); }},
        {"ResetFieldData (instance)",
         [&] { return fx.ResetFieldData(kFieldInstance, s.instanceField, sizeof s.instanceField); }},
        {"ResetFieldData (prepared)",
         [&] { return fx.ResetFieldData(kFieldPrepared, s.preparedField, sizeof s.preparedField); }},
        {"GetNumberOfChunks", [&] { return fx.GetNumberOfChunks(&s.number); }},
        {"GetChunkIDFromIndex", [&] { return fx.GetChunkIDFromIndex(1, &s.size); }},
        {"GetChunkSize (controls)", [&] { return fx.GetChunkSize(kControlsChunkId, &s.size); }},
        {"GetChunkSize (state)", [&] { return fx.GetChunkSize(kStateChunkId, &s.size); }},
        {"GetChunk (controls)", [&] { return fx.GetChunk(kControlsChunkId, s.controls.record()); }, kResultOk,
         sizeRecord(kControlsChunkId, s.controls)},
        {"GetChunk (state)", [&] { return fx.GetChunk(kStateChunkId, s.state.record()); }, kResultOk,
         sizeRecord(kStateChunkId, s.state)},
        {"SetChunk (controls)", [&] { return fx.SetChunk(kControlsChunkId, s.controls.record()); }},
        {"SetChunk (state)", [&] { return fx.SetChunk(kStateChunkId, s.state.record()); }},
        {"CompareActiveChunk", [&] { return fx.CompareActiveChunk(s.controls.record(), &s.flag); }},
        {"GetNumberOfChanges", [&] { return fx.GetNumberOfChanges(&s.number); }},
        {"TimerWakeup", [&] { return fx.TimerWakeup(); }, kResultOk, std::move(beforeTimerWakeup)},
        {"GetCurveData", [&] { return fx.GetCurveData(0, nullptr, 0, nullptr); }, kResultNotImplemented},
        {"GetCustomData", [&] { return fx.GetCustomData(0, 0, nullptr, &s.size); }},
        {"Operation43", [&] { return fx.Operation43(nullptr); }},
        {"Uninitialize", [&] { return fx.Uninitialize(); }, kResultOk, [&fx, host] { fx.Initialize(host); }},
        {"Initialize again", [&fx, host] { return fx.Initialize(host); }},
    };
    for (auto& call : calls)
        call.after = [&fx, ids] { lookUpParameters(fx, ids); };
    return calls;
}

void lookUpParameters(const AAX_IACFEffectParameters& fx, const std::vector<std::string>& ids)
{
    AAX_CString name;
    double value = 0.0;
    for (const auto& id : ids)
    {
        fx.GetParameterName(id.c_str(), &name);
        fx.GetParameterNormalizedValue(id.c_str(), &value);
    }
}

} // namespace vk::aax::test
