#include "tests/formats/aax/fake_host.h"

#include <cstdio>
#include <sstream>

namespace vk::aax::test
{

namespace
{

struct NamedGuid
{
    const Guid* guid;
    const char* name;
};

const NamedGuid kGuidNames[] = {
    {&kIID_IACFUnknown, "IACFUnknown"},
    {&kIID_ComponentFactory, "ComponentFactory"},
    {&kIID_RegisteredCollection, "RegisteredCollection"},
    {&kCLSID_Collection, "CLSID_Collection"},
    {&kIID_Collection, "Collection"},
    {&kCLSID_EffectDescriptor, "CLSID_EffectDescriptor"},
    {&kIID_EffectDescriptor, "EffectDescriptor"},
    {&kIID_EffectDescriptorV2, "EffectDescriptorV2"},
    {&kCLSID_ComponentDescriptor, "CLSID_ComponentDescriptor"},
    {&kIID_ComponentDescriptor, "ComponentDescriptor"},
    {&kIID_ComponentDescriptorV2, "ComponentDescriptorV2"},
    {&kCLSID_PropertyMap, "CLSID_PropertyMap"},
    {&kIID_PropertyMap, "PropertyMap"},
    {&kIID_PropertyMapV2, "PropertyMapV2"},
    {&kCLSID_HostServices, "CLSID_HostServices"},
    {&kIID_HostServices, "HostServices"},
    {&kIID_Controller, "Controller"},
    {&kIID_ControllerV2, "ControllerV2"},
    {&kIID_Transport, "Transport"},
    {&kIID_TransportV2, "TransportV2"},
    {&kIID_AutomationDelegate, "AutomationDelegate"},
    {&kIID_ViewContainer, "ViewContainer"},
    {&kIID_HostProcessorDelegate, "HostProcessorDelegate"},
    {&kIID_HostProcessorDelegateV2, "HostProcessorDelegateV2"},
    {&kIID_EffectGUI, "EffectGUI"},
    {&kIID_HostProcessor, "HostProcessor"},
    {&kIID_EffectParameters, "EffectParameters"},
    {&kIID_EffectParametersV2, "EffectParametersV2"},
};

std::string join(const std::vector<std::string>& parts)
{
    std::string text;
    for (const auto& part : parts)
        text += (text.empty() ? "" : ",") + part;
    return text;
}

// The root interface: answers each query with the kept object registered for that interface.
class FakeRoot final : public FakeObject<IACFUnknown>
{
public:
    FakeRoot(FakeHost& host) : FakeObject(host, "host", {}) {}
    Result QueryInterface(const Guid& iid, void** out) override
    {
        m_host.record("host#0(" + guidName(iid) + ")");
        if (IACFUnknown* instance = m_host.instanceParametersFor(iid))
            return instance->QueryInterface(iid, out);
        IACFUnknown* object = m_host.keptObjectFor(iid);
        if (object == nullptr)
        {
            *out = nullptr;
            return kResultNoSuchInterface;
        }
        return object->QueryInterface(iid, out);
    }
};

class FakeFactory final : public FakeObject<IComponentFactory>
{
public:
    using FakeObject::FakeObject;
    Result CreateInstance(const Guid& classId, IACFUnknown* outer, const Guid& iid, void** out) override
    {
        rec(3, {guidName(classId), arg(outer), guidName(iid)});
        *out = nullptr;
        switch (m_host.createAnswer(classId))
        {
        case Answer::Grant:
            *out = m_host.create(classId);
            return kResultOk;
        case Answer::Refuse:
            return kResultNoSuchInterface;
        case Answer::NullSuccess:
            return kResultOk;
        case Answer::ErrorWithPointer:
            *out = m_host.create(classId);
            return kResultNoSuchInterface;
        }
        return kResultNoSuchInterface;
    }
};

class FakeCollection final : public FakeObject<IHostCollection>
{
public:
    using FakeObject::FakeObject;
    Result AddEffect(const char* id, IACFUnknown* descriptor) override
    {
        return rec(7, {arg(id), arg(descriptor)});
    }
    Result SetManufacturerName(const char* name) override { return rec(8, {arg(name)}); }
    Result AddPackageName(const char* name) override { return rec(9, {arg(name)}); }
    Result SetPackageVersion(std::uint32_t version) override { return rec(10, {arg(version)}); }
    Result SetProperties(IACFUnknown* map) override { return rec(11, {arg(map)}); }
};

class FakeEffectDescriptor final : public FakeObject<IHostEffectDescriptorV2>
{
public:
    using FakeObject::FakeObject;
    Result AddComponent(IACFUnknown* component) override { return rec(3, {arg(component)}); }
    Result AddName(const char* name) override { return rec(4, {arg(name)}); }
    Result AddCategory(std::uint32_t bits) override { return rec(5, {arg(bits)}); }
    Result AddCategoryWith(Opaque a, Opaque b) override { return rec(6, {arg(a), arg(b)}); }
    Result AddProcPtr(CreateObjectProc proc, std::uint32_t id) override
    {
        m_host.registration.procs[id] = proc;
        return rec(7, {arg(reinterpret_cast<const void*>(proc)), arg(id)});
    }
    Result SetProperties(IACFUnknown* map) override { return rec(8, {arg(map)}); }
    Result AddResourceInfo(std::uint32_t type, const char* file) override
    {
        return rec(9, {arg(type), arg(file)});
    }
    Result AddMeter(Opaque a, Opaque b, IACFUnknown* map) override
    {
        return rec(10, {arg(a), arg(b), arg(map)});
    }
    Result Operation11(Opaque a, Opaque b, Opaque c, Opaque d) override
    {
        return rec(11, {arg(a), arg(b), arg(c), arg(d)});
    }
};

class FakeComponentDescriptor final : public FakeObject<IHostComponentDescriptorV2>
{
public:
    using FakeObject::FakeObject;
    Result Clear() override { return rec(3); }
    Result FieldOperation4(Opaque a) override { return rec(4, {arg(a)}); }
    Result AddAudioIn(std::uint32_t field) override { return rec(5, {arg(field)}); }
    Result AddAudioOut(std::uint32_t field) override { return rec(6, {arg(field)}); }
    Result AddAudioBufferLength(std::uint32_t field) override { return rec(7, {arg(field)}); }
    Result FieldOperation8(Opaque a) override { return rec(8, {arg(a)}); }
    Result FieldOperation9(Opaque a) override { return rec(9, {arg(a)}); }
    Result FieldOperation10(Opaque a) override { return rec(10, {arg(a)}); }
    Result FieldOperation11(Opaque a) override { return rec(11, {arg(a)}); }
    Result FieldOperation12(Opaque a) override { return rec(12, {arg(a)}); }
    Result AddPrivateData(std::uint32_t field, std::int32_t size, std::uint32_t options) override
    {
        return rec(13, {arg(field), arg(size), arg(options)});
    }
    Result FieldOperation14(Opaque a) override { return rec(14, {arg(a)}); }
    Result FieldOperation15(Opaque a, Opaque b, Opaque c, Opaque d) override
    {
        return rec(15, {arg(a), arg(b), arg(c), arg(d)});
    }
    Result AddProcessProc(NativeProcessProc proc, IACFUnknown* map, Opaque a, Opaque b, Opaque c) override
    {
        RegisteredComponent component;
        component.processProc = proc;
        if (const auto* properties = dynamic_cast<const FakePropertyMap*>(map))
            component.properties = properties->properties;
        m_host.registration.components.push_back(component);
        return rec(16, {arg(reinterpret_cast<const void*>(proc)), arg(map), arg(a), arg(b), arg(c)});
    }
    Result AddProcessProcWith(Opaque a, Opaque b, IACFUnknown* map, Opaque c, Opaque d, Opaque e) override
    {
        return rec(17, {arg(a), arg(b), arg(map), arg(c), arg(d), arg(e)});
    }
    Result FieldOperation18(Opaque a) override { return rec(18, {arg(a)}); }
    Result Operation19(Opaque a) override { return rec(19, {arg(a)}); }
};

class FakeHostServices final : public FakeObject<IHostServices>
{
public:
    using FakeObject::FakeObject;
    Result Operation3(Opaque a) override { return rec(3, {arg(a)}); }
    Result Trace(std::int32_t priority, const char* text) override
    {
        return rec(4, {arg(priority), arg(text)});
    }
};

} // namespace

std::string guidName(const Guid& iid)
{
    for (const auto& named : kGuidNames)
        if (*named.guid == iid)
            return named.name;
    return "unknown-guid";
}

std::string arg(const char* text)
{
    return text != nullptr ? "\"" + std::string(text) + "\"" : "null";
}

std::string arg(double value)
{
    std::ostringstream stream;
    stream << value;
    return stream.str();
}

std::string arg(std::int64_t value)
{
    return std::to_string(value);
}

std::string arg(const void* pointer)
{
    char text[32];
    std::snprintf(text, sizeof text, "%p", pointer);
    return pointer != nullptr ? text : "null";
}

std::string arg(IACFUnknown* object)
{
    if (object == nullptr)
        return "null";
    if (const auto* fake = dynamic_cast<const FakeBase*>(object))
        return fake->name();
    return "foreign";
}

FakeBase::FakeBase(FakeHost& host, std::string name, std::vector<Guid> iids)
    : m_host(host), m_name(std::move(name)), m_iids(std::move(iids))
{
}

FakeBase::~FakeBase()
{
    if (created)
        m_host.createdObjectGone(this);
}

Result FakeBase::answerQuery(IACFUnknown* self, const Guid& iid, void** out)
{
    m_host.record(m_name + "#0(" + guidName(iid) + ")");
    *out = nullptr;
    bool implemented = false;
    for (const auto& own : m_iids)
        implemented = implemented || own == iid;
    if (!implemented)
        return kResultNoSuchInterface;
    switch (m_host.queryAnswer(iid))
    {
    case Answer::Grant:
        addRef();
        *out = self;
        return kResultOk;
    case Answer::Refuse:
        return kResultNoSuchInterface;
    case Answer::NullSuccess:
        return kResultOk;
    case Answer::ErrorWithPointer:
        addRef();
        *out = self;
        return kResultNoSuchInterface;
    }
    return kResultNoSuchInterface;
}

std::uint32_t FakeBase::addRef()
{
    m_host.record(m_name + "#1");
    return std::uint32_t(++m_refs);
}

std::uint32_t FakeBase::release()
{
    m_host.record(m_name + "#2");
    const int refs = --m_refs;
    if (refs == 0)
        delete this;
    return std::uint32_t(refs);
}

Result FakeBase::rec(int position, const std::vector<std::string>& args) const
{
    m_host.record(m_name + "#" + std::to_string(position) + "(" + join(args) + ")");
    return m_host.succeed ? kResultOk : kFakeResultBase + position;
}

Result FakeController::GetSampleRate(float* rate) const
{
    *rate = sampleRate;
    return rec(4, {"out"});
}
Result FakeController::GetInputStemFormat(std::int32_t* format) const
{
    *format = inputStem;
    return rec(5, {"out"});
}
Result FakeController::GetOutputStemFormat(std::int32_t* format) const
{
    *format = outputStem;
    return rec(6, {"out"});
}
Result FakeController::Query22(std::int32_t* value) const
{
    *value = 22;
    return rec(22, {"out"});
}

Result FakeTransport::GetCurrentTempo(double* beatsPerMinute) const
{
    if (failing.count(3) == 0)
        *beatsPerMinute = tempo;
    const Result answer = rec(3, {"out"});
    return failing.count(3) != 0 ? kFakeResultBase + 3 : answer;
}
Result FakeTransport::GetCurrentMeter(std::int32_t* num, std::int32_t* den) const
{
    if (failing.count(4) == 0)
    {
        *num = numerator;
        *den = denominator;
    }
    const Result answer = rec(4, {"out", "out"});
    return failing.count(4) != 0 ? kFakeResultBase + 4 : answer;
}
Result FakeTransport::IsTransportPlaying(bool* isPlaying) const
{
    if (failing.count(5) == 0)
        *isPlaying = playing;
    const Result answer = rec(5, {"out"});
    return failing.count(5) != 0 ? kFakeResultBase + 5 : answer;
}
Result FakeTransport::GetCurrentTickPosition(std::int64_t* position) const
{
    if (failing.count(6) == 0)
        *position = ticks;
    const Result answer = rec(6, {"out"});
    return failing.count(6) != 0 ? kFakeResultBase + 6 : answer;
}
Result FakeTransport::GetCurrentLoopPosition(bool* isLooping, std::int64_t* startTicks,
                                             std::int64_t* endTicks) const
{
    if (failing.count(7) == 0)
    {
        *isLooping = looping;
        *startTicks = loopStart;
        *endTicks = loopEnd;
    }
    const Result answer = rec(7, {"out", "out", "out"});
    return failing.count(7) != 0 ? kFakeResultBase + 7 : answer;
}
Result FakeTransport::GetCurrentNativeSampleLocation(std::int64_t* samples) const
{
    if (failing.count(8) == 0)
        *samples = sampleLocation;
    const Result answer = rec(8, {"out"});
    return failing.count(8) != 0 ? kFakeResultBase + 8 : answer;
}
Result FakeTransport::GetTicksPerQuarter(std::uint32_t* perQuarter) const
{
    if (failing.count(11) == 0)
        *perQuarter = ticksPerQuarter;
    const Result answer = rec(11, {"out"});
    return failing.count(11) != 0 ? kFakeResultBase + 11 : answer;
}
Result FakeTransport::GetTimeCodeInfo(std::int32_t* code, std::int32_t* offset) const
{
    if (failing.count(14) == 0)
    {
        *code = frameRateCode;
        *offset = -3;
    }
    const Result answer = rec(14, {"out", "out"});
    return failing.count(14) != 0 ? kFakeResultBase + 14 : answer;
}

void* FakeViewContainer::GetPtr()
{
    rec(4);
    return window;
}
Result FakeViewContainer::GetModifiers(std::uint32_t* modifiers)
{
    *modifiers = 0x12;
    return rec(5, {"out"});
}

Result FakeProcessorDelegate::GetAudio(const float* const* inputs, std::int32_t inputCount,
                                       std::int64_t location, std::int32_t* windowSize)
{
    return rec(3, {arg(static_cast<const void*>(inputs)), arg(inputCount), arg(location), arg(*windowSize)});
}

Result FakeEffectParameters::GetNumberOfParameters(std::int32_t* count) const
{
    *count = std::int32_t(ids.size());
    rec(6, {"out"});
    return countResult;
}

Result FakeEffectParameters::GetParameterIDFromIndex(std::int32_t index, AAX_IString* id) const
{
    rec(18, {arg(index), "out"});
    if (index < 0 || std::size_t(index) >= ids.size() || ids[std::size_t(index)].empty())
        return kResultUnknownParameter;
    id->Set(ids[std::size_t(index)].c_str());
    return kResultOk;
}

Result FakeEffectParameters::other(int position) const
{
    rec(position);
    return kResultNotImplemented;
}

bool FakePropertyMap::GetProperty(std::uint32_t id, std::int32_t* value) const
{
    rec(3, {arg(id)});
    const auto found = properties.find(id);
    if (found == properties.end())
        return false;
    *value = found->second;
    return true;
}

Result FakePropertyMap::AddProperty(std::uint32_t id, std::int32_t value)
{
    properties[id] = value;
    return rec(4, {arg(id), arg(value)});
}

bool FakePropertyMap::GetPropertyWith(std::uint32_t id, Opaque* value) const
{
    rec(7, {arg(id)});
    *value = nullptr;
    return true;
}

FakeHost::FakeHost()
{
    auto keep = [this](FakeBase* object)
    {
        m_kept.push_back(object);
        return object;
    };
    m_root = dynamic_cast<IACFUnknown*>(keep(new FakeRoot(*this)));
    m_factory = dynamic_cast<IACFUnknown*>(keep(new FakeFactory(*this, "factory", {kIID_ComponentFactory})));
    m_controller =
        static_cast<FakeController*>(keep(new FakeController(*this, "controller", {kIID_Controller})));
    m_controller2 =
        static_cast<FakeController*>(keep(new FakeController(*this, "controller2", {kIID_ControllerV2})));
    m_transport = static_cast<FakeTransport*>(keep(new FakeTransport(*this, "transport", {kIID_Transport})));
    m_transport2 =
        static_cast<FakeTransport*>(keep(new FakeTransport(*this, "transport2", {kIID_TransportV2})));
    m_automation = static_cast<FakeAutomationDelegate*>(
        keep(new FakeAutomationDelegate(*this, "automation", {kIID_AutomationDelegate})));
    m_viewContainer =
        static_cast<FakeViewContainer*>(keep(new FakeViewContainer(*this, "view", {kIID_ViewContainer})));
    m_processorDelegate = static_cast<FakeProcessorDelegate*>(keep(new FakeProcessorDelegate(
        *this, "delegate", {kIID_HostProcessorDelegate, kIID_HostProcessorDelegateV2})));
    m_effectParameters = static_cast<FakeEffectParameters*>(
        keep(new FakeEffectParameters(*this, "parameters", {kIID_EffectParameters})));
}

FakeHost::~FakeHost()
{
    for (auto* object : m_kept)
        delete object;
}

IACFUnknown* FakeHost::root() const
{
    return m_root;
}

Answer FakeHost::queryAnswer(const Guid& iid) const
{
    const auto found = m_queryAnswers.find(key(iid));
    return found != m_queryAnswers.end() ? found->second : Answer::Grant;
}

Answer FakeHost::createAnswer(const Guid& classId) const
{
    const auto found = m_createAnswers.find(key(classId));
    return found != m_createAnswers.end() ? found->second : Answer::Grant;
}

std::vector<std::string> FakeHost::calls(const std::string& objectName) const
{
    std::vector<std::string> result;
    const std::string prefix = objectName + "#";
    for (const auto& entry : m_log)
        if (entry.compare(0, prefix.size(), prefix) == 0 &&
            entry.compare(0, prefix.size() + 1, prefix + "0") != 0 && entry != prefix + "1" &&
            entry != prefix + "2")
            result.push_back(entry);
    return result;
}

bool FakeHost::balanced() const
{
    for (const auto* object : m_kept)
        if (object->refs() != 1)
            return false;
    return m_liveCreated == 0;
}

IACFUnknown* FakeHost::instanceParametersFor(const Guid& iid) const
{
    return (iid == kIID_EffectParameters || iid == kIID_EffectParametersV2) ? m_instanceParameters : nullptr;
}

IACFUnknown* FakeHost::keptObjectFor(const Guid& iid) const
{
    if (iid == kIID_ComponentFactory)
        return m_factory;
    if (iid == kIID_Controller)
        return m_controller;
    if (iid == kIID_ControllerV2)
        return m_controller2;
    if (iid == kIID_Transport)
        return m_transport;
    if (iid == kIID_TransportV2)
        return m_transport2;
    if (iid == kIID_AutomationDelegate)
        return m_automation;
    if (iid == kIID_HostProcessorDelegate || iid == kIID_HostProcessorDelegateV2)
        return m_processorDelegate;
    if (iid == kIID_EffectParameters)
        return m_effectParameters;
    return nullptr;
}

IACFUnknown* FakeHost::create(const Guid& classId)
{
    IACFUnknown* object = nullptr;
    if (classId == kCLSID_Collection)
        object =
            new FakeCollection(*this, nextName("collection"), {kIID_Collection, kIID_RegisteredCollection});
    else if (classId == kCLSID_EffectDescriptor)
        object = new FakeEffectDescriptor(*this, nextName("effect"),
                                          {kIID_EffectDescriptor, kIID_EffectDescriptorV2});
    else if (classId == kCLSID_ComponentDescriptor)
        object = new FakeComponentDescriptor(*this, nextName("component"),
                                             {kIID_ComponentDescriptor, kIID_ComponentDescriptorV2});
    else if (classId == kCLSID_PropertyMap)
    {
        auto* map = new FakePropertyMap(*this, nextName("map"), {kIID_PropertyMap, kIID_PropertyMapV2});
        m_lastPropertyMap = map;
        object = map;
    }
    else if (classId == kCLSID_HostServices)
        object = new FakeHostServices(*this, nextName("services"), {kIID_HostServices});
    if (object != nullptr)
    {
        dynamic_cast<FakeBase*>(object)->created = true;
        ++m_liveCreated;
    }
    return object;
}

void FakeHost::createdObjectGone(const FakeBase* object)
{
    --m_liveCreated;
    if (object == m_lastPropertyMap)
        m_lastPropertyMap = nullptr;
}

} // namespace vk::aax::test
