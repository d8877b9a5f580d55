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

#include <functional>
#include <map>
#include <mutex>
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

class FakeHost;

class FakeBase
{
public:
    FakeBase(FakeHost& host, std::string name, std::vector<Guid> iids);
    virtual ~FakeBase();
    const std::string& name() const { return m_name; }
    int refs() const { return m_refs; }
    bool implements(const Guid& iid) const;
    bool created = false; // made by the factory: the host counts it until it is gone

protected:
    using I32 = std::int32_t;
    using I64 = std::int64_t;
    using U32 = std::uint32_t;
    using Str = AAX_IString;

    Result answerQuery(IACFUnknown* self, const Guid& iid, void** out);
    std::uint32_t addRef();
    std::uint32_t release();
    // Logs the call and answers 1000 + position.
    Result rec(int position, const std::vector<std::string>& args = {}) const;
    Result op(int position, Opaque a) const { return rec(position, {arg(a)}); }
    // Writes an answer, then logs the call with "out" for it.
    template <typename Target, typename Value>
    Result out(int position, Target* target, Value value) const
    {
        *target = value;
        return rec(position, {"out"});
    }

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

class FakeController final : public FakeObject<IHostControllerV2>
{
public:
    using FakeObject::FakeObject;
    float sampleRate = 48000.0f;
    I32 inputStem = 0x00010002;
    I32 outputStem = 0x00010002;

    Result Query3(Opaque a) const override { return op(3, a); }
    Result GetSampleRate(float* rate) const override { return out(4, rate, sampleRate); }
    Result GetInputStemFormat(I32* format) const override { return out(5, format, inputStem); }
    Result GetOutputStemFormat(I32* format) const override { return out(6, format, outputStem); }
    Result Query7(Opaque a) const override { return op(7, a); }
    Result Query8(Opaque a) const override { return op(8, a); }
    Result Query9(Opaque a) const override { return op(9, a); }
    Result SetSignalLatency(I32 samples) override { return rec(10, {arg(samples)}); }
    Result Query11(Opaque a) const override { return op(11, a); }
    Result Query12(Opaque a) const override { return op(12, a); }
    Result Operation13(Opaque a) override { return op(13, a); }
    Result Operation14(Opaque a) override { return op(14, a); }
    Result Operation15(Opaque a) override { return op(15, a); }
    Result Operation16(Opaque a) override { return op(16, a); }
    Result Operation17(Opaque a) override { return op(17, a); }
    Result Operation18(Opaque a) override { return op(18, a); }
    Result Operation19(Opaque a) override { return op(19, a); }
    Result Operation20(Opaque a) override { return op(20, a); }
    Result Operation21(Opaque a) override { return op(21, a); }
    Result Query22(I32* value) const override { return out(22, value, 22); }
    Result Operation23(Opaque a) override { return op(23, a); }
};

class FakeTransport final : public FakeObject<IHostTransportV2>
{
public:
    using FakeObject::FakeObject;
    // The answers, and the positions that fail (answer 1000 + position and write nothing).
    bool playing = true;
    double tempo = 120.0;
    I64 sampleLocation = 44100;
    std::set<int> failing;

    Result GetCurrentTempo(double* bpm) const override { return answer(3, {put(bpm, tempo)}); }
    Result GetCurrentMeter(I32* numerator, I32* denominator) const override
    {
        return answer(4, {put(numerator, 3), put(denominator, 4)});
    }
    Result IsTransportPlaying(bool* isPlaying) const override { return answer(5, {put(isPlaying, playing)}); }
    Result GetCurrentTickPosition(I64* ticks) const override { return answer(6, {put(ticks, 960000)}); }
    Result GetCurrentLoopPosition(bool* looping, I64* start, I64* end) const override
    {
        return answer(7, {put(looping, true), put(start, 100), put(end, 200)});
    }
    Result GetCurrentNativeSampleLocation(I64* samples) const override
    {
        return answer(8, {put(samples, sampleLocation)});
    }
    Result Query9(Opaque a) const override { return op(9, a); }
    Result Query10(Opaque a, Opaque b, Opaque c, Opaque d) const override
    {
        return rec(10, {arg(a), arg(b), arg(c), arg(d)});
    }
    Result GetTicksPerQuarter(std::uint32_t* ticks) const override
    {
        return answer(11, {put(ticks, 960000)});
    }
    Result Query12(Opaque a) const override { return op(12, a); }
    Result Query13(Opaque a) const override { return op(13, a); }
    Result GetTimeCodeInfo(I32* frameRateCode, I32* offset) const override
    {
        return answer(14, {put(frameRateCode, 5), put(offset, -3)});
    }
    Result Query15(Opaque a) const override { return op(15, a); }
    Result Query16(Opaque a) const override { return op(16, a); }

private:
    template <typename Target, typename Value>
    static std::function<void()> put(Target* target, Value value)
    {
        return [target, value] { *target = Target(value); };
    }
    // Writes the answers and logs an "out" for each, unless the position fails.
    Result answer(int position, std::initializer_list<std::function<void()>> writes) const;
};

class FakeViewContainer final : public FakeObject<IHostViewContainer>
{
public:
    using FakeObject::FakeObject;
    // The view type and native window the container answers (type: its position's answer when unset),
    // and what the parameter mouse events answer (their positions' answers when unset).
    std::optional<I32> type;
    void* window = reinterpret_cast<void*>(std::uintptr_t(0x5000));
    std::optional<Result> mouseResult;
    // Runs at the start of every parameter mouse event, as the host's own code around it would.
    std::function<void()> onMouse;

    I32 GetType() override { return type.value_or(rec(3)); }
    void* GetPtr() override
    {
        rec(4);
        return window;
    }
    Result GetModifiers(U32* modifiers) override { return out(5, modifiers, 0x12u); }
    Result SetViewSize(const ViewSize& size) override { return rec(6, {arg(size.height), arg(size.width)}); }
    Result HandleParameterMouseDown(const char* id, U32 keys) override { return mouse(7, id, keys); }
    Result HandleParameterMouseDrag(const char* id, U32 keys) override { return mouse(8, id, keys); }
    Result HandleParameterMouseUp(const char* id, U32 keys) override { return mouse(9, id, keys); }

private:
    Result mouse(int position, const char* id, U32 modifiers) const
    {
        if (onMouse)
            onMouse();
        const Result answer = rec(position, {arg(id), arg(modifiers)});
        return mouseResult.value_or(answer);
    }
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

    Result GetNumberOfParameters(I32* count) const override
    {
        out(6, count, I32(ids.size()));
        return countResult;
    }
    Result GetParameterIDFromIndex(I32 index, Str* id) const override;

    Result Initialize(IACFUnknown*) override { return other(3); }
    Result Uninitialize() override { return other(4); }
    Result NotificationReceived(U32, const void*, U32) override { return other(5); }
    Result GetMasterBypassParameter(Str*) const override { return other(7); }
    Result GetParameterIsAutomatable(const char*, bool*) const override { return other(8); }
    Result GetParameterNumberOfSteps(const char*, I32*) const override { return other(9); }
    Result GetParameterName(const char*, Str*) const override { return other(10); }
    Result GetParameterNameOfLength(const char*, Str*, I32) const override { return other(11); }
    Result GetParameterDefaultNormalizedValue(const char*, double*) const override { return other(12); }
    Result SetParameterDefaultNormalizedValue(const char*, double) override { return other(13); }
    Result GetParameterType(const char*, I32*) const override { return other(14); }
    Result GetParameterOrientation(const char*, I32*) const override { return other(15); }
    Result GetParameter(const char*, AAX_IParameter**) override { return other(16); }
    Result GetParameterIndex(const char*, I32*) const override { return other(17); }
    Result GetParameterValueInfo(const char*, I32, I32*) const override { return other(19); }
    Result GetParameterValueFromString(const char*, double*, const Str&) const override { return other(20); }
    Result GetParameterStringFromValue(const char*, double, Str*, I32) const override { return other(21); }
    Result GetParameterValueString(const char*, Str*, I32) const override { return other(22); }
    Result GetParameterNormalizedValue(const char*, double*) const override { return other(23); }
    Result SetParameterNormalizedValue(const char*, double) override { return other(24); }
    Result SetParameterNormalizedRelative(const char*, double) override { return other(25); }
    Result TouchParameter(const char*) override { return other(26); }
    Result ReleaseParameter(const char*) override { return other(27); }
    Result UpdateParameterTouch(const char*, bool) override { return other(28); }
    Result UpdateParameterNormalizedValue(const char*, double, I32) override { return other(29); }
    Result UpdateParameterNormalizedRelative(const char*, double) override { return other(30); }
    Result GenerateCoefficients() override { return other(31); }
    Result ResetFieldData(U32, void*, U32) const override { return other(32); }
    Result GetNumberOfChunks(I32*) const override { return other(33); }
    Result GetChunkIDFromIndex(I32, U32*) const override { return other(34); }
    Result GetChunkSize(U32, U32*) const override { return other(35); }
    Result GetChunk(U32, ChunkRecord*) const override { return other(36); }
    Result SetChunk(U32, const ChunkRecord*) override { return other(37); }
    Result CompareActiveChunk(const ChunkRecord*, bool*) const override { return other(38); }
    Result GetNumberOfChanges(I32*) const override { return other(39); }
    Result TimerWakeup() override { return other(40); }
    Result GetCurveData(U32, const float*, U32, float*) const override { return other(41); }
    Result GetCustomData(U32, U32, void*, U32*) const override { return other(42); }

private:
    Result other(int position) const
    {
        rec(position);
        return kResultNotImplemented;
    }
};

class FakePropertyMap final : public FakeObject<IHostPropertyMapV2>
{
public:
    using FakeObject::FakeObject;
    std::map<U32, I32> properties;

    bool GetProperty(U32 id, I32* value) const override;
    Result AddProperty(U32 id, I32 value) override
    {
        properties[id] = value;
        return rec(4, {arg(id), arg(value)});
    }
    Result RemoveProperty(U32 id) override { return rec(5, {arg(id)}); }
    Result AddPropertyWith(U32 id, Opaque value) override { return rec(6, {arg(id), arg(value)}); }
    bool GetPropertyWith(U32 id, Opaque* value) const override
    {
        rec(7, {arg(id)});
        *value = nullptr;
        return true;
    }
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
    Answer queryAnswer(const Guid& iid) const { return answerFrom(m_queryAnswers, iid); }
    Answer createAnswer(const Guid& classId) const { return answerFrom(m_createAnswers, classId); }

    // Every call so far, and the calls of one object without its IACFUnknown traffic. Calls may come on
    // several threads (a render callback reads the transport); read the log when they are done.
    const std::vector<std::string>& log() const { return m_log; }
    std::vector<std::string> calls(const std::string& objectName) const;
    void clearLog();
    void record(std::string entry);

    // Every operation answers 0 instead of 1000 + its position (queries and creations are unchanged).
    bool succeed = false;
    // Run at the start of every automation-delegate (transport) operation, as the host's own code around
    // it would.
    std::function<void()> onAutomation;
    std::function<void()> onTransport;
    // The object the root answers the effect-parameters interfaces with: the instance's own (null: the
    // host's recording stand-in). Not counted by the host.
    void setEffectParameters(IACFUnknown* instance) { m_instanceParameters = instance; }
    IACFUnknown* instanceParameters() const { return m_instanceParameters; }
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
    FakeViewContainer& viewContainer() const { return *m_viewContainer; }
    const FakeBase& processorDelegate() const { return *m_processorDelegate; }
    FakeEffectParameters& effectParameters() const { return *m_effectParameters; }
    // The most recently created property map, or null.
    FakePropertyMap* lastPropertyMap() const { return m_lastPropertyMap; }

    // Bookkeeping for the fakes themselves.
    IACFUnknown* keptObjectFor(const Guid& iid) const;
    IACFUnknown* create(const Guid& classId);
    void createdObjectGone(const FakeBase* object);

private:
    static std::string key(const Guid& guid) { return std::string(reinterpret_cast<const char*>(&guid), 16); }
    static Answer answerFrom(const std::map<std::string, Answer>& answers, const Guid& guid)
    {
        const auto found = answers.find(key(guid));
        return found != answers.end() ? found->second : Answer::Grant;
    }
    // A kept object, handed out by the root for its interfaces unless `fromRoot` is false.
    template <typename Fake>
    Fake* keep(const char* name, std::vector<Guid> iids, bool fromRoot = true);

    mutable std::mutex m_logLock;
    std::vector<std::string> m_log;
    std::map<std::string, Answer> m_queryAnswers;
    std::map<std::string, Answer> m_createAnswers;
    std::map<std::string, int> m_counters;
    int m_liveCreated = 0;
    FakePropertyMap* m_lastPropertyMap = nullptr;
    IACFUnknown* m_instanceParameters = nullptr;

    std::vector<FakeBase*> m_kept;
    std::vector<FakeBase*> m_fromRoot;
    IACFUnknown* m_root = nullptr;
    FakeController* m_controller = nullptr;
    FakeController* m_controller2 = nullptr;
    FakeTransport* m_transport = nullptr;
    FakeTransport* m_transport2 = nullptr;
    FakeViewContainer* m_viewContainer = nullptr;
    FakeBase* m_processorDelegate = nullptr;
    FakeEffectParameters* m_effectParameters = nullptr;
};

} // namespace vk::aax::test
