#pragma once

// Host calls run with their allocations failing one after another (allocation_probe.h), and the effect's
// parameters calls a host makes over an instance's life, for the module's objects made in-process and
// for the module loaded as a host loads it.

#include "formats/aax/aax_string.h"
#include "platform/aax/aax_plugin_interfaces.h"
#include "tests/formats/aax/chunk_record_buffer.h"

#include <functional>
#include <string>
#include <vector>

namespace vk::aax::test
{

// One host call, how it is set up before each try and looked at after it (neither probed), and what it
// answers when nothing fails.
struct HostCall
{
    std::string name;
    std::function<Result()> call;
    Result expected = kResultOk;
    std::function<void()> before = [] {};
    std::function<void()> after = [] {};
};

// Runs each call with its first, second, ... allocation failing until a try gets through without reaching
// the failing one. Every try must come back with a result code (never an exception); the try that gets
// through must answer as usual. Calls run in order, on whatever objects they name. Returns how many tries
// failed in all.
long sweepAll(const std::vector<HostCall>& calls);

// What the effect's parameters calls write into and read from; kept by the caller for the calls' life.
struct EffectCallState
{
    explicit EffectCallState(AAX_IACFEffectParameters_V2& effect);

    AAX_IACFEffectParameters_V2& fx;
    AAX_CString text;
    AAX_CString typed{"0.5"};
    double value = 0.0;
    std::int32_t number = 0;
    std::uint32_t size = 0;
    bool flag = false;
    AAX_IParameter* parameter = nullptr;
    std::uint64_t instanceField[2] = {};
    std::int32_t preparedField[2] = {};
    std::int32_t preview = 1;
    ChunkRecordBuffer controls; // room for the controls chunk as the effect first saved it
    ChunkRecordBuffer state;    // and for its state
};

// Looks every parameter of `ids` up by name, known or not: after a failure none may be found that is gone.
void lookUpParameters(const AAX_IACFEffectParameters& fx, const std::vector<std::string>& ids);

// Every operation of the effect's parameters interface, in the order of an instance's life (from a second
// Initialize to Uninitialize and Initialize again), on published parameter `id`. After each try, whatever
// it failed, every parameter of `ids` is looked up by name. `beforeTimerWakeup` leaves the processor
// something to report.
std::vector<HostCall> effectParameterCalls(EffectCallState& state, IACFUnknown* host, const char* id,
                                           std::vector<std::string> ids,
                                           std::function<void()> beforeTimerWakeup);

} // namespace vk::aax::test
