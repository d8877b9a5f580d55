#pragma once

// A recording AAX host for tests, built on our interface layer. It implements the host side of every
// interface the module calls: a root object that answers queries for the per-instance objects
// (controller, transport, automation delegate, host-processor delegate, effect parameters) and for the
// component factory, which creates description objects (collection, effect and component descriptors,
// property maps, host services). Every operation appends "<object>#<position>(<arguments>)" to the log
// and answers 1000 + its position, so a test sees both the call and that its result came back unchanged.
// Each query and each creation answers from a script: grant, refuse, null with success, or an error
// after writing a (counted) pointer. References: objects the host keeps start with the host's own
// reference; balanced() checks that every other reference came back and every created object is gone.
//
// For a module that is loaded like a plug-in, the host can also answer every operation with success, hand
// out the instance's own effect-parameters object, and keep what a registration described (factories,
// components with their properties and render callbacks) after the description objects are gone.

#include "platform/aax/aax_host_interfaces.h"
#include "platform/aax/aax_plugin_interfaces.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vk::aax::test
{

enum class Answer
{
    Grant,
    Refuse,
    NullSuccess,
    ErrorWithPointer,
};

constexpr Result kFakeResultBase = 1000;

std::string guidName(const Guid& iid);

class FakeHost;

class FakeBase
{
public:
    FakeBase(FakeHost& host, std::string name, std::vector<Guid> iids);
    virtual ~FakeBase();
    const std::string& name() const { return m_name; }
    int refs() const { return m_refs; }
    bool created = false; // made by the factory: the host counts it until it is gone

protected:
    Result answerQuery(IACFUnknown* self, const Guid& iid, void** out);
    std::uint32_t addRef();
    std::uint32_t release();
    // Logs the call and answers 1000 + position.
    Result rec(int position, const std::vector<std::string>& args = {}) const;

    FakeHost& m_host;

private:
    std::string m_name;
    std::vector<Guid> m_iids;
    int m_refs = 1;
};

template <typename Interface>
class FakeObject : public Interface, public FakeBase
{
public:
    using FakeBase::FakeBase;
    Result QueryInterface(const Guid& iid, void** out) override
    {
        return answerQuery(static_cast<Interface*>(this), iid, out);
    }
    std::uint32_t AddRef() override { return addRef(); }
    std::uint32_t Release() override { return release(); }
};

// Argument texts for the log.
std::string arg(const char* text);
std::string arg(double value);
std::string arg(std::int64_t value);
std::string arg(const void* pointer);
std::string arg(IACFUnknown* object);
inline std::string arg(std::int32_t value)
{
    return arg(std::int64_t(value));
}
inline std::string arg(std::uint32_t value)
{
    return arg(std::int64_t(value));
}

class FakeController;
class FakeTransport;
class FakeAutomationDelegate;
class FakeViewContainer;
class FakeProcessorDelegate;
class FakeEffectParameters;
class FakePropertyMap;

// What a registration left with the host.
struct RegisteredComponent
{
    std::map<std::uint32_t, std::int32_t> properties;
    NativeProcessProc processProc = nullptr;
};

struct Registration
{
    std::map<std::uint32_t, CreateObjectProc> procs;
    std::vector<RegisteredComponent> components;
};

class FakeHost
{
public:
    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // The host's root interface, as handed to the module.
    IACFUnknown* root() const;

    // How queries for an interface and creations of a class are answered (Grant when not set).
    void answerQuery(const Guid& iid, Answer answer) { m_queryAnswers[key(iid)] = answer; }
    void answerCreate(const Guid& classId, Answer answer) { m_createAnswers[key(classId)] = answer; }
    Answer queryAnswer(const Guid& iid) const;
    Answer createAnswer(const Guid& classId) const;

    // Every call so far, and the calls of one object without its IACFUnknown traffic.
    const std::vector<std::string>& log() const { return m_log; }
    std::vector<std::string> calls(const std::string& objectName) const;
    void clearLog() { m_log.clear(); }
    void record(std::string entry) { m_log.push_back(std::move(entry)); }

    // Every operation answers 0 instead of 1000 + its position (queries and creations are unchanged).
    bool succeed = false;
    // The object the root answers the effect-parameters interfaces with: the instance's own (null: the
    // host's recording stand-in). Not counted by the host.
    void setEffectParameters(IACFUnknown* instance) { m_instanceParameters = instance; }
    Registration registration;

    // True when every kept object holds only the host's own reference and every created object is gone.
    bool balanced() const;
    int liveCreated() const { return m_liveCreated; }

    // The kept objects (each named after itself; "controller2" and "transport2" stand for the second
    // versions, which this host gives as separate objects, so release order is visible).
    FakeController& controller() const { return *m_controller; }
    FakeController& controller2() const { return *m_controller2; }
    FakeTransport& transport() const { return *m_transport; }
    FakeTransport& transport2() const { return *m_transport2; }
    FakeAutomationDelegate& automation() const { return *m_automation; }
    FakeViewContainer& viewContainer() const { return *m_viewContainer; }
    FakeProcessorDelegate& processorDelegate() const { return *m_processorDelegate; }
    FakeEffectParameters& effectParameters() const { return *m_effectParameters; }
    // The most recently created property map, or null.
    FakePropertyMap* lastPropertyMap() const { return m_lastPropertyMap; }

    // Bookkeeping for the fakes themselves.
    IACFUnknown* keptObjectFor(const Guid& iid) const;
    IACFUnknown* instanceParametersFor(const Guid& iid) const;
    IACFUnknown* create(const Guid& classId);
    void createdObjectGone(const FakeBase* object);
    std::string nextName(const std::string& kind) { return kind + std::to_string(++m_counters[kind]); }

private:
    static std::string key(const Guid& guid)
    {
        return std::string(reinterpret_cast<const char*>(&guid), sizeof guid);
    }

    std::vector<std::string> m_log;
    std::map<std::string, Answer> m_queryAnswers;
    std::map<std::string, Answer> m_createAnswers;
    std::map<std::string, int> m_counters;
    int m_liveCreated = 0;
    FakePropertyMap* m_lastPropertyMap = nullptr;

    IACFUnknown* m_root = nullptr;
    IACFUnknown* m_factory = nullptr;
    FakeController* m_controller = nullptr;
    FakeController* m_controller2 = nullptr;
    FakeTransport* m_transport = nullptr;
    FakeTransport* m_transport2 = nullptr;
    FakeAutomationDelegate* m_automation = nullptr;
    FakeViewContainer* m_viewContainer = nullptr;
    FakeProcessorDelegate* m_processorDelegate = nullptr;
    FakeEffectParameters* m_effectParameters = nullptr;
    IACFUnknown* m_instanceParameters = nullptr;
    std::vector<FakeBase*> m_kept;
};

class FakeController final : public FakeObject<IHostControllerV2>
{
public:
    using FakeObject::FakeObject;
    float sampleRate = 48000.0f;
    std::int32_t inputStem = 0x00010002;
    std::int32_t outputStem = 0x00010002;

    Result Query3(Opaque out) const override { return rec(3, {arg(out)}); }
    Result GetSampleRate(float* rate) const override;
    Result GetInputStemFormat(std::int32_t* format) const override;
    Result GetOutputStemFormat(std::int32_t* format) const override;
    Result Query7(Opaque out) const override { return rec(7, {arg(out)}); }
    Result Query8(Opaque out) const override { return rec(8, {arg(out)}); }
    Result Query9(Opaque out) const override { return rec(9, {arg(out)}); }
    Result SetSignalLatency(std::int32_t samples) override { return rec(10, {arg(samples)}); }
    Result Query11(Opaque out) const override { return rec(11, {arg(out)}); }
    Result Query12(Opaque out) const override { return rec(12, {arg(out)}); }
    Result Operation13(Opaque a) override { return rec(13, {arg(a)}); }
    Result Operation14(Opaque a) override { return rec(14, {arg(a)}); }
    Result Operation15(Opaque a) override { return rec(15, {arg(a)}); }
    Result Operation16(Opaque a) override { return rec(16, {arg(a)}); }
    Result Operation17(Opaque a) override { return rec(17, {arg(a)}); }
    Result Operation18(Opaque a) override { return rec(18, {arg(a)}); }
    Result Operation19(Opaque a) override { return rec(19, {arg(a)}); }
    Result Operation20(Opaque a) override { return rec(20, {arg(a)}); }
    Result Operation21(Opaque a) override { return rec(21, {arg(a)}); }
    Result Query22(std::int32_t* value) const override;
    Result Operation23(Opaque a) override { return rec(23, {arg(a)}); }
};

class FakeTransport final : public FakeObject<IHostTransportV2>
{
public:
    using FakeObject::FakeObject;
    // The answers, and the positions that fail (answer 1000 + position and write nothing).
    bool playing = true;
    double tempo = 120.0;
    std::int32_t numerator = 3;
    std::int32_t denominator = 4;
    std::int64_t ticks = 960000;
    bool looping = true;
    std::int64_t loopStart = 100;
    std::int64_t loopEnd = 200;
    std::int64_t sampleLocation = 44100;
    std::uint32_t ticksPerQuarter = 960000;
    std::int32_t frameRateCode = 5;
    std::set<int> failing;

    Result GetCurrentTempo(double* beatsPerMinute) const override;
    Result GetCurrentMeter(std::int32_t* numerator, std::int32_t* denominator) const override;
    Result IsTransportPlaying(bool* playing) const override;
    Result GetCurrentTickPosition(std::int64_t* ticks) const override;
    Result GetCurrentLoopPosition(bool* looping, std::int64_t* startTicks,
                                  std::int64_t* endTicks) const override;
    Result GetCurrentNativeSampleLocation(std::int64_t* samples) const override;
    Result Query9(Opaque out) const override { return rec(9, {arg(out)}); }
    Result Query10(Opaque a, Opaque b, Opaque c, Opaque d) const override
    {
        return rec(10, {arg(a), arg(b), arg(c), arg(d)});
    }
    Result GetTicksPerQuarter(std::uint32_t* ticks) const override;
    Result Query12(Opaque out) const override { return rec(12, {arg(out)}); }
    Result Query13(Opaque out) const override { return rec(13, {arg(out)}); }
    Result GetTimeCodeInfo(std::int32_t* frameRateCode, std::int32_t* offset) const override;
    Result Query15(Opaque out) const override { return rec(15, {arg(out)}); }
    Result Query16(Opaque out) const override { return rec(16, {arg(out)}); }
};

class FakeAutomationDelegate final : public FakeObject<IHostAutomationDelegate>
{
public:
    using FakeObject::FakeObject;
    Result RegisterParameter(const char* id) override { return rec(3, {arg(id)}); }
    Result UnregisterParameter(const char* id) override { return rec(4, {arg(id)}); }
    Result PostSetValueRequest(const char* id, double value) override
    {
        return rec(5, {arg(id), arg(value)});
    }
    Result PostCurrentValue(const char* id, double value) override { return rec(6, {arg(id), arg(value)}); }
    Result PostTouchRequest(const char* id) override { return rec(7, {arg(id)}); }
    Result PostReleaseRequest(const char* id) override { return rec(8, {arg(id)}); }
    Result Operation9(Opaque a) override { return rec(9, {arg(a)}); }
};

class FakeViewContainer final : public FakeObject<IHostViewContainer>
{
public:
    using FakeObject::FakeObject;
    // The view type and native window the container answers (type: its position's answer when unset),
    // and what the parameter mouse events answer (their positions' answers when unset).
    std::optional<std::int32_t> type;
    void* window = reinterpret_cast<void*>(std::uintptr_t(0x5000));
    std::optional<Result> mouseResult;

    std::int32_t GetType() override
    {
        const Result answer = rec(3);
        return type ? *type : answer;
    }
    void* GetPtr() override;
    Result GetModifiers(std::uint32_t* modifiers) override;
    Result SetViewSize(const ViewSize& size) override { return rec(6, {arg(size.height), arg(size.width)}); }
    Result HandleParameterMouseDown(const char* id, std::uint32_t modifiers) override
    {
        const Result answer = rec(7, {arg(id), arg(modifiers)});
        return mouseResult ? *mouseResult : answer;
    }
    Result HandleParameterMouseDrag(const char* id, std::uint32_t modifiers) override
    {
        const Result answer = rec(8, {arg(id), arg(modifiers)});
        return mouseResult ? *mouseResult : answer;
    }
    Result HandleParameterMouseUp(const char* id, std::uint32_t modifiers) override
    {
        const Result answer = rec(9, {arg(id), arg(modifiers)});
        return mouseResult ? *mouseResult : answer;
    }
};

class FakeProcessorDelegate final : public FakeObject<IHostProcessorDelegateV2>
{
public:
    using FakeObject::FakeObject;
    Result GetAudio(const float* const* inputs, std::int32_t inputCount, std::int64_t location,
                    std::int32_t* windowSize) override;
    std::int32_t GetSideChainInputNum() override { return rec(4); }
    Result Operation5(Opaque a) override { return rec(5, {arg(a)}); }
};

// The effect's parameters object as the GUI and the host processor find it through the host: a list of
// identifiers. Only the two operations the GUI base calls are answered; the rest report "not
// implemented" and are logged.
class FakeEffectParameters final : public FakeObject<AAX_IACFEffectParameters>
{
public:
    using FakeObject::FakeObject;
    std::vector<std::string> ids;
    Result countResult = kResultOk;

    Result GetNumberOfParameters(std::int32_t* count) const override;
    Result GetParameterIDFromIndex(std::int32_t index, AAX_IString* id) const override;

    Result Initialize(IACFUnknown*) override { return other(3); }
    Result Uninitialize() override { return other(4); }
    Result NotificationReceived(std::uint32_t, const void*, std::uint32_t) override { return other(5); }
    Result GetMasterBypassParameter(AAX_IString*) const override { return other(7); }
    Result GetParameterIsAutomatable(const char*, bool*) const override { return other(8); }
    Result GetParameterNumberOfSteps(const char*, std::int32_t*) const override { return other(9); }
    Result GetParameterName(const char*, AAX_IString*) const override { return other(10); }
    Result GetParameterNameOfLength(const char*, AAX_IString*, std::int32_t) const override
    {
        return other(11);
    }
    Result GetParameterDefaultNormalizedValue(const char*, double*) const override { return other(12); }
    Result SetParameterDefaultNormalizedValue(const char*, double) override { return other(13); }
    Result GetParameterType(const char*, std::int32_t*) const override { return other(14); }
    Result GetParameterOrientation(const char*, std::int32_t*) const override { return other(15); }
    Result GetParameter(const char*, AAX_IParameter**) override { return other(16); }
    Result GetParameterIndex(const char*, std::int32_t*) const override { return other(17); }
    Result GetParameterValueInfo(const char*, std::int32_t, std::int32_t*) const override
    {
        return other(19);
    }
    Result GetParameterValueFromString(const char*, double*, const AAX_IString&) const override
    {
        return other(20);
    }
    Result GetParameterStringFromValue(const char*, double, AAX_IString*, std::int32_t) const override
    {
        return other(21);
    }
    Result GetParameterValueString(const char*, AAX_IString*, std::int32_t) const override
    {
        return other(22);
    }
    Result GetParameterNormalizedValue(const char*, double*) const override { return other(23); }
    Result SetParameterNormalizedValue(const char*, double) override { return other(24); }
    Result SetParameterNormalizedRelative(const char*, double) override { return other(25); }
    Result TouchParameter(const char*) override { return other(26); }
    Result ReleaseParameter(const char*) override { return other(27); }
    Result UpdateParameterTouch(const char*, bool) override { return other(28); }
    Result UpdateParameterNormalizedValue(const char*, double, std::int32_t) override { return other(29); }
    Result UpdateParameterNormalizedRelative(const char*, double) override { return other(30); }
    Result GenerateCoefficients() override { return other(31); }
    Result ResetFieldData(std::uint32_t, void*, std::uint32_t) const override { return other(32); }
    Result GetNumberOfChunks(std::int32_t*) const override { return other(33); }
    Result GetChunkIDFromIndex(std::int32_t, std::uint32_t*) const override { return other(34); }
    Result GetChunkSize(std::uint32_t, std::uint32_t*) const override { return other(35); }
    Result GetChunk(std::uint32_t, ChunkRecord*) const override { return other(36); }
    Result SetChunk(std::uint32_t, const ChunkRecord*) override { return other(37); }
    Result CompareActiveChunk(const ChunkRecord*, bool*) const override { return other(38); }
    Result GetNumberOfChanges(std::int32_t*) const override { return other(39); }
    Result TimerWakeup() override { return other(40); }
    Result GetCurveData(std::uint32_t, const float*, std::uint32_t, float*) const override
    {
        return other(41);
    }
    Result GetCustomData(std::uint32_t, std::uint32_t, void*, std::uint32_t*) const override
    {
        return other(42);
    }

private:
    Result other(int position) const;
};

class FakePropertyMap final : public FakeObject<IHostPropertyMapV2>
{
public:
    using FakeObject::FakeObject;
    std::map<std::uint32_t, std::int32_t> properties;

    bool GetProperty(std::uint32_t id, std::int32_t* value) const override;
    Result AddProperty(std::uint32_t id, std::int32_t value) override;
    Result RemoveProperty(std::uint32_t id) override { return rec(5, {arg(id)}); }
    Result AddPropertyWith(std::uint32_t id, Opaque value) override { return rec(6, {arg(id), arg(value)}); }
    bool GetPropertyWith(std::uint32_t id, Opaque* value) const override;
};

} // namespace vk::aax::test
